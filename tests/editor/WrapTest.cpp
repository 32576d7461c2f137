// Wrapping under the line-break rules, refolding, and typed text.
#include <chrono>
#include <random>

#include "tests/editor/RowsFixture.h"

namespace {

class WrapTest : public RowsTest {
 protected:
  void SetUp() override {
    RowsTest::SetUp();
    edit->SetOptions(TAFEditOptions());
  }
  void Options(const std::vector<TAFEditOption>& on) {
    TAFEditOptions opts;
    for (TAFEditOption o : on) opts << o;
    edit->SetOptions(opts);
  }
};

// Full-width characters used below (code page 932).
const std::string kA = "\x82\xA0";      // あ
const std::string kI = "\x82\xA2";      // い
const std::string kU = "\x82\xA4";      // う
const std::string kE = "\x82\xA6";      // え
const std::string kO = "\x82\xA8";      // お
const std::string kKa = "\x82\xA9";     // か
const std::string kKi = "\x82\xAB";     // き
const std::string kComma = "\x81\x41";  // 、
const std::string kOpen = "\x81\x75";   // 「

TEST_F(WrapTest, WordBreakUnderTheRules) {
  struct Case {
    const char* name;
    std::vector<TAFEditOption> options;
    std::string text;
    int pos, min, expected;
  };
  const std::vector<Case> cases = {
      {"no rules: the proposed column", {}, "abcdefghijkl", 10, 1, 10},
      {"at or past the end", {aoWordWrap}, "abcdefghij", 10, 1, 10},
      {"at the minimum", {aoWordWrap}, "abcdefghijkl", 2, 2, 2},
      {"on a second byte: before its character", {}, "aaaaaaaaa" + kA + "b", 10, 1, 9},
      {"banned head pushed past", {aoJpnBanBreak}, kA + kI + kU + kE + kO + kComma + kKa + kKi, 10, 1, 12},
      {"CR pushed past", {aoJpnBanBreak}, "abcdefghij\rxyz", 10, 1, 12},
      {"banned end: the bracket starts the next row", {aoJpnBanBreak}, "abcdefgh" + kOpen + "ijk", 10, 1, 8},
      {"word: back to its start", {aoWordWrap}, "hello world wide", 9, 1, 6},
      {"long word: eleven steps at most", {aoWordWrap}, "abcdefghijklmnopqrstuvwxyz", 20, 1, 9},
      // ィ (0x83 0x42) is in BanHead; its second byte is the letter B,
      // which alone is no banned character.
      {"sets match characters, not bytes", {aoJpnBanBreak}, "aaaaaaaaaa" "Bccc", 10, 1, 10},
      {"a banned character is found whole", {aoJpnBanBreak}, "aaaaaaaaaa\x83\x42" "cc", 10, 1, 12},
  };
  for (const Case& c : cases) {
    Options(c.options);
    ResetShared();
    EXPECT_EQ(edit->WordBreak(c.text, c.pos, c.min), c.expected) << c.name;
  }
}

TEST_F(WrapTest, WordBreakCountersAreSharedAndLimitTheMoves) {
  Options({aoJpnBanBreak});
  // A chain that runs off the end of the text leaves its count standing.
  EXPECT_EQ(edit->WordBreak("abcdefghij\r", 10, 1), 12);
  EXPECT_EQ(WrapTrailCount, 2);
  // Four commas after the wrap column: three pushes (2, 4, 6 bytes), then
  // the break is pulled back to before the first comma's character.
  ResetShared();
  const std::string s = kA + kI + kU + kE + kO + kComma + kComma + kComma + kComma + kKa + kKi;
  EXPECT_EQ(edit->WordBreak(s, 10, 1), 8);
  EXPECT_EQ(WrapTrailCount, 0);
  EXPECT_EQ(WrapLeadCount, 0);

  // A handler replaces the rules and sees the display form.
  std::string seen;
  edit->OnWordBreak = [&](TObject*, AnsiString line, int& pos) {
    seen = line;
    pos -= 3;
  };
  EXPECT_EQ(edit->WordBreak("abcdefghijkl", 10, 1), 7);
  EXPECT_EQ(seen, "abcdefghijkl");
}

struct FoldCase {
  const char* name;
  std::vector<TAFEditOption> options;
  int wrap;
  Rows before;
  int row;
  Rows after;
};

TEST_F(WrapTest, RefoldingCutsParagraphsAtTheWrapColumn) {
  const std::string jp = kA + kI + kU + kE + kO;
  const std::vector<FoldCase> cases = {
      {"ten characters and the CR alone", {aoAutoFormat}, 10, {"abcdefghij\r", ""}, 0,
       {"abcdefghij", "\r", ""}},
      {"the CR stays under the rules", {aoAutoFormat, aoJpnBanBreak}, 10, {"abcdefghij\r", ""}, 0,
       {"abcdefghij\r", ""}},
      {"last paragraph gets its empty row", {aoAutoFormat}, 10, {"abc\r"}, 0, {"abc\r", ""}},
      {"long row cut into pieces", {aoAutoFormat}, 4, {"abcdefghij\r", ""}, 0,
       {"abcd", "efgh", "ij\r", ""}},
      {"full-width comma kept on the row", {aoAutoFormat, aoJpnBanBreak}, 10, {jp + kComma + kKa + kKi + "\r", ""}, 0,
       {jp + kComma, kKa + kKi + "\r", ""}},
      {"opening bracket goes down", {aoAutoFormat, aoJpnBanBreak}, 10, {"abcdefgh" + kOpen + "ijk\r", ""}, 0,
       {"abcdefgh", kOpen + "ijk\r", ""}},
      {"words are not split", {aoAutoFormat, aoWordWrap}, 10, {"hello world wide\r", ""}, 0,
       {"hello ", "world wide", "\r", ""}},
      {"text pulled up from the next row", {aoAutoFormat}, 10, {"abcdefgh", "klm\r", ""}, 0,
       {"abcdefghkl", "m\r", ""}},
      {"whole next rows pulled up, empty soft rows go", {aoAutoFormat}, 10, {"ab", "", "cd\r", ""}, 0,
       {"abcd\r", ""}},
      {"text pushed down through a paragraph", {aoAutoFormat}, 5, {"Xabcde", "fghij", "k\r", ""}, 0,
       {"Xabcd", "efghi", "jk\r", ""}},
      {"without auto format only at a CR", {}, 10, {"abcdefghijklmn\rxyz\r", ""}, 0,
       {"abcdefghijklmn\r", "xyz\r", ""}},
      {"an empty last row stays", {aoAutoFormat}, 10, {"a\r", ""}, 1, {"a\r", ""}},
      {"a tab is not cut off its fill", {aoAutoFormat}, 6, {"abcd\tef\r", ""}, 0, {"abcd", "\tef", "\r", ""}},
  };
  for (const FoldCase& c : cases) {
    Options(c.options);
    SetRows(c.before, 0, c.wrap);
    ResetShared();
    edit->FoldLine(c.row);
    EXPECT_EQ(Show(GetRows()), Show(c.after)) << c.name;
  }
}

TEST_F(WrapTest, RefoldingCarriesTheCaretAndIsUndoneWithTheEdit) {
  Options({aoAutoFormat});
  SetRows({"abcdefghij", "klm\r", ""}, 0, 10);
  edit->FCaret = TPoint(0, 0);
  edit->FInsertMode = true;
  edit->KeyInput("X");
  EXPECT_EQ(GetRows(), (Rows{"Xabcdefghi", "jklm\r", ""}));
  edit->Undo();
  EXPECT_EQ(GetRows(), (Rows{"abcdefghij", "klm\r", ""}));

  // A caret behind the cut goes down with its character.
  SetRows({"abcdefghij", "klm\r", ""}, 0, 10);
  edit->SetLine(0, "Xabcdefghij");
  edit->FCaret = TPoint(10, 0);  // on j
  edit->FoldLine(0);
  EXPECT_EQ(GetRows(), (Rows{"Xabcdefghi", "jklm\r", ""}));
  EXPECT_EQ(edit->FCaret, TPoint(0, 1));
}

// Every cut of a refold leaves at least one character on its row and falls
// on a character boundary, whatever the wrap column, indent and tab size.
TEST_F(WrapTest, RefoldEndsOnHostileWrapColumns) {
  const std::string text = kA + "ab\t" + kComma + "cdefgh" + kI + kOpen + "ij" + kU + "  word" + kE + "\x81\x40" +
                           "xyz" + kO + "\t\t" + kKa + "longwordlongword" + kKi + "e";
  // Character starts of the text.
  std::vector<bool> starts(text.size() + 1, false);
  for (size_t i = 0; i < text.size(); i += static_cast<size_t>(Cp932CharLen(text, static_cast<int>(i))))
    starts[i] = true;
  starts[text.size()] = true;

  const std::vector<std::vector<TAFEditOption>> optionSets = {
      {aoAutoFormat}, {aoAutoFormat, aoJpnBanBreak}, {aoAutoFormat, aoWordWrap},
      {aoAutoFormat, aoJpnBanBreak, aoWordWrap}};
  for (const auto& options : optionSets)
    for (int wrap : {-5, 0, 1, 2, 3, 4, 5, 7, 11})
      for (int indent : {0, 1, 3, 9})
        for (int tabSize : {1, 4, 13}) {
          Options(options);
          edit->SetTabSize(tabSize);
          SetRows({text + "\r", ""}, indent, wrap);
          ResetShared();
          edit->FoldLine(0);
          const Rows rows = GetRows();
          const std::string what = "wrap " + std::to_string(wrap) + " indent " + std::to_string(indent) +
                                   " tab " + std::to_string(tabSize) + " " + Show(rows);
          ASSERT_EQ(Joined(), text + "\r") << what;
          size_t at = 0;
          for (size_t r = 0; r + 1 < rows.size(); ++r) {
            ASSERT_FALSE(rows[r].empty()) << what;
            at += rows[r].size();
            ASSERT_TRUE(starts[Min(static_cast<int>(at), static_cast<int>(text.size()))]) << what;
          }
          ASSERT_EQ(rows.back(), "") << what;
          edit->Undo();
          ASSERT_EQ(GetRows(), (Rows{text + "\r", ""})) << what;
        }
}

// Event handlers see every intermediate row of a refold, so with a handler
// assigned the rows are written one step at a time; the result is the same.
TEST_F(WrapTest, RefoldGivesTheSameRowsWithOrWithoutHandlers) {
  const std::string long1 = kA + "abc def" + kComma + "ghijklmnop\tq" + kOpen + "rs" + kI + "tuvwxyz" + kU;
  const std::vector<Rows> texts = {
      {long1 + long1 + long1 + "\r", ""},
      {"x", long1, "y" + long1 + "\r", "z\r", ""},
      {long1 + "\r" + long1, ""},
      {long1 + long1},
  };
  for (const Rows& text : texts)
    for (int wrap : {1, 6, 13}) {
      Options({aoAutoFormat, aoJpnBanBreak, aoWordWrap});
      edit->OnLineInsert = nullptr;
      SetRows(text, 2, wrap);
      ResetShared();
      edit->FoldLine(0);
      const Rows plain = GetRows();
      int inserts = 0;
      edit->OnLineInsert = [&](TObject*, int, AnsiString&) { ++inserts; };
      SetRows(text, 2, wrap);
      ResetShared();
      edit->FoldLine(0);
      EXPECT_EQ(Show(GetRows()), Show(plain)) << wrap;
    }
}

// Column attributes travel with their characters through a refold.
TEST_F(WrapTest, ColumnAttributesFollowTheRefold) {
  Options({aoAutoFormat});
  SetRows({"abcdefghij", "klm\r", ""}, 0, 10);
  TColAttrListItem* j = edit->GetColAttrs(0)->GetItem(9);
  j->HasAttr = 1;
  j->Color = clRed;
  edit->FCaret = TPoint(0, 0);
  edit->KeyInput("X");
  ASSERT_EQ(GetRows(), (Rows{"Xabcdefghi", "jklm\r", ""}));
  ASSERT_NE(edit->GetLinesAttr(1)->ColAttrs, nullptr);
  EXPECT_EQ(edit->GetLinesAttr(1)->ColAttrs->GetItem(0)->HasAttr, 1);
  EXPECT_EQ(edit->GetLinesAttr(1)->ColAttrs->GetItem(0)->Color, clRed);
  EXPECT_EQ(edit->GetLinesAttr(0)->ColAttrs->Count(), 10);
}

TEST_F(WrapTest, TypingIntoALongParagraphStaysLinear) {
  Options({aoAutoFormat, aoJpnBanBreak, aoWordWrap});
  // About 600 KB of mixed text in one paragraph, typed into the last row.
  std::string paragraph;
  std::mt19937 rng(7);
  const std::vector<std::string> pieces = {kA, kI, kComma, "word ", kOpen, kKa, "\t", "abc", kKi + kO};
  while (paragraph.size() < 600000) paragraph += pieces[rng() % pieces.size()];
  SetRows({"first\r", ""}, 0, 60);
  edit->FCaret = TPoint(0, 1);
  const auto begin = std::chrono::steady_clock::now();
  edit->KeyInput(paragraph + "\r");
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  EXPECT_LT(seconds, 20.0);
  EXPECT_EQ(Joined(), "first\r" + paragraph + "\r");
  EXPECT_GT(edit->GetLinesCount(), 9000);
  for (int r = 1; r < edit->GetLinesCount() - 1; ++r)
    ASSERT_LE(static_cast<int>(edit->TabExpand(edit->GetLine(r), false).size()), 60 + 8) << r;
  // Undo records hold each row's text a bounded number of times.
  EXPECT_LT(UndoTextBytes(), 4 * paragraph.size());
  edit->Undo();
  EXPECT_EQ(GetRows(), (Rows{"first\r", ""}));
}

TEST_F(WrapTest, TypedTextIsInsertedOrOverwritten) {
  struct Case {
    const char* name;
    bool insert;
    std::string row;
    int column;
    std::string typed;
    Rows after;
  };
  const std::vector<Case> cases = {
      {"insert in the middle", true, "abcd\r", 2, "XY", {"abXYcd\r", ""}},
      {"CR splits the row", true, "abcd\r", 2, "\r", {"ab\r", "cd\r", ""}},
      {"control bytes dropped", true, "ab\r", 1, "x\x01y\x1Bz", {"axyzb\r", ""}},
      {"typed at the end of the last paragraph", true, "ab\r", 2, "\r", {"ab\r", "\r", ""}},
      {"overwrite in place", false, "abcd\r", 1, "XY", {"aXYd\r", ""}},
      {"overwrite a character whole", false, "a" + kA + "b\r", 1, kI, {"a" + kI + "b\r", ""}},
      {"overwrite half a character", false, "a" + kA + "b\r", 1, "X", {"aX b\r", ""}},
      {"overwrite keeps the CR", false, "abc\r", 2, "XYZ", {"abXYZ\r", ""}},
      {"overwrite at the CR", false, "abc\r", 3, "X", {"abcX\r", ""}},
      // A stray lead byte before the CR is a character of its own: overwriting
      // it must not take the line end with it.
      {"stray lead byte before CR", false, "ab\x82\rcd", 2, "X", {"abX\r", "cd"}},
  };
  for (const Case& c : cases) {
    Options({});
    SetRows({c.row, ""});
    if (c.row.back() != '\r') SetRows({c.row});
    edit->FInsertMode = c.insert;
    edit->FCaret = TPoint(c.column, 0);
    edit->KeyInput(c.typed);
    EXPECT_EQ(Show(GetRows()), Show(c.after)) << c.name;
  }
}

TEST_F(WrapTest, CaretFollowsTypedTextAcrossTheCut) {
  struct Case {
    const char* name;
    Rows rows;
    TPoint caret;
    std::string typed;
    Rows after;
    TPoint caretAfter;
  };
  const std::vector<Case> cases = {
      {"within the row", {"abcdefghij", "klm\r", ""}, {0, 0}, "X", {"Xabcdefghi", "jklm\r", ""}, {1, 0}},
      {"over the cut", {"abcdefghi\r", ""}, {9, 0}, "XY", {"abcdefghiX", "Y\r", ""}, {1, 1}},
      {"a double-byte character is one step", {"ab\r", ""}, {1, 0}, kA + kI, {"a" + kA + kI + "b\r", ""}, {5, 0}},
      {"a CR takes the caret to the next row", {"abcd\r", ""}, {2, 0}, "\r", {"ab\r", "cd\r", ""}, {0, 1}},
  };
  for (const Case& c : cases) {
    Options({aoAutoFormat});
    SetRows(c.rows, 0, 10);
    edit->FCaret = c.caret;
    edit->KeyInput(c.typed);
    EXPECT_EQ(Show(GetRows()), Show(c.after)) << c.name;
    EXPECT_EQ(edit->FCaret, c.caretAfter) << c.name;
  }
}

TEST_F(WrapTest, TypedTextAtRowEdgesAndBelowTheText) {
  // At the first character of a continuation row the text joins the row above.
  Options({});
  SetRows({"abcde", "fgh\r", ""});
  edit->FCaret = TPoint(0, 1);
  edit->KeyInput("X");
  EXPECT_EQ(GetRows(), (Rows{"abcdeXfgh\r", ""}));

  // With the free caret two rows below the text.
  Options({aoFreeCaret});
  SetRows({"ab"});
  edit->FCaret = TPoint(0, 2);
  edit->KeyInput("X");
  EXPECT_EQ(GetRows(), (Rows{"ab\r", "\r", "X"}));
  EXPECT_TRUE(edit->GetOptions().Contains(aoFreeCaret));

  // Past the end of a row the gap is filled with spaces.
  SetRows({"ab"});
  edit->FCaret = TPoint(5, 0);
  edit->KeyInput("X");
  EXPECT_EQ(GetRows(), (Rows{"ab   X"}));

  // In the indent the text goes to the row's start.
  Options({});
  SetRows({"ab\r", ""}, 4);
  edit->FCaret = TPoint(1, 0);
  edit->KeyInput("X");
  EXPECT_EQ(GetRows(), (Rows{"Xab\r", ""}));

  // One undo step removes the typed text and its refold.
  Options({aoAutoFormat});
  SetRows({"abcdefghi\r", ""}, 0, 10);
  edit->FCaret = TPoint(3, 0);
  edit->KeyInput("XYZ");
  EXPECT_EQ(GetRows(), (Rows{"abcXYZdefg", "hi\r", ""}));
  edit->Undo();
  EXPECT_EQ(GetRows(), (Rows{"abcdefghi\r", ""}));
}

}  // namespace
