// Row operations: their events, undo records and the guarantees callers
// rely on (row count, caret, edited flag).
#include "tests/editor/RowsFixture.h"

namespace {

class RowOpsTest : public RowsTest {
 protected:
  // Records every row and undo event as one line of text.
  void LogEvents() {
    edit->OnLineInsert = [this](TObject*, int i, AnsiString& s) {
      log.push_back("insert " + std::to_string(i) + " " + s);
    };
    edit->OnLineDelete = [this](TObject*, int i) { log.push_back("delete " + std::to_string(i)); };
    edit->OnUndoChange = [this](TObject*, bool u, bool r) {
      log.push_back(std::string("undo ") + (u ? "1" : "0") + (r ? "1" : "0"));
    };
  }
  PUndoBuffItem Record(int i) { return static_cast<PUndoBuffItem>(edit->FUndoBuff->Get(i)); }

  std::vector<std::string> log;
};

TEST_F(RowOpsTest, SetLineReplacesOneRowAsOneUndoStep) {
  Rows rows;
  for (int i = 0; i < 10; ++i) rows.push_back("row" + std::to_string(i) + "\r");
  rows.push_back("");
  SetRows(rows);
  edit->FCaret = TPoint(2, 7);
  const int group = edit->FUndoGroup;
  edit->SetLine(3, "new\r");
  EXPECT_EQ(edit->GetLinesCount(), 11);
  EXPECT_EQ(edit->GetLine(3), "new\r");
  EXPECT_EQ(edit->GetLinesAttr(3)->Changed, 1);
  EXPECT_EQ(edit->FCaret, TPoint(2, 7));
  EXPECT_EQ(edit->FUndoGroup, group + 1);
  EXPECT_TRUE(edit->isEdited());

  edit->SetLine(3, "newer\r");
  edit->Undo();
  EXPECT_EQ(edit->GetLine(3), "new\r");
  edit->Undo();
  EXPECT_EQ(edit->GetLine(3), "row3\r");
  EXPECT_FALSE(edit->isEdited());
}

TEST_F(RowOpsTest, VetoedChangeLeavesEverything) {
  SetRows({"abc\r", ""});
  edit->OnBeforeChange = [](TObject*, int, AnsiString&, bool& canModify) { canModify = false; };
  const int group = edit->FUndoGroup;
  edit->SetLine(0, "xyz\r");
  EXPECT_EQ(edit->GetLine(0), "abc\r");
  EXPECT_EQ(edit->FUndoGroup, group);
  EXPECT_EQ(UndoRecords(), 0);
  EXPECT_FALSE(edit->isEdited());
}

TEST_F(RowOpsTest, HandlersMayRewriteTheTextWithinTheSameStep) {
  SetRows({"abc\r", ""});
  edit->OnBeforeChange = [](TObject*, int, AnsiString& s, bool&) { s = "<" + s; };
  edit->OnChange = [this](TObject*) { edit->FLines->Put(0, edit->FLines->Get(0) + ">"); };
  edit->SetLine(0, "x");
  EXPECT_EQ(edit->GetLine(0), "<x>");
  ASSERT_EQ(UndoRecords(), 2);
  EXPECT_EQ(Record(0)->Group, Record(1)->Group);
  EXPECT_EQ(Record(0)->OldText, "abc\r");
  EXPECT_EQ(Record(0)->NewText, "<x");
  EXPECT_EQ(Record(1)->OldText, "<x");
  EXPECT_EQ(Record(1)->NewText, "<x>");
  edit->Undo();
  EXPECT_EQ(edit->GetLine(0), "abc\r");
}

TEST_F(RowOpsTest, EventsAndRecordsComeInOrder) {
  SetRows({"a\r", "b\r", "c\r", ""});
  LogEvents();
  edit->FCaret = TPoint(1, 2);
  edit->AddLineP("x", edit->MakeAttr(false, 4, 30));
  edit->InsertLineP(1, "y\r", edit->MakeAttr(false, 0, 60));
  edit->DelLineP(0);
  EXPECT_EQ(log, (std::vector<std::string>{"insert 4 x", "undo 10", "insert 1 y\r", "undo 10", "delete 0",
                                           "undo 10"}));
  ASSERT_EQ(UndoRecords(), 3);
  EXPECT_EQ(Record(0)->Action, acInsert);
  EXPECT_EQ(Record(0)->Row, 4);
  EXPECT_EQ(Record(0)->NewText, "x");
  EXPECT_EQ(Record(0)->NewAttr.Indent, 4);
  EXPECT_EQ(Record(0)->NewAttr.Changed, 0);  // the caller's record, unchanged
  EXPECT_EQ(Record(1)->Row, 1);
  EXPECT_EQ(Record(2)->Action, acDelete);
  EXPECT_EQ(Record(2)->OldText, "a\r");
  EXPECT_EQ(Record(2)->Caret, TPoint(1, 2));
  EXPECT_EQ(edit->FCaret, TPoint(1, 1));  // a row above the caret went
  EXPECT_EQ(GetRows(), (Rows{"y\r", "b\r", "c\r", "", "x"}));
  EXPECT_EQ(edit->GetLinesAttr(4)->Changed, 1);
  EXPECT_EQ(edit->GetLinesAttr(4)->WrapPos, 30);

  log.clear();
  edit->Clear();
  EXPECT_EQ(log, (std::vector<std::string>{"insert 0 ", "undo 10", "undo 00"}));
  EXPECT_EQ(GetRows(), Rows{""});
  EXPECT_FALSE(edit->isEdited());
}

TEST_F(RowOpsTest, DeletingARowBelowOrAtTheCaretKeepsTheCaretRow) {
  struct Case {
    int caretRow, deleted, expected;
  };
  for (const Case& c : {Case{5, 2, 4}, Case{2, 2, 2}, Case{1, 2, 1}}) {
    SetRows(Rows(8, "r\r"));
    edit->FCaret = TPoint(3, c.caretRow);
    edit->DelLineP(c.deleted);
    EXPECT_EQ(edit->FCaret, TPoint(3, c.expected)) << c.caretRow << " " << c.deleted;
  }
}

TEST_F(RowOpsTest, DelLineNeverEmptiesTheText) {
  SetRows({"only"});
  edit->DelLine(0);
  EXPECT_EQ(GetRows(), Rows{""});
  EXPECT_EQ(edit->FCaret.y, 0);
  edit->Undo();
  EXPECT_EQ(GetRows(), Rows{"only"});

  SetRows({"a\r", "b\r", "c"});
  edit->FCaret = TPoint(0, 2);
  edit->DelLine(2);
  EXPECT_EQ(edit->GetLinesCount(), 2);
  EXPECT_EQ(edit->FCaret.y, 1);  // on an existing row
}

TEST_F(RowOpsTest, InsertedRowsTakeTheAttributesOfTheRowAbove) {
  SetRows({"a\r", "b\r", "c\r", "d\r", ""}, 3, 40);
  edit->GetLinesAttr(3)->TextColor = clRed;
  edit->InsertLine(4, "new\r");
  const TAttrListItem* copied = edit->GetLinesAttr(4);
  EXPECT_EQ(copied->Indent, 3);
  EXPECT_EQ(copied->WrapPos, 40);
  EXPECT_EQ(copied->TextColor, clRed);
  EXPECT_EQ(copied->Changed, 1);
  EXPECT_EQ(edit->FCaret.y, 1);

  edit->InsertLine(0, "top\r");
  EXPECT_EQ(edit->GetLinesAttr(0)->Indent, 0);
  EXPECT_EQ(edit->GetLinesAttr(0)->WrapPos, edit->GetDefWrapPos());
  EXPECT_EQ(edit->GetLine(0), "top\r");

  edit->AddLine("end");
  EXPECT_EQ(edit->GetLinesAttr(edit->GetLinesCount() - 1)->Indent, 3);
}

TEST_F(RowOpsTest, EditedFollowsTheSavedPosition) {
  edit->Clear();
  EXPECT_FALSE(edit->isEdited());
  edit->SetEdited(true);  // at position 0 the text still reads unedited
  EXPECT_FALSE(edit->isEdited());
  edit->SetLine(0, "x");
  EXPECT_TRUE(edit->isEdited());
  edit->SetEdited(false);
  EXPECT_FALSE(edit->isEdited());
}

TEST_F(RowOpsTest, RowReaders) {
  SetRows({"", "abc\r", "\r", "ab", "\r\r"});
  const std::vector<bool> cr = {false, true, true, false, true};
  for (int r = 0; r < 5; ++r) EXPECT_EQ(edit->isCrLine(r), cr[static_cast<size_t>(r)]) << r;
  edit->SetWrapPos(1, -20);
  EXPECT_EQ(edit->GetWrapPos(1), -20);
  edit->SetWrapPos(1, 0x12345);  // low 16 bits
  EXPECT_EQ(edit->GetWrapPos(1), 0x2345);
  EXPECT_EQ(UndoRecords(), 0);
}

}  // namespace
