// The undo buffer: record slots, grouping, the bounded-buffer rules and the
// saved position.
#include "editor/UndoBuff.h"

namespace {

// Slots a bounded buffer of UndoMax n really has. It holds at most
// slots - 1 records, so UndoMax 1 gets two slots and keeps one record.
int BoundedSlots(int maxCount) { return maxCount == 1 ? 2 : maxCount; }

}  // namespace

TUndoBuff::TUndoBuff(int n) { SetCount(n); }

TUndoBuff::~TUndoBuff() { Clear(); }

PUndoBuffItem TUndoBuff::Slot(int i) const { return static_cast<PUndoBuffItem>(Get(i)); }

void TUndoBuff::FreeSlot(int i) {
  PUndoBuffItem item = Slot(i);
  Put(i, nullptr);
  delete item;
}

void TUndoBuff::Clear() {
  Reset();
  TList::Clear();
}

void TUndoBuff::Reset() {
  for (int i = 0; i < Count(); ++i) FreeSlot(i);
  FPos = 0;
  FSavedPos = 0;
  FCanUndo = false;
}

void TUndoBuff::SetCount(int n) {
  if (n < 0) n = 0;
  for (int i = n; i < Count(); ++i) FreeSlot(i);
  TList::SetCount(n);
}

void TUndoBuff::SetMaxCount(int n) {
  // A bound that can no longer hold the records below the position discards
  // the history at once, instead of leaving the position past the slots.
  if (n >= 0 && FPos > 0 && FPos >= BoundedSlots(n)) {
    bool edited = IsEdited();
    Reset();
    if (edited) FSavedPos = -1;  // the text stays edited until it is saved
  }
  FMaxCount = n;
}

void TUndoBuff::Push(int group, int row, int row2, const TPoint& caret, TUndoAction action,
                     AnsiString oldText, AnsiString newText, const TAttrListItem& oldAttr,
                     const TAttrListItem& newAttr) {
  FGroupRepeat = group == FLastGroup ? FGroupRepeat + 1 : 0;
  FCanUndo = true;

  // A saved position inside the redo range that this push abandons can never
  // be reached again (else save, undo, edit would read as unedited).
  if (FSavedPos > FPos) FSavedPos = -1;

  if (FMaxCount == 0) {
    // UndoMax 0 keeps nothing; the edit still marks the text as edited.
    FCanUndo = false;
    FLastGroup = group;
    if (FPos > 0) Reset();
    FSavedPos = -1;
    return;
  }

  if (FMaxCount > 0) {
    int slots = BoundedSlots(FMaxCount);
    if (FGroupRepeat >= Count()) {
      // The group no longer fits: the whole history goes once, when its
      // record number slot-count + 1 arrives, and the rest of the group is
      // dropped.
      FCanUndo = false;
      if (FGroupRepeat == Count()) Reset();
      FSavedPos = -1;
      FLastGroup = group;
      return;
    }
    if (Count() != slots) SetCount(slots);
    if (FPos >= Count() - 1) {
      // Full: the oldest group goes at once. The saved position is not moved.
      PUndoBuffItem first = Slot(0);
      int oldest = first ? first->Group : 0;
      while (Count() > 0 && Slot(0) && Slot(0)->Group == oldest) {
        PUndoBuffItem item = Slot(0);
        TList::Delete(0);
        delete item;
        TList::Add(nullptr);
        --FPos;
      }
      if (FPos < 0) FPos = 0;
    }
  } else if (FPos >= Count() - 1) {
    TList::Add(nullptr);  // unlimited: always one free slot past the last record
  }

  PUndoBuffItem item = Slot(FPos);
  if (!item) {
    item = new TUndoBuffItem();
    Put(FPos, item);
  }
  item->Group = group;
  item->Row = row;
  item->Row2 = row2;
  item->Caret = caret;
  item->Action = action;
  item->OldText = std::move(oldText);
  item->NewText = std::move(newText);
  item->OldAttr = oldAttr;
  item->NewAttr = newAttr;
  ++FPos;
  FTop = FPos;
  FLastGroup = group;
}

PUndoBuffItem TUndoBuff::PrevPop() {
  if (FPos < 1 || FPos > Count()) return nullptr;
  return Slot(FPos - 1);
}

PUndoBuffItem TUndoBuff::NextPop() {
  if (FPos < 0 || FPos >= FTop || FPos >= Count()) return nullptr;
  return Slot(FPos);
}
