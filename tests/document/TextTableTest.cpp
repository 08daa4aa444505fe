#include "document/TextTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace fv {
namespace {

struct TextCase {
    TextId id;
    const char* chinese;
    const char* english;
};

// Texts with blanks at their ends, embedded quotes and mixed scripts are the easy ones to get
// wrong, so those are the ones checked word for word.
const TextCase kSpotChecks[] = {
    {0, "Fibrovue", "Fibrovue"},
    {5, "文件 ", "File"},
    {29, "事件个数:", "Num of Events: "},
    {32, "LSA 衰减:", "LSA Attn.:"},
    {34, "反射在", "Refl At "},
    {84, "G655 非零色散位移光纤(NZDS)", "G655 Non-Zero Dispersion Shifted(NZDS)"},
    {105, "设置反射标识点, 设置完成后，按下\"下一步\".",
     "Modify 3 Markers, Press \"Next\" When done changes to reflex markers "},
    {108, "设置4点标志(标尺前2点，标尺后2点) .",
     "Modify 4 Markers, Press \"Finish\" When done changes to splice markers "},
    {111, "Fibrovue 光时域反射曲线分析软件 1.0 版", "Fibrovue OTDR trace viewer, version 1.0"},
    {123, "正在接收  ", "Receiving Data  "},
    {138, "Bellcore 文件版本错误", "Bellcore File Version Error"},
    {141, "空", "NULL"},
    {148, "最多打开10个文件! 请关闭部分文件", " Max Open 10 files !, Please Close some files"},
};

TEST(TextTable, SpotChecksMatchBothColumnsExactly) {
    for (const TextCase& c : kSpotChecks) {
        SCOPED_TRACE(c.id);
        EXPECT_STREQ(textOf(c.id), c.chinese);
        EXPECT_STREQ(englishTextOf(c.id), c.english);
    }
}

// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when it is malformed.
size_t utf8SequenceLength(const std::string& s, size_t i, char32_t& cp) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    size_t len = 0;
    if (b0 < 0x80) { cp = b0; return 1; }
    if ((b0 & 0xE0) == 0xC0) { len = 2; cp = b0 & 0x1F; }
    else if ((b0 & 0xF0) == 0xE0) { len = 3; cp = b0 & 0x0F; }
    else if ((b0 & 0xF8) == 0xF0) { len = 4; cp = b0 & 0x07; }
    else return 0;
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

// The instruments' code page stores ASCII in one byte and every Chinese character or
// full-width mark in two; entries must fit an 80-byte field with its terminator there.
TEST(TextTable, EveryChineseTextIsValidUtf8AndFitsTheInstrumentField) {
    for (TextId id = 0; id < kTextCount; ++id) {
        SCOPED_TRACE(id);
        const std::string s = textOf(id);
        ASSERT_FALSE(s.empty());
        size_t codePageBytes = 0;
        for (size_t i = 0; i < s.size();) {
            char32_t cp = 0;
            const size_t len = utf8SequenceLength(s, i, cp);
            ASSERT_NE(len, 0u) << "malformed UTF-8 at byte " << i;
            codePageBytes += cp < 0x80 ? 1 : 2;
            i += len;
        }
        EXPECT_LT(codePageBytes, 80u);
    }
}

TEST(TextTable, EveryEnglishTextIsPlainAsciiAndFitsTheField) {
    for (TextId id = 0; id < kTextCount; ++id) {
        SCOPED_TRACE(id);
        const std::string s = englishTextOf(id);
        ASSERT_FALSE(s.empty());
        EXPECT_LT(s.size(), 80u);
        for (char ch : s) EXPECT_LT(static_cast<unsigned char>(ch), 0x80u);
    }
}

TEST(TextTable, IdsOutsideTheTableGiveEmptyTexts) {
    for (TextId id : {-1, kTextCount, kTextCount + 1, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(id);
        ASSERT_NE(textOf(id), nullptr);
        ASSERT_NE(englishTextOf(id), nullptr);
        EXPECT_STREQ(textOf(id), "");
        EXPECT_STREQ(englishTextOf(id), "");
    }
}

}  // namespace
}  // namespace fv
