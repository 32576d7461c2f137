// The view onto the rows: the two scroll bars, the first displayed row and
// column, the view following the caret, the scroll messages (with the
// acceleration of repeated vertical steps), the client size and the caret's
// life with the focus.
//
// The control scrolls itself by sending WM_VSCROLL / WM_HSCROLL through its
// own WindowProc (Perform), so that a replaced WindowProc sees those steps.
#include "editor/Afedit.h"
#include "platform/qt/Caret.h"
#include "platform/qt/KeyState.h"

namespace {

constexpr unsigned kScrollInfoSize = 28;  // cbSize of a scroll record

bool ShowsVertical(TScrollStyle s) { return s == ssVertical || s == ssBoth; }
bool ShowsHorizontal(TScrollStyle s) { return s == ssHorizontal || s == ssBoth; }

uintptr_t ScrollWParam(int code, int pos) {
  return static_cast<uintptr_t>(MAKELONG(static_cast<uint16_t>(code), static_cast<uint16_t>(pos)));
}

}  // namespace

void SetScrollBarPos(TWinControl* window, int bar, int position, bool redraw) {
  TScrollInfo info;
  info.cbSize = kScrollInfoSize;
  info.fMask = SIF_POS;
  info.nPos = position;
  info.nTrackPos = position;
  SetScrollInfo(window, bar, info, redraw);
}

// ---------------------------------------------------------------------------

void TCustomAFEdit::SetScrollBars(TScrollStyle style) {
  FScrollBars = style;
  if (FRowHeight == 0) return;
  HWND wnd = GetHandle();
  int N = GetLinesCount();
  int R = GetDspRowCount();
  int C = GetDspColCount();

  if (N >= R || FTopLine > 0 || FCaret.y >= R) {
    FVScrollInfo.cbSize = kScrollInfoSize;
    FVScrollInfo.fMask = SIF_ALL;
    FVScrollInfo.nMin = 0;
    FVScrollInfo.nMax = Max(Max(N - 1, R + FTopLine - 1), FCaret.y);
    FVScrollInfo.nPage = static_cast<unsigned>(Max(R, 0));
    FVScrollInfo.nPos = FTopLine;
    if (ShowsVertical(style)) {
      SetScrollInfo(wnd, SB_VERT, FVScrollInfo, true);
      if (!FVScrollShown) {
        ShowScrollBar(wnd, SB_VERT, true);
        FVScrollShown = true;
      }
    } else {
      ShowScrollBar(wnd, SB_VERT, false);
      FVScrollShown = false;
    }
    EnableScrollBar(wnd, SB_VERT, ESB_ENABLE_BOTH);
  } else if (FVScrollShown) {
    ShowScrollBar(wnd, SB_VERT, false);
    FVScrollShown = false;
  }

  int W = Max(FDefWrapPos, FMaxRowLen);
  if (C < W || FLeftCol > 0) {
    FHScrollInfo.cbSize = kScrollInfoSize;
    FHScrollInfo.fMask = SIF_ALL;
    FHScrollInfo.nMin = 0;
    FHScrollInfo.nMax = Max(W, FCaret.x);
    FHScrollInfo.nPage = static_cast<unsigned>(Max(C, 0));
    FHScrollInfo.nPos = FLeftCol;
    if (ShowsHorizontal(style)) {
      SetScrollInfo(wnd, SB_HORZ, FHScrollInfo, true);
      if (!FHScrollShown) {
        ShowScrollBar(wnd, SB_HORZ, true);
        FHScrollShown = true;
      }
    } else {
      ShowScrollBar(wnd, SB_HORZ, false);
      FHScrollShown = false;
    }
    EnableScrollBar(wnd, SB_HORZ, ESB_ENABLE_BOTH);
  } else if (FHScrollShown) {
    ShowScrollBar(wnd, SB_HORZ, false);
    FHScrollShown = false;
  }
}

void TCustomAFEdit::SetTopLine(int row) {
  FTopLine = Max(0, Min(GetLinesCount() - GetDspRowCount() / 2, row));
  Paint();
}

void TCustomAFEdit::CaretMoveResultPaint() {
  int top = FTopLine, left = FLeftCol;
  int r = FCaret.y, c = FCaret.x;
  int R = GetDspRowCount(), C = GetDspColCount();
  HWND wnd = GetHandle();

  if (FLastTopLine != FTopLine || FLastLeftCol != FLeftCol) SetScrollBars(FScrollBars);

  FVScrollInfo.cbSize = kScrollInfoSize;
  FVScrollInfo.fMask = SIF_POS;
  if (r < top - 1) {
    FVScrollInfo.nPos = r;
    if (ShowsVertical(FScrollBars)) SetScrollInfo(wnd, SB_VERT, FVScrollInfo, false);
    Perform(WM_VSCROLL, ScrollWParam(SB_THUMBPOSITION, 0), 0);
  } else if (r == top - 1) {
    Perform(WM_VSCROLL, ScrollWParam(SB_LINEUP, top), 0);
  } else if (r == top + R - 1) {
    Perform(WM_VSCROLL, ScrollWParam(SB_LINEDOWN, top), 0);
  } else if (r >= top + R) {
    FTopLine = r - R + 2;
    Paint();
  }

  // The bar's range was set at its last refresh; a caret past it (End on a
  // row of tabs, a row just widened) widens it first, or the position set
  // below would be held inside the old range.
  if (c > FHScrollInfo.nMax) SetScrollBars(FScrollBars);
  if (c < left - 1) {
    FHScrollInfo.nPos = c;
    if (ShowsHorizontal(FScrollBars)) SetScrollInfo(wnd, SB_HORZ, FHScrollInfo, false);
    Perform(WM_HSCROLL, ScrollWParam(SB_THUMBPOSITION, 0), 0);
  } else if (c == left - 1) {
    Perform(WM_HSCROLL, ScrollWParam(SB_LINELEFT, left), 0);
  } else if (c == left + C - 2) {
    Perform(WM_HSCROLL, ScrollWParam(SB_LINERIGHT, left), 0);
  } else if (c >= left + C - 1) {
    FHScrollInfo.nPos = c - C + 1;
    if (ShowsHorizontal(FScrollBars)) SetScrollInfo(wnd, SB_HORZ, FHScrollInfo, false);
    Perform(WM_HSCROLL, ScrollWParam(SB_THUMBPOSITION, 0), 0);
  }

  SetCaretPosition();

  // The selection follows the caret with Shift, else collapses onto it.
  TPoint oldEnd = FSelArea->FEndPoint;
  auto flagRows = [this](int a, int b) {
    for (int k = Min(a, b); k <= Max(a, b); ++k)
      if (k >= 0) GetLinesAttr(k)->Changed = 1;
  };
  if (FShiftDown) {
    FSelArea->PutEndPoint(PointAlign(FCaret));
  } else if (FSelArea->isPointAble()) {
    flagRows(FSelArea->GetStartPoint().y, FSelArea->GetEndPoint().y);
    TPoint p = PointAlign(FCaret);
    FSelArea->PutEndPoint(p);
    FSelArea->PutStartPoint(p);
    ValiPaint();
  }

  r = FCaret.y;
  TPoint newEnd = FSelArea->FEndPoint;
  if (newEnd.y != oldEnd.y) {
    flagRows(oldEnd.y, r);
    ValiPaint();
  } else {
    int top2 = (r - FTopLine) * FRowHeight + FTextTop;
    FPaintRect = TRect((Min(oldEnd.x, newEnd.x) - FLeftCol) * FCharStep + FTextLeft, top2,
                       (Max(oldEnd.x, newEnd.x) - FLeftCol) * FCharStep + FTextLeft, top2 + FRowHeight);
    if (!FPaintRect.IsEmpty()) {
      HideCaret(wnd);
      DrawLine(r);
      ShowCaret(wnd);
    }
  }
}

// ---------------------------------------------------------------------------
// Scroll messages.

namespace {

// The values of one scroll bar: from the bar when it is shown, else from
// the record kept at the last refresh. The record has no track position: a
// track then goes to the kept position.
TScrollInfo ReadScrollBar(HWND wnd, int bar, bool shown, const TScrollInfo& kept) {
  TScrollInfo si{};
  si.cbSize = kScrollInfoSize;
  si.fMask = SIF_ALL;
  if (shown) {
    GetScrollInfo(wnd, bar, &si);
    return si;
  }
  si.fMask = kept.fMask;
  si.nMin = kept.nMin;
  si.nMax = kept.nMax;
  si.nPage = kept.nPage;
  si.nPos = kept.nPos;
  si.nTrackPos = kept.nPos;
  return si;
}

}  // namespace

// One vertical scroll message: the bar's values, the row count and page
// height when it came, and whether Shift (which leaves the caret where it
// is) was held.
class TCustomAFEdit::TVScroll {
 public:
  explicit TVScroll(TCustomAFEdit& ed);
  void Run(int code);

 private:
  void ReadBar();
  // Keeps a carried caret within the view: at most the second-last fully
  // visible row, then on an existing row.
  void CarryCaret();
  void LineUp();
  void LineDown();
  void StepLine(int code);
  void PageUp();
  void PageDown();
  void ThumbPosition();
  void ThumbTrack();

  TCustomAFEdit& ed_;
  const HWND wnd_;
  const bool shift_;
  TScrollInfo si_{};
  int N_ = 0;
  int R_ = 0;
};

TCustomAFEdit::TVScroll::TVScroll(TCustomAFEdit& ed)
    : ed_(ed), wnd_(ed.GetHandle()), shift_(GetKeyState(VK_SHIFT) < 0) {
  if (ed.FSelArea->isPointAble() || ed.FSelArea->isRowAble()) {
    HideCaret(wnd_);
    ++ed.FCaretHideCount;
  }
  ScrollAccel = Max(1, Min(ed.FAccelRate, ScrollAccel + 1));
  ReadBar();
  N_ = ed.GetLinesCount();
  R_ = ed.GetDspRowCount();
}

void TCustomAFEdit::TVScroll::ReadBar() {
  si_ = ReadScrollBar(wnd_, SB_VERT, ShowsVertical(ed_.FScrollBars), ed_.FVScrollInfo);
}

void TCustomAFEdit::TVScroll::CarryCaret() {
  TPoint& caret = ed_.FCaret;
  if (!shift_) {
    if (caret.y < ed_.FTopLine) caret.y = ed_.FTopLine;
    int upper = Max(ed_.FTopLine, ed_.FTopLine + R_ - 2);
    if (caret.y > upper) caret.y = upper;
  }
  if (caret.y >= N_) caret.y = N_ - 1;
}

void TCustomAFEdit::TVScroll::Run(int code) {
  switch (code) {
    case SB_LINEUP:
    case SB_LINEDOWN: StepLine(code); break;
    case SB_PAGEUP: PageUp(); break;
    case SB_PAGEDOWN: PageDown(); break;
    case SB_THUMBPOSITION: ThumbPosition(); break;
    case SB_THUMBTRACK:
      if (ed_.FThumbTrack) ThumbTrack();
      break;
    case SB_ENDSCROLL:
      ScrollAccel = 0;
      break;
    default:
      break;
  }
}

void TCustomAFEdit::TVScroll::StepLine(int code) {
  HideCaret(wnd_);
  if (code == SB_LINEUP)
    LineUp();
  else
    LineDown();
  SetScrollBarPos(wnd_, SB_VERT, ed_.FTopLine, true);
  ed_.SetCaretPosition();
  ed_.SetScrollBars(ed_.FScrollBars);
  ShowCaret(wnd_);
}

void TCustomAFEdit::TVScroll::LineUp() {
  int k = ScrollAccel;
  for (int pass = 0; pass < k; ++pass) {
    if (ed_.FTopLine - ScrollAccel <= 0) ScrollAccel = 1;
    if (ed_.FTopLine > 0) {
      --ed_.FTopLine;
      if (!shift_ && ed_.FCaret.y - ed_.FTopLine > R_ - 2) --ed_.FCaret.y;
      ed_.Paint();
    }
  }
}

void TCustomAFEdit::TVScroll::LineDown() {
  if (N_ - R_ < ed_.FTopLine) return;
  ed_.FTopLine += ScrollAccel;
  if (!shift_ && ed_.FCaret.y < ed_.FTopLine) ed_.FCaret.y += ScrollAccel;
  ed_.Paint();
}

void TCustomAFEdit::TVScroll::PageUp() {
  for (int pass = 0, k = ScrollAccel; pass < k; ++pass) {
    ed_.FTopLine = Max(0, ed_.FTopLine - R_);
    if (!shift_) ed_.FCaret.y -= R_;
    ed_.FCaret.y = Max(0, ed_.FCaret.y);
    if (ed_.FTopLine != ed_.FLastTopLine) ed_.Paint();
  }
}

void TCustomAFEdit::TVScroll::PageDown() {
  for (int pass = 0, k = ScrollAccel; pass < k; ++pass) {
    ed_.FTopLine = Max(0, Min(si_.nMax - R_, ed_.FTopLine + R_));
    if (!shift_) ed_.FCaret.y += R_;
    ed_.FCaret.y = Min(ed_.FCaret.y, N_ - 1);
    if (ed_.FTopLine != ed_.FLastTopLine) ed_.Paint();
  }
}

void TCustomAFEdit::TVScroll::ThumbPosition() {
  if (!ed_.Focused()) {
    ed_.SetScrollBars(ed_.FScrollBars);
    return;
  }
  ed_.FTopLine = Max(0, si_.nPos);
  CarryCaret();
  if (ed_.FTopLine != ed_.FLastTopLine) {
    ed_.Paint();
    ed_.FLastTopLine = ed_.FTopLine;
  }
}

void TCustomAFEdit::TVScroll::ThumbTrack() {
  int old = ed_.FTopLine;
  ed_.FTopLine = Max(0, ShowsVertical(ed_.FScrollBars) ? si_.nTrackPos : Min(si_.nTrackPos, N_ - 1));
  CarryCaret();
  HideCaret(wnd_);
  if (ed_.FTopLine != old) ed_.Paint();
  if (ed_.Focused()) {
    ed_.SetCaretPosition();
    ShowCaret(wnd_);
  }
  ed_.FLastTopLine = ed_.FTopLine;
}

void TCustomAFEdit::WMVScroll(TWMScroll& Message) { TVScroll(*this).Run(Message.ScrollCode); }

// One horizontal scroll message: the bar's values when it came and the
// view's size in cells.
class TCustomAFEdit::THScroll {
 public:
  explicit THScroll(TCustomAFEdit& ed);
  void Run(const TWMScroll& message);

 private:
  void LineLeft();
  void LineRight();
  void PageRight();
  void ThumbTrack(int messagePos);
  // Moves the view's pixels by 'cols' columns (positive: to the right) and
  // redraws the strip the move uncovered, within FPaintRect.
  void Shift(int cols);
  void DrawStrip();

  TCustomAFEdit& ed_;
  const HWND wnd_;
  const bool barShown_;
  TScrollInfo si_{};
  const int C_;
  const int R_;
};

TCustomAFEdit::THScroll::THScroll(TCustomAFEdit& ed)
    : ed_(ed), wnd_(ed.GetHandle()), barShown_(ShowsHorizontal(ed.FScrollBars)),
      C_(ed.GetDspColCount()), R_(ed.GetDspRowCount()) {
  si_ = ReadScrollBar(wnd_, SB_HORZ, barShown_, ed.FHScrollInfo);
}

void TCustomAFEdit::THScroll::Run(const TWMScroll& message) {
  switch (message.ScrollCode) {
    case SB_LINELEFT: LineLeft(); break;
    case SB_LINERIGHT: LineRight(); break;
    case SB_PAGELEFT:
      ed_.FLeftCol = ed_.FLeftCol < C_ ? 0 : ed_.FLeftCol - (C_ - 2);
      ed_.Paint();
      break;
    case SB_PAGERIGHT: PageRight(); break;
    case SB_THUMBPOSITION:
      ed_.FLeftCol = Max(0, si_.nPos);
      ed_.Paint();
      break;
    case SB_THUMBTRACK:
      if (ed_.FThumbTrack) ThumbTrack(message.Pos);
      break;
    default:
      break;
  }
}

void TCustomAFEdit::THScroll::DrawStrip() {
  for (int r = ed_.FTopLine; r <= ed_.FTopLine + R_; ++r) ed_.DrawLine(r);
  ed_.SetCaretPosition();
  ShowCaret(wnd_);
}

void TCustomAFEdit::THScroll::Shift(int cols) {
  ScrollWindow(wnd_, cols * ed_.FCharStep, 0, &ed_.FTextRect, &ed_.FTextRect);
  ValidateRect(wnd_, &ed_.FTextRect);
  ed_.FPaintRect = ed_.FTextRect;
}

void TCustomAFEdit::THScroll::LineLeft() {
  if (ed_.FLeftCol <= 0) return;
  --ed_.FLeftCol;
  SetScrollBarPos(wnd_, SB_HORZ, ed_.FLeftCol, true);
  Shift(1);
  ed_.FPaintRect.Right = ed_.FTextLeft + 2 * ed_.FCharStep;
  HideCaret(wnd_);
  DrawStrip();
}

void TCustomAFEdit::THScroll::LineRight() {
  ed_.FMaxRowLen = Max(ed_.FMaxRowLen, ed_.FDefWrapPos + 2);
  if (ed_.FMaxRowLen - C_ < ed_.FLeftCol) return;
  ++ed_.FLeftCol;
  SetScrollBarPos(wnd_, SB_HORZ, ed_.FLeftCol, true);
  Shift(-1);
  ed_.FPaintRect.Left = ed_.FTextLeft + (C_ - 4) * ed_.FCharStep;
  HideCaret(wnd_);
  DrawStrip();
}

void TCustomAFEdit::THScroll::PageRight() {
  // A page of C - 2 columns, but never past the point where the bar's last
  // column stands at the right edge (and never backwards).
  int lastStart = Max(0, si_.nMax - C_ + 1);
  int target = Min(ed_.FLeftCol + Max(1, C_ - 2), lastStart);
  ed_.FLeftCol = Max(ed_.FLeftCol, target);
  ed_.Paint();
}

void TCustomAFEdit::THScroll::ThumbTrack(int messagePos) {
  int old = ed_.FLeftCol;
  // The 32-bit track position of the bar (the message's 16-bit word turns
  // negative on wide rows), held within the bar's range.
  int pos = barShown_ ? si_.nTrackPos : messagePos;
  int hi = Max(si_.nMin, si_.nMax - Max(static_cast<int>(si_.nPage) - 1, 0));
  ed_.FLeftCol = Max(0, Max(si_.nMin, Min(pos, hi)));
  SetScrollBarPos(wnd_, SB_HORZ, ed_.FLeftCol, true);
  HideCaret(wnd_);
  int d = old - ed_.FLeftCol;
  Shift(d);
  if (old < ed_.FLeftCol)
    ed_.FPaintRect.Left = ed_.ClientWidth() + d * ed_.FCharStep;
  else
    ed_.FPaintRect.Right = ed_.FTextLeft + d * ed_.FCharStep;
  DrawStrip();
}

void TCustomAFEdit::WMHScroll(TWMScroll& Message) {
  SetFocus();
  THScroll(*this).Run(Message);
}

// ---------------------------------------------------------------------------
// Size and focus.

void TCustomAFEdit::WMSize(TWMSize& Message) {
  Inherited(Message.Message);
  if (Message.SizeType == SIZE_RESTORED || Message.SizeType == SIZE_MAXIMIZED) {
    FTextRect.Right = Message.Width;
    FTextRect.Bottom = Message.Height;
  }
}

void TCustomAFEdit::WMSetFocus(TWMSetFocus& Message) {
  HWND wnd = GetHandle();
  CreateCaret(wnd, nullptr, 2, FTextHeight);
  // The caret now has the insert shape: the next placement reshapes it for
  // overwrite mode.
  FCaretInsertShape = true;
  ShowCaret(wnd);
  SetCaretPosition();
  SetScrollBars(FScrollBars);
}

void TCustomAFEdit::WMKillFocus(TWMKillFocus& Message) {
  DestroyCaret();
  Inherited(Message.Message);
}
