// An editor control at the application's pane settings on an offscreen
// form, for the painting, margin and scrolling tests: rows set directly,
// the control rendered into its backing image, and pixel probes by cell.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "editor/Afedit.h"
#include "platform/qt/Caret.h"
#include "platform/qt/Controls.h"
#include "platform/qt/KeyState.h"
#include "platform/qt/ScrollBars.h"
#include "tests/common/Cp932Text.h"
#include "tests/editor/EditProbe.h"

class DisplayProbe : public TEditProbe {
 public:
  using TEditProbe::TEditProbe;
  using TCustomAFEdit::FColSelBrush;
  using TCustomAFEdit::FColCr;
  using TCustomAFEdit::FKeywords;
};

// ViewOpt of the panes: every view option but the fold mark.
inline constexpr uint16_t kPaneViewOpt = 0x3FF;

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    ClearKeyStateOverrides();
    ScrollAccel = 0;
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 900, 700);
    BeginFormLoad(form.get());
    edit = new DisplayProbe(form.get());  // owned by the form
    edit->SetBounds(0, 0, 760, 600);
    edit->Font->SetName("ＭＳ ゴシック");
    edit->Font->SetHeight(-12);
    edit->SetLeftMgn(36);
    edit->SetRowDspFmt("%5d:");
    edit->SetViewOpt(TViewOptions::FromBits(kPaneViewOpt));
    edit->SetDefWrapPos(80);
    edit->SetAccelRate(1);
    EndFormLoad(form.get());
    Render();
  }
  void TearDown() override {
    ClearKeyStateOverrides();
    ScrollAccel = 0;
    form.reset();
  }

  // Shows the form and gives the control the input focus (the caret lives
  // only then).
  void Focus() {
    form->Show();
    QWidget* top = form->GetWidget();
    top->activateWindow();
    QApplication::setActiveWindow(top);
    edit->SetFocus();
    QApplication::processEvents();
    ASSERT_TRUE(edit->Focused());
  }

  // Replaces the text by these rows (each a code page 932 string; a hard
  // line ends in "\r"), indent 0 unless given, caret (0, 0), no selection.
  void SetRows(const std::vector<std::string>& rows, const std::vector<int>& indents = {}) {
    PutRows(edit, rows, indents);
  }

  // A full repaint into the backing image, as WM_PAINT does it.
  void Render() {
    edit->Invalidate();
    edit->Update();
  }

  // --- geometry ---------------------------------------------------------
  int Step() const { return edit->FCharStep; }
  int CellX(int col) const { return (col - edit->FLeftCol) * edit->FCharStep + edit->FTextLeft; }
  int RowY(int row) const { return (row - edit->FTopLine) * edit->FRowHeight + edit->FTextTop; }
  TRect Cells(int col, int row, int count = 1) const {
    return TRect(CellX(col), RowY(row), CellX(col) + count * Step(), RowY(row) + edit->FRowHeight);
  }

  // --- pixels -----------------------------------------------------------
  TColor Px(int x, int y) const { return edit->Canvas->Pixels(x, y); }

  std::vector<TColor> Grab(const TRect& r) const {
    std::vector<TColor> out;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) out.push_back(Px(x, y));
    return out;
  }

  bool AllPixels(const TRect& r, TColor c) const {
    TColor rgb = ColorToRGB(c);
    for (TColor p : Grab(r))
      if (p != rgb) return false;
    return true;
  }

  bool HasInk(const TRect& r, TColor background) const { return !AllPixels(r, background); }

  // True when every pixel of r is the background or an antialiased mix of
  // the background and ink (a single blend factor across the channels),
  // and at least one pixel is at least minInk of the way to the ink.
  bool InkIs(const TRect& r, TColor ink, TColor background, double minInk = 0.45) const {
    TColor fg = ColorToRGB(ink), bg = ColorToRGB(background);
    int f[3] = {GetRValue(fg), GetGValue(fg), GetBValue(fg)};
    int b[3] = {GetRValue(bg), GetGValue(bg), GetBValue(bg)};
    int k = 0;
    for (int c = 1; c < 3; ++c)
      if (std::abs(f[c] - b[c]) > std::abs(f[k] - b[k])) k = c;
    if (f[k] == b[k]) return false;
    double most = 0;
    for (TColor p : Grab(r)) {
      int v[3] = {GetRValue(p), GetGValue(p), GetBValue(p)};
      double a = static_cast<double>(v[k] - b[k]) / (f[k] - b[k]);
      if (a < -0.05 || a > 1.05) return false;
      for (int c = 0; c < 3; ++c)
        if (std::abs(b[c] + a * (f[c] - b[c]) - v[c]) > 24) return false;
      most = std::max(most, a);
    }
    return most >= minInk;
  }

  // The pixels one character gives when drawn alone on a bitmap in the
  // control's canvas font, for comparing cells glyph by glyph.
  std::vector<TColor> GlyphPixels(const AnsiString& ch, TColor ink, TColor background) {
    TBitmap bmp;
    bmp.SetSize(static_cast<int>(ch.size()) * Step(), edit->FRowHeight);
    bmp.Canvas->Font->Assign(edit->Canvas->Font);
    bmp.Canvas->Font->SetColor(ink);
    bmp.Canvas->Font->SetStyle(TFontStyles());
    bmp.Canvas->Brush->SetColor(background);
    TRect r(0, 0, bmp.GetWidth(), bmp.GetHeight());
    std::vector<int> dx(ch.size(), Step());
    bmp.Canvas->ExtTextOut(0, 0, ETO_CLIPPED | ETO_OPAQUE, &r, ch.data(), static_cast<int>(ch.size()), dx.data());
    std::vector<TColor> out;
    for (int y = 0; y < r.Bottom; ++y)
      for (int x = 0; x < r.Right; ++x) out.push_back(bmp.Canvas->Pixels(x, y));
    return out;
  }

  // True when the cells at (x, y) show ch as the canvas draws it.
  bool ShowsGlyph(int x, int y, const AnsiString& ch, TColor ink, TColor background) {
    TRect r(x, y, x + static_cast<int>(ch.size()) * Step(), y + edit->FRowHeight);
    return Grab(r) == GlyphPixels(ch, ink, background);
  }

  std::unique_ptr<TForm> form;
  DisplayProbe* edit = nullptr;
};
