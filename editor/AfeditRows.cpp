// Row operations: every change to the set of rows or to the text of a row.
// The working operations (AddLineP, InsertLineP, DelLineP, LineChange) record
// into the current undo group; the public ones open a new group first. Each
// fires the row events, keeps the attribute list in step with the rows and
// flags the touched rows for repainting.
#include "editor/Afedit.h"

void TCustomAFEdit::AddLineP(AnsiString text, const TAttrListItem& attr) {
  TAttrListItem a = attr;
  const int n = FLines->Count();
  if (OnLineInsert) OnLineInsert(this, n, text);
  FUndoBuff->Push(FUndoGroup, n, 0, FCaret, acInsert, AnsiString(), text, TAttrListItem(), a);
  FLines->Add(text);
  // An item may already stand at n (read past the last row); it must not
  // keep a column list that no row owns any more.
  if (TAttrListItem* old = FLinesAttr->PeekItem(n); old && old->ColAttrs) ColAttrFree(n);
  a.ColAttrs = nullptr;
  a.Changed = 1;
  FLinesAttr->SetItem(n, &a);
  if (OnUndoChange) OnUndoChange(this, FUndoBuff->FCanUndo, false);
}

void TCustomAFEdit::InsertLineP(int row, AnsiString text, const TAttrListItem& attr) {
  TAttrListItem a = attr;
  if (OnLineInsert) OnLineInsert(this, row, text);
  FUndoBuff->Push(FUndoGroup, row, 0, FCaret, acInsert, AnsiString(), text, TAttrListItem(), a);
  FLines->Insert(row, text);
  NoteRowWidth(text);
  a.Changed = 1;
  a.ColAttrs = nullptr;
  FLinesAttr->Insert(row, a);
  BlkAttrLineEdit(row, emInsert);
  if (!FUpdating) SetScrollBars(FScrollBars);
  if (OnUndoChange) OnUndoChange(this, FUndoBuff->FCanUndo, false);
}

void TCustomAFEdit::DelLineP(int row) {
  if (OnLineDelete) OnLineDelete(this, row);
  FUndoBuff->Push(FUndoGroup, row, 0, FCaret, acDelete, FLines->Get(row), AnsiString(),
                  *GetLinesAttr(row), TAttrListItem());
  FLines->Delete(row);
  FLinesAttr->Delete(row);  // frees the row's column list
  BlkAttrLineEdit(row, emDelete);
  if (row < FCaret.y) --FCaret.y;
  SetScrollBars(FScrollBars);
  if (OnUndoChange) OnUndoChange(this, FUndoBuff->FCanUndo, false);
}

void TCustomAFEdit::LineChange(int row, AnsiString text, bool newGroup) {
  bool canModify = true;
  if (OnBeforeChange) OnBeforeChange(this, row, text, canModify);
  if (!canModify) return;
  const TAttrListItem old = *GetLinesAttr(row);
  TAttrListItem changed = old;
  changed.Changed = 1;
  if (newGroup) ++FUndoGroup;
  FUndoBuff->Push(FUndoGroup, row, 0, FCaret, acChange, FLines->Get(row), text, old, changed);
  FLines->Put(row, text);
  GetLinesAttr(row)->Changed = 1;
  if (OnChange) {
    // The handler may rewrite the row; its change joins the same group.
    OnChange(this);
    FUndoBuff->Push(FUndoGroup, row, 0, FCaret, acChange, text, FLines->Get(row), changed,
                    *GetLinesAttr(row));
  }
  NoteRowWidth(FLines->Get(row));
  if (OnUndoChange) OnUndoChange(this, FUndoBuff->FCanUndo, false);
}

void TCustomAFEdit::SetLine(int row, AnsiString text) { LineChange(row, std::move(text), true); }

void TCustomAFEdit::AddLine(AnsiString text) {
  ++FUndoGroup;
  if (FLines->Count() == 0)
    AddLineP(std::move(text), MakeAttr(true, 0, FDefWrapPos));
  else
    AddLineP(std::move(text), *GetLinesAttr(FLines->Count() - 1));
  SetScrollBars(FScrollBars);
}

void TCustomAFEdit::InsertLine(int row, AnsiString text) {
  ++FUndoGroup;
  if (row <= 0)
    InsertLineP(row, std::move(text), MakeAttr(true, 0, FDefWrapPos));
  else
    InsertLineP(row, std::move(text), *GetLinesAttr(row - 1));
  ++FCaret.y;
}

// The store never stays empty: deleting the only row leaves one empty row
// (in the same undo group), and the caret stays on an existing row.
void TCustomAFEdit::DelLine(int row) {
  ++FUndoGroup;
  DelLineP(row);
  if (FLines->Count() == 0) AddLineP("", MakeAttr(true, 0, FDefWrapPos));
  if (FCaret.y > FLines->Count() - 1) FCaret.y = FLines->Count() - 1;
  if (FCaret.y < 0) FCaret.y = 0;
}

AnsiString TCustomAFEdit::GetLine(int row) { return FLines->Get(row); }

int TCustomAFEdit::GetLinesCount() { return FLines->Count(); }

bool TCustomAFEdit::isCrLine(int row) {
  const AnsiString& s = FLines->Get(row);
  return !s.empty() && s.back() == '\r';
}

int TCustomAFEdit::GetWrapPos(int row) { return GetLinesAttr(row)->WrapPos; }

void TCustomAFEdit::SetWrapPos(int row, int pos) {
  GetLinesAttr(row)->WrapPos = static_cast<std::int16_t>(pos);
}

void TCustomAFEdit::EmptyText(bool oneEmptyRow) {
  for (int r = 0; r < FLinesAttr->Count(); ++r)
    if (TAttrListItem* attr = FLinesAttr->PeekItem(r); attr && attr->ColAttrs) ColAttrFree(r);
  FLines->Clear();
  FLinesAttr->Clear();
  FBlkAttrs->Clear();
  FTopLine = 0;
  // Added before the history is reset, so that the row leaves no undo step.
  if (oneEmptyRow) AddLineP("", MakeAttr(false, 0, FDefWrapPos));
  FUndoBuff->Reset();
  if (OnUndoChange) OnUndoChange(this, false, false);
  FSelArea->RowReset();
  FSelArea->PointReset();
  FMaxRowLen = 0;
}

void TCustomAFEdit::Clear() {
  EmptyText(true);
  SetScrollBars(FScrollBars);
  ValiPaint();
  FCaret = TPoint(0, 0);
  SetCaretPosition();
}

void TCustomAFEdit::BeginUpdate() { FUpdating = true; }

void TCustomAFEdit::EndUpdate() {
  FUpdating = false;
  Paint();
}
