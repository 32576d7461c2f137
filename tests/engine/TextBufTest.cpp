#include "engine/TextBuf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "tests/engine/TestText.h"

using testtext::Sjis;

namespace {

TEST(TextBuf, ReserveGrowsZeroFilledAndKeepsContent) {
  TextBuf b;
  TextBufInit(&b);
  EXPECT_EQ(TextBufGet(&b), nullptr);
  EXPECT_EQ(b.Size, 0);

  char* p = TextBufReserve(&b, 4);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(b.Size, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(p[i], 0);
  std::memcpy(p, "abcd", 4);

  EXPECT_EQ(TextBufReserve(&b, 3), p);  // no larger than Size: unchanged
  EXPECT_EQ(TextBufReserve(&b, 4), p);
  EXPECT_EQ(b.Size, 4);

  p = TextBufReserve(&b, 100);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(b.Size, 100);
  EXPECT_EQ(std::string(p, 4), "abcd");
  for (int i = 4; i < 100; ++i) EXPECT_EQ(p[i], 0) << i;

  TextBufFree(&b);
  EXPECT_EQ(TextBufGet(&b), nullptr);
  EXPECT_EQ(b.Size, 0);
  TextBufFree(&b);  // twice is harmless
}

TEST(TextBuf, AssignCopiesWithTerminator) {
  TextBuf b;
  TextBufInit(&b);
  EXPECT_STREQ(TextBufAssign(&b, "abc"), "abc");
  EXPECT_EQ(b.Size, 4);
  EXPECT_STREQ(TextBufAssign(&b, "x"), "x");  // shorter: same block
  EXPECT_EQ(b.Size, 4);
  EXPECT_STREQ(TextBufAssign(&b, ""), "");
  TextBufFree(&b);
}

TEST(TextBuf, NullRecordIsIgnored) {
  TextBufInit(nullptr);
  TextBufFree(nullptr);
  EXPECT_EQ(TextBufGet(nullptr), nullptr);
  EXPECT_EQ(TextBufReserve(nullptr, 10), nullptr);
  EXPECT_EQ(TextBufAssign(nullptr, "a"), nullptr);
}

TEST(KanjiScan, KanjiCodeRanges) {
  struct {
    const char* bytes;
    bool kanji;
  } cases[] = {
      {"\x88\x9F", true},   // 亜, first of level 1
      {"\x98\x72", true},   // 腕, last of level 1
      {"\x98\x73", false},  {"\x98\x9E", false},
      {"\x98\x9F", true},   // 弌, first of level 2
      {"\xEA\x9E", true},   // 龠, last of level 2
      {"\xEA\x9F", false},  // 堯
      {"\xEA\xA4", false},  // 熙
      {"\x81\x58", true},   // 々
      {"\x82\xA0", false},  // あ
      {"\x83\x41", false},  // ア
      {"\x81\x42", false},  // 。
      {"\x88", false},      // lead byte before the terminator
      {"", false},
      {"ab", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsKanji(c.bytes), c.kanji) << testtext::Utf8(c.bytes);
}

// Exact-size heap copy so that a read past the terminator is caught.
struct Text {
  explicit Text(const std::string& s) : data(new char[s.size() + 1]) {
    std::memcpy(data.get(), s.c_str(), s.size() + 1);
  }
  char* get() { return data.get(); }
  std::unique_ptr<char[]> data;
};

TEST(KanjiScan, SkipToKanjiStopsAtKanjiOrTerminator) {
  struct {
    std::string text;
    size_t stop;
  } cases[] = {
      {Sjis("かな漢字"), 4},
      {Sjis("かなABC"), 7},
      {"", 0},
      {Sjis("ア") + Sjis("漢"), 2},
      {"\x83\x88\x9F", 3},  // ヨ (83 88) then a lone 9F: its 88 9F is not 亜
      {"a\x88", 2},                  // lone lead byte: stepped over onto the NUL
      {Sjis("々人"), 0},
  };
  for (auto& c : cases) {
    Text t(c.text);
    EXPECT_EQ(SkipToKanji(t.get()) - t.get(), static_cast<long>(c.stop)) << testtext::Utf8(c.text);
  }
}

TEST(KanjiScan, SkipKanjiRunStopsAfterRun) {
  struct {
    std::string text;
    size_t stop;
  } cases[] = {
      {Sjis("漢字かな"), 4},
      {Sjis("々人"), 4},
      {Sjis("かな"), 0},
      {"", 0},
      {Sjis("漢") + "\x88", 2},  // lone lead byte at the end is no kanji
  };
  for (auto& c : cases) {
    Text t(c.text);
    EXPECT_EQ(SkipKanjiRun(t.get()) - t.get(), static_cast<long>(c.stop)) << testtext::Utf8(c.text);
  }
}

}  // namespace
