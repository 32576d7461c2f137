#include "engine/MapText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/engine/TestText.h"

using testtext::Sjis;
using testtext::Take;
using testtext::Utf8;

namespace {

std::string Mapped(const std::string& utf8, int flags) {
  std::string r = Take(MapText(Sjis(utf8).c_str(), flags));
  return r == "<null>" ? r : Utf8(r);
}

TEST(MapText, RowsAsTheConversionCommandsSendThem) {
  struct {
    int flags;
    const char* in;
    const char* out;
  } cases[] = {
      {LCMAP_KATAKANA, "ひらがな", "ヒラガナ"},
      {LCMAP_HIRAGANA, "カタカナ", "かたかな"},
      {LCMAP_FULLWIDTH, "ｶﾞ", "ガ"},
      {LCMAP_HALFWIDTH | LCMAP_KATAKANA, "ガ", "ｶﾞ"},
      {LCMAP_UPPERCASE, "abc", "ABC"},
      {LCMAP_UPPERCASE, "abc\r", "ABC\r"},
      {LCMAP_LOWERCASE, "ＡＢＣ漢字\r", "ａｂｃ漢字\r"},
      {0x900000, "ｶﾞｷﾞ", "がぎ"},
      {0x600200, "ｶﾞａｂｃ", "ｶﾞABC"},
      {0x800100, "ｶﾞABC", "ガａｂｃ"},
      {LCMAP_HALFWIDTH | LCMAP_KATAKANA, "\r", "\r"},
  };
  for (const auto& c : cases) EXPECT_EQ(Mapped(c.in, c.flags), c.out) << c.in;
}

TEST(MapText, EmptyRowGivesNewEmptyString) {
  const int flags[] = {LCMAP_HIRAGANA, LCMAP_KATAKANA, 0x600000, LCMAP_FULLWIDTH,
                       LCMAP_UPPERCASE, LCMAP_LOWERCASE};
  for (int f : flags) {
    char* r = MapText("", f);
    ASSERT_NE(r, nullptr) << std::hex << f;
    EXPECT_STREQ(r, "");
    std::free(r);
  }
}

TEST(MapText, RefusedFlagsGiveNull) {
  EXPECT_EQ(MapText("abc", LCMAP_HIRAGANA | LCMAP_KATAKANA), nullptr);
  EXPECT_EQ(MapText("abc", LCMAP_HIRAGANA | 0x600000), nullptr);  // settings items 2 and 4
  EXPECT_EQ(MapText("abc", LCMAP_HALFWIDTH | LCMAP_FULLWIDTH), nullptr);
  EXPECT_EQ(MapText("abc", LCMAP_UPPERCASE | LCMAP_LOWERCASE), nullptr);
}

// The result is allocated to its exact length; widening a long row of
// half-width text doubles it.
TEST(MapText, WorstGrowthFitsTheBuffer) {
  std::string row(5000, 'a');
  row += std::string(5000, '\xB6');  // ｶ
  char* r = MapText(row.c_str(), LCMAP_FULLWIDTH);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(std::strlen(r), 2 * row.size());
  std::free(r);
}

}  // namespace
