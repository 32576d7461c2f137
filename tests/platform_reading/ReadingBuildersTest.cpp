// The reader record and both reading builders, driven by a stub lookup whose
// answers and questions the tests see.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/ImeReader.h"
#include "platform/text/Cp932.h"
#include "tests/common/Cp932Text.h"
#include "tests/common/ScopedValue.h"
#include "tests/platform_reading/BuiltText.h"

namespace {


class StubLookup final : public reading::ReadingLookup {
 public:
  std::map<std::string, std::string> readings;  // code page 932 text -> reading
  std::vector<std::string> asked;
  bool released = false;

  int32_t GetPhonetic(std::string_view text, std::string_view& reading) override {
    asked.emplace_back(text);
    auto it = readings.find(std::string(text));
    if (it == readings.end()) return reading::kNoReading;
    // An empty answer carries no bytes at all, as a lookup may give it.
    reading = it->second.empty() ? std::string_view() : std::string_view(it->second);
    return reading::kOk;
  }
  void Release() override { released = true; }
};

StubLookup* gStub = nullptr;

class ReadingBuilders : public ::testing::Test {
 protected:
  void SetUp() override {
    gStub = &stub;
    ImeReaderCreateLookup = [] { return static_cast<reading::ReadingLookup*>(gStub); };
    ASSERT_NE(ImeReaderOpen(&reader), 0);
  }
  void TearDown() override {
    ImeReaderClose(&reader);
    ImeReaderCreateLookup = savedCreate;
    ImeReaderRealloc = savedRealloc;
  }

  // The stub answers pairs of UTF-8 text and reading.
  void Answer(std::initializer_list<std::pair<const char*, const char*>> pairs) {
    for (auto& [text, reading] : pairs) stub.readings[Sjis(text)] = Sjis(reading);
  }
  std::string Runs(std::string row) {
    return BuiltText([&](TextBuf* out) { KanjiRunsToReading(&reader, out, row.data()); });
  }
  std::string Line(const std::string& row) {
    return BuiltText([&](TextBuf* out) { LineToReading(&reader, out, row.c_str()); });
  }
  static std::vector<std::string> Asked(const std::vector<const char*>& texts) {
    std::vector<std::string> v;
    for (const char* t : texts) v.push_back(Sjis(t));
    return v;
  }

  StubLookup stub;
  ImeReader reader{};
  decltype(ImeReaderCreateLookup) savedCreate = ImeReaderCreateLookup;
  decltype(ImeReaderRealloc) savedRealloc = ImeReaderRealloc;
};

TEST_F(ReadingBuilders, RunsAreReadWithTheirTailAndTheTailAlone) {
  Answer({{"漢字を", "かんじを"}, {"を", "を"}, {"読む", "よむ"}, {"む", "む"},
          {"人々が", "ひとびとが"}, {"が", "が"}, {"山", "やま"}});
  struct Case { const char* row; const char* expected; std::vector<const char*> asked; };
  const Case cases[] = {
      {"漢字を読む", "かんじをよむ", {"漢字を", "を", "読む", "む"}},
      {"これは漢字を", "これはかんじを", {"漢字を", "を"}},
      {"人々が", "ひとびとが", {"人々が", "が"}},
      // A run at the end has an empty tail, which is not asked for.
      {"山", "やま", {"山"}},
      {"かなABC", "かなABC", {}},
      {"", "", {}},
  };
  for (const Case& c : cases) {
    stub.asked.clear();
    EXPECT_EQ(Runs(Sjis(c.row)), Sjis(c.expected)) << c.row;
    EXPECT_EQ(stub.asked, Asked(c.asked)) << c.row;
  }
}

TEST_F(ReadingBuilders, RunIsKeptWhenItsReadingCannotBeCut) {
  Answer({
      {"漢x", "かんx"}, {"x", "xy"},          // a cut of 3 bytes would split ん
      {"字を", "を"},                          // nothing left for the run
      {"語です", "ご"}, {"です", "です"},      // tail read longer than run and tail
      {"本が", ""},                            // an empty reading is no reading
  });
  // A lone lead byte at the end is tail text.
  stub.readings[Sjis("川") + "\x82"] = Sjis("かわ") + "\x82";
  stub.readings["\x82"] = "\x82";
  struct Case { std::string row, expected; };
  const Case cases[] = {
      {Sjis("漢x"), Sjis("漢x")},
      {Sjis("字を"), Sjis("字を")},
      {Sjis("語です"), Sjis("語です")},
      {Sjis("本が"), Sjis("本が")},
      {Sjis("川") + "\x82", Sjis("かわ") + "\x82"},
      {Sjis("海の"), Sjis("海の")},  // the lookup gives nothing at all
  };
  for (const Case& c : cases) EXPECT_EQ(Runs(c.row), c.expected) << cp932::ToUtf8(c.row);
}

TEST_F(ReadingBuilders, WholeRowIsAskedForAndKeepsItsCr) {
  Answer({{"漢字を読む", "かんじをよむ"}, {"漢字\r", "かんじ"}, {"山\r", "やま\r"},
          {"本", ""}, {"かな", "かな"}});
  struct Case { std::string row, expected; };
  const Case cases[] = {
      {Sjis("漢字を読む"), Sjis("かんじをよむ")},
      {Sjis("漢字\r"), Sjis("かんじ\r")},  // the lookup dropped the CR
      {Sjis("山\r"), Sjis("やま\r")},      // and here kept it: not doubled
      {Sjis("本"), Sjis("本")},            // empty reading: the row stands
      {Sjis("海"), Sjis("海")},            // no reading: the row stands
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Line(c.row), c.expected) << cp932::ToUtf8(c.row);

  stub.asked.clear();
  EXPECT_EQ(Line(Sjis("かな")), Sjis("かな"));
  EXPECT_EQ(stub.asked, Asked({"かな"}));  // a row without kanji is still asked for
}

TEST_F(ReadingBuilders, ReadingBufferGrowsOnlyWhenNeededAndSurvivesFailedGrowth) {
  Answer({{"短", "ab"}, {"長", "abcdefghijklmnop"}});
  char* r = ImeReaderGetReading(&reader, Sjis("長").c_str());
  ASSERT_NE(r, nullptr);
  EXPECT_STREQ(r, "abcdefghijklmnop");
  EXPECT_EQ(reader.BufferSize, 17);
  EXPECT_STREQ(ImeReaderGetReading(&reader, Sjis("短").c_str()), "ab");
  EXPECT_EQ(reader.BufferSize, 17);  // never shrinks
  EXPECT_EQ(reader.LastResult, reading::kOk);
  EXPECT_EQ(ImeReaderGetReading(&reader, Sjis("無").c_str()), nullptr);
  EXPECT_EQ(reader.LastResult, reading::kNoReading);

  // A failed growth keeps the old block, its size and its text.
  stub.readings[Sjis("巨")] = std::string(100, 'z');
  char* before = reader.Buffer;
  ImeReaderRealloc = [](void*, size_t) -> void* { return nullptr; };
  EXPECT_EQ(ImeReaderGetReading(&reader, Sjis("巨").c_str()), nullptr);
  EXPECT_EQ(reader.Buffer, before);
  EXPECT_EQ(reader.BufferSize, 17);
  EXPECT_STREQ(ImeReaderGetReading(&reader, Sjis("長").c_str()), "abcdefghijklmnop");
  // The builders fall back to the text itself.
  EXPECT_EQ(Line(Sjis("巨")), Sjis("巨"));
}

TEST_F(ReadingBuilders, AnEmptyReadingOfAnEmptyTextIsEmpty) {
  stub.readings[""] = "";
  const char* r = ImeReaderGetReading(&reader, "");
  ASSERT_NE(r, nullptr);
  EXPECT_STREQ(r, "");
  EXPECT_EQ(Line(""), "");
  // A non-empty text with an empty answer has no reading.
  stub.readings["abc"] = "";
  EXPECT_EQ(ImeReaderGetReading(&reader, "abc"), nullptr);
  EXPECT_EQ(Line("abc"), "abc");
}

TEST(ImeReaderLifecycle, FailedOpenAndRepeatedCloseAreHarmless) {
  const ScopedValue restore(ImeReaderCreateLookup, [] { return static_cast<reading::ReadingLookup*>(nullptr); });
  ImeReader reader{};
  EXPECT_EQ(ImeReaderOpen(&reader), 0);
  EXPECT_EQ(reader.Language, nullptr);
  EXPECT_NE(reader.LastResult, reading::kOk);
  EXPECT_EQ(ImeReaderGetReading(&reader, "abc"), nullptr);
  ImeReaderClose(&reader);
  ImeReaderClose(&reader);
  ImeReaderClose(nullptr);
  EXPECT_EQ(ImeReaderOpen(nullptr), 0);

  StubLookup stub;
  gStub = &stub;
  ImeReaderCreateLookup = [] { return static_cast<reading::ReadingLookup*>(gStub); };
  ASSERT_NE(ImeReaderOpen(&reader), 0);
  ImeReaderClose(&reader);
  EXPECT_TRUE(stub.released);
  EXPECT_EQ(reader.Language, nullptr);
  EXPECT_EQ(reader.Buffer, nullptr);
}

}  // namespace
