// The selection area and the control's cache of the selected rows' limits.
#include <gtest/gtest.h>

#include <memory>

#include "EditProbe.h"
#include "editor/SelArea.h"

namespace {

// A selection area reset as the control resets its own.
struct Fresh : TSelArea {
  Fresh() {
    RowReset();
    PointReset();
  }
};

TEST(SelArea, PointsReadBackOrdered) {
  Fresh s;
  s.PutStartPoint({5, 3});  // anchor after the moving end: selected backwards
  s.PutEndPoint({2, 1});
  EXPECT_EQ(s.GetStartPoint(), TPoint(2, 1));
  EXPECT_EQ(s.GetEndPoint(), TPoint(5, 3));
  EXPECT_TRUE(s.isPointAble());
  s.PointReset();  // collapses onto the moving end
  EXPECT_FALSE(s.isPointAble());
  EXPECT_EQ(s.GetStartPoint(), TPoint(2, 1));
}

TEST(SelArea, PointSelectionCoversStartUpToButNotTheEnd) {
  Fresh s;
  s.PutStartPoint({2, 4});
  s.PutEndPoint({6, 4});
  struct Case {
    int x, y;
    bool selected;
  } cases[] = {{2, 4, true}, {5, 4, true}, {6, 4, false}, {1, 4, false}, {3, 3, false}, {3, 5, false}};
  for (const Case& c : cases) EXPECT_EQ(s.isSelPoint(c.x, c.y), c.selected) << c.x << "," << c.y;
}

TEST(SelArea, RowSelection) {
  Fresh s;
  for (int r = 0; r < 5; ++r) EXPECT_FALSE(s.isSelRow(r));
  s.PutEndRow(3);  // the end alone makes no selection
  EXPECT_FALSE(s.isRowAble());
  s.RowReset();
  s.PutStartRow(6);
  s.PutEndRow(2);
  EXPECT_TRUE(s.isRowAble());
  EXPECT_EQ(s.GetStartRow(), 2);
  EXPECT_EQ(s.GetEndRow(), 6);
  EXPECT_TRUE(s.isSelRow(2));
  EXPECT_TRUE(s.isSelRow(6));
  EXPECT_FALSE(s.isSelRow(7));
}

TEST(SelArea, InsertAndDeleteMoveTheLargerEnd) {
  struct Case {
    int start, end, op, row;  // op +1 Insert, -1 Delete
    int expStart, expEnd;
  } cases[] = {
      {3, 5, +1, 1, 3, 5},  // above: unchanged
      {3, 5, +1, 3, 3, 6},  // on its first row: last row + 1
      {5, 3, +1, 4, 6, 3},  // stored backwards: the larger field moves
      {4, 4, +1, 4, 5, 4},  // equal: the start field moves
      {3, 5, -1, 4, 3, 4},
      {3, 5, -1, 6, 3, 5},
      {4, 4, -1, 4, 3, 4},
  };
  for (const Case& c : cases) {
    Fresh s;
    s.PutStartRow(c.start);
    s.PutEndRow(c.end);
    if (c.op > 0)
      s.Insert(c.row);
    else
      s.Delete(c.row);
    EXPECT_EQ(s.FStartRow, c.expStart) << c.start << ".." << c.end << " op " << c.op << " at " << c.row;
    EXPECT_EQ(s.FEndRow, c.expEnd);
  }
}

TEST(SelArea, SelectChangedReportsAppearingAndVanishing) {
  Fresh s;
  EXPECT_EQ(s.SelectChanged(), slNone);
  s.PutStartRow(1);
  EXPECT_EQ(s.SelectChanged(), slSel);
  EXPECT_EQ(s.SelectChanged(), slNone);
  s.PutStartPoint({0, 0});
  s.PutEndPoint({1, 0});
  EXPECT_EQ(s.SelectChanged(), slNone);  // still selected
  s.RowReset();
  s.PointReset();
  EXPECT_EQ(s.SelectChanged(), slDisSel);
  EXPECT_EQ(s.SelectChanged(), slNone);
}

TEST(SelArea, ControlCachesLargestIndentAndSmallestWrapOfSelectedRows) {
  TestApp();
  auto edit = std::make_unique<TEditProbe>(nullptr);
  for (int i = 0; i < 4; ++i) edit->AddLine("row\r");
  const int indents[] = {0, 4, 2, 9};
  const int wraps[] = {60, 40, 80, 10};
  for (int r = 0; r < 4; ++r) {
    edit->GetLinesAttr(r + 1)->Indent = static_cast<std::int16_t>(indents[r]);
    edit->GetLinesAttr(r + 1)->WrapPos = static_cast<std::int16_t>(wraps[r]);
  }
  edit->FSelArea->PutStartRow(3);  // rows 1..3, stored backwards
  edit->FSelArea->PutEndRow(1);
  edit->SetSelAreaMaxMin();
  EXPECT_EQ(edit->FSelArea->FMaxIndent, 4);
  EXPECT_EQ(edit->FSelArea->FMinWrapPos, 40);
}

}  // namespace
