#include "platform/text/Cp932.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Cp932Classification, LeadAndTrailRanges) {
  for (int b = 0; b < 256; ++b) {
    bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    bool trail = (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
    EXPECT_EQ(cp932::IsLeadByte(static_cast<unsigned char>(b)), lead) << b;
    EXPECT_EQ(cp932::IsTrailByte(static_cast<unsigned char>(b)), trail) << b;
  }
}

TEST(Cp932Classification, LeadByteBeforeLineEndIsSingle) {
  std::string s = "a\x82\r";
  EXPECT_EQ(cp932::CharLength(s, 1), 1);
  std::string kana = "\x82\xA0";  // あ
  EXPECT_EQ(cp932::CharLength(kana, 0), 2);
  EXPECT_EQ(cp932::CharLength(std::string("\x82"), 0), 1);
}

TEST(Cp932Conversion, RoundTripsJapaneseText) {
  std::string sjis = "\x93\xFA\x96\x7B\x8C\xEA abc \xB1";  // 日本語 abc ｱ
  std::string utf8 = cp932::ToUtf8(sjis);
  EXPECT_EQ(utf8, "日本語 abc ｱ");
  EXPECT_EQ(cp932::FromUtf8(utf8), sjis);
}

TEST(Cp932Conversion, RefusedBytesAreReplaced) {
  std::string out;
  EXPECT_FALSE(cp932::ToUtf8(std::string("a\x80" "b"), out));
  EXPECT_EQ(out, "a?b");
  EXPECT_FALSE(cp932::FromUtf8("a€b", out));  // the euro sign has no code page 932 form
  EXPECT_EQ(out, "a?b");
  EXPECT_TRUE(cp932::FromUtf8("漢字", out));
  EXPECT_EQ(out, "\x8A\xBF\x8E\x9A");
}

TEST(Cp932Conversion, CharactersCodePage932LacksAreCountedOncePerCharacter) {
  struct Case {
    const char* name;
    const char* utf8;
    const char* replacement;
    std::string bytes;
    size_t replaced;
    std::string refused;
  };
  const std::vector<Case> cases = {
      {"emoji, four bytes", "emoji😀end", "?", "emoji?end", 1, "😀"},
      {"kanji outside the code page", "𠮷野家", "?", "?" + std::string("\x96\xEC\x89\xC6"), 1, "𠮷"},
      {"Latin letters", "café Straße", "?", "caf? Stra?e", 2, "éß"},
      {"Korean", "한국", "?", "??", 2, "한국"},
      {"left out", "a😀b", "", "ab", 1, "😀"},
      {"invalid UTF-8 byte", "a\xFF" "bc", "?", "a?bc", 1, "\xFF"},
      {"UTF-8 sequence cut short", "a\xE3\x81" "bc", "?", "a?bc", 1, "\xE3\x81"},
      // The best-fit forms of Unicode characters that code page 932 shows
      // by another code stay.
      {"best-fit forms", "〜−¥‖¢£¬—", "?", "\x81\x60\x81\x7C\x5C\x81\x61\x81\x91\x81\x92\x81\xCA\x81\x5C", 0, ""},
  };
  for (const Case& c : cases) {
    std::string out, refused;
    EXPECT_EQ(cp932::FromUtf8Counting(c.utf8, out, c.replacement, &refused), c.replaced) << c.name;
    EXPECT_EQ(out, c.bytes) << c.name;
    EXPECT_EQ(refused, c.refused) << c.name;
  }
}

TEST(Cp932Conversion, ALoneSurrogateInUtf16IsCountedAsACharacterCodePage932Lacks) {
  struct Case {
    const char* name;
    std::u16string utf16;
    const char* replacement;
    std::string bytes;
    size_t replaced;
    std::string refused;
  };
  const std::vector<Case> cases = {
      {"pair and kana", u"\U0001F600\u3042", "?", "?\x82\xA0", 1, "\U0001F600"},
      {"lone high surrogate", {u'a', char16_t(0xD83D), u'b'}, "?", "a?b", 1, "U+D83D"},
      {"lone low surrogate at the end", {u'a', char16_t(0xDE00)}, "?", "a?", 1, "U+DE00"},
      {"low before high", {char16_t(0xDE00), char16_t(0xD83D)}, "?", "??", 2, "U+DE00U+D83D"},
      {"left out between others", {u'\u20AC', char16_t(0xD800), u'\u6F22'}, "", "\x8A\xBF", 2,
       "\u20AC" "U+D800"},
  };
  for (const Case& c : cases) {
    std::string out, refused;
    EXPECT_EQ(cp932::FromUtf16Counting(c.utf16, out, c.replacement, &refused), c.replaced) << c.name;
    EXPECT_EQ(out, c.bytes) << c.name;
    EXPECT_EQ(refused, c.refused) << c.name;
  }
}

}  // namespace
