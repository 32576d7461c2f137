#include "platform/text/LocaleMap.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/text/Cp932.h"

namespace {

// Maps code page 932 bytes; "<fail>" when the call is refused.
std::string Map(int flags, const std::string& sjis) {
  std::vector<char> out(2 * sjis.size() + 2);
  int n = localemap::MapString(flags, sjis.c_str(), -1, out.data(), static_cast<int>(out.size()));
  if (n <= 0) return "<fail>";
  EXPECT_EQ(out[n - 1], '\0');
  return std::string(out.data(), n - 1);
}

// The same with UTF-8 on both sides.
std::string MapUtf8(int flags, const std::string& utf8) {
  std::string r = Map(flags, cp932::FromUtf8(utf8));
  return r == "<fail>" ? r : cp932::ToUtf8(r);
}

// The Unicode code point of one code page 932 character (through iconv).
char32_t CodePoint(const std::string& sjis) {
  std::string u;
  if (!cp932::ToUtf8(sjis, u) || u.empty()) return 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(u.data());
  if (p[0] < 0x80) return u.size() == 1 ? p[0] : 0;
  if ((p[0] & 0xE0) == 0xC0 && u.size() == 2) return (p[0] & 0x1F) << 6 | (p[1] & 0x3F);
  if ((p[0] & 0xF0) == 0xE0 && u.size() == 3)
    return (p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F);
  return 0;
}

std::string Char(int code) {
  return code < 0x100 ? std::string(1, static_cast<char>(code))
                      : std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

constexpr int kHira = LCMAP_HIRAGANA, kKata = LCMAP_KATAKANA, kHalf = 0x600000,
              kFull = LCMAP_FULLWIDTH, kUpper = LCMAP_UPPERCASE, kLower = LCMAP_LOWERCASE;

struct Case {
  int flags;
  const char* in;
  const char* out;
};

TEST(LocaleMapping, ExamplesByFlag) {
  static const Case cases[] = {
      {kKata, "ひらがな", "ヒラガナ"},
      {kHira, "カタカナ", "かたかな"},
      {kHira, "ァアヮワヰヱヲン", "ぁあゎわゐゑをん"},
      {kHira, "ヽヾ", "ゝゞ"},
      {kKata, "ゝゞ", "ヽヾ"},
      {kHira, "ヴヵヶー", "ヴヵヶー"},
      {kHira, "ｶﾀｶﾅ", "ｶﾀｶﾅ"},
      {kKata, "ｶﾀｶﾅ", "ｶﾀｶﾅ"},
      {kFull, "ｶﾞ", "ガ"},
      {kFull, "ﾊﾟﾊﾞﾊ", "パバハ"},
      {kFull, "ｳﾞ", "ヴ"},
      {kFull, "ﾜﾞｱﾟﾞ", "ワ゛ア゜゛"},
      {kFull, "｡｢｣､･ｰ", "。「」、・ー"},
      {kFull, "abc XYZ 123!~", "ａｂｃ　ＸＹＺ　１２３！～"},
      {kFull, "a\r", "ａ\r"},
      {kHalf, "ガ", "ｶﾞ"},
      {kHalf, "パピプペポヴ", "ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟｳﾞ"},
      {kHalf, "ひらがな", "ﾋﾗｶﾞﾅ"},
      {kHalf, "。「」、・ー゛゜", "｡｢｣､･ｰﾞﾟ"},
      {kHalf, "ａｂｃ　ＸＹＺ　１２３！", "abc XYZ 123!"},
      {kHalf, "ヮヰヱヵヶ漢字", "ヮヰヱヵヶ漢字"},
      {LCMAP_HALFWIDTH, "ひらがなカナ", "ひらがなｶﾅ"},
      {kUpper, "abc", "ABC"},
      {kUpper, "abc\r", "ABC\r"},
      {kUpper, "ａｚαωабяё", "ＡＺΑΩАБЯЁ"},
      {kLower, "ABCＡＺΑΩАБЯЁ", "abcａｚαωабяё"},
      {kUpper, "ｶﾅかな漢字", "ｶﾅかな漢字"},
      {kHira | kFull, "ｶﾞ", "が"},
      {kHira | kFull, "ｱｲｳﾞ", "あいヴ"},
      {kKata | kFull, "ｶﾞか", "ガカ"},
      {kHalf | kUpper, "ａｂｃ", "ABC"},
      {kFull | kLower, "ABC", "ａｂｃ"},
      {kHira | kUpper, "カナabc", "かなABC"},
      {kHalf | kLower, "ＡＢＣガ", "abcｶﾞ"},
      {LCMAP_HALFWIDTH | kHira, "カナ", "かな"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MapUtf8(c.flags, c.in), c.out) << c.in << " flags 0x" << std::hex << c.flags;
}

TEST(LocaleMapping, EmptyTextUnderEveryAcceptedFlagSet) {
  const int kana[] = {0, kHira, kKata};
  const int width[] = {0, LCMAP_HALFWIDTH, kFull};
  const int letter[] = {0, kUpper, kLower};
  for (int k : kana)
    for (int w : width)
      for (int l : letter) {
        int flags = k | w | l;
        if (flags == 0) continue;
        EXPECT_EQ(Map(flags, ""), "") << std::hex << flags;
      }
}

TEST(LocaleMapping, PairsOfOneKindAreRefused) {
  const int refused[] = {kHira | kKata, kHira | kHalf, LCMAP_HALFWIDTH | kFull, kUpper | kLower,
                         kHira | kKata | kUpper, 0, 0x1, 0x1000000};
  for (int flags : refused) {
    EXPECT_FALSE(localemap::FlagsAccepted(flags)) << std::hex << flags;
    EXPECT_EQ(Map(flags, "abc"), "<fail>") << std::hex << flags;
  }
}

TEST(LocaleMapping, SmallOutputBufferFails) {
  char out[4];
  EXPECT_EQ(localemap::MapString(kFull, "ab", -1, out, 4), 0);  // needs 5
  EXPECT_EQ(localemap::MapString(kFull, "a", -1, out, 3), 3);
  EXPECT_EQ(localemap::MapString(kUpper, "abc", 3, out, 3), 3);  // explicit length, no NUL
  EXPECT_EQ(std::string(out, 3), "ABC");
}

// Trail bytes that look like ASCII letters or other characters are only ever
// mapped as part of their whole character.
TEST(LocaleMapping, TrailBytesNeverMappedAlone) {
  const int all[] = {kHira, kKata, kHalf, LCMAP_HALFWIDTH, kFull, kUpper, kLower,
                     kHira | kFull, kHalf | kUpper, kFull | kLower};
  const std::string hyo = "\x95\x5C";  // 表
  for (int flags : all) EXPECT_EQ(Map(flags, hyo), hyo) << std::hex << flags;
  static const Case cases[] = {
      {kUpper, "ヂアソ", "ヂアソ"}, {kLower, "ヂアソ", "ヂアソ"}, {kFull, "ヂアソ", "ヂアソ"},
      {kHira, "ヂアソ", "ぢあそ"},  {kHalf, "ヂアソ", "ﾁﾞｱｿ"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MapUtf8(c.flags, c.in), c.out) << c.in << " flags 0x" << std::hex << c.flags;
}

// A lead byte without a trail byte stays, and so does the byte after it: a
// widened space (81 40) would otherwise pair with the stray lead byte.
TEST(LocaleMapping, StrayLeadBytesKeepTheirNeighbours) {
  EXPECT_EQ(Map(kFull, "\x82 a"), "\x82 \x82\x81");
  EXPECT_EQ(Map(kFull, "a\x82"), "\x82\x81\x82");
  EXPECT_EQ(Map(kHalf, "\x83"), "\x83");
  EXPECT_EQ(Map(kFull, "\x80\xA0\xFD\xFE\xFF"), "\x80\xA0\xFD\xFE\xFF");
}

// Checks the hand-made tables against the Unicode relations, through iconv.
TEST(LocaleMappingTables, KanaFlagsFollowUnicodeKanaBlocks) {
  for (int code = 0x8140; code <= 0x84FF; ++code) {
    std::string c = Char(code);
    char32_t u = CodePoint(c);
    if (!u) continue;
    bool katakana = (u >= 0x30A1 && u <= 0x30F3) || u == 0x30FD || u == 0x30FE;
    bool hiragana = (u >= 0x3041 && u <= 0x3093) || u == 0x309D || u == 0x309E;
    std::string toHira = Map(kHira, c), toKata = Map(kKata, c);
    if (katakana) EXPECT_EQ(CodePoint(toHira), u - 0x60) << std::hex << code;
    else EXPECT_EQ(toHira, c) << std::hex << code;
    if (hiragana) EXPECT_EQ(CodePoint(toKata), u + 0x60) << std::hex << code;
    else EXPECT_EQ(toKata, c) << std::hex << code;
  }
}

TEST(LocaleMappingTables, CaseFlagsFollowUnicodeLetters) {
  for (int code = 0x8140; code <= 0x84FF; ++code) {
    std::string c = Char(code);
    char32_t u = CodePoint(c);
    if (!u) continue;
    char32_t upper = u, lower = u;
    if (u >= 0xFF41 && u <= 0xFF5A) upper = u - 0x20;              // ａ-ｚ
    if (u >= 0xFF21 && u <= 0xFF3A) lower = u + 0x20;              // Ａ-Ｚ
    if (u >= 0x03B1 && u <= 0x03C9 && u != 0x03C2) upper = u - 0x20;  // α-ω
    if (u >= 0x0391 && u <= 0x03A9) lower = u + 0x20;              // Α-Ω
    if (u >= 0x0430 && u <= 0x044F) upper = u - 0x20;              // а-я
    if (u >= 0x0410 && u <= 0x042F) lower = u + 0x20;              // А-Я
    if (u == 0x0451) upper = 0x0401;                               // ё
    if (u == 0x0401) lower = 0x0451;                               // Ё
    EXPECT_EQ(CodePoint(Map(kUpper, c)), upper) << std::hex << code;
    EXPECT_EQ(CodePoint(Map(kLower, c)), lower) << std::hex << code;
  }
}

TEST(LocaleMappingTables, WidthFlagsPairFullWidthAsciiForms) {
  for (int b = 0x20; b <= 0x7E; ++b) {
    std::string full = Map(kFull, Char(b));
    ASSERT_EQ(full.size(), 2u) << b;
    EXPECT_EQ(CodePoint(full), b == 0x20 ? 0x3000u : 0xFF01u + (b - 0x21)) << b;
    EXPECT_EQ(Map(kHalf, full), Char(b)) << b;
  }
}

// Every double-byte character of the code page narrowed once: the full-width
// ASCII forms (and the ideographic space) become the ASCII byte their
// Unicode name pairs them with, ￥ the byte 0x5C, the katakana and kana
// punctuation their half-width bytes; everything else stays. The code
// points come from iconv, not from the tables under test.
TEST(LocaleMappingTables, HalfWidthFollowsUnicodeForEveryCharacter) {
  // Full-width code point -> half-width bytes (voiced kana as base + mark).
  std::map<char32_t, std::string> narrow;
  for (char32_t u = 0xFF01; u <= 0xFF5E; ++u) narrow[u] = Char(static_cast<int>(u - 0xFEE0));
  narrow[0x3000] = " ";
  narrow[0xFFE5] = "\\";
  // U+FF61-FF9F and their full-width forms, in the order of those code points.
  const std::string full = cp932::FromUtf8(
      "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテト"
      "ナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜");
  ASSERT_EQ(full.size(), 126u);
  for (int i = 0; i < 63; ++i) {
    const std::string half = Char(0xA1 + i);
    ASSERT_EQ(CodePoint(half), 0xFF61u + i);
    const char32_t f = CodePoint(full.substr(2 * i, 2));
    narrow[f] = half;
    // Voiced kana follow their base: ｶ-ﾄ and ﾊ-ﾎ take ﾞ (+1), ﾊ-ﾎ also ﾟ (+2).
    const char32_t h = 0xFF61 + i;
    if ((h >= 0xFF76 && h <= 0xFF84) || (h >= 0xFF8A && h <= 0xFF8E)) narrow[f + 1] = half + "\xDE";
    if (h >= 0xFF8A && h <= 0xFF8E) narrow[f + 2] = half + "\xDF";
  }
  narrow[0x30F4] = Char(0xB3) + "\xDE";  // ヴ
  int checked = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead > 0x9F && lead < 0xE0) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const std::string c = Char(lead << 8 | trail);
      const char32_t u = CodePoint(c);
      if (!u) continue;
      auto it = narrow.find(u);
      EXPECT_EQ(Map(LCMAP_HALFWIDTH, c), it == narrow.end() ? c : it->second)
          << std::hex << (lead << 8 | trail) << " U+" << static_cast<uint32_t>(u);
      ++checked;
    }
  }
  EXPECT_GT(checked, 7000);
}

// Each half-width byte 0xA1-0xDF and its full-width form, written out in
// UTF-8 and so independent of the tables under test.
TEST(LocaleMappingTables, WidthFlagsPairHalfWidthKana) {
  const std::string half = cp932::FromUtf8(
      "｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝﾞﾟ");
  const std::string full = cp932::FromUtf8(
      "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテト"
      "ナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜");
  ASSERT_EQ(half.size(), 63u);
  ASSERT_EQ(full.size(), 126u);
  for (int i = 0; i < 63; ++i) {
    ASSERT_EQ(static_cast<unsigned char>(half[i]), 0xA1 + i);
    std::string h = half.substr(i, 1), f = full.substr(2 * i, 2);
    EXPECT_EQ(Map(kFull, h), f) << i;
    EXPECT_EQ(Map(kHalf, f), h) << i;
  }
  // Every voiced and semi-voiced katakana splits and joins again.
  const std::string voiced = cp932::FromUtf8("ガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポヴ");
  for (size_t i = 0; i < voiced.size(); i += 2) {
    std::string v = voiced.substr(i, 2);
    std::string split = Map(kHalf, v);
    ASSERT_EQ(split.size(), 2u) << i;
    EXPECT_TRUE(split[1] == '\xDE' || split[1] == '\xDF') << i;
    EXPECT_EQ(Map(kFull, split), v) << i;
  }
}

}  // namespace
