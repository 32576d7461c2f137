// Paste and quoted rows: the clipboard text or the private row copy put in at
// the caret, a text put in as whole rows behind a prefix, WM_PASTE.
#include <algorithm>

#include "editor/Afedit.h"
#include "platform/qt/Caret.h"
#include "platform/qt/Clipboard.h"

namespace {

// Puts a flag back to the value it had, on every way out of a scope.
class FlagKeeper {
 public:
  explicit FlagKeeper(bool& flag) : FFlag(flag), FOld(flag) {}
  ~FlagKeeper() { FFlag = FOld; }
  FlagKeeper(const FlagKeeper&) = delete;
  FlagKeeper& operator=(const FlagKeeper&) = delete;
  void Restore() { FFlag = FOld; }

 private:
  bool& FFlag;
  bool FOld;
};

// Keeps the caret hidden until Show, or until the scope is left.
class CaretHidden {
 public:
  explicit CaretHidden(HWND wnd) : FWnd(wnd) { HideCaret(FWnd); }
  ~CaretHidden() { Show(); }
  CaretHidden(const CaretHidden&) = delete;
  CaretHidden& operator=(const CaretHidden&) = delete;
  void Show() {
    if (FHidden) ShowCaret(FWnd);
    FHidden = false;
  }

 private:
  HWND FWnd;
  bool FHidden = true;
};

// True when the two texts hold the same bytes once every CR and LF is left
// out of both.
bool SameButLineEnds(const AnsiString& a, const AnsiString& b) {
  auto isEnd = [](char c) { return c == '\r' || c == '\n'; };
  size_t i = 0, j = 0;
  for (;;) {
    while (i < a.size() && isEnd(a[i])) ++i;
    while (j < b.size() && isEnd(b[j])) ++j;
    if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
    if (a[i++] != b[j++]) return false;
  }
}

// Control bytes other than TAB never enter a row, as with typed text.
AnsiString WithoutControlBytes(const AnsiString& line) {
  AnsiString out;
  out.reserve(line.size());
  for (char c : line)
    if (static_cast<unsigned char>(c) >= 32 || c == '\t') out.push_back(c);
  return out;
}

}  // namespace

void TCustomAFEdit::ClipInsert() {
  // The clipboard is read once; this text is used throughout.
  ClipInsert(Clipboard()->GetAsText());
}

void TCustomAFEdit::ClipInsert(const AnsiString& text) {
  if (text.empty()) return;
  CaretHidden caret(this);

  if (FSelArea->isPointAble() || FSelArea->isRowAble()) {
    FlagKeeper updating(FUpdating);
    FUpdating = true;
    SelectAreaDel();
    // The paste's own raise below gives back the group of the deletion.
    --FUndoGroup;
  }

  const bool fromPrivate = FClipLines->Count() >= 1 && SameButLineEnds(text, FClipLines->GetText());

  {
    FlagKeeper updating(FUpdating);
    FlagKeeper insertMode(FInsertMode);
    FUpdating = true;
    FInsertMode = true;
    if (fromPrivate) {
      ++FUndoGroup;
      TStringsUpdate update(FLines);
      FillToCaretRow();
      const int n = FClipLines->Count();
      FLines->SetCapacity(Max(FLines->Capacity(), GetLinesCount() + n - 1));
      InsertClipRows(nullptr, 0, n - 1, true, false);
      const AnsiString& last = FClipLines->Get(n - 1);
      if (!last.empty()) {
        TAttrListItem attr = *FClipAttrs->GetItem(n - 1);
        attr.ColAttrs = nullptr;
        InsertLineP(FCaret.y, last, attr);
        ++FCaret.y;
      } else if (OnUndoChange) {
        // The empty row after a CR-ended last row is left out.
        OnUndoChange(this, FUndoBuff->FCanUndo, false);
      }
    } else {
      TStringList lines;
      lines.SetText(text);
      if (lines.Count() == 0) lines.Add(AnsiString());
      const bool endsWithBreak = text.back() == '\r' || text.back() == '\n';
      TStringsUpdate update(FLines);
      ++FUndoGroup;
      const int n = lines.Count();
      if (n >= 2) {
        --FUndoGroup;
        KeyInput(lines[0] + "\r");
        InsertClipRows(&lines, 1, n - 2, false, false);
      }
      --FUndoGroup;
      KeyInput(endsWithBreak ? lines[n - 1] + "\r" : lines[n - 1]);
      if (OnUndoChange) OnUndoChange(this, FUndoBuff->FCanUndo, false);
    }
    if (fromPrivate) {
      for (int r = FCaret.y; r < FTopLine + GetDspRowCount() && r < GetLinesCount(); ++r)
        GetLinesAttr(r)->Changed = 1;
      ValiPaint();
    }
  }

  ShowPastedRows();
  caret.Show();
  SetCaretPosition();
}

void TCustomAFEdit::QuoteInsert(AnsiString text, AnsiString prefix) {
  if (text.empty()) return;
  {
    FlagKeeper updating(FUpdating);
    FUpdating = true;
    TStringList lines;
    lines.SetText(text);
    if (!prefix.empty())
      for (int i = 0; i < lines.Count(); ++i) lines.Put(i, prefix + lines[i]);
    {
      TStringsUpdate update(FLines);
      ++FUndoGroup;
      FillToCaretRow();
      InsertClipRows(&lines, 0, lines.Count(), false, true);
    }
    if (OnUndoChange) OnUndoChange(this, FUndoBuff->FCanUndo, false);
  }
  ShowPastedRows();
  ShowCaret(this);
  SetCaretPosition();
}

void TCustomAFEdit::WMPaste(TMessage& Message) {
  ++FUndoGroup;
  ClipInsert();
}

void TCustomAFEdit::ShowPastedRows() {
  const int rows = GetDspRowCount();
  if (FTopLine + rows < FCaret.y + 2) {
    FTopLine = Max(FCaret.y - rows + 2, 0);
    Paint();
  } else {
    ValiPaint();
  }
}

void TCustomAFEdit::FillToCaretRow() {
  // As typed text does: the last row becomes a paragraph end, rows holding
  // only a CR follow, and the caret row is a new empty row.
  const int target = FCaret.y;
  if (target < GetLinesCount()) return;
  const int last = GetLinesCount() - 1;
  if (!isCrLine(last)) LineChange(last, GetLine(last) + "\r", false);
  TAttrListItem attr = *GetLinesAttr(last);
  attr.ColAttrs = nullptr;
  while (GetLinesCount() < target) AddLineP("\r", attr);
  AddLineP(AnsiString(), attr);
}

void TCustomAFEdit::InsertClipRows(TStrings* lines, int first, int n, bool fromPrivate,
                                   bool flagMoved) {
  const int caretRow = FCaret.y;
  const int oldCount = GetLinesCount();
  TAttrListItem caretAttr = *GetLinesAttr(caretRow);
  caretAttr.ColAttrs = nullptr;

  // 1. n empty rows with all-zero records at the end.
  const TAttrListItem zero{};
  for (int i = 0; i < n; ++i) {
    FLines->Add(AnsiString());
    ColAttrFree(oldCount + i);  // a record past the last row may still be there
    FLinesAttr->SetItem(oldCount + i, &zero);
  }
  // 2. Blocks at or below the caret row move down.
  for (int i = 0; i < FBlkAttrs->Count(); ++i) {
    TBlkAttrListItem* blk = FBlkAttrs->PeekItem(i);
    if (!blk) continue;
    if (blk->StartPos.y >= caretRow) blk->StartPos.y += n;
    if (blk->EndPos.y >= caretRow) blk->EndPos.y += n;
  }
  // 3. The rows from the caret row on move down by n, from the bottom up; a
  // record's column list moves with it.
  for (int r = oldCount - 1 + n; r >= caretRow + n; --r) {
    FLines->Put(r, FLines->Get(r - n));
    FLinesAttr->SetItem(r, FLinesAttr->GetItem(r - n));
    if (flagMoved) GetLinesAttr(r)->Changed = 1;
  }
  // 4. Fill the opened rows.
  for (int i = 0; i < n; ++i) {
    const int row = caretRow + i;
    TAttrListItem attr;
    AnsiString text;
    if (fromPrivate) {
      attr = *FClipAttrs->GetItem(first + i);
      text = FClipLines->Get(first + i);
    } else {
      attr = row < oldCount ? *GetLinesAttr(row) : caretAttr;
      text = WithoutControlBytes(lines->Get(first + i)) + "\r";
    }
    attr.ColAttrs = nullptr;
    FLinesAttr->SetItem(row, &attr);
    FLines->Put(row, text);
    FUndoBuff->Push(FUndoGroup, row, 0, FCaret, acInsert, AnsiString(), text, zero, attr);
    GetLinesAttr(row)->Changed = 1;
    NoteRowWidth(text);
  }
  FCaret.y = caretRow + n;
}
