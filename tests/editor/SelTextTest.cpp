// Selection text, deletion, copy and cut of the editor control.
#include <functional>
#include <utility>

#include "tests/editor/ClipEditFixture.h"

namespace {

using RowList = std::vector<std::string>;

class SelTextTest : public ClipEditTest {};

TEST_F(SelTextTest, CopyOfAllRowsPutsLinesWithCrLf) {
  struct Case {
    const char* name;
    RowList rows;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"ends with the empty row", {"a\r", "b\r", ""}, "a\r\nb\r\n"},
      {"last row without CR", {"a\r", "b\r", "c"}, "a\r\nb\r\nc"},
      {"trailing blanks trimmed", {"a\r", "b\r", "c  "}, "a\r\nb\r\nc"},
      {"soft rows joined", {"abc", "def\r", ""}, "abcdef\r\n"},
      {"blank line kept", {"a\r", "\r", "b\r", ""}, "a\r\n\r\nb\r\n"},
      {"one empty row", {""}, ""},
  };
  for (const Case& c : cases) {
    SetRows(c.rows);
    SelectRows(0, edit->GetLinesCount() - 1);
    edit->SelectAreaCopy(false);
    EXPECT_EQ(ClipboardBytes(), c.expected) << c.name;
    EXPECT_EQ(edit->GetSelText(), c.expected) << c.name;
  }
}

TEST_F(SelTextTest, WholeTextBytesAreExact) {
  SetRows({"a\r", "b\r", ""});
  SelectRows(0, 2);
  edit->SelectAreaCopy(false);
  const std::string bytes = ClipboardBytes();
  const std::vector<int> expected = {0x61, 0x0D, 0x0A, 0x62, 0x0D, 0x0A};
  ASSERT_EQ(bytes.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(static_cast<unsigned char>(bytes[i]), expected[i]) << i;
}

// A point selection over rows and the text it gives.
struct PointCase {
  const char* name;
  RowList rows;
  TPoint start, end;
  std::string expected;
};

TEST_F(SelTextTest, PointSelectionText) {
  const std::vector<PointCase> cases = {
      {"inside one row", {"abcdef\r", ""}, {1, 0}, {4, 0}, "bcd"},
      {"to column 0 of the next row includes the CR", {"ab\r", "cd\r", ""}, {1, 0}, {0, 1}, "b\r\n"},
      {"past the CR cell", {"ab\r", ""}, {0, 0}, {3, 0}, "ab\r\n"},
      {"across rows", {"ab\r", "cd\r", "ef\r"}, {1, 0}, {1, 2}, "b\r\ncd\r\ne"},
      {"selected backwards", {"abcdef\r"}, {4, 0}, {1, 0}, "bcd"},
      {"double-byte text", {"\x82\xA0\x82\xA2\r"}, {2, 0}, {4, 0}, "\x82\xA2"},
  };
  for (const PointCase& c : cases) {
    SetRows(c.rows);
    SelectPoints(c.start, c.end);
    EXPECT_EQ(edit->GetSelText(), c.expected) << c.name;
  }
}

// Only whole rows lose their trailing blanks; a point selection keeps every
// byte, so cutting it and pasting it back gives the row again.
TEST_F(SelTextTest, PointSelectionKeepsTrailingBlanks) {
  const std::vector<PointCase> cases = {
      {"blank and tab inside a row", {"ab \tcd\r", ""}, {1, 0}, {4, 0}, "b \t"},
      {"to the end of a last row", {"ab  "}, {1, 0}, {4, 0}, "b  "},
      {"to the CR of a row", {"ab  \r", ""}, {0, 0}, {4, 0}, "ab  "},
      {"across rows", {"a \r", "b \r", ""}, {0, 0}, {2, 1}, "a \r\nb "},
  };
  for (const PointCase& c : cases) {
    SetRows(c.rows);
    SelectPoints(c.start, c.end);
    EXPECT_EQ(edit->GetSelText(), c.expected) << c.name;
    const RowList before = Rows();
    edit->Perform(WM_CUT, 0, 0);
    EXPECT_EQ(ClipboardBytes(), c.expected) << c.name;
    edit->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(Rows(), before) << c.name;
  }
}

TEST_F(SelTextTest, RangeTextExplicitEnds) {
  SetRows({"abc\r", "de\r", "f"});
  EXPECT_EQ(edit->GetRangeText(TPoint(0, 0), TPoint(0, 0), false), "");
  // An end before column 0 stands for the whole row.
  EXPECT_EQ(edit->GetRangeText(TPoint(1, 0), TPoint(-1, 1), false), "bc\r\nde\r\n");
  EXPECT_EQ(edit->GetRangeText(TPoint(0, 2), TPoint(-1, 2), false), "f");
  // Display form: one entry per row, never trimmed.
  EXPECT_EQ(edit->GetRangeText(TPoint(0, 2), TPoint(-1, 2), true), "f\r\n");
}

TEST_F(SelTextTest, DisplayCopyExpandsTabsAndIndent) {
  SetStyledRows({{"a\tb\r", 2}, {"\tc\r", 0}, {""}});
  edit->SetTabSize(4);
  struct Case {
    const char* name;
    bool rows;
    TPoint start, end;
    std::string expected;
  };
  const std::vector<Case> cases = {
      // Indent 2, "a" and a tab to the next stop (3 cells), then "b".
      {"row selection", true, {0, 0}, {0, 1}, "  a   b\r\n    c\r\n"},
      // From display column 3 (inside the tab): the head becomes blanks; the
      // end row is cut after its tab.
      {"from inside the first row", false, {3, 0}, {4, 1}, "      b\r\n    \r\n"},
  };
  for (const Case& c : cases) {
    edit->FSelArea->RowReset();
    SelectPoints({0, 0}, {0, 0});
    if (c.rows)
      SelectRows(c.start.y, c.end.y);
    else
      SelectPoints(c.start, c.end);
    edit->SelectAreaCopy(true);
    EXPECT_EQ(ClipboardBytes(), c.expected) << c.name;
  }
}

TEST_F(SelTextTest, PrivateRowCopyFollowsTheKindOfCopy) {
  SetStyledRows({{"a\r", 3, clRed}, {"b\r", 0, clBlue}, {""}});
  SelectRows(0, 1);
  edit->SelectAreaCopy(false);
  ASSERT_EQ(edit->FClipLines->Count(), 2);
  EXPECT_EQ(edit->FClipLines->Get(0), "a\r");
  EXPECT_EQ(edit->FClipAttrs->GetItem(0)->Indent, 3);
  EXPECT_EQ(edit->FClipAttrs->GetItem(0)->TextColor, clRed);
  EXPECT_EQ(edit->FClipAttrs->GetItem(1)->ColAttrs, nullptr);

  edit->SelectAreaCopy(true);  // display form leaves it
  EXPECT_EQ(edit->FClipLines->Count(), 2);

  edit->FSelArea->RowReset();
  SelectPoints({0, 1}, {1, 1});
  edit->SelectAreaCopy(false);  // a point selection empties it
  EXPECT_EQ(edit->FClipLines->Count(), 0);
  EXPECT_EQ(edit->FClipAttrs->Count(), 0);
}

TEST_F(SelTextTest, NothingSelectedCopiesNothing) {
  SetRows({"abc\r", ""});
  Clipboard()->SetTextBuf("keep");
  edit->SelectAreaCopy(false);
  EXPECT_EQ(Clipboard()->GetAsText(), "keep");
  EXPECT_EQ(edit->GetSelText(), "");
}

TEST_F(SelTextTest, CutRemovesExactlyTheSelectedBytes) {
  struct Case {
    const char* name;
    StyledRow row;
    TPoint start, end;  // display columns
    std::string cut, left;
  };
  const std::vector<Case> cases = {
      {"plain row", {"abcdef\r"}, {1, 0}, {3, 0}, "bc", "adef\r"},
      {"indented row", {"abcdef\r", 2}, {3, 0}, {5, 0}, "bc", "adef\r"},
      {"to the row end", {"abcdef\r", 2}, {5, 0}, {8, 0}, "def", "abc\r"},
      // A start inside the indent counts as the first character.
      {"from inside the indent", {"abcdef\r", 4}, {1, 0}, {6, 0}, "ab", "cdef\r"},
      {"whole indent only", {"abc\r", 4}, {0, 0}, {3, 0}, "", "abc\r"},
  };
  for (const Case& c : cases) {
    SetStyledRows({c.row, {""}});
    SelectPoints(c.start, c.end);
    edit->Perform(WM_CUT, 0, 0);
    EXPECT_EQ(Clipboard()->GetAsText(), c.cut) << c.name;
    EXPECT_EQ(edit->GetLine(0), c.left) << c.name;
    EXPECT_FALSE(edit->FSelArea->isPointAble()) << c.name;
  }
}

TEST_F(SelTextTest, CutFromIndentThenPasteRestoresRow) {
  SetStyledRows({{"abcdef\r", 4}, {"next\r"}, {""}});
  SelectPoints({1, 0}, {6, 0});
  edit->Perform(WM_CUT, 0, 0);
  edit->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Rows(), (RowList{"abcdef\r", "next\r", ""}));
}

TEST_F(SelTextTest, CutAcrossRowsJoinsThem) {
  SetRows({"abc\r", "def\r", "ghi\r", ""});
  SelectPoints({1, 0}, {2, 2});
  bool disSelect = false;
  edit->OnDisSelect = [&](TObject*) { disSelect = true; };
  edit->Perform(WM_CUT, 0, 0);
  EXPECT_EQ(Clipboard()->GetAsText(), "bc\r\ndef\r\ngh");
  EXPECT_EQ(Rows(), (RowList{"ai\r", ""}));
  EXPECT_EQ(edit->FCaret, TPoint(1, 0));
  EXPECT_TRUE(disSelect);

  edit->Undo();
  EXPECT_EQ(Rows(), (RowList{"abc\r", "def\r", "ghi\r", ""}));
}

// Rows first to last selected in the margin, and the rows an action leaves.
struct RowRangeCase {
  const char* name;
  RowList rows;
  int first, last;
  RowList expected;
};

TEST_F(SelTextTest, RowDeletionKeepsOneRow) {
  const std::vector<RowRangeCase> cases = {
      {"middle rows", {"a\r", "b\r", "c\r", ""}, 1, 2, {"a\r", ""}},
      {"up to the last row", {"a\r", "b\r", "c"}, 1, 2, {"a\r", ""}},
      {"every row", {"a\r", "b\r", ""}, 0, 2, {""}},
      {"selected backwards", {"a\r", "b\r", "c\r", ""}, 2, 0, {""}},
      // A selection left reaching past the text is cut to the text.
      {"past the last row", {"a\r", "b\r", ""}, 1, 9, {"a\r", ""}},
  };
  for (const RowRangeCase& c : cases) {
    SetRows(c.rows);
    SelectRows(c.first, c.last);
    edit->SelectAreaDel();
    EXPECT_EQ(Rows(), c.expected) << c.name;
    EXPECT_FALSE(edit->FSelArea->isRowAble()) << c.name;
    EXPECT_GE(edit->GetLinesCount(), 1) << c.name;
  }
}

TEST_F(SelTextTest, PointSelectionTakesPrecedence) {
  SetRows({"abcd\r", "efgh\r", ""});
  SelectRows(0, 1);
  SelectPoints({1, 1}, {3, 1});
  EXPECT_EQ(edit->GetSelText(), "fg");
  edit->SelectAreaDel();
  EXPECT_EQ(Rows(), (RowList{"abcd\r", "eh\r", ""}));
}

TEST_F(SelTextTest, DeleteWithStalePointsStaysInsideText) {
  SetRows({"abc\r", "def\r", "ghi\r", ""});
  // Points left behind by text that is gone.
  SelectPoints({7, 12}, {7, 12});
  const int group = edit->FUndoGroup;
  edit->SelectAreaDel();
  EXPECT_EQ(Rows(), (RowList{"abc\r", "def\r", "ghi\r", ""}));
  EXPECT_GT(edit->FUndoGroup, group);
  EXPECT_TRUE(edit->isEdited());  // still one undo step, as typed deletions
  EXPECT_LT(edit->FCaret.y, edit->GetLinesCount());

  SetRows({"abc\r", ""});
  SelectPoints({1, 0}, {2, 9});
  edit->SelectAreaDel();
  EXPECT_EQ(Rows(), (RowList{"a"}));
}

TEST_F(SelTextTest, SelectAllCollapsesPointSelection) {
  SetRows({"abc\r", "def\r", ""});
  SelectPoints({1, 0}, {2, 0});
  int selects = 0;
  edit->OnSelect = [&](TObject*) { ++selects; };
  edit->SelectAll();
  EXPECT_FALSE(edit->FSelArea->isPointAble());
  EXPECT_EQ(edit->FSelArea->GetStartRow(), 0);
  EXPECT_EQ(edit->FSelArea->GetEndRow(), 2);
  EXPECT_EQ(edit->GetSelText(), "abc\r\ndef\r\n");

  edit->Perform(WM_COPY, 0, 0);
  EXPECT_EQ(ClipboardBytes(), "abc\r\ndef\r\n");
  edit->Perform(WM_CLEAR, 0, 0);
  EXPECT_EQ(Rows(), (RowList{""}));
}

TEST_F(SelTextTest, ReadOnlyPaneOnlyCopies) {
  SetRows({"abc\r", "def\r", ""});
  edit->SetReadOnly(true);
  SelectPoints({0, 0}, {2, 0});
  Clipboard()->SetTextBuf("before");
  edit->Perform(WM_CUT, 0, 0);
  EXPECT_EQ(Clipboard()->GetAsText(), "before");
  edit->Perform(WM_CLEAR, 0, 0);
  EXPECT_EQ(Rows(), (RowList{"abc\r", "def\r", ""}));
  EXPECT_TRUE(edit->FSelArea->isPointAble());

  edit->Perform(WM_COPY, 0, 0);
  EXPECT_EQ(Clipboard()->GetAsText(), "ab");

  edit->SetReadOnly(false);
  edit->SetLine(0, "xyz\r");
  edit->SetReadOnly(true);
  edit->Perform(WM_UNDO, 0, 0);
  EXPECT_EQ(edit->GetLine(0), "xyz\r");
  edit->SetReadOnly(false);
  edit->Perform(WM_UNDO, 0, 0);
  EXPECT_EQ(edit->GetLine(0), "abc\r");
}

TEST_F(SelTextTest, LeadingBlanksBecomeIndent) {
  struct Case {
    const char* name;
    StyledRow row;
    int wrap;
    std::string text;
    int indent;
  };
  const std::vector<Case> cases = {
      {"spaces and a tab", {"  \tx\r"}, 60, "x\r", 4},
      {"limited by the wrap column", {"        x\r"}, 10, "x\r", 2},
      {"added to an indent", {"  x\r", 3}, 60, "x\r", 5},
      {"tab after an indent", {"\tx\r", 2}, 60, "x\r", 4},
      {"no blanks", {"x\r", 1}, 60, "x\r", 1},
      {"wrap column below 8", {" x\r"}, 4, "x\r", 0},
  };
  edit->SetTabSize(4);
  for (const Case& c : cases) {
    SetStyledRows({c.row, {""}});
    edit->SetWrapPos(0, c.wrap);
    SelectRows(0, 0);
    edit->SelAreaLeftSpaceToIndent();
    EXPECT_EQ(edit->GetLine(0), c.text) << c.name;
    EXPECT_EQ(edit->GetLinesAttr(0)->Indent, c.indent) << c.name;
  }
}

TEST_F(SelTextTest, LeadingBlanksToIndentIsOneUndoStep) {
  SetRows({" a\r", "  b\r", "c\r", ""});
  SelectPoints({0, 0}, {1, 1});  // rows 0 and 1
  edit->SelAreaLeftSpaceToIndent();
  EXPECT_EQ(Rows(), (RowList{"a\r", "b\r", "c\r", ""}));
  EXPECT_EQ(edit->GetLinesAttr(1)->Indent, 2);
  edit->Undo();
  EXPECT_EQ(Rows(), (RowList{" a\r", "  b\r", "c\r", ""}));
  EXPECT_EQ(edit->GetLinesAttr(1)->Indent, 0);
}

// Rows selected in the margin leave the caret at the start of the row after
// them; text typed or pasted then takes the rows' place.
TEST_F(SelTextTest, TextReplacesRowsSelectedInTheMargin) {
  const std::vector<RowRangeCase> cases = {
      {"last row", {"a\r", "bc"}, 1, 1, {"a\r", "x"}},
      {"last two rows", {"a\r", "b\r", "c"}, 1, 2, {"a\r", "x"}},
      {"every row", {"a\r", "bc"}, 0, 1, {"x"}},
      {"middle row", {"a\r", "bc\r", "d"}, 1, 1, {"a\r", "xd"}},
  };
  const std::vector<std::pair<const char*, std::function<void()>>> inputs = {
      {"typed", [this] { edit->KeyInput("x"); }},
      {"pasted",
       [this] {
         Clipboard()->SetTextBuf("x");
         edit->Perform(WM_PASTE, 0, 0);
       }},
      {"set as selection text", [this] { edit->SetSelText("x"); }},
  };
  for (const auto& [how, input] : inputs) {
    for (const RowRangeCase& c : cases) {
      SetRows(c.rows);
      SelectRows(c.first, c.last);
      edit->FCaret = TPoint(0, c.last + 1);
      input();
      EXPECT_EQ(Rows(), c.expected) << how << ": " << c.name;
    }
  }
}

TEST_F(SelTextTest, SetSelTextReplacesSelection) {
  SetRows({"abcdef\r", ""});
  SelectPoints({1, 0}, {4, 0});
  edit->SetSelText("XY");
  EXPECT_EQ(Rows(), (RowList{"aXYef\r", ""}));
}

}  // namespace
