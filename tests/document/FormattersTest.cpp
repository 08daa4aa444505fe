#include "document/Formatters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

namespace fv {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr float kNaNf = std::numeric_limits<float>::quiet_NaN();
constexpr float kInff = std::numeric_limits<float>::infinity();

TEST(Formatters, UnitConversionsAgreeWithTheInternationalMile) {
    const double kmPerMile = 1.609344;
    EXPECT_NEAR(kmToMiles(kmPerMile), 1.0, 1e-7);
    EXPECT_NEAR(kmToFeet(kmPerMile), 5280.0, 1e-3);
    EXPECT_NEAR(kmToFeet(0.3048), 1000.0, 1e-3);
    EXPECT_DOUBLE_EQ(kmToMiles(0), 0.0);
    EXPECT_DOUBLE_EQ(kmToFeet(-2), -2 * kmToMiles(1) * 5280);
}

struct DistanceCase {
    int unit;
    double spacingKm;
    double distanceKm;
    const char* text;
};

TEST(Formatters, DistanceDecimalsFollowUnitSpacingAndSize) {
    const DistanceCase cases[] = {
        {0, 0.0005, 1.23456, "1.2346"},   // sub-metre spacing: four decimals
        {0, 0.001, 1.23456, "1.235"},     // spacing of exactly a metre: three
        {0, 0.002, 1.23456, "1.235"},
        {0, 0.0005, 99.99991, "99.9999"},
        {0, 0.0005, 100.0, "100.000"},    // long distances: three whatever the spacing
        {2, 0.0005, 200.0, "124.274"},
        {2, 0.002, 10.0, "6.2137"},       // miles below 100: four, spacing ignored
        {2, 0.002, 161.0, "100.041"},
        {1, 0.0005, 1.23456, "4.050"},    // thousands of feet: always three
        {1, 0.002, 1.0, "3.281"},
        {7, 0.0005, 1.23456, "1.2346"},   // unknown units are metres
        {-1, 0.002, 1.23456, "1.235"},
        {0, 0.002, -1.5, "-1.500"},
    };
    for (const DistanceCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "unit " << c.unit << " d " << c.distanceKm);
        char out[32];
        formatDistance(c.unit, c.spacingKm, c.distanceKm, out, sizeof out);
        EXPECT_STREQ(out, c.text);
    }
}

TEST(Formatters, NonFiniteDistanceShowsDashes) {
    for (int unit : {0, 1, 2, 5}) {
        for (double d : {kNaN, kInf, -kInf}) {
            SCOPED_TRACE(testing::Message() << "unit " << unit << " d " << d);
            char out[32];
            formatDistance(unit, 0.0005, d, out, sizeof out);
            EXPECT_STREQ(out, "--.---");
        }
    }
    // Finite in km, but no longer once turned into feet.
    char out[32];
    formatDistance(1, 0.0005, 1e308, out, sizeof out);
    EXPECT_STREQ(out, "--.---");
}

struct AttenuationCase {
    int unit;
    float dbPerKm;
    const char* plain;
    const char* withUnit;
};

const AttenuationCase kAttenuationCases[] = {
    {0, 0.2f, "0.200", "0.200 dB/km"},
    {0, 12.345f, "12.35", "12.35 dB/km"},
    {0, 150.0f, "150.0", "150.0 dB/km"},
    {0, 10.0f, "10.000", "10.000 dB/km"},   // the thresholds are strict
    {0, 100.0f, "100.00", "100.00 dB/km"},
    {0, -12.345f, "-12.35", "-12.35 dB/km"},  // decimals follow the magnitude
    {2, 0.2f, "0.322", "0.322 dB/mi"},
    {2, 70.0f, "112.7", "112.7 dB/mi"},      // decimals follow the converted value
    {1, 0.2f, "0.061", "0.061 dB/kft"},
    {1, 400.0f, "121.9", "121.9 dB/kft"},
    {3, 0.2f, "0.200", "0.200 dB/km"},       // unknown units are metres
    {-2, 150.0f, "150.0", "150.0 dB/km"},
};

TEST(Formatters, AttenuationDecimalsAndSuffixes) {
    for (const AttenuationCase& c : kAttenuationCases) {
        SCOPED_TRACE(testing::Message() << "unit " << c.unit << " a " << c.dbPerKm);
        char out[32];
        formatAttenuation(c.unit, c.dbPerKm, out, sizeof out);
        EXPECT_STREQ(out, c.plain);
        formatAttenuationWithUnit(c.unit, c.dbPerKm, out, sizeof out);
        EXPECT_STREQ(out, c.withUnit);
    }
}

TEST(Formatters, NonFiniteAttenuationShowsDashes) {
    struct { int unit; const char* withUnit; } units[] = {
        {0, "--.--- dB/km"}, {1, "--.--- dB/kft"}, {2, "--.--- dB/mi"}, {9, "--.--- dB/km"}};
    for (const auto& u : units) {
        for (float a : {kNaNf, kInff, -kInff}) {
            SCOPED_TRACE(testing::Message() << "unit " << u.unit << " a " << a);
            char out[32];
            formatAttenuation(u.unit, a, out, sizeof out);
            EXPECT_STREQ(out, "--.---");
            formatAttenuationWithUnit(u.unit, a, out, sizeof out);
            EXPECT_STREQ(out, u.withUnit);
        }
    }
}

struct RatioCase {
    double lengthKm;
    double lossDb;
    int unit;
    const char* text;
};

TEST(Formatters, AttenuationRatioAndItsLimit) {
    const RatioCase cases[] = {
        {2.0, 0.4, 0, "0.200"},
        {1.0, 100.0, 0, "100.000"},   // exactly 100 still shows
        {1.0, 100.5, 0, "--.---"},
        {1.0, -100.5, 0, "--.---"},
        {-1.0, 100.5, 0, "--.---"},
        {1.0, -100.0, 0, "-100.000"},
        {1.0, 0.2, 2, "0.322"},
        {1.0, 62.2, 2, "--.---"},     // 100.1 dB/mi: the limit applies after conversion
        {1.0, 0.2, 1, "0.061"},
        {1.0, 305.0, 1, "92.964"},    // over 100 dB/km but under 100 dB/kft
        {1.0, 0.2, 4, "0.200"},       // unknown units are metres
        {0.0, 1.0, 0, "--.---"},      // zero length: infinite
        {0.0, 0.0, 0, "--.---"},      // zero over zero: NaN
        {0.0, 0.0, 2, "--.---"},
        {kInf, 1.0, 0, "0.000"},
        {1.0, kNaN, 1, "--.---"},
    };
    for (const RatioCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lossDb << " dB over " << c.lengthKm << " km, unit "
                                        << c.unit);
        char out[32];
        formatAttenuationRatio(c.lengthKm, c.lossDb, c.unit, out, sizeof out);
        EXPECT_STREQ(out, c.text);
    }
}

// Texts are cut to the buffer, always terminated, and nothing past it is touched.
TEST(Formatters, ShortBuffersAreTruncatedAndTerminated) {
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    formatDistance(0, 0.0005, 1.23456, buffer, 4);
    EXPECT_STREQ(buffer, "1.2");
    EXPECT_EQ(buffer[4], '#');

    std::memset(buffer, '#', sizeof buffer);
    formatAttenuationWithUnit(1, 0.2f, buffer, 6);
    EXPECT_STREQ(buffer, "0.061");
    EXPECT_EQ(buffer[6], '#');

    std::memset(buffer, '#', sizeof buffer);
    formatAttenuationRatio(0, 0, 0, buffer, 1);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(buffer[1], '#');
}

}  // namespace
}  // namespace fv
