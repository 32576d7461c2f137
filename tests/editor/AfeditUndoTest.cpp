// Undo and Redo on a control: whole groups, restored rows and attributes,
// the caret, the events, and the Edited flag.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "EditProbe.h"

namespace {

class AfeditUndo : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    form = std::make_unique<TForm>(nullptr);
    edit = new TEditProbe(form.get());
    edit->OnUndoChange = [this](TObject*, bool u, bool r) { reports.push_back({u, r}); };
  }
  // The rows' texts, for comparing a whole text at once.
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (int r = 0; r < edit->GetLinesCount(); ++r) rows.push_back(edit->GetLine(r));
    return rows;
  }
  std::unique_ptr<TForm> form;
  TEditProbe* edit = nullptr;
  std::vector<std::pair<bool, bool>> reports;
};

using Texts = std::vector<std::string>;

TEST_F(AfeditUndo, NothingToUndoOrRedoOnlyRepaints) {
  edit->Undo();
  edit->Redo();
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(Rows(), (Texts{""}));
}

TEST_F(AfeditUndo, EachSetLineIsOneStep) {
  for (int i = 0; i < 9; ++i) edit->AddLine("r" + std::to_string(i) + "\r");
  edit->SetLine(3, "first");
  edit->SetLine(3, "second");
  EXPECT_EQ(edit->GetLinesCount(), 10);
  edit->Undo();
  EXPECT_EQ(edit->GetLine(3), "first");
  edit->Undo();
  EXPECT_EQ(edit->GetLine(3), "r2\r");
  edit->Redo();
  EXPECT_EQ(edit->GetLine(3), "first");
  edit->Redo();
  EXPECT_EQ(edit->GetLine(3), "second");
  EXPECT_EQ(edit->GetLinesCount(), 10);
}

TEST_F(AfeditUndo, AGroupOverSeveralRowsIsUndoneAndRedoneAsOneStep) {
  edit->SetLine(0, "keep\r");
  edit->FCaret = TPoint(2, 0);
  ++edit->FUndoGroup;  // one user operation: change a row, add two, delete one
  edit->LineChange(0, "changed\r", false);
  edit->FCaret = TPoint(5, 1);
  edit->AddLineP("new1\r", edit->MakeAttr(true, 2, 50));
  edit->AddLineP("new2\r", edit->MakeAttr(true, 0, 60));
  edit->DelLineP(1);
  Texts after = Rows();
  EXPECT_EQ(after, (Texts{"changed\r", "new2\r"}));

  reports.clear();
  edit->Undo();
  EXPECT_EQ(Rows(), (Texts{"keep\r"}));
  EXPECT_EQ(edit->FCaret, TPoint(2, 0));  // where the operation began
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports.back(), std::make_pair(true, true));  // the SetLine step is still there

  reports.clear();
  edit->Redo();
  EXPECT_EQ(Rows(), after);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports.back(), std::make_pair(true, false));
  EXPECT_EQ(edit->GetWrapPos(1), 60);
}

TEST_F(AfeditUndo, RestoredRowsCarryTheRecordsAttributesAndNoColumnList) {
  edit->AddLine("b\r");
  TAttrListItem* a = edit->GetLinesAttr(1);
  a->Indent = 3;
  a->WrapPos = 44;
  a->BackColor = clYellow;
  a->Style = TFontStyles{fsBold};
  edit->GetColAttrs(1)->GetItem(0)->HasAttr = 1;
  edit->DelLine(1);
  edit->Undo();
  ASSERT_EQ(Rows(), (Texts{"", "b\r"}));
  TAttrListItem* back = edit->GetLinesAttr(1);
  EXPECT_EQ(back->Indent, 3);
  EXPECT_EQ(back->WrapPos, 44);
  EXPECT_EQ(back->BackColor, clYellow);
  EXPECT_TRUE(back->Style.Contains(fsBold));
  EXPECT_EQ(back->ColAttrs, nullptr);

  edit->GetColAttrs(1);  // a list made after the restore goes with the redo
  edit->Redo();
  EXPECT_EQ(Rows(), (Texts{""}));
}

TEST_F(AfeditUndo, ChangeUndoDropsTheRowsColumnList) {
  edit->SetLine(0, "abc");
  edit->GetColAttrs(0)->GetItem(1)->HasAttr = 1;
  edit->Undo();
  EXPECT_EQ(edit->GetLine(0), "");
  EXPECT_EQ(edit->GetLinesAttr(0)->ColAttrs, nullptr);
  edit->GetColAttrs(0);
  edit->Redo();
  EXPECT_EQ(edit->GetLine(0), "abc");
  EXPECT_EQ(edit->GetLinesAttr(0)->ColAttrs, nullptr);
}

TEST_F(AfeditUndo, LineInsertHandlerTextIsKeptInTheRecord) {
  edit->AddLine("orig\r");
  edit->DelLine(1);
  edit->OnLineInsert = [](TObject*, int, AnsiString& line) { line = "handled\r"; };
  edit->Undo();  // undoing the deletion inserts through the handler
  EXPECT_EQ(edit->GetLine(1), "handled\r");
  edit->OnLineInsert = nullptr;
  edit->Redo();
  edit->Undo();
  EXPECT_EQ(edit->GetLine(1), "handled\r");  // the record kept the handler's text
}

TEST_F(AfeditUndo, RowEventsFireForReplayedRows) {
  edit->AddLine("x\r");
  std::vector<std::string> events;
  edit->OnLineDelete = [&](TObject*, int row) { events.push_back("del " + std::to_string(row)); };
  edit->OnLineInsert = [&](TObject*, int row, AnsiString&) { events.push_back("ins " + std::to_string(row)); };
  edit->Undo();
  edit->Redo();
  EXPECT_EQ(events, (std::vector<std::string>{"del 1", "ins 1"}));
}

TEST_F(AfeditUndo, CaretRowIsClampedToAnExistingRow) {
  edit->AddLine("a\r");
  edit->AddLine("b\r");
  edit->FCaret = TPoint(1, 2);
  edit->SetLine(2, "b2\r");  // recorded with the caret on row 2
  ++edit->FUndoGroup;
  edit->DelLineP(2);
  edit->DelLineP(1);
  edit->FCaret = TPoint(0, 0);
  edit->Undo();  // back to three rows, caret (0, 2)... as recorded
  edit->Undo();
  EXPECT_EQ(edit->GetLinesCount(), 3);
  EXPECT_EQ(edit->GetLine(2), "b\r");
  edit->Redo();  // the caret of the group lies on row 2 ...
  edit->Redo();  // ... and now only row 0 is left
  EXPECT_EQ(edit->GetLinesCount(), 1);
  EXPECT_LE(edit->FCaret.y, edit->GetLinesCount() - 1);

  // With a free caret the row is kept.
  edit->SetOptions(TAFEditOptions{aoAutoFormat, aoFreeCaret});
  edit->Undo();
  edit->FCaret = TPoint(0, 9);
  edit->SetLine(0, "z");
  edit->Undo();
  EXPECT_EQ(edit->FCaret.y, 9);
}

TEST_F(AfeditUndo, UndoBringsTheCaretRowIntoView) {
  for (int i = 0; i < 60; ++i) edit->AddLine("row\r");
  edit->FCaret = TPoint(0, 50);
  edit->SetLine(50, "changed\r");
  edit->FTopLine = 0;
  edit->Undo();
  int rows = edit->GetDspRowCount();
  EXPECT_GE(edit->FTopLine + rows, 50 + 2);
  edit->FTopLine = 55;
  edit->Redo();
  EXPECT_EQ(edit->FTopLine, 55);  // redo leaves the view alone
  edit->Undo();
  EXPECT_EQ(edit->FTopLine, 49);  // caret row 50 above the view: one row above it
}

TEST_F(AfeditUndo, EditedFollowsUndoAndTheSavedPosition) {
  EXPECT_FALSE(edit->isEdited());
  edit->SetLine(0, "a");
  EXPECT_TRUE(edit->isEdited());
  edit->SetEdited(false);
  EXPECT_FALSE(edit->isEdited());
  edit->SetLine(0, "b");
  EXPECT_TRUE(edit->isEdited());
  edit->Undo();
  EXPECT_FALSE(edit->isEdited());  // back at the saved position
  edit->Undo();
  EXPECT_TRUE(edit->isEdited());
  edit->Redo();
  EXPECT_FALSE(edit->isEdited());

  // Saved, undone and edited differently: the text is not the saved one,
  // even where the undo position returns to the saved number.
  edit->SetLine(0, "c");
  edit->SetEdited(false);
  edit->Undo();
  edit->SetLine(0, "d");
  EXPECT_TRUE(edit->isEdited());
}

TEST_F(AfeditUndo, EditedTrueStoresPositionZero) {
  edit->SetEdited(true);
  EXPECT_FALSE(edit->isEdited());  // nothing recorded yet
  edit->SetLine(0, "a");
  edit->SetEdited(true);
  EXPECT_TRUE(edit->isEdited());
}

TEST_F(AfeditUndo, BoundedUndoMaxOnTheControl) {
  edit->SetUndoMax(3);
  EXPECT_EQ(edit->GetUndoMax(), 3);
  edit->SetLine(0, "a");
  edit->SetLine(0, "b");
  edit->SetLine(0, "c");
  edit->Undo();
  edit->Undo();
  edit->Undo();  // only two steps were kept
  EXPECT_EQ(edit->GetLine(0), "a");

  edit->SetUndoMax(0);
  edit->SetLine(0, "z");
  EXPECT_TRUE(edit->isEdited());
  edit->Undo();
  EXPECT_EQ(edit->GetLine(0), "z");
}

}  // namespace

namespace {

TEST_F(AfeditUndo, ReplayOfAPartlyKeptGroupNeverEmptiesTheText) {
  // UndoMax 2 keeps one record: of "delete the only row, add an empty one"
  // only the insertion survives, and undoing it alone would leave no row.
  edit->SetLine(0, "only");
  edit->SetUndoMax(2);
  ++edit->FUndoGroup;
  edit->DelLineP(0);
  edit->AddLineP("", edit->MakeAttr(true, 0, 60));
  edit->Undo();
  EXPECT_EQ(edit->GetLinesCount(), 1);
  EXPECT_EQ(edit->FCaret.y, 0);
  edit->Redo();
  EXPECT_GE(edit->GetLinesCount(), 1);
}

}  // namespace

namespace {

TEST_F(AfeditUndo, ReplayedMoveCopiesRowsWithoutSharingColumnLists) {
  edit->SetLine(0, "zero\r");
  edit->AddLine("one\r");
  edit->GetLinesAttr(1)->Indent = 5;
  edit->GetColAttrs(0);
  edit->GetColAttrs(1);
  TAttrListItem old = *edit->GetLinesAttr(0);
  old.Indent = 2;
  ++edit->FUndoGroup;
  edit->FUndoBuff->Push(edit->FUndoGroup, 1, 0, edit->FCaret, acMove, "was\r", "", old, TAttrListItem());
  edit->Undo();  // row 1 onto row 0, then row 1 back to the record
  EXPECT_EQ(edit->GetLine(0), "one\r");
  EXPECT_EQ(edit->GetLinesAttr(0)->Indent, 5);
  EXPECT_EQ(edit->GetLine(1), "was\r");
  EXPECT_EQ(edit->GetLinesAttr(1)->Indent, 2);
  EXPECT_EQ(edit->GetLinesAttr(0)->ColAttrs, nullptr);
  EXPECT_EQ(edit->GetLinesAttr(1)->ColAttrs, nullptr);
  edit->GetColAttrs(0);
  edit->Redo();  // row 0 onto row 1
  EXPECT_EQ(edit->GetLine(1), "one\r");
  EXPECT_NE(edit->GetLinesAttr(1)->ColAttrs, edit->GetLinesAttr(0)->ColAttrs);
  EXPECT_EQ(edit->GetLinesAttr(1)->ColAttrs, nullptr);
}

}  // namespace
