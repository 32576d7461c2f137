// Readings through MeCab and the installed UTF-8 IPADIC dictionary.
#include <gtest/gtest.h>

#include <string>

#include "engine/ImeReader.h"
#include "tests/common/Cp932Text.h"
#include "tests/common/ScopedValue.h"
#include "tests/platform_reading/BuiltText.h"

namespace {


class MecabReadings : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(ImeReaderOpen(&reader), 0) << "UTF-8 IPADIC missing"; }
  void TearDown() override { ImeReaderClose(&reader); }

  std::string Runs(std::string row) {
    return BuiltText([&](TextBuf* out) { KanjiRunsToReading(&reader, out, row.data()); });
  }
  std::string Line(const std::string& row) {
    return BuiltText([&](TextBuf* out) { LineToReading(&reader, out, row.c_str()); });
  }

  ImeReader reader{};
};

TEST_F(MecabReadings, BothBuildersReadKanjiAsHiraganaAndKeepTheRest) {
  struct Case { const char* row; const char* expected; };
  const Case cases[] = {
      {"漢字を読む", "かんじをよむ"},
      {"人々が集まる\r", "ひとびとがあつまる\r"},
      {"東京 と\t大阪", "とうきょう と\tおおさか"},
      {"  東京　に行く", "  とうきょう　にいく"},
      {"ＡＢＣ１２３の問題", "ＡＢＣ１２３のもんだい"},
      {"珈琲を飲む", "こーひーをのむ"},  // the long vowel mark stays
      {"ｶﾀｶﾅと漢字", "ｶﾀｶﾅとかんじ"},
      {"龠", "龠"},  // unknown to the dictionary: no reading, the surface stays
      {"かなだけ。", "かなだけ。"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Runs(Sjis(c.row)), Sjis(c.expected)) << "runs: " << c.row;
    EXPECT_EQ(Line(Sjis(c.row)), Sjis(c.expected)) << "line: " << c.row;
  }
}

TEST_F(MecabReadings, BytesThatAreNotCodePage932PassThrough) {
  const std::string kanji = Sjis("漢字"), yomu = Sjis("読む");
  struct Case { std::string row, expected; };
  const Case cases[] = {
      {kanji + "\x80" + yomu, Sjis("かんじ") + "\x80" + Sjis("よむ")},
      {kanji + "\xA0\xFD\xFE\xFF", Sjis("かんじ") + "\xA0\xFD\xFE\xFF"},
      {kanji + "\x82 " + yomu, Sjis("かんじ") + "\x82 " + Sjis("よむ")},   // bad trail byte
      {kanji + "\x85\x40" + yomu, Sjis("かんじ") + "\x85\x40" + Sjis("よむ")},  // unassigned code
      {kanji + "\x82", Sjis("かんじ") + "\x82"},                           // lone lead byte
  };
  for (const Case& c : cases) {
    const char* r = ImeReaderGetReading(&reader, c.row.c_str());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(std::string(r), c.expected);
    EXPECT_EQ(Line(c.row), c.expected);
  }
}

TEST(MecabDictionary, MissingOrNonUtf8DictionaryFailsToOpen) {
  EXPECT_EQ(reading::OpenMecabReading(IsKanji, "/nonexistent/ipadic-utf8"), nullptr);
  // The EUC-JP build of IPADIC, when installed, is refused for its charset.
  EXPECT_EQ(reading::OpenMecabReading(IsKanji, "/var/lib/mecab/dic/ipadic"), nullptr);

  const ScopedValue restore(ImeReaderCreateLookup, [] { return reading::OpenMecabReading(IsKanji, "/nonexistent"); });
  ImeReader reader{};
  EXPECT_EQ(ImeReaderOpen(&reader), 0);
  ImeReaderClose(&reader);
}

}  // namespace
