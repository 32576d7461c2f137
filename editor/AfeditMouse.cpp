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

void TCustomAFEdit::WMMouseMove(TWMMouse& Message) {
  const int x = Message.XPos, y = Message.YPos;
  const bool held = (Message.Keys & MK_LBUTTON) != 0;
  const TPoint cell = MouseToCell(x, y);
  int col = cell.x, row = cell.y;
  const int rowCount = GetLinesCount();

  switch (FDragState) {
    case dmNone:
      // The hit zones, in this order; the corner keeps the cursor it has.
      if (x <= 0 || x >= FTextRect.Right || y <= 0 || y >= FTextRect.Bottom) {
        SetMouseCursor(crDefault);
      } else if (x > FTextLeft && y > FTextTop) {
        SetMouseCursor(crIBeam);
      } else if (x > FTextLeft) {
        bool onMark = false;
        const int r0 = FSelArea->GetStartRow();
        if (FSelArea->isRowAble() && r0 >= 0 && r0 < rowCount) {
          const TAttrListItem* attr = GetLinesAttr(r0);
          onMark = attr->WrapPos == col || attr->Indent == col;
        }
        SetMouseCursor(onMark ? crSizeWE : crDefault);
      } else if (y > FTextTop) {
        SetMouseCursor(kRowSelCursor);
      }
      break;

    case dmFoldColSel: {
      const int c = Max(col, FSelArea->FMaxIndent + kMinFoldWidth);
      if (c != FSelArea->FDragCol) {
        DrawDragLine(FSelArea->FDragCol);
        DrawDragLine(c);
        FSelArea->FDragCol = c;
      }
      break;
    }

    case dmIndent: {
      const int c = Max(Min(col, FSelArea->FMinWrapPos - kMinFoldWidth), 0);
      if (c != FSelArea->FDragCol) {
        DrawDragLine(FSelArea->FDragCol);
        DrawDragLine(c);
        FSelArea->FDragCol = c;
      }
      break;
    }

    case dmRowSel:
      if (held && row != FLastDragRow) {
        FAutoScroller.Stop();
        SetMouseCursor(kRowSelCursor);
        FSelArea->PutEndRow(Min(row, rowCount - 1));
        if (row - FTopLine > GetDspRowCount())
          row = AutoScroll(asRowDown, x, y, TPoint(col, row)).y;
        else if (row < FTopLine)
          row = AutoScroll(asRowUp, x, y, TPoint(col, row)).y;
        if (FLastDragRow == -1) FLastDragRow = row;
        MarkRows(FLastDragRow, row);
        SetSelAreaMaxMin();
        ValiPaint();
        FLastDragRow = row;
      }
      break;

    case dmCharsSel: {
      const TPoint adjusted = ColAdj(cell, true);
      col = Min(adjusted.x, FMaxRowLen);
      row = adjusted.y;
      if (!held || (col == FCaret.x && row == FCaret.y)) break;
      FAutoScroller.Stop();
      FSelArea->PutEndPoint(PointAlign(TPoint(col, row)));
      TAutoScroll kind = asCharDown;
      bool scroll = true;
      if (row - FTopLine > GetDspRowCount())
        kind = asCharDown;
      else if (row < FTopLine)
        kind = asCharUp;
      else if (col - FLeftCol > GetDspColCount())
        kind = asCharRight;
      else if (col - FLeftCol <= 0)
        kind = asCharLeft;
      else
        scroll = false;
      if (scroll) {
        const TPoint at = AutoScroll(kind, x, y, TPoint(col, row));
        col = at.x;
        row = at.y;
      }
      // Only what changed is redrawn: the rows between the old and the new
      // end, or within one row the strip between them.
      if (row != FCaret.y) {
        MarkRows(FCaret.y, row);
        ValiPaint();
      } else {
        const int top = (row - FTopLine) * FRowHeight + FTextTop;
        FPaintRect = TRect((Min(FCaret.x, col) - FLeftCol) * FCharStep + FTextLeft, top,
                           (Max(FCaret.x, col) - FLeftCol) * FCharStep + FTextLeft, top + FRowHeight);
        DrawLine(row);
      }
      FCaret = TPoint(col, row);  // the system caret follows at button up
      break;
    }
  }
  Inherited(Message.Message);
}

void TCustomAFEdit::WMLButtonDown(TWMMouse& Message) {
  FAutoScroller.Stop();
  if (CanFocus()) SetFocus();
  const int x = Message.XPos, y = Message.YPos;
  const bool shift = (Message.Keys & MK_SHIFT) != 0;
  const TPoint cell = MouseToCell(x, y);
  int col = cell.x, row = cell.y;
  const int rowCount = GetLinesCount();
  const TCursor cursor = GetCursor();  // the zone of the last idle move

  if (cursor == crSizeWE) {
    const int r0 = FSelArea->GetStartRow();
    if (FSelArea->isRowAble() && r0 >= 0 && r0 < rowCount) {
      const TAttrListItem* attr = GetLinesAttr(r0);
      if (attr->WrapPos == col)
        FDragState = dmFoldColSel;
      else if (attr->Indent == Min(col, attr->WrapPos - kMinFoldWidth))
        FDragState = dmIndent;
      // Only a drag that starts draws its line: a press beside the marks
      // leaves nothing behind.
      if (FDragState == dmFoldColSel || FDragState == dmIndent) {
        DrawDragLine(col);
        FSelArea->FDragCol = col;
        SetCapture(GetHandle());
      }
    }
  } else if (cursor == crIBeam) {
    const TPoint adjusted = ColAdj(cell, true);  // off the second byte of a character
    col = adjusted.x;
    row = adjusted.y;
    if (FSelArea->isRowAble()) {
      MarkRows(FSelArea->GetStartRow(), FSelArea->GetEndRow());
      FSelArea->RowReset();
    }
    CancelComposition(GetHandle());
    if (shift) {
      // Extends from the caret to the click; the caret stays.
      const int s0 = FSelArea->GetStartPoint().y;
      const int e0 = FSelArea->GetEndPoint().y;
      FSelArea->PutStartPoint(PointAlign(FCaret));
      FSelArea->PutEndPoint(PointAlign(TPoint(col, row)));
      MarkRows(Min(s0, FSelArea->GetStartPoint().y), Max(e0, FSelArea->GetEndPoint().y));
    } else {
      if (FSelArea->isPointAble()) MarkRows(FSelArea->GetStartPoint().y, FSelArea->GetEndPoint().y);
      const TPoint aligned = PointAlign(TPoint(col, row));
      FSelArea->PutStartPoint(aligned);
      FSelArea->PutEndPoint(aligned);
      HideCaret(GetHandle());
      FCaret = TPoint(col, row);  // not aligned: right of a row's end stays there
      SetCaretPosition();
    }
    FDragState = dmCharsSel;
    SetCapture(GetHandle());
    ValiPaint();
  } else if (cursor == kRowSelCursor) {
    MarkRows(FSelArea->GetStartPoint().y, FSelArea->GetEndPoint().y);
    MarkRows(row, row);
    FSelArea->PointReset();
    const int clicked = Min(row, rowCount - 1);
    if (shift) {
      // Extends a row selection to the clicked row, else selects that row.
      if (FSelArea->isRowAble())
        MarkRows(FSelArea->GetStartRow(), FSelArea->GetEndRow());
      else
        FSelArea->PutStartRow(clicked);
      FSelArea->PutEndRow(clicked);
      MarkRows(FSelArea->GetStartRow(), FSelArea->GetEndRow());
    } else {
      if (FSelArea->isRowAble()) MarkRows(FSelArea->GetStartRow(), FSelArea->GetEndRow());
      FSelArea->PutStartRow(row);
      FSelArea->PutEndRow(clicked);
    }
    SetSelAreaMaxMin();
    ValiPaint();
    SetCapture(GetHandle());
    FDragState = dmRowSel;
    // Every row drag starts afresh from the pressed row.
    FLastDragRow = -1;
  }

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
  auto dsp = [this](int q, int r) { return DspPos(TPoint(q, r)).x; };
  auto length = [this](int r) { return static_cast<int>(FLines->Get(r).size()); };

  const TColAttrListItem* at = GetColAttrs(row)->GetItem(i);
  if (at->HasAttr) {
    // A run of equal column attributes, across row ends.
    const TColor color = at->Color;
    const TFontStyles style = at->Style;
    auto matches = [&](int r, int q) {
      const TColAttrListItem* item = GetColAttrs(r)->GetItem(q);
      return item->HasAttr && item->Color == color && item->Style == style;
    };
    int r = row, q = i;
    while (matches(r, q)) {
      FSelArea->PutStartPoint(TPoint(dsp(q, r), r));
      if (--q < 0) {
        if (r == 0) break;
        --r;
        q = length(r);
      }
    }
    r = row;
    q = i;
    while (matches(r, q)) {
      FSelArea->PutEndPoint(TPoint(dsp(q, r) + 1, r));
      if (++q > length(r)) {
        if (r == rowCount - 1) break;
        ++r;
        q = 0;
      }
    }
  } else {
    switch (Cp932ByteType(s, i)) {
      case mbLeadByte:
        FSelArea->PutStartPoint(TPoint(dsp(i, row), row));
        FSelArea->PutEndPoint(TPoint(dsp(i + 2, row), row));
        break;
      case mbTrailByte:
        FSelArea->PutStartPoint(TPoint(dsp(i - 1, row), row));
        FSelArea->PutEndPoint(TPoint(dsp(i + 1, row), row));
        break;
      case mbSingleByte: {
        // An ASCII word; it goes on across soft row ends only, since a
        // row's CR ends it.
        int r = row, q = i;
        AnsiString t = s;
        while (IsAsciiAlnum(static_cast<unsigned char>(t[static_cast<size_t>(q)])) &&
               Cp932ByteType(t, q) == mbSingleByte) {
          FSelArea->PutStartPoint(TPoint(dsp(q, r), r));
          if (--q < 0) {
            if (r == 0) break;
            --r;
            t = FLines->Get(r);
            if (t.empty()) break;
            q = static_cast<int>(t.size()) - 1;
          }
        }
        r = row;
        q = i;
        t = s;
        while (true) {
          if (q >= static_cast<int>(t.size())) {
            if (r >= rowCount - 1) break;
            ++r;
            t = FLines->Get(r);
            q = 0;
            continue;
          }
          if (!IsAsciiAlnum(static_cast<unsigned char>(t[static_cast<size_t>(q)]))) break;
          FSelArea->PutEndPoint(TPoint(dsp(q + 1, r), r));
          ++q;
        }
        break;
      }
    }
  }

  if (FSelArea->isPointAble() && OnSelect) OnSelect(this);
  MarkRows(FSelArea->GetStartPoint().y, FSelArea->GetEndPoint().y);
  ValiPaint();
  Inherited(Message.Message);
}
