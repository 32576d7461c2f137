// The undo history of the editor control: row-level records grouped by user
// operation, kept in a slot list that is unlimited or bounded by UndoMax, and
// the saved position behind the control's Edited flag.
#pragma once

#include <cstdint>

#include "editor/AfeditTypes.h"

// Kind of one recorded row change.
enum TUndoAction : std::uint8_t {
  acInsert = 0,     // a row was inserted
  acDelete = 1,     // a row was deleted
  acChange = 2,     // a row's text and attributes were replaced
  acMove = 3,       // a row was copied onto another row
  acOverWrite = 4,  // no effect on replay
};

// A row's attribute record as an undo record keeps it: every field but
// ColAttrs, which a copy never owns. It reads back as a record without a
// column list.
struct TUndoAttr : TRowAttrFields {
  TUndoAttr() = default;
  TUndoAttr(const TAttrListItem& a) : TRowAttrFields(a) {}  // NOLINT: implicit, a record is stored as given
  operator TAttrListItem() const { return TAttrListItem{{*this}}; }  // NOLINT: implicit
};

// One recorded row change. The texts share their buffers with the rows they
// came from or went to; a record takes no copy of its own.
struct TUndoBuffItem {
  int Group = 0;  // the control's FUndoGroup when the record was made
  int Row = 0;
  int Row2 = 0;   // second row of an acMove record
  TPoint Caret{0, 0};
  TUndoAction Action = acInsert;
  AnsiString OldText;
  AnsiString NewText;
  TUndoAttr OldAttr;
  TUndoAttr NewAttr;
};
using PUndoBuffItem = TUndoBuffItem*;

// The slot list of undo records. Slots [0, FPos) can be undone, [FPos, FTop)
// redone; slots past FTop may still hold records of an abandoned redo range,
// which later pushes reuse in place.
class TUndoBuff : public TList {
 public:
  // Makes n empty slots; FMaxCount starts at 0 and is set by the owner.
  explicit TUndoBuff(int n);
  ~TUndoBuff() override;
  TUndoBuff(const TUndoBuff&) = delete;
  TUndoBuff& operator=(const TUndoBuff&) = delete;

  // Reset, then no slots at all.
  void Clear() override;
  // Records one change (see the .cpp for the bounded-buffer rules).
  void Push(int group, int row, int row2, const TPoint& caret, TUndoAction action,
            AnsiString oldText, AnsiString newText, const TAttrListItem& oldAttr,
            const TAttrListItem& newAttr);
  // Record before the position, or null; the position does not move.
  PUndoBuffItem PrevPop();
  // Record at the position when it lies below FTop, or null.
  PUndoBuffItem NextPop();
  void ToPrev() { --FPos; }
  void ToNext() { ++FPos; }
  // Sets the number of slots; slots past n are dropped with their records.
  void SetCount(int n);
  // Frees every record (the slots stay), FPos = FSavedPos = 0, FCanUndo false.
  void Reset();

  // Maximum number of slots: -1 unlimited. Writing it may reset the history
  // when the records held no longer fit (see SetMaxCount).
  int GetMaxCount() const { return FMaxCount; }
  void SetMaxCount(int n);

  // Edited flag of the control: the position differs from the saved one.
  bool IsEdited() const { return FPos != FSavedPos; }
  // Marks the current position as saved (SetEdited(false), SaveToFile).
  void MarkSaved() { FSavedPos = FPos; }

  int FLastGroup = 0;
  int FGroupRepeat = 0;
  bool FCanUndo = false;
  int FPos = 0;
  int FSavedPos = 0;  // -1: no position holds the saved text any more
  int FTop = 0;
  int FMaxCount = 0;

 private:
  PUndoBuffItem Slot(int i) const;
  void FreeSlot(int i);
};
