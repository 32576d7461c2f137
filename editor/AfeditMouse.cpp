// Mouse selection and drags: the hit zones and their cursors, character and
// row selection with the left button, Shift extension, the wrap-column and
// indent drags in the ruler band, auto-scroll while a drag is held outside
// the text, and the double click on a word, a double-byte character or a
// run of equal column attributes.
#include <cstdint>

#include "editor/Afedit.h"
#include "platform/qt/Caret.h"
#include "platform/qt/Imm.h"

namespace {

// Cursor 5 of the screen's table: the row selection cursor ("RevCursor").
constexpr TCursor kRowSelCursor = 5;
// A wrap column stays at least this many columns right of the row's indent.
constexpr int kMinFoldWidth = 8;
// Milliseconds between two auto-scroll steps while the mouse is held still.
constexpr int kAutoScrollInterval = 30;

TPoint CursorPos() {
  TPoint p(0, 0);
  GetCursorPos(&p);
  return p;
}

// A client coordinate computed from the view's metrics, kept in the range a
// mouse message can carry.
int ClampCoord(long long v) {
  if (v < -32768) return -32768;
  if (v > 32767) return 32767;
  return static_cast<int>(v);
}

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Drops an input-method composition under way in the window.
void CancelComposition(HWND wnd) {
  if (!ImeComposing(wnd)) return;
  HIMC imc = ImmGetContext(wnd);
  ImmNotifyIME(imc, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
  ImmReleaseContext(wnd, imc);
}

}  // namespace

// ---------------------------------------------------------------------------
// Helpers.

// Signed divisions truncate toward zero: a pixel less than one cell left of
// the text or above it still maps to the first visible column or row.
TPoint TCustomAFEdit::MouseToCell(int x, int y) {
  int col = (x + FMouseXOffset - FTextLeft) / Max(FCharStep, 1) + FLeftCol;
  int row = (y - FTextTop) / Max(FRowHeight, 1) + FTopLine;
  row = Max(Min(row, GetLinesCount() - 1), 0);
  return TPoint(Max(col, 0), row);
}

void TCustomAFEdit::MarkRows(int a, int b) {
  const int first = Max(Min(a, b), 0);
  const int last = Min(Max(a, b), GetLinesCount() - 1);
  for (int r = first; r <= last; ++r) GetLinesAttr(r)->Changed = 1;
}

void TCustomAFEdit::DrawDragLine(int col) {
  const int x = ClampCoord(static_cast<long long>(col - FLeftCol) * FCharStep + FTextLeft);
  const TPenMode mode = Canvas->Pen->GetMode();
  Canvas->Pen->SetMode(pmNot);
  Canvas->MoveTo(x, FTextTop);
  Canvas->LineTo(x, FTextRect.Bottom);
  Canvas->Pen->SetMode(mode);
}

void TCustomAFEdit::SetMouseCursor(TCursor cursor) {
  if (GetCursor() != cursor) SetCursor(cursor);
}

// ---------------------------------------------------------------------------
// Auto-scroll. On Win32 the steps ran in a loop inside the mouse-move
// handler until the mouse moved; here the first step runs at once and the
// rest from the event loop, so that each step is seen on screen and the
// button's release ends the drag.

bool TCustomAFEdit::AutoScrollCanGo(TAutoScroll kind) {
  const int last = GetLinesCount() - 1;
  const int rows = GetDspRowCount();
  switch (kind) {
    case asRowDown: return FSelArea->GetEndRow() < last || FTopLine + rows < last;
    case asRowUp: return FSelArea->GetStartRow() > 0 || FTopLine > 0;
    case asCharDown: return FTopLine + rows < last || FSelArea->GetEndPoint().y < last;
    case asCharUp: return FSelArea->GetStartPoint().y > 0 || FTopLine > 0;
    case asCharRight: return FSelArea->FEndPoint.x < FMaxRowLen;
    // Also while the view is scrolled: the first columns come into view.
    case asCharLeft: return FSelArea->FEndPoint.x > 0 || FLeftCol > 0;
  }
  return false;
}

bool TCustomAFEdit::AutoScrollStep(TAutoScroll kind, int x, int y, TPoint& reached) {
  const int topBefore = FTopLine, leftBefore = FLeftCol;
  const TPoint endBefore = FSelArea->FEndPoint;
  const int endRowBefore = FSelArea->FEndRow;
  const int rows = GetDspRowCount();
  const int cols = GetDspColCount();
  const long long rowPixels = FRowHeight, colPixels = FCharStep;
  switch (kind) {
    case asRowDown:
      FSelArea->PutEndRow(MouseToCell(x, ClampCoord(FTextRect.Bottom + FAccelRate * rowPixels)).y);
      FTopLine = Max(MouseToCell(x, y).y - rows + 1, 0);
      Paint();
      reached = TPoint(0, FTopLine + rows);
      break;
    case asRowUp:
      FSelArea->PutEndRow(MouseToCell(x, ClampCoord(-(FAccelRate * rowPixels))).y);
      FTopLine = MouseToCell(x, y).y;
      Paint();
      reached = TPoint(0, FTopLine);
      break;
    case asCharDown:
      FSelArea->PutEndPoint(MouseToCell(x, ClampCoord(FTextRect.Bottom + rowPixels)));
      FTopLine = Max(MouseToCell(x, y).y - rows + 1, 0);
      Paint();
      reached = FSelArea->FEndPoint;
      break;
    case asCharUp:
      FSelArea->PutEndPoint(MouseToCell(x, ClampCoord(-rowPixels)));
      FTopLine = MouseToCell(x, y).y;
      Paint();
      reached = FSelArea->FEndPoint;
      break;
    case asCharRight:
      FSelArea->PutEndPoint(MouseToCell(ClampCoord(FTextRect.Right + colPixels), y));
      FLeftCol = Max(MouseToCell(x, y).x - cols, 0);
      Paint();
      reached = FSelArea->FEndPoint;
      break;
    case asCharLeft:
      FSelArea->PutEndPoint(MouseToCell(ClampCoord(-colPixels), y));
      FLeftCol = MouseToCell(x, y).x;
      Paint();
      reached = FSelArea->FEndPoint;
      break;
  }
  return FTopLine != topBefore || FLeftCol != leftBefore || FSelArea->FEndPoint.x != endBefore.x ||
         FSelArea->FEndPoint.y != endBefore.y || FSelArea->FEndRow != endRowBefore;
}

// Returns the row (row drags) or the cell of the selection's moving end
// (character drags) that the drag goes on from; `from` when no step ran.
// The character drag's caret follows the moving end in every direction.
TPoint TCustomAFEdit::AutoScroll(TAutoScroll kind, int x, int y, const TPoint& from) {
  if (!AutoScrollCanGo(kind)) return from;
  const TPoint p0 = CursorPos();
  TPoint reached = from;
  const bool moved = AutoScrollStep(kind, x, y, reached);
  // A step that moves nothing would move nothing again: no repetition.
  if (!moved || !AutoScrollCanGo(kind)) return reached;

  const bool vertical = kind != asCharRight && kind != asCharLeft;
  const bool rowDrag = kind == asRowDown || kind == asRowUp;
  FAutoScroller.Start(this, kAutoScrollInterval, [this, kind, x, y, p0, vertical, rowDrag]() {
    if (FDragState != (rowDrag ? dmRowSel : dmCharsSel)) return false;
    // Moving the mouse along the scrolled axis ends the loop; its mouse
    // move starts the next one.
    const TPoint p1 = CursorPos();
    if (vertical ? p1.y != p0.y : p1.x != p0.x) return false;
    if (!AutoScrollCanGo(kind)) return false;
    TPoint at(0, 0);
    const bool stepped = AutoScrollStep(kind, x, y, at);
    if (rowDrag) {
      if (FLastDragRow == -1) FLastDragRow = at.y;
      MarkRows(FLastDragRow, at.y);
      SetSelAreaMaxMin();
      ValiPaint();
      FLastDragRow = at.y;
    } else {
      FCaret = at;
    }
    return stepped && AutoScrollCanGo(kind);
  });
  return reached;
}

// ---------------------------------------------------------------------------
// Wrap-column and indent drags.

void TCustomAFEdit::ApplyRulerDrag(bool shift) {
  const int first = Max(FSelArea->GetStartRow(), 0);
  const int last = Min(FSelArea->GetEndRow(), GetLinesCount() - 1);
  if (first > last) return;

  // The limits of the moves hold at the release too: a click on a mark
  // without any move must not set a column beyond them.
  SetSelAreaMaxMin();
  int col = FSelArea->FDragCol;
  if (FDragState == dmFoldColSel)
    col = Min(Max(col, FSelArea->FMaxIndent + kMinFoldWidth), INT16_MAX);
  else
    col = Max(Min(col, FSelArea->FMinWrapPos - kMinFoldWidth), 0);
  FSelArea->FDragCol = col;

  ++FUndoGroup;
  const int shiftBy = col - GetLinesAttr(first)->Indent;
  for (int r = first; r <= last; ++r) {
    TAttrListItem* attr = GetLinesAttr(r);
    TAttrListItem before = *attr;
    before.ColAttrs = nullptr;
    TAttrListItem after = before;
    if (FDragState == dmFoldColSel) {
      after.WrapPos = static_cast<std::int16_t>(col);
    } else {
      // Every row keeps room to refold: its indent stays between 0 and its
      // own wrap column - 8, with Shift or without.
      const int wanted = shift ? col : attr->Indent + shiftBy;
      after.Indent = static_cast<std::int16_t>(Max(Min(wanted, attr->WrapPos - kMinFoldWidth), 0));
    }
    const AnsiString text = FLines->Get(r);
    FUndoBuff->Push(FUndoGroup, r, 0, FCaret, acChange, text, text, before, after);
    attr->WrapPos = after.WrapPos;
    attr->Indent = after.Indent;
    attr->Changed = 1;
  }
  if (OnUndoChange) OnUndoChange(this, FUndoBuff->FCanUndo, false);

  // Refolding may add or remove rows: the selection's end is read again.
  for (int r = FSelArea->GetStartRow(); r <= FSelArea->GetEndRow() && r < GetLinesCount(); ++r)
    if (r >= 0) FoldLine(r);
}

// ---------------------------------------------------------------------------
// Message handlers.

// One mouse message at a point: the point, its cell, and the row count when
// it came; a method per zone or drag it acts in.
class TCustomAFEdit::TMouseAt {
 public:
  TMouseAt(TCustomAFEdit& ed, const TWMMouse& message)
      : ed_(ed), x_(message.XPos), y_(message.YPos), cell_(ed.MouseToCell(x_, y_)), col_(cell_.x),
        row_(cell_.y), rowCount_(ed.GetLinesCount()) {}

  int Col() const { return col_; }
  int Row() const { return row_; }
  // An idle move: the cursor of the hit zone under the mouse.
  void SetHoverCursor();
  // Moves the inverting line of a wrap-column or indent drag to column c.
  void MoveDragLine(int c);
  void DragRows();
  void DragChars(bool held);
  void PressRulerMark();
  void PressText(bool shift);
  void PressRowMargin(bool shift);

 private:
  // The zone the mouse is in when it is over the ruler band, beside a mark
  // of the first selected row (a drag can start) or not.
  bool OnRulerMark() const;

  TCustomAFEdit& ed_;
  const int x_, y_;
  const TPoint cell_;
  int col_, row_;
  const int rowCount_;
};

// The hit zones, in this order; the corner keeps the cursor it has.
void TCustomAFEdit::TMouseAt::SetHoverCursor() {
  const TRect& text = ed_.FTextRect;
  if (x_ <= 0 || x_ >= text.Right || y_ <= 0 || y_ >= text.Bottom) {
    ed_.SetMouseCursor(crDefault);
  } else if (x_ > ed_.FTextLeft && y_ > ed_.FTextTop) {
    ed_.SetMouseCursor(crIBeam);
  } else if (x_ > ed_.FTextLeft) {
    ed_.SetMouseCursor(OnRulerMark() ? crSizeWE : crDefault);
  } else if (y_ > ed_.FTextTop) {
    ed_.SetMouseCursor(kRowSelCursor);
  }
}

bool TCustomAFEdit::TMouseAt::OnRulerMark() const {
  const int r0 = ed_.FSelArea->GetStartRow();
  if (!ed_.FSelArea->isRowAble() || r0 < 0 || r0 >= rowCount_) return false;
  const TAttrListItem* attr = ed_.GetLinesAttr(r0);
  return attr->WrapPos == col_ || attr->Indent == col_;
}

void TCustomAFEdit::TMouseAt::MoveDragLine(int c) {
  TSelArea* sel = ed_.FSelArea;
  if (c == sel->FDragCol) return;
  ed_.DrawDragLine(sel->FDragCol);
  ed_.DrawDragLine(c);
  sel->FDragCol = c;
}

// A held row drag onto another row: the selection's end follows it, with an
// auto-scroll past the view.
void TCustomAFEdit::TMouseAt::DragRows() {
  ed_.FAutoScroller.Stop();
  ed_.SetMouseCursor(kRowSelCursor);
  ed_.FSelArea->PutEndRow(Min(row_, rowCount_ - 1));
  if (row_ - ed_.FTopLine > ed_.GetDspRowCount())
    row_ = ed_.AutoScroll(asRowDown, x_, y_, TPoint(col_, row_)).y;
  else if (row_ < ed_.FTopLine)
    row_ = ed_.AutoScroll(asRowUp, x_, y_, TPoint(col_, row_)).y;
  if (ed_.FLastDragRow == -1) ed_.FLastDragRow = row_;
  ed_.MarkRows(ed_.FLastDragRow, row_);
  ed_.SetSelAreaMaxMin();
  ed_.ValiPaint();
  ed_.FLastDragRow = row_;
}

void TCustomAFEdit::TMouseAt::DragChars(bool held) {
  const TPoint adjusted = ed_.ColAdj(cell_, true);
  col_ = Min(adjusted.x, ed_.FMaxRowLen);
  row_ = adjusted.y;
  TPoint& caret = ed_.FCaret;
  if (!held || (col_ == caret.x && row_ == caret.y)) return;
  ed_.FAutoScroller.Stop();
  ed_.FSelArea->PutEndPoint(ed_.PointAlign(TPoint(col_, row_)));
  TAutoScroll kind = asCharDown;
  bool scroll = true;
  if (row_ - ed_.FTopLine > ed_.GetDspRowCount())
    kind = asCharDown;
  else if (row_ < ed_.FTopLine)
    kind = asCharUp;
  else if (col_ - ed_.FLeftCol > ed_.GetDspColCount())
    kind = asCharRight;
  else if (col_ - ed_.FLeftCol <= 0)
    kind = asCharLeft;
  else
    scroll = false;
  if (scroll) {
    const TPoint at = ed_.AutoScroll(kind, x_, y_, TPoint(col_, row_));
    col_ = at.x;
    row_ = at.y;
  }
  // Only what changed is redrawn: the rows between the old and the new
  // end, or within one row the strip between them.
  if (row_ != caret.y) {
    ed_.MarkRows(caret.y, row_);
    ed_.ValiPaint();
  } else {
    const int top = (row_ - ed_.FTopLine) * ed_.FRowHeight + ed_.FTextTop;
    const int step = ed_.FCharStep;
    ed_.FPaintRect = TRect((Min(caret.x, col_) - ed_.FLeftCol) * step + ed_.FTextLeft, top,
                           (Max(caret.x, col_) - ed_.FLeftCol) * step + ed_.FTextLeft, top + ed_.FRowHeight);
    ed_.DrawLine(row_);
  }
  caret = TPoint(col_, row_);  // the system caret follows at button up
}

void TCustomAFEdit::TMouseAt::PressRulerMark() {
  const int r0 = ed_.FSelArea->GetStartRow();
  if (!ed_.FSelArea->isRowAble() || r0 < 0 || r0 >= rowCount_) return;
  const TAttrListItem* attr = ed_.GetLinesAttr(r0);
  if (attr->WrapPos == col_)
    ed_.FDragState = dmFoldColSel;
  else if (attr->Indent == Min(col_, attr->WrapPos - kMinFoldWidth))
    ed_.FDragState = dmIndent;
  // Only a drag that starts draws its line: a press beside the marks leaves
  // nothing behind.
  if (ed_.FDragState == dmFoldColSel || ed_.FDragState == dmIndent) {
    ed_.DrawDragLine(col_);
    ed_.FSelArea->FDragCol = col_;
    SetCapture(ed_.GetHandle());
  }
}

void TCustomAFEdit::TMouseAt::PressText(bool shift) {
  TSelArea* sel = ed_.FSelArea;
  const TPoint adjusted = ed_.ColAdj(cell_, true);  // off the second byte of a character
  col_ = adjusted.x;
  row_ = adjusted.y;
  if (sel->isRowAble()) {
    ed_.MarkRows(sel->GetStartRow(), sel->GetEndRow());
    sel->RowReset();
  }
  CancelComposition(ed_.GetHandle());
  if (shift) {
    // Extends from the caret to the click; the caret stays.
    const int s0 = sel->GetStartPoint().y;
    const int e0 = sel->GetEndPoint().y;
    sel->PutStartPoint(ed_.PointAlign(ed_.FCaret));
    sel->PutEndPoint(ed_.PointAlign(TPoint(col_, row_)));
    ed_.MarkRows(Min(s0, sel->GetStartPoint().y), Max(e0, sel->GetEndPoint().y));
  } else {
    if (sel->isPointAble()) ed_.MarkRows(sel->GetStartPoint().y, sel->GetEndPoint().y);
    const TPoint aligned = ed_.PointAlign(TPoint(col_, row_));
    sel->PutStartPoint(aligned);
    sel->PutEndPoint(aligned);
    HideCaret(ed_.GetHandle());
    ed_.FCaret = TPoint(col_, row_);  // not aligned: right of a row's end stays there
    ed_.SetCaretPosition();
  }
  ed_.FDragState = dmCharsSel;
  SetCapture(ed_.GetHandle());
  ed_.ValiPaint();
}

void TCustomAFEdit::TMouseAt::PressRowMargin(bool shift) {
  TSelArea* sel = ed_.FSelArea;
  ed_.MarkRows(sel->GetStartPoint().y, sel->GetEndPoint().y);
  ed_.MarkRows(row_, row_);
  sel->PointReset();
  const int clicked = Min(row_, rowCount_ - 1);
  if (shift) {
    // Extends a row selection to the clicked row, else selects that row.
    if (sel->isRowAble())
      ed_.MarkRows(sel->GetStartRow(), sel->GetEndRow());
    else
      sel->PutStartRow(clicked);
    sel->PutEndRow(clicked);
    ed_.MarkRows(sel->GetStartRow(), sel->GetEndRow());
  } else {
    if (sel->isRowAble()) ed_.MarkRows(sel->GetStartRow(), sel->GetEndRow());
    sel->PutStartRow(row_);
    sel->PutEndRow(clicked);
  }
  ed_.SetSelAreaMaxMin();
  ed_.ValiPaint();
  SetCapture(ed_.GetHandle());
  ed_.FDragState = dmRowSel;
  // Every row drag starts afresh from the pressed row.
  ed_.FLastDragRow = -1;
}

void TCustomAFEdit::WMMouseMove(TWMMouse& Message) {
  const bool held = (Message.Keys & MK_LBUTTON) != 0;
  TMouseAt at(*this, Message);
  switch (FDragState) {
    case dmNone:
      at.SetHoverCursor();
      break;
    case dmFoldColSel:
      at.MoveDragLine(Max(at.Col(), FSelArea->FMaxIndent + kMinFoldWidth));
      break;
    case dmIndent:
      at.MoveDragLine(Max(Min(at.Col(), FSelArea->FMinWrapPos - kMinFoldWidth), 0));
      break;
    case dmRowSel:
      if (held && at.Row() != FLastDragRow) at.DragRows();
      break;
    case dmCharsSel:
      at.DragChars(held);
      break;
  }
  Inherited(Message.Message);
}

void TCustomAFEdit::WMLButtonDown(TWMMouse& Message) {
  FAutoScroller.Stop();
  if (CanFocus()) SetFocus();
  const bool shift = (Message.Keys & MK_SHIFT) != 0;
  TMouseAt at(*this, Message);
  const TCursor cursor = GetCursor();  // the zone of the last idle move

  if (cursor == crSizeWE)
    at.PressRulerMark();
  else if (cursor == crIBeam)
    at.PressText(shift);
  else if (cursor == kRowSelCursor)
    at.PressRowMargin(shift);

  ReportSelectChange();
  Inherited(Message.Message);
}

void TCustomAFEdit::WMLButtonUp(TWMMouse& Message) {
  FAutoScroller.Stop();
  ReleaseCapture();
  switch (FDragState) {
    case dmRowSel:
      // The caret goes to the start of the row after the selection (the row
      // count itself after the last row).
      FCaret = TPoint(0, FSelArea->GetEndRow() + 1);
      DrawColIndicate();
      SetCaretPosition();
      FDragState = dmNone;
      break;
    case dmFoldColSel:
    case dmIndent:
      DrawDragLine(FSelArea->FDragCol);  // erases it
      if (!FReadOnly && FSelArea->isRowAble()) ApplyRulerDrag((Message.Keys & MK_SHIFT) != 0);
      SetSelAreaMaxMin();
      FDragState = dmNone;
      Paint();
      DrawColIndicate();
      break;
    case dmCharsSel:
      SetCaretPosition();
      ShowCaret(GetHandle());
      FDragState = dmNone;
      break;
    case dmNone:
      break;
  }
  ReportSelectChange();
  Inherited(Message.Message);
}

// A double click's selection around byte i of row `row` (text s): a run of
// equal column attributes, a double-byte character, or an ASCII word.
class TCustomAFEdit::TDoubleClick {
 public:
  TDoubleClick(TCustomAFEdit& ed, int row, int i, const AnsiString& s, int rowCount)
      : ed_(ed), row_(row), i_(i), s_(s), rowCount_(rowCount) {}

  // A run of equal column attributes, across row ends.
  void SelectAttrRun(TColor color, TFontStyles style);
  void SelectCharacter();
  // An ASCII word; it goes on across soft row ends only, since a row's CR
  // ends it.
  void SelectWord();

 private:
  int Dsp(int q, int r) const { return ed_.DspPos(TPoint(q, r)).x; }
  int Length(int r) const { return static_cast<int>(ed_.FLines->Get(r).size()); }

  TCustomAFEdit& ed_;
  const int row_;
  const int i_;
  const AnsiString& s_;
  const int rowCount_;
};

void TCustomAFEdit::TDoubleClick::SelectAttrRun(TColor color, TFontStyles style) {
  auto matches = [&](int r, int q) {
    const TColAttrListItem* item = ed_.GetColAttrs(r)->GetItem(q);
    return item->HasAttr && item->Color == color && item->Style == style;
  };
  int r = row_, q = i_;
  while (matches(r, q)) {
    ed_.FSelArea->PutStartPoint(TPoint(Dsp(q, r), r));
    if (--q < 0) {
      if (r == 0) break;
      --r;
      q = Length(r);
    }
  }
  r = row_;
  q = i_;
  while (matches(r, q)) {
    ed_.FSelArea->PutEndPoint(TPoint(Dsp(q, r) + 1, r));
    if (++q > Length(r)) {
      if (r == rowCount_ - 1) break;
      ++r;
      q = 0;
    }
  }
}

void TCustomAFEdit::TDoubleClick::SelectCharacter() {
  switch (Cp932ByteType(s_, i_)) {
    case mbLeadByte:
      ed_.FSelArea->PutStartPoint(TPoint(Dsp(i_, row_), row_));
      ed_.FSelArea->PutEndPoint(TPoint(Dsp(i_ + 2, row_), row_));
      break;
    case mbTrailByte:
      ed_.FSelArea->PutStartPoint(TPoint(Dsp(i_ - 1, row_), row_));
      ed_.FSelArea->PutEndPoint(TPoint(Dsp(i_ + 1, row_), row_));
      break;
    case mbSingleByte:
      SelectWord();
      break;
  }
}

void TCustomAFEdit::TDoubleClick::SelectWord() {
  int r = row_, q = i_;
  AnsiString t = s_;
  while (IsAsciiAlnum(static_cast<unsigned char>(t[static_cast<size_t>(q)])) && Cp932ByteType(t, q) == mbSingleByte) {
    ed_.FSelArea->PutStartPoint(TPoint(Dsp(q, r), r));
    if (--q < 0) {
      if (r == 0) break;
      --r;
      t = ed_.FLines->Get(r);
      if (t.empty()) break;
      q = static_cast<int>(t.size()) - 1;
    }
  }
  r = row_;
  q = i_;
  t = s_;
  while (true) {
    if (q >= static_cast<int>(t.size())) {
      if (r >= rowCount_ - 1) break;
      ++r;
      t = ed_.FLines->Get(r);
      q = 0;
      continue;
    }
    if (!IsAsciiAlnum(static_cast<unsigned char>(t[static_cast<size_t>(q)]))) break;
    ed_.FSelArea->PutEndPoint(TPoint(Dsp(q + 1, r), r));
    ++q;
  }
}

// Acts at the caret, which the first click of the double click placed.
void TCustomAFEdit::WMLButtonDblClk(TWMMouse& Message) {
  const int rowCount = GetLinesCount();
  if (FCaret.y < 0 || FCaret.y >= rowCount || Message.XPos < FLeftMgn) {
    Inherited(Message.Message);
    return;
  }
  const int row = FCaret.y;
  const int i = LogicalPos(FCaret);
  const AnsiString s = FLines->Get(row);
  if (i < 0 || i >= static_cast<int>(s.size())) {
    Inherited(Message.Message);
    return;
  }
  TDoubleClick click(*this, row, i, s, rowCount);
  const TColAttrListItem* at = GetColAttrs(row)->GetItem(i);
  if (at->HasAttr)
    click.SelectAttrRun(at->Color, at->Style);
  else
    click.SelectCharacter();

  if (FSelArea->isPointAble() && OnSelect) OnSelect(this);
  MarkRows(FSelArea->GetStartPoint().y, FSelArea->GetEndPoint().y);
  ValiPaint();
  Inherited(Message.Message);
}
