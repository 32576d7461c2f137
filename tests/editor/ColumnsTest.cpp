// Tab expansion and the mapping between character indexes and display
// columns, across tabs, indents and double-byte characters.
#include "tests/editor/RowsFixture.h"

namespace {

class ColumnsTest : public RowsTest {};

const std::string kA = "\x82\xA0";  // あ
const std::string kFill = "\x0B";

TEST_F(ColumnsTest, TabsRunToTheNextStop) {
  struct Case {
    const char* name;
    int tabSize;
    std::string text, spaces, fill;
  };
  const std::vector<Case> cases = {
      {"one tab", 4, "\t", "    ", kFill + kFill + kFill + "\t"},
      {"tab after two letters", 4, "ab\tc", "ab  c", "ab" + kFill + "\tc"},
      {"tab on a stop takes a whole stop", 4, "abcd\t", "abcd    ", "abcd" + kFill + kFill + kFill + "\t"},
      {"tab one short of a stop", 4, "abc\tx", "abc x", "abc\tx"},
      {"double-byte character counts two cells", 4, kA + "\t", kA + "  ", kA + kFill + "\t"},
      {"two tabs", 3, "\t\t", "      ", kFill + kFill + "\t" + kFill + kFill + "\t"},
      {"no tab", 4, "abc\r", "abc\r", "abc\r"},
      {"tab size 0 acts as 1", 0, "a\tb", "a b", "a\tb"},
      {"negative tab size acts as 1", -3, "\t\t", "  ", "\t\t"},
  };
  for (const Case& c : cases) {
    edit->SetTabSize(c.tabSize);
    EXPECT_EQ(edit->TabExpand(c.text, true), c.spaces) << c.name;
    EXPECT_EQ(edit->TabExpand(c.text, false), c.fill) << c.name;
  }
}

TEST_F(ColumnsTest, ExpansionIsNotBoundedByAFixedBuffer) {
  edit->SetTabSize(8);
  const std::string tabs(20000, '\t');
  EXPECT_EQ(edit->TabExpand(tabs, true), std::string(160000, ' '));
  const std::string fill = edit->TabExpand(tabs, false);
  ASSERT_EQ(fill.size(), 160000u);
  EXPECT_EQ(fill.substr(159992), std::string(7, '\x0B') + "\t");

  const std::string longRow = std::string(100000, 'x') + "\t" + std::string(3, 'y');
  EXPECT_EQ(edit->TabExpand(longRow, true), std::string(100000, 'x') + std::string(8, ' ') + "yyy");
  SetRows({longRow + "\r", ""});
  EXPECT_EQ(edit->DspPos(TPoint(100001, 0)), TPoint(100008, 0));
  EXPECT_EQ(edit->LogicalPos(TPoint(100004, 0)), 100000);
}

// The row "ab<tab>c" with indent 2 shows as two spaces, a, b, a fill byte,
// the tab and c: display length 7.
TEST_F(ColumnsTest, ColumnsAndIndexesMapBothWays) {
  SetRows({"ab\tc", ""}, 2);
  EXPECT_EQ(edit->DisplayString(0), "  ab" + kFill + "\tc");
  struct Case {
    int column, index;
  };
  for (const Case& c : {Case{0, -2}, Case{1, -1}, Case{2, 0}, Case{3, 1}, Case{4, 2}, Case{5, 2}, Case{6, 3},
                        Case{7, 4}, Case{50, 4}, Case{-3, -2}})
    EXPECT_EQ(edit->LogicalPos(TPoint(c.column, 0)), c.index) << c.column;
  for (const Case& c : {Case{2, 0}, Case{4, 2}, Case{6, 3}, Case{7, 4}, Case{7, 99}, Case{2, -1}})
    EXPECT_EQ(edit->DspPos(TPoint(c.index, 0)), TPoint(c.column, 0)) << c.index;

  // The indent does not shift the tab stops.
  SetRows({"\tx", ""}, 3);
  EXPECT_EQ(edit->DisplayString(0), "   " + kFill + kFill + kFill + "\tx");

  // An empty row maps every column to index 0.
  SetRows({"", ""});
  for (int col : {-1, 0, 1, 30}) EXPECT_EQ(edit->LogicalPos(TPoint(col, 0)), 0) << col;
}

TEST_F(ColumnsTest, DoubleByteCharactersTakeTwoColumns) {
  // a, あ, tab (to 4), い, CR
  const std::string row = "a" + kA + "\t" + "\x82\xA2" + "\r";
  SetRows({row, ""});
  EXPECT_EQ(edit->DisplayString(0), "a" + kA + "\t" + "\x82\xA2" + "\r");
  struct Case {
    int column, index;
  };
  // Column 2 is the second byte of あ: it maps to that byte's index.
  for (const Case& c : {Case{0, 0}, Case{1, 1}, Case{2, 2}, Case{3, 3}, Case{4, 4}, Case{5, 5}, Case{6, 6},
                        Case{7, 7}})
    EXPECT_EQ(edit->LogicalPos(TPoint(c.column, 0)), c.index) << c.column;
  EXPECT_EQ(DspColToCharCount("  " + kA + kFill + "\tz", 5, 2), 2);
  EXPECT_EQ(DspColToCharCount("", 5, 0), 0);
}

TEST_F(ColumnsTest, PositionsAreClampedToTheText) {
  SetRows({"abc\r", "x\ty"}, 1);
  EXPECT_EQ(edit->PointAlign(TPoint(-5, -5)), TPoint(0, 0));
  EXPECT_EQ(edit->PointAlign(TPoint(1000, 1000)), TPoint(1 + 5, 1));  // indent, x, 2 cells, y
  EXPECT_EQ(edit->PointAlign(TPoint(1000, 0)), TPoint(5, 0));  // after the CR is allowed
  EXPECT_EQ(edit->PointAlign(TPoint(2, 0)), TPoint(2, 0));
}

TEST_F(ColumnsTest, ColumnsLeaveTheSecondByteOfACharacterByTurns) {
  SetRows({"abcdef" + kA + "gh", ""});  // あ in columns 6 and 7
  EXPECT_EQ(edit->ColAdj(TPoint(7, 0), false), TPoint(8, 0));
  EXPECT_EQ(edit->ColAdj(TPoint(7, 0), false), TPoint(6, 0));
  EXPECT_EQ(edit->ColAdj(TPoint(7, 0), true), TPoint(6, 0));
  EXPECT_EQ(edit->ColAdj(TPoint(7, 0), false), TPoint(8, 0));
  // A lead byte and other bytes stay, and so do positions off the text.
  EXPECT_EQ(edit->ColAdj(TPoint(6, 0), false), TPoint(6, 0));
  EXPECT_EQ(edit->ColAdj(TPoint(30, 0), false), TPoint(30, 0));
  EXPECT_EQ(edit->ColAdj(TPoint(7, 9), false), TPoint(7, 9));
}

// A byte in the lead range pairs only with a valid trail byte: before a CR
// it is a character of its own, and the CR is no trail byte.
TEST_F(ColumnsTest, AStrayLeadByteBeforeCrIsACharacterOfItsOwn) {
  SetRows({"ab\x82\r", "\x82\x82\xA0", ""});
  EXPECT_EQ(edit->ColAdj(TPoint(3, 0), false), TPoint(3, 0));
  EXPECT_FALSE(ColAdjLeft);
  // 0x82 0x82 is a character; the following 0xA0 stands alone.
  EXPECT_EQ(edit->ColAdj(TPoint(1, 1), false), TPoint(2, 1));
  EXPECT_EQ(edit->ColAdj(TPoint(2, 1), false), TPoint(2, 1));
}

}  // namespace
