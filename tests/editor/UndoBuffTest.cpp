// The undo buffer on its own: grouping, slot reuse, the bounded-buffer rules
// and the saved position behind Edited.
#include <gtest/gtest.h>

#include <vector>

#include "editor/UndoBuff.h"

namespace {

// An unlimited buffer as the control makes it.
struct Buff : TUndoBuff {
  explicit Buff(int maxCount = -1) : TUndoBuff(100) { SetMaxCount(maxCount); }
  void Rec(int group, int row = 0, const AnsiString& text = "x") {
    TAttrListItem a;
    Push(group, row, 0, TPoint(row, row), acChange, "old", text, a, a);
  }
  // Groups of the records that can be undone, oldest first.
  std::vector<int> Groups() {
    std::vector<int> g;
    for (int i = 0; i < FPos; ++i) g.push_back(static_cast<PUndoBuffItem>(Get(i))->Group);
    return g;
  }
  // Undoes one whole group as the control does.
  void UndoGroup() {
    PUndoBuffItem r = PrevPop();
    if (!r) return;
    int group = r->Group;
    while (r && r->Group == group) {
      ToPrev();
      r = PrevPop();
    }
  }
  void RedoGroup() {
    PUndoBuffItem r = NextPop();
    if (!r) return;
    int group = r->Group;
    while (r && r->Group == group) {
      ToNext();
      r = NextPop();
    }
  }
};

TEST(UndoBuffer, PushFillsTheRecordAndMovesThePosition) {
  Buff b;
  TAttrListItem oldAttr, newAttr;
  oldAttr.Indent = 1;
  newAttr.Indent = 2;
  TColAttrList cols;
  newAttr.ColAttrs = &cols;
  b.Push(7, 3, 0, TPoint(4, 3), acDelete, "before", "", oldAttr, newAttr);
  EXPECT_EQ(b.FPos, 1);
  EXPECT_EQ(b.FTop, 1);
  EXPECT_TRUE(b.FCanUndo);
  PUndoBuffItem r = b.PrevPop();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Group, 7);
  EXPECT_EQ(r->Row, 3);
  EXPECT_EQ(r->Caret, TPoint(4, 3));
  EXPECT_EQ(r->Action, acDelete);
  EXPECT_EQ(r->OldText, "before");
  EXPECT_EQ(r->OldAttr.Indent, 1);
  EXPECT_EQ(r->NewAttr.Indent, 2);
  EXPECT_EQ(TAttrListItem(r->NewAttr).ColAttrs, nullptr);  // a record never refers to a live list
  EXPECT_EQ(b.FPos, 1);                     // PrevPop does not move
  EXPECT_EQ(b.NextPop(), nullptr);
}

TEST(UndoBuffer, PushAfterUndoAbandonsTheRedoRangeAndReusesTheSlot) {
  Buff b;
  b.Rec(1);
  b.Rec(2);
  PUndoBuffItem second = b.PrevPop();
  b.UndoGroup();
  EXPECT_EQ(b.NextPop(), second);
  b.Rec(3, 0, "new");
  EXPECT_EQ(b.NextPop(), nullptr);
  EXPECT_EQ(b.PrevPop(), second);  // same record, rewritten in place
  EXPECT_EQ(second->Group, 3);
  EXPECT_EQ(second->NewText, "new");
}

TEST(UndoBuffer, UnlimitedBufferGrowsAndKeepsAFreeSlot) {
  Buff b;
  for (int i = 0; i < 250; ++i) b.Rec(i);
  EXPECT_EQ(b.FPos, 250);
  EXPECT_GT(b.Count(), b.FPos);
  EXPECT_EQ(b.Groups().front(), 0);
}

TEST(UndoBuffer, ResetEmptiesTheSlotsButKeepsThem) {
  Buff b;
  b.Rec(1);
  b.Rec(1);
  int slots = b.Count();
  b.Reset();
  EXPECT_EQ(b.Count(), slots);
  EXPECT_EQ(b.FPos, 0);
  EXPECT_FALSE(b.FCanUndo);
  EXPECT_EQ(b.PrevPop(), nullptr);
  EXPECT_EQ(b.NextPop(), nullptr);
  EXPECT_FALSE(b.IsEdited());
}

// ---------------------------------------------------------------------------
// Bounded buffers: UndoMax N gives N slots and at most N - 1 records.

TEST(UndoBuffer, BoundedBufferDropsTheOldestWholeGroup) {
  Buff b(3);
  b.Rec(1);
  b.Rec(2);
  b.Rec(3);
  EXPECT_EQ(b.Groups(), (std::vector<int>{2, 3}));
  EXPECT_EQ(b.Count(), 3);
  b.Rec(4);
  b.Rec(4);  // group 4 of two records pushes out 3
  EXPECT_EQ(b.Groups(), (std::vector<int>{4, 4}));
}

TEST(UndoBuffer, GroupLargerThanTheBufferEmptiesItAndKeepsNothing) {
  Buff b(3);
  b.Rec(1);
  for (int i = 0; i < 4; ++i) b.Rec(2);
  EXPECT_EQ(b.FPos, 0);
  EXPECT_FALSE(b.FCanUndo);
  b.Rec(2);  // the rest of the group is dropped too
  EXPECT_EQ(b.FPos, 0);
  b.Rec(3);  // the next group is recorded again
  EXPECT_EQ(b.Groups(), (std::vector<int>{3}));
  EXPECT_TRUE(b.FCanUndo);
}

TEST(UndoBuffer, GroupOfExactlyTheSlotCountKeepsItsLastRecord) {
  Buff b(3);
  for (int i = 0; i < 3; ++i) b.Rec(5, i);
  ASSERT_EQ(b.Groups(), (std::vector<int>{5}));
  EXPECT_EQ(b.PrevPop()->Row, 2);
}

TEST(UndoBuffer, UndoMaxZeroKeepsNothingOneKeepsOneRecord) {
  Buff none(0);
  none.Rec(1);
  none.Rec(2);
  EXPECT_EQ(none.FPos, 0);
  EXPECT_FALSE(none.FCanUndo);
  EXPECT_TRUE(none.IsEdited());  // an edit is still an edit

  Buff one(1);
  one.Rec(1);
  EXPECT_EQ(one.Groups(), (std::vector<int>{1}));
  one.Rec(2);
  EXPECT_EQ(one.Groups(), (std::vector<int>{2}));
  EXPECT_EQ(one.GetMaxCount(), 1);
}

TEST(UndoBuffer, LoweringUndoMaxBelowThePositionResetsKeepingEdited) {
  Buff b;
  for (int i = 1; i <= 5; ++i) b.Rec(i);
  b.SetMaxCount(3);  // five records do not fit in three slots
  EXPECT_EQ(b.FPos, 0);
  EXPECT_EQ(b.PrevPop(), nullptr);
  EXPECT_TRUE(b.IsEdited());
  b.Rec(6);
  b.Rec(7);
  b.Rec(8);
  EXPECT_EQ(b.Groups(), (std::vector<int>{7, 8}));

  Buff saved;  // a saved text stays unedited when its history goes
  for (int i = 1; i <= 5; ++i) saved.Rec(i);
  saved.MarkSaved();
  saved.SetMaxCount(2);
  EXPECT_EQ(saved.FPos, 0);
  EXPECT_FALSE(saved.IsEdited());

  Buff fits;
  fits.Rec(1);
  fits.MarkSaved();
  fits.SetMaxCount(10);  // a bound that holds the records changes nothing
  EXPECT_EQ(fits.Groups(), (std::vector<int>{1}));
  EXPECT_FALSE(fits.IsEdited());
}

// ---------------------------------------------------------------------------
// The saved position.

TEST(UndoBuffer, EditedFollowsTheSavedPosition) {
  Buff b;
  EXPECT_FALSE(b.IsEdited());
  b.Rec(1);
  EXPECT_TRUE(b.IsEdited());
  b.MarkSaved();
  EXPECT_FALSE(b.IsEdited());
  b.Rec(2);
  EXPECT_TRUE(b.IsEdited());
  b.UndoGroup();  // back to the saved position
  EXPECT_FALSE(b.IsEdited());
  b.UndoGroup();  // one further
  EXPECT_TRUE(b.IsEdited());
  b.RedoGroup();
  EXPECT_FALSE(b.IsEdited());
}

TEST(UndoBuffer, SaveUndoEditStaysEdited) {
  // Save after two groups, undo one, make a different edit: the position
  // number equals the saved one again, but the text is not the saved text.
  Buff b;
  b.Rec(1);
  b.Rec(2);
  b.MarkSaved();
  b.UndoGroup();
  b.Rec(3, 0, "different");
  EXPECT_EQ(b.FPos, 2);
  EXPECT_TRUE(b.IsEdited());
  b.UndoGroup();
  EXPECT_TRUE(b.IsEdited());
  b.RedoGroup();
  EXPECT_TRUE(b.IsEdited());
}

TEST(UndoBuffer, DroppingTheOldestGroupDoesNotMoveTheSavedPosition) {
  Buff b(3);
  b.Rec(1);
  b.MarkSaved();
  EXPECT_EQ(b.FSavedPos, 1);
  b.Rec(2);
  b.Rec(3);  // group 1 goes
  EXPECT_EQ(b.Groups(), (std::vector<int>{2, 3}));
  EXPECT_EQ(b.FSavedPos, 1);
}

TEST(UndoBuffer, OversizedGroupLeavesTheTextEdited) {
  Buff b(3);
  b.Rec(1);
  b.MarkSaved();
  for (int i = 0; i < 5; ++i) b.Rec(2);
  EXPECT_EQ(b.FPos, 0);
  EXPECT_TRUE(b.IsEdited());
}

TEST(UndoBuffer, ClearReleasesEverySlot) {
  Buff b;
  b.Rec(1);
  b.Clear();
  EXPECT_EQ(b.Count(), 0);
  EXPECT_EQ(b.FPos, 0);
  b.Rec(2);  // still usable
  EXPECT_EQ(b.Groups(), (std::vector<int>{2}));
}

}  // namespace
