// Around the text rows: the left margin with the row numbers, the column
// ruler above the rows, the return-mark bitmaps, the mark colour taken from
// the window colour, and the placing and shaping of the caret.
#include <utility>

#include "editor/Afedit.h"
#include "platform/qt/Caret.h"

namespace {

// The ruler character of column number m (1-based): the tens digit on a
// multiple of ten, "+" on a multiple of five, else ".".
char RulerChar(int m) {
  if (m % 10 == 0) return static_cast<char>('0' + (m / 10) % 10);
  if (m % 5 == 0) return '+';
  return '.';
}

// The window colour darkened by 0x40 in each channel, saturating at zero, so
// a dark window colour stays a plain colour.
TColor DarkenedMarkColor(TColor window) {
  TColor rgb = ColorToRGB(window);
  int r = Max(0, GetRValue(rgb) - 0x40);
  int g = Max(0, GetGValue(rgb) - 0x40);
  int b = Max(0, GetBValue(rgb) - 0x40);
  return RGB(r, g, b);
}

}  // namespace

// ---------------------------------------------------------------------------

void TCustomAFEdit::DrawLeftMgn(int row, AnsiString AStr) {
  Canvas->Brush->SetColor(FColLeftMgn);
  int y = (row - FTopLine) * FRowHeight + FTextTop;
  TRect M(ClientRect().Left, y, FTextLeft, y + FRowHeight);
  // Beside the first row the margin next to the top margin is cleared too.
  if (row == FTopLine) Canvas->FillRect(TRect(M.Left, FTextTop - FTopMgn, M.Right, M.Bottom));
  Canvas->FillRect(M);

  bool defaultDraw = true;
  if (OnDrawLeftMgn) OnDrawLeftMgn(this, row, M, AStr, defaultDraw);
  if (!defaultDraw) return;
  Canvas->Font->SetColor(FColRowNo);
  Canvas->Font->SetStyle(Font->GetStyle());
  if (FViewOpt.Contains(voRowNum) && !AStr.empty()) {
    // A number wider than the margin is cut at the text area, never drawn
    // over the row's text.
    int n = static_cast<int>(AStr.size());
    TRect r(M.Left, y, Min(M.Left + n * FCharStep, FTextLeft), y + FRowHeight);
    Canvas->ExtTextOut(M.Left, y, ETO_CLIPPED | ETO_OPAQUE, &r, std::as_const(AStr).data(), n, CharDx(n));
    Canvas->MoveTo(M.Left + n * FCharStep, y + FRowHeight);
  }
}

void TCustomAFEdit::DrawColIndicate() {
  if (FUpdating || FSelArea->isPointAble()) return;
  int width = FTextRect.Right - FTextLeft;
  int n = width / FCharStep;
  if (width % FCharStep > FCharStep / 2) ++n;

  bool ruler = FViewOpt.Contains(voColIndicate);
  Canvas->Font->SetColor(FColColumnNo);
  Canvas->Brush->SetColor(ruler ? FColColumnIndi : FColor);
  Canvas->Font->SetStyle(Font->GetStyle());
  TRect band(0, 0, FTextRect.Right, FTextTop - 1);
  Canvas->FillRect(band);
  if (!ruler) return;

  bool defaultDraw = true;
  if (OnDrawColIndi) OnDrawColIndi(this, band, defaultDraw);
  if (!defaultDraw) return;

  AnsiString text;
  text.reserve(static_cast<size_t>(Max(0, n + 1)));
  for (int m = FLeftCol + 1; m <= FLeftCol + n + 1; ++m) text += RulerChar(m);
  ExtTextPaint(FTextLeft, 0, 0, text);

  if (FOptions.Contains(aoAutoFormat)) {
    int r = FSelArea->isRowAble() ? Min(FSelArea->GetStartRow(), GetLinesCount() - 1) : FCaret.y;
    TAttrListItem* attr = GetLinesAttr(Max(0, r));
    Canvas->Font->SetColor(FColCr);
    ExtTextPaint((attr->WrapPos - FLeftCol) * FCharStep + FTextLeft, 0, 0, "<");
    int x = (attr->Indent - FLeftCol - 1) * FCharStep + FTextLeft;
    if (x >= FTextLeft - FCharStep) ExtTextPaint(x, 0, 0, ">");
  }

  if (FColColumnNo == clWindowText) {
    Canvas->Font->SetColor(clHighlightText);
    Canvas->Brush->SetColor(clHighlight);
  } else {
    Canvas->Font->SetColor(FColColumnIndi);
    Canvas->Brush->SetColor(FColColumnNo);
  }
  int x = (FCaret.x - FLeftCol) * FCharStep + FTextLeft;
  if (x >= FTextLeft) ExtTextPaint(x, 0, 0, AnsiString(1, RulerChar(FCaret.x + 1)));
}

void TCustomAFEdit::SetCrColor(TColor cr, TColor back) {
  if (FTextHeight == FCrBmpHeight && cr == FCrBmpColor && back == FCrBmpBack) return;
  FCrBmpHeight = FTextHeight;
  FCrBmpColor = cr;
  FCrBmpBack = back;
  FColCr = cr;

  const char* name = FTextHeight > 20 ? "CRL" : FTextHeight >= 15 ? "CR" : "CRS";
  FCrResBmp->LoadFromResourceName(HInstance, name);
  FCrResBmp->SetPixelFormat(pf24bit);

  TColor crRgb = ColorToRGB(cr);
  TCanvas* rc = FCrResBmp->Canvas;
  // The mark takes the return colour, the rest the background.
  rc->Brush->SetColor(crRgb);
  rc->FloodFill(10, 4, clMaroon, fsSurface);
  rc->FloodFill(4, 10, clMaroon, fsSurface);
  rc->Brush->SetColor(ColorToRGB(back));
  rc->FloodFill(1, 1, crRgb, fsBorder);

  int h = Max(1, FTextHeight);
  FCrBmp->SetSize(h, h);
  FCrBmp->Canvas->StretchDraw(TRect(0, 0, h, h), FCrResBmp);
  FCrBmp->SetTransparent(false);
  FCrBmp->SetTransparentMode(tmAuto);

  rc->Brush->SetColor(ColorToRGB(FColSelBrush));
  rc->FloodFill(1, 1, crRgb, fsBorder);
  FCrSelBmp->SetSize(h, h);
  FCrSelBmp->Canvas->StretchDraw(TRect(0, 0, h, h), FCrResBmp);
  FCrSelBmp->SetTransparent(false);
  FCrSelBmp->SetTransparentMode(tmAuto);
}

void TCustomAFEdit::WMNCPaint(TMessage& Message) {
  Inherited(Message);
  HWND wnd = GetHandle();
  if (HDC dc = GetWindowDC(wnd)) {
    ReleaseDC(wnd, dc);
    TRect r;
    ::GetClientRect(wnd, &r);
    FTextRect.Right = r.Right;
    FTextRect.Bottom = r.Bottom;
  }
  if (GetBevelKind() != bkNone || GetBorderWidth() > 1) EnableScrollBar(wnd, SB_BOTH, ESB_DISABLE_BOTH);
  FMarkColor = DarkenedMarkColor(GetSysColor(COLOR_WINDOW));
  SetCrColor(FColCr, FColor);
}

// ---------------------------------------------------------------------------
// The caret.

void TCustomAFEdit::SetCaret(const TPoint& p) {
  FCaret = p;
  SetCaretPosition();
}

void TCustomAFEdit::SetCaretPosition() {
  HWND wnd = GetHandle();
  if (GetFocus() != wnd) return;
  int rows = GetLinesCount();
  if (FCaret.y < 0 || (FCaret.y >= rows && !FOptions.Contains(aoFreeCaret))) return;

  FCaret = ColAdj(FCaret, false);
  int x = (FCaret.x - FLeftCol) * FCharStep + FTextLeft;
  int y = (FCaret.y - FTopLine) * FRowHeight + FTextTop;

  bool wide = false;
  if (FCaret.y < rows && FCaret.x >= 0) {
    TAttrListItem* attr = GetLinesAttr(FCaret.y);
    AnsiString display(static_cast<size_t>(Max(0, attr->Indent)), ' ');
    display += TabExpand(FLines->Strings(FCaret.y), false);
    wide = FCaret.x < static_cast<int>(display.size()) && Cp932IsLead(display, FCaret.x);
  }
  if (FUpdating) return;

  HideCaret(wnd);
  if (FCaretInsertShape != FInsertMode || FCaretWideShape != wide) {
    if (FInsertMode)
      CreateCaret(wnd, nullptr, 2, FTextHeight);
    else if (wide)
      CreateCaret(wnd, nullptr, FTextHeight, FTextHeight);
    else
      CreateCaret(wnd, nullptr, FTextHeight / 2, FTextHeight);
    FCaretInsertShape = FInsertMode;
    FCaretWideShape = wide;
  }
  SetCaretPos(x, y);
  if (PtInRect(FTextRect, TPoint(x, y))) {
    for (int k = 0; k <= FCaretHideCount; ++k) ShowCaret(wnd);
    FCaretHideCount = 0;
  } else {
    ++FCaretHideCount;
  }

  if (OnStatusChange) OnStatusChange(this);
  if (FCaret.x != FLastCaretCol || FLeftCol != FLastLeftCol) DrawColIndicate();
  if (FLastTopLine != FTopLine || FLeftCol != FLastLeftCol) SetScrollBars(FScrollBars);
  FLastCaretCol = FCaret.x;
  FLastLeftCol = FLeftCol;
  FLastTopLine = FTopLine;
}
