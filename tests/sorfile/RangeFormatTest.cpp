#include "sorfile/RangeFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace fv {
namespace {

// The nearest-row search relies on every column rising from row to row.
TEST(RangeFormat, StandardRangesRiseInEveryUnitAndLabelsFitTheirField) {
    for (int i = 0; i < kStandardRangeCount; ++i) {
        SCOPED_TRACE(i);
        const StandardRange& r = kStandardRanges[i];
        if (i > 0) {
            const StandardRange& p = kStandardRanges[i - 1];
            EXPECT_GT(r.km, p.km);
            EXPECT_GT(r.ft, p.ft);
            EXPECT_GT(r.mi, p.mi);
        }
        for (const char* label : r.label) {
            ASSERT_NE(label, nullptr);
            EXPECT_GT(std::strlen(label), 0u);
            EXPECT_LT(std::strlen(label), 10u);
        }
    }
    EXPECT_EQ(kStandardRanges[0].km, 0.1f);
    EXPECT_STREQ(kStandardRanges[0].label[2], "110 yd");
    EXPECT_EQ(kStandardRanges[12].ft, 780000.0f);
    EXPECT_STREQ(kStandardRanges[2].label[1], "1.65 kft");
}

struct RangeCase {
    int from, to;
    float value;
    float result;
    const char* text;
};

TEST(RangeFormat, ConvertsSnapsAndLabels) {
    const RangeCase cases[] = {
        // Within 5 % of a standard range: its label and its value in the target unit.
        {0, 0, 20.0f, 20.0f, "20 km"},
        {0, 0, 20.9f, 20.0f, "20 km"},
        {0, 0, 19.1f, 20.0f, "20 km"},
        {0, 2, 10.0f, 6.0f, "6 mi"},
        {0, 1, 20.0f, 65000.0f, "65 kft"},
        {0, 2, 0.1f, 0.0625f, "110 yd"},
        {2, 0, 12.4f, 20.0f, "20 km"},
        {1, 0, 330.0f, 0.1f, "100 m"},
        {1, 0, 1000.0f, 0.3f, "300 m"},
        {0, 0, 240.0f, 240.0f, "240 km"},
        // Exactly one twentieth away is not near enough.
        {0, 0, 21.0f, 21.0f, "21000 m "},
        {0, 0, 19.0f, 19.0f, "19000 m "},
        {0, 0, 22.0f, 22.0f, "22000 m "},
        {0, 0, 0.7f, 0.7f, "700 m "},
        {0, 0, 1500.0f, 1500.0f, "1500.000 km"},
        {0, 0, 1e6f, 1e6f, "1000000.000 km"},
        {0, 0, -5.0f, -5.0f, "-5000 m "},
        // km to miles keeps the value in km; only the text is converted.
        {0, 2, 30.0f, 30.0f, "18.641 mi"},
        {0, 1, 12.5f, 41010.4985f, "41.010 kft"},
        {0, 1, 1500.0f, 4921259.8f, "4921259.82 ft"},
        {2, 0, 30.0f, 48.280319f, "48280 m "},
        {2, 0, 1000.0f, 1609.344f, "1609.344 km"},
        {1, 0, 50000.0f, 15.24f, "15240 m "},
        // Units are taken modulo 3, negative ones included.
        {3, 5, 10.0f, 6.0f, "6 mi"},
        {0, -1, 10.0f, 6.0f, "6 mi"},
        {-2, 0, 330.0f, 0.1f, "100 m"},
        {4, 3, 16400.0f, 5.0f, "5 km"},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " from " << c.from << " to " << c.to);
        char out[32];
        const float result = formatRange(c.from, c.to, c.value, out, sizeof out);
        EXPECT_STREQ(out, c.text);
        EXPECT_NEAR(result, c.result, std::fabs(c.result) * 1e-6f);
    }
}

TEST(RangeFormat, NonFiniteValuesComeBackUnchangedWithDashes) {
    for (float v : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                    -std::numeric_limits<float>::infinity()}) {
        for (int from = 0; from < 3; ++from) {
            SCOPED_TRACE(testing::Message() << v << " from " << from);
            char out[32];
            const float result = formatRange(from, 0, v, out, sizeof out);
            EXPECT_STREQ(out, "--.---");
            if (std::isnan(v)) {
                EXPECT_TRUE(std::isnan(result));
            } else {
                EXPECT_EQ(result, v);
            }
        }
    }
}

// A nonsense negative range must not overflow the whole-metre conversion.
TEST(RangeFormat, HugeNegativeRangeSaturatesTheMetres) {
    char out[32];
    formatRange(0, 0, -3e38f, out, sizeof out);
    EXPECT_EQ(std::string(out), std::to_string(INT_MIN) + " m ");
}

TEST(RangeFormat, TextIsCutToTheBuffer) {
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    formatRange(0, 1, 20.0f, buffer, 4);
    EXPECT_STREQ(buffer, "65 ");
    EXPECT_EQ(buffer[4], '#');
}

}  // namespace
}  // namespace fv
