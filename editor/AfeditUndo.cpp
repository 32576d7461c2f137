// Undo and Redo: replay of the undo buffer's records, one group per step.
#include "editor/Afedit.h"
#include "platform/qt/Caret.h"

namespace {

// Replaces row `row` with a text and a record; the row's column list goes.
void ReplaceRow(TCustomAFEdit& edit, TStringList* lines, TAttrList* attrs, int row,
                       const AnsiString& text, const TUndoAttr& attr) {
  lines->Put(row, text);
  edit.ColAttrFree(row);
  TAttrListItem stored = attr;  // without a column list
  attrs->SetItem(row, &stored);
}

}  // namespace

void TCustomAFEdit::Undo() {
  PUndoBuffItem r = FUndoBuff->PrevPop();
  if (r) {
    int group;
    do {
      switch (r->Action) {
        case acInsert:
          if (OnLineDelete) OnLineDelete(this, r->Row);
          FLines->Delete(r->Row);
          FLinesAttr->Delete(r->Row);
          BlkAttrLineEdit(r->Row, emDelete);
          break;
        case acDelete: {
          // The handler's change of the text is kept in the record as well.
          if (OnLineInsert) OnLineInsert(this, r->Row, r->OldText);
          FLines->Insert(r->Row, r->OldText);
          FLinesAttr->Insert(r->Row, TAttrListItem(r->OldAttr));
          BlkAttrLineEdit(r->Row, emInsert);
          break;
        }
        case acChange:
          ReplaceRow(*this, FLines, FLinesAttr, r->Row, r->OldText, r->OldAttr);
          BlkAttrLineEdit(r->Row, emChange);
          break;
        case acMove: {
          AnsiString text = FLines->Get(r->Row);
          const TUndoAttr attr = *GetLinesAttr(r->Row);  // without its column list
          ReplaceRow(*this, FLines, FLinesAttr, r->Row2, text, attr);
          ReplaceRow(*this, FLines, FLinesAttr, r->Row, r->OldText, r->OldAttr);
          break;
        }
        case acOverWrite:
          break;
      }
      FCaret = r->Caret;
      group = r->Group;
      FUndoBuff->ToPrev();
      r = FUndoBuff->PrevPop();
    } while (r && r->Group == group);
    AfterReplay();
    if (OnUndoChange) OnUndoChange(this, FUndoBuff->PrevPop() != nullptr, true);
  }

  HideCaret(this);
  int rows = GetDspRowCount();
  if (FCaret.y < FTopLine)
    FTopLine = Max(FCaret.y - 1, 0);
  else if (FTopLine + rows < FCaret.y + 2)
    FTopLine = Max(FCaret.y - rows + 2, 0);
  SetScrollBars(FScrollBars);
  Paint();
  ShowCaret(this);
}

void TCustomAFEdit::Redo() {
  PUndoBuffItem r = FUndoBuff->NextPop();
  if (!r) {
    HideCaret(this);
    SetScrollBars(FScrollBars);
    Paint();
    ShowCaret(this);
    return;
  }
  int group;
  do {
    switch (r->Action) {
      case acInsert:
        if (OnLineInsert) OnLineInsert(this, r->Row, r->NewText);
        FLines->Insert(r->Row, r->NewText);
        FLinesAttr->Insert(r->Row, TAttrListItem(r->NewAttr));
        BlkAttrLineEdit(r->Row, emInsert);
        break;
      case acDelete:
        if (OnLineDelete) OnLineDelete(this, r->Row);
        FLines->Delete(r->Row);
        ColAttrFree(r->Row);
        FLinesAttr->Delete(r->Row);
        BlkAttrLineEdit(r->Row, emDelete);
        break;
      case acChange:
        ReplaceRow(*this, FLines, FLinesAttr, r->Row, r->NewText, r->NewAttr);
        BlkAttrLineEdit(r->Row, emChange);
        break;
      case acMove: {
        AnsiString text = FLines->Get(r->Row2);
        const TUndoAttr attr = *GetLinesAttr(r->Row2);  // without its column list
        ReplaceRow(*this, FLines, FLinesAttr, r->Row, text, attr);
        break;
      }
      case acOverWrite:
        break;
    }
    FCaret = r->Caret;
    group = r->Group;
    FUndoBuff->ToNext();
    r = FUndoBuff->NextPop();
  } while (r && r->Group == group);
  AfterReplay();

  HideCaret(this);
  SetScrollBars(FScrollBars);
  Paint();
  ShowCaret(this);
  if (OnUndoChange) OnUndoChange(this, true, FUndoBuff->NextPop() != nullptr);
}

void TCustomAFEdit::AfterReplay() {
  // A bounded buffer may have dropped the first records of a group, so a
  // replay can leave the store without rows; it always keeps one.
  if (FLines->Count() == 0) {
    TAttrListItem attr = MakeAttr(true, 0, FDefWrapPos);
    FLines->Add(AnsiString());
    FLinesAttr->SetItem(0, &attr);
  }
  // A caret taken from a record can name a row that the replay removed.
  if (FCaret.y < 0) FCaret.y = 0;
  if (!FOptions.Contains(aoFreeCaret) && FCaret.y > GetLinesCount() - 1)
    FCaret.y = Max(GetLinesCount() - 1, 0);
}

// The Edited property lives in the undo buffer's positions.
bool TCustomAFEdit::isEdited() { return FUndoBuff->IsEdited(); }

void TCustomAFEdit::SetEdited(bool value) {
  if (value)
    FUndoBuff->FSavedPos = 0;  // reads true whenever the position is not 0
  else
    FUndoBuff->MarkSaved();
}
