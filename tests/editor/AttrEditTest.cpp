// Block and column attributes following the text through row and byte edits.
#include "tests/editor/RowsFixture.h"

namespace {

struct Block {
  TPoint start, end;
};

class AttrEditTest : public RowsTest {
 protected:
  void SetBlocks(const std::vector<Block>& blocks) {
    edit->FBlkAttrs->Clear();
    for (const Block& b : blocks) {
      TBlkAttrListItem item;
      item.StartPos = b.start;
      item.EndPos = b.end;
      item.Color = clRed;
      edit->FBlkAttrs->Add(item);
    }
  }
  std::vector<Block> GetBlocks() {
    std::vector<Block> out;
    for (int i = 0; i < edit->FBlkAttrs->Count(); ++i) {
      TBlkAttrListItem* b = edit->FBlkAttrs->GetItem(i);
      out.push_back({b->StartPos, b->EndPos});
    }
    return out;
  }
  void ClearChanged() {
    for (int r = 0; r < edit->GetLinesCount(); ++r) edit->GetLinesAttr(r)->Changed = 0;
  }
  std::vector<int> ChangedRows() {
    std::vector<int> out;
    for (int r = 0; r < edit->GetLinesCount(); ++r)
      if (edit->GetLinesAttr(r)->Changed) out.push_back(r);
    return out;
  }
};

std::string Describe(const std::vector<Block>& blocks) {
  std::string out;
  for (const Block& b : blocks)
    out += "(" + std::to_string(b.start.x) + "," + std::to_string(b.start.y) + ")-(" +
           std::to_string(b.end.x) + "," + std::to_string(b.end.y) + ") ";
  return out;
}

// The cases of one routine: a block list before, the call, the list after.
struct BlockCase {
  const char* name;
  std::vector<Block> before;
  int a, b, len;
  TEditMode mode;
  std::vector<Block> after;
};

void ExpectBlocks(const std::vector<Block>& got, const std::vector<Block>& want, const char* name) {
  EXPECT_EQ(Describe(got), Describe(want)) << name;
}

TEST_F(AttrEditTest, WholeRowEditsMoveOrDropBlocks) {
  SetRows(Rows(8, "0123456789\r"));
  const std::vector<BlockCase> cases = {
      {"insert above moves both ends", {{{2, 3}, {5, 6}}}, 1, 0, 0, emInsert, {{{2, 4}, {5, 7}}}},
      {"insert at the start row moves it", {{{2, 3}, {5, 6}}}, 3, 0, 0, emInsert, {{{2, 4}, {5, 7}}}},
      {"insert below changes nothing", {{{2, 3}, {5, 6}}}, 7, 0, 0, emInsert, {{{2, 3}, {5, 6}}}},
      {"delete inside pulls the end up", {{{2, 3}, {5, 6}}}, 4, 0, 0, emDelete, {{{2, 3}, {5, 5}}}},
      {"delete of the end row drops it", {{{2, 3}, {5, 6}}}, 6, 0, 0, emDelete, {}},
      {"delete of the row above its start drops it", {{{0, 5}, {3, 7}}}, 4, 0, 0, emDelete, {}},
      {"delete below keeps it", {{{2, 3}, {5, 6}}}, 7, 0, 0, emDelete, {{{2, 3}, {5, 6}}}},
      {"change drops every block on the row",
       {{{0, 2}, {1, 2}}, {{2, 2}, {3, 4}}, {{0, 1}, {4, 2}}}, 2, 0, 0, emChange, {}},
      {"change keeps blocks of other rows", {{{0, 1}, {1, 1}}, {{0, 2}, {1, 2}}}, 2, 0, 0, emChange,
       {{{0, 1}, {1, 1}}}},
      {"add does nothing", {{{2, 3}, {5, 6}}}, 3, 0, 0, emAdd, {{{2, 3}, {5, 6}}}},
  };
  for (const BlockCase& c : cases) {
    SetBlocks(c.before);
    edit->BlkAttrLineEdit(c.a, c.mode);
    ExpectBlocks(GetBlocks(), c.after, c.name);
  }
}

TEST_F(AttrEditTest, DroppedBlockFlagsItsExistingRowsAndReportsTheControl) {
  SetRows(Rows(5, "abc\r"));
  std::vector<std::pair<int, int>> reported;
  TObject* sender = nullptr;
  edit->FOnBlkAttrDelete = [&](TObject* s, int a, int b) {
    sender = s;
    reported.push_back({a, b});
  };
  SetBlocks({{{2, 3}, {5, 6}}});
  ClearChanged();
  edit->BlkAttrLineEdit(6, emDelete);  // the end row: rows 3 to 6, of which 3 and 4 exist
  EXPECT_TRUE(GetBlocks().empty());
  EXPECT_EQ(ChangedRows(), (std::vector<int>{3, 4}));
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0], (std::pair<int, int>{3, 6}));
  EXPECT_EQ(sender, edit);

  // Unassigned, the forwarding does nothing.
  edit->FOnBlkAttrDelete = nullptr;
  edit->BlkAttrDelete(edit->FBlkAttrs, 1, 2);
}

// Only points of the edited row that lie after the edit move, so a block
// inside one row keeps its width and a deletion after a block leaves it.
TEST_F(AttrEditTest, ByteEditsMoveOnlyPointsAfterTheEdit) {
  SetRows(Rows(4, "0123456789abcdef\r"));
  const std::vector<BlockCase> cases = {
      {"insert before the start row's start", {{{2, 0}, {8, 2}}}, 0, 1, 3, emInsert, {{{5, 0}, {8, 2}}}},
      {"insert inside a one-row block widens it", {{{0, 0}, {8, 0}}}, 0, 4, 3, emInsert, {{{0, 0}, {11, 0}}}},
      {"insert at the block's end keeps it", {{{2, 0}, {5, 0}}}, 0, 5, 3, emInsert, {{{2, 0}, {5, 0}}}},
      {"insert after the block keeps it", {{{2, 0}, {5, 0}}}, 0, 7, 3, emInsert, {{{2, 0}, {5, 0}}}},
      {"insert at the block's start keeps the start", {{{2, 0}, {5, 0}}}, 0, 2, 3, emInsert, {{{2, 0}, {8, 0}}}},
      {"insert before moves both", {{{2, 0}, {5, 0}}}, 0, 0, 3, emInsert, {{{5, 0}, {8, 0}}}},
      {"insert on another row", {{{2, 0}, {5, 0}}}, 1, 0, 3, emInsert, {{{2, 0}, {5, 0}}}},
      {"delete over the start drops", {{{4, 0}, {9, 0}}}, 0, 3, 2, emDelete, {}},
      {"delete over the end drops", {{{1, 0}, {4, 0}}}, 0, 3, 2, emDelete, {}},
      {"delete inside narrows", {{{0, 0}, {10, 0}}}, 0, 3, 2, emDelete, {{{0, 0}, {8, 0}}}},
      {"delete after the block keeps it", {{{2, 0}, {5, 0}}}, 0, 7, 3, emDelete, {{{2, 0}, {5, 0}}}},
      {"delete ending at the start moves it", {{{5, 0}, {8, 0}}}, 0, 1, 4, emDelete, {{{1, 0}, {4, 0}}}},
      {"delete before moves both", {{{5, 0}, {8, 0}}}, 0, 1, 2, emDelete, {{{3, 0}, {6, 0}}}},
      {"delete on the end row of a long block", {{{5, 0}, {8, 2}}}, 2, 1, 2, emDelete, {{{5, 0}, {6, 2}}}},
      {"change does nothing", {{{2, 0}, {5, 0}}}, 0, 0, 3, emChange, {{{2, 0}, {5, 0}}}},
  };
  for (const BlockCase& c : cases) {
    SetBlocks(c.before);
    edit->BlkAttrEdit(c.a, c.b, c.len, c.mode);
    ExpectBlocks(GetBlocks(), c.after, c.name);
    for (const Block& b : GetBlocks()) EXPECT_GE(b.start.x, 0) << c.name;
  }
}

TEST_F(AttrEditTest, WrappingMovesPointsBetweenNeighbourRows) {
  SetRows({"a\r", "b\r", "c\r", "d\r", "0123456789", "abcdef\r", ""});
  // Row 4 is 10 bytes long: its last 3 bytes become the head of row 5.
  SetBlocks({{{8, 4}, {6, 4}}, {{0, 5}, {9, 4}}});
  edit->BlkAttrBlockEdit(4, 5, 3, emInsert);
  ExpectBlocks(GetBlocks(), {{{1, 5}, {6, 4}}, {{3, 5}, {2, 5}}}, "tail of 4 to head of 5");

  // Row 4 is 7 bytes long: the first 3 bytes of row 5 go to its end.
  SetRows({"a\r", "b\r", "c\r", "d\r", "0123456", "abcdef\r", ""});
  SetBlocks({{{3, 5}, {4, 5}}, {{0, 4}, {0, 6}}});
  edit->BlkAttrBlockEdit(5, 4, 3, emAdd);
  ExpectBlocks(GetBlocks(), {{{10, 4}, {1, 5}}, {{0, 4}, {0, 6}}}, "head of 5 to end of 4");
}

// Column lists: (HasAttr, colour) per item, "-" for an item without attribute.
std::string Columns(TColAttrList* list) {
  std::string out;
  for (int i = 0; i < list->Count(); ++i) {
    TColAttrListItem* item = list->PeekItem(i);
    out += item && item->HasAttr ? static_cast<char>('0' + item->Color) : '-';
  }
  return out;
}

void Mark(TColAttrList* list, int i, int color) {
  TColAttrListItem* item = list->GetItem(i);
  item->HasAttr = 1;
  item->Color = color;
}

TEST_F(AttrEditTest, ColumnItemsFollowInsertsAndDeletes) {
  SetRows({"abcdef\r", "xyz\r", ""});
  edit->ColAttrEdit(1, 0, 2, emInsert);  // a row without a list stays without one
  EXPECT_EQ(edit->GetLinesAttr(1)->ColAttrs, nullptr);

  struct Case {
    const char* name;
    int col, len;
    TEditMode mode;
    std::string after;
  };
  const std::vector<Case> cases = {
      {"insert in the middle", 2, 2, emInsert, "12--3456-"},
      {"insert at the end", 7, 1, emInsert, "123456--"},
      {"insert past the end lengthens first", 9, 2, emInsert, "123456-----"},
      {"append", 0, 3, emAdd, "123456----"},
      {"delete", 1, 2, emDelete, "1456-"},
      {"delete running past the end", 5, 9, emDelete, "12345"},
      {"delete past the end", 20, 2, emDelete, "123456-"},
      {"nothing for length 0", 1, 0, emDelete, "123456-"},
      {"change does nothing", 1, 2, emChange, "123456-"},
  };
  for (const Case& c : cases) {
    edit->ColAttrFree(0);
    TColAttrList* list = edit->GetColAttrs(0);  // 7 items for "abcdef\r"
    for (int i = 0; i < 6; ++i) Mark(list, i, i + 1);
    edit->ColAttrEdit(0, c.col, c.len, c.mode);
    EXPECT_EQ(Columns(edit->GetLinesAttr(0)->ColAttrs), c.after) << c.name;
  }
}

TEST_F(AttrEditTest, ColumnItemsMoveBetweenRowsWhenWrapping) {
  // The tail of row 0 goes to the head of row 1; row 1 keeps no attribute of its own.
  SetRows({"abcdef", "xyz\r", ""});
  TColAttrList* a = edit->GetColAttrs(0);
  for (int i = 0; i < 6; ++i) Mark(a, i, i + 1);
  Mark(edit->GetColAttrs(1), 0, 9);
  edit->ColAttrBlockEdit(0, 1, 2, emInsert);
  EXPECT_EQ(Columns(edit->GetLinesAttr(0)->ColAttrs), "1234");
  EXPECT_EQ(Columns(edit->GetLinesAttr(1)->ColAttrs), "56----");

  // The head of row 1 goes to the end of row 0.
  SetRows({"ab", "cdef\r", ""});
  TColAttrList* b = edit->GetColAttrs(1);
  for (int i = 0; i < 4; ++i) Mark(b, i, i + 1);
  edit->ColAttrBlockEdit(1, 0, 3, emAdd);
  EXPECT_EQ(Columns(edit->GetLinesAttr(0)->ColAttrs), "--123");
  EXPECT_EQ(Columns(edit->GetLinesAttr(1)->ColAttrs), "4-");

  // A source row without a list changes nothing and creates nothing.
  SetRows({"ab", "cd\r", ""});
  edit->ColAttrBlockEdit(0, 1, 1, emInsert);
  EXPECT_EQ(edit->GetLinesAttr(1)->ColAttrs, nullptr);
}

}  // namespace
