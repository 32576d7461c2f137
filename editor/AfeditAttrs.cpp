// Attribute bookkeeping on edits: block attributes (text points) and column
// attributes (one item per byte of a row) follow the text when rows are
// inserted or deleted, when bytes are inserted into or deleted from a row,
// and when wrapping moves bytes between neighbouring rows.
#include "editor/Afedit.h"

namespace {

// Drops block i: flags its existing rows for repainting, then deletes it
// through the list, which reports the deletion to the control.
void DropBlock(TBlkAttrList* blocks, TAttrList* attrs, int rowCount, int i) {
  TBlkAttrListItem* b = blocks->GetItem(i);
  int first = Max(b->StartPos.y, 0);
  int last = Min(b->EndPos.y, rowCount - 1);
  for (int r = first; r <= last; ++r) attrs->GetItem(r)->Changed = 1;
  blocks->Delete(i);
}

// Index of the last block, or of the last one still present when a deletion
// handler shortened the list while it is walked.
int ClampIndex(TBlkAttrList* blocks, int i) { return Min(i, blocks->Count() - 1); }

}  // namespace

void TCustomAFEdit::BlkAttrDelete(TObject* Sender, int AStartRow, int AEndRow) {
  if (FOnBlkAttrDelete) FOnBlkAttrDelete(this, AStartRow, AEndRow);
}

void TCustomAFEdit::BlkAttrLineEdit(int row, TEditMode mode) {
  const int rows = FLines->Count();
  switch (mode) {
    case emInsert:
      for (int i = 0; i < FBlkAttrs->Count(); ++i) {
        TBlkAttrListItem* b = FBlkAttrs->GetItem(i);
        if (b->StartPos.y >= row) ++b->StartPos.y;
        if (b->EndPos.y >= row) ++b->EndPos.y;
      }
      break;
    case emDelete:
      // The rows below move up first; a block that then begins or ends on the
      // deleted row's index lost a row it was tied to.
      for (int i = FBlkAttrs->Count() - 1; i >= 0; i = ClampIndex(FBlkAttrs, i - 1)) {
        TBlkAttrListItem* b = FBlkAttrs->GetItem(i);
        if (b->StartPos.y > row) --b->StartPos.y;
        if (b->EndPos.y > row) --b->EndPos.y;
        if (b->StartPos.y == row || b->EndPos.y == row) DropBlock(FBlkAttrs, FLinesAttr, rows, i);
      }
      break;
    case emChange:
      for (int i = FBlkAttrs->Count() - 1; i >= 0; i = ClampIndex(FBlkAttrs, i - 1)) {
        TBlkAttrListItem* b = FBlkAttrs->GetItem(i);
        if (b->StartPos.y == row || b->EndPos.y == row) DropBlock(FBlkAttrs, FLinesAttr, rows, i);
      }
      break;
    case emAdd:
      break;
  }
}

// Only the points of the edited row that lie after the edit move: an insert
// at column col moves points right of col, a deletion of [col, col + len)
// moves points at or after its end. Points before the edit stay, so a block
// within one row keeps its width and a deletion after a block leaves it alone.
void TCustomAFEdit::BlkAttrEdit(int row, int col, int len, TEditMode mode) {
  if (mode == emInsert) {
    for (int i = 0; i < FBlkAttrs->Count(); ++i) {
      TBlkAttrListItem* b = FBlkAttrs->GetItem(i);
      if (b->StartPos.y == row && b->StartPos.x > col) b->StartPos.x += len;
      if (b->EndPos.y == row && b->EndPos.x > col) b->EndPos.x += len;
    }
  } else if (mode == emDelete) {
    const TPoint d0(col, row);
    const TPoint d1(col + len, row);
    const int rows = FLines->Count();
    for (int i = FBlkAttrs->Count() - 1; i >= 0; i = ClampIndex(FBlkAttrs, i - 1)) {
      TBlkAttrListItem* b = FBlkAttrs->GetItem(i);
      if (PointInRange(b->StartPos, d0, d1) || PointInRange(b->EndPos, d0, d1)) {
        DropBlock(FBlkAttrs, FLinesAttr, rows, i);
        continue;
      }
      if (b->StartPos.y == row && b->StartPos.x >= col + len) b->StartPos.x -= len;
      if (b->EndPos.y == row && b->EndPos.x >= col + len) b->EndPos.x -= len;
    }
  }
}

void TCustomAFEdit::BlkAttrBlockEdit(int a, int b, int len, TEditMode mode) {
  if (FBlkAttrs->Count() == 0) return;
  if (mode == emInsert) {
    // The last len bytes of row a become the head of row a + 1.
    const int keep = static_cast<int>(FLines->Get(a).size()) - len;
    auto move = [&](TPoint& p) {
      if (p.y == a + 1) {
        p.x += len;
      } else if (p.y == a && p.x >= keep) {
        p.y = a + 1;
        p.x -= keep;
      }
    };
    for (int i = 0; i < FBlkAttrs->Count(); ++i) {
      TBlkAttrListItem* blk = FBlkAttrs->GetItem(i);
      move(blk->StartPos);
      move(blk->EndPos);
    }
  } else if (mode == emAdd) {
    // The first len bytes of row a are appended to row b, the row above it.
    const int lengthB = static_cast<int>(FLines->Get(b).size());
    auto move = [&](TPoint& p) {
      if (p.y != a) return;
      if (p.x <= len) {
        p.y = b;
        p.x += lengthB;
      } else {
        p.x -= len;
      }
    };
    for (int i = 0; i < FBlkAttrs->Count(); ++i) {
      TBlkAttrListItem* blk = FBlkAttrs->GetItem(i);
      move(blk->StartPos);
      move(blk->EndPos);
    }
  }
}

// A list can be shorter than its row (it is made at the row's length and not
// kept in step by whole-row replacements): an insert past its end first
// lengthens it with zero items, a deletion stops at its end.
void TCustomAFEdit::ColAttrEdit(int row, int col, int len, TEditMode mode) {
  TAttrListItem* attr = FLinesAttr->PeekItem(row);
  if (!attr || !attr->ColAttrs || len <= 0) return;
  TColAttrList* list = attr->ColAttrs;
  switch (mode) {
    case emInsert:
      col = Max(col, 0);
      if (col > list->Count()) list->SetCount(col);
      // Empty slots read as zero items.
      for (int i = 0; i < len; ++i) list->TList::Insert(col, nullptr);
      break;
    case emAdd:
      list->SetCount(list->Count() + len);
      break;
    case emDelete:
      col = Max(col, 0);
      for (int i = 0; i < len && col < list->Count(); ++i) list->Delete(col);
      break;
    case emChange:
      break;
  }
}

void TCustomAFEdit::ColAttrBlockEdit(int a, int b, int len, TEditMode mode) {
  TAttrListItem* attrA = FLinesAttr->PeekItem(a);
  if (!attrA || !attrA->ColAttrs) return;
  const int lengthB = static_cast<int>(FLines->Get(b).size());
  // Row b keeps no column attribute of its own.
  TColAttrList* listB = GetColAttrs(b);
  for (int i = 0; i < listB->Count(); ++i)
    if (TColAttrListItem* item = listB->PeekItem(i)) item->HasAttr = 0;
  TColAttrList* listA = FLinesAttr->GetItem(a)->ColAttrs;
  if (len <= 0) return;

  if (mode == emInsert) {
    // The tail of a becomes the head of b.
    ColAttrEdit(b, 0, len, emInsert);
    const int k = Max(static_cast<int>(FLines->Get(a).size()) - len, 0);
    for (int i = 0; i < len; ++i) *listB->GetItem(i) = *listA->GetItem(k + i);
    ColAttrEdit(a, k, len, emDelete);
  } else if (mode == emAdd) {
    // The head of a goes to the end of b.
    for (int i = 0; i < len; ++i) {
      ColAttrEdit(b, 0, 1, emAdd);
      *listB->GetItem(lengthB + i) = *listA->GetItem(i);
    }
    ColAttrEdit(a, 0, len, emDelete);
  }
}
