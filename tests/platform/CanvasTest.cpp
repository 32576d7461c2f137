#include <gtest/gtest.h>

#include <QImage>

#include "platform/qt/Graphics.h"
#include "tests/common/TestApp.h"

namespace {

// Code page 932 bytes of あ (hiragana a).
const AnsiString kHiraganaA = "\x82\xa0";

TEST(Colors, SystemColoursResolveOnlyWhenAsked) {
  struct Case {
    TColor in, out;
  } cases[] = {
      {clWindow, 0xFFFFFF},
      {clWindowText, 0x000000},
      {clHighlightText, 0xFFFFFF},
      {clHighlight, RGB(0, 120, 215)},
      {clBtnFace, RGB(240, 240, 240)},
      {clMaroon, 0x000080},
      {0xFF00FF, 0xFF00FF},
      {clNone, clNone},
  };
  for (const Case& c : cases) EXPECT_EQ(ColorToRGB(c.in), c.out) << std::hex << c.in;
  EXPECT_EQ(static_cast<uint32_t>(clWindow), 0x80000005u);
  TFont f;
  f.SetColor(clHighlight);
  EXPECT_EQ(f.GetColor(), clHighlight);  // kept unresolved
  // Drawing resolves it.
  TBitmap bmp;
  bmp.SetSize(4, 4);
  bmp.Canvas->Brush->SetColor(clHighlight);
  bmp.Canvas->FillRect(Rect(0, 0, 4, 4));
  EXPECT_EQ(bmp.Canvas->Pixels(1, 1), RGB(0, 120, 215));
}

TEST(Fonts, HeightSignAndSubstitution) {
  TestApp();
  TFont f;
  EXPECT_EQ(f.GetHeight(), -12);
  EXPECT_EQ(f.GetSize(), 9);
  f.SetSize(12);
  EXPECT_EQ(f.GetHeight(), -16);
  struct Case {
    AnsiString name, family;
  } cases[] = {
      {"ＭＳ ゴシック", "IPAGothic"},
      {"ＭＳ Ｐゴシック", "IPAPGothic"},
      {"\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e", "IPAGothic"},  // the same name in code page 932
      {"DejaVu Sans", "DejaVu Sans"},
  };
  for (const Case& c : cases) {
    f.SetName(c.name);
    EXPECT_EQ(f.FamilyName(), c.family) << c.name;
  }
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  TFont g;
  g.Assign(&f);
  f.Assign(&g);  // equal: no change
  f.Assign(&f);
  EXPECT_EQ(changes, 0);
  f.SetStyle(TFontStyles{fsBold});
  EXPECT_EQ(changes, 1);
}

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    bmp.SetSize(200, 40);
    c = bmp.Canvas;
    c->Font->SetName("ＭＳ ゴシック");
    c->Font->SetHeight(-12);
    c->Font->SetColor(clBlack);
    c->Brush->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 200, 40));
  }
  // Whether any pixel of the cell span [x0, x1) x [y0, y1) differs from white.
  bool Inked(int x0, int x1, int y0 = 0, int y1 = 40) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (c->Pixels(x, y) != clWhite) return true;
    return false;
  }
  TBitmap bmp;
  TCanvas* c = nullptr;
};

TEST_F(CanvasTest, GothicCellsHoldHalfAndFullWidthGlyphsExactly) {
  EXPECT_EQ(c->TextHeight(kHiraganaA), 12);
  EXPECT_EQ(c->CellWidth(), 6);
  EXPECT_EQ(c->TextWidth("a" + kHiraganaA), 18);
  c->Font->SetHeight(-13);
  EXPECT_EQ(c->TextHeight(kHiraganaA), 13);
  EXPECT_EQ(c->CellWidth(), 7);
}

TEST_F(CanvasTest, TextLandsInItsCells) {
  // "A", a blank, "あ" (two cells), "B" from x = 10, cells of 6 pixels.
  c->Brush->SetStyle(bsClear);
  c->TextOut(10, 5, "A " + kHiraganaA + "B");
  struct Cell {
    int x0, x1;
    bool ink;
  } cells[] = {
      {0, 10, false},   // before the text
      {10, 16, true},   // A
      {16, 22, false},  // blank
      {22, 34, true},   // あ across two cells
      {34, 40, true},   // B
      {40, 200, false},
  };
  for (const Cell& k : cells) EXPECT_EQ(Inked(k.x0, k.x1), k.ink) << k.x0;
  EXPECT_TRUE(Inked(22, 28) && Inked(28, 34));  // the glyph fills both halves
}

TEST_F(CanvasTest, ExtTextOutUsesTheAdvancesAndClipsAndFills) {
  std::vector<int> dx(6, 10);
  AnsiString s = "x" + kHiraganaA + "yz";  // 5 bytes
  c->Brush->SetColor(clYellow);
  TRect r = Rect(0, 0, 35, 20);
  c->ExtTextOut(0, 0, ETO_CLIPPED | ETO_OPAQUE, &r, s.data(), 5, dx.data());
  EXPECT_EQ(c->Pixels(0, 19), clYellow);  // opaque rectangle
  EXPECT_EQ(c->Pixels(34, 19), clYellow);
  EXPECT_EQ(c->Pixels(35, 19), clWhite);
  // x in [0,10), あ in [10,30), y in [30,35) clipped, z not drawn at all.
  auto inked = [&](int x0, int x1) {
    for (int y = 0; y < 20; ++y)
      for (int x = x0; x < x1; ++x)
        if (c->Pixels(x, y) != clYellow) return true;
    return false;
  };
  EXPECT_TRUE(inked(0, 10));
  EXPECT_TRUE(inked(10, 30));
  EXPECT_FALSE(Inked(35, 200));
}

TEST_F(CanvasTest, LinesFollowTheGdiRulesAndNotModeErasesItself) {
  c->Pen->SetColor(clBlack);
  c->MoveTo(5, 2);
  c->LineTo(5, 10);
  EXPECT_EQ(c->Pixels(5, 2), clBlack);
  EXPECT_EQ(c->Pixels(5, 9), clBlack);
  EXPECT_EQ(c->Pixels(5, 10), clWhite);  // the end point is not drawn
  EXPECT_EQ(c->GetPenPos(), Point(5, 10));

  c->Pen->SetMode(pmNot);
  for (int pass = 0; pass < 2; ++pass) {
    c->MoveTo(20, 0);
    c->LineTo(20, 30);
    EXPECT_EQ(c->Pixels(20, 15), pass == 0 ? clBlack : clWhite);
  }
  c->Brush->SetColor(clRed);
  c->FillRect(Rect(50, 5, 60, 10));
  EXPECT_EQ(c->Pixels(59, 9), clRed);
  EXPECT_EQ(c->Pixels(60, 9), clWhite);
  EXPECT_EQ(c->Pixels(59, 10), clWhite);
}

TEST_F(CanvasTest, FloodFillBySurfaceAndByBorder) {
  c->Pen->SetColor(clMaroon);
  c->MoveTo(10, 10);  // a maroon frame round (10, 10)-(19, 19), white inside
  c->LineTo(19, 10);
  c->LineTo(19, 19);
  c->LineTo(10, 19);
  c->LineTo(10, 10);
  c->Brush->SetColor(clBlue);
  c->FloodFill(15, 15, clMaroon, fsBorder);  // inside up to the frame
  EXPECT_EQ(c->Pixels(15, 15), clBlue);
  EXPECT_EQ(c->Pixels(10, 15), clMaroon);
  EXPECT_EQ(c->Pixels(5, 5), clWhite);
  c->Brush->SetColor(clLime);
  c->FloodFill(10, 10, clMaroon, fsSurface);  // the frame itself
  EXPECT_EQ(c->Pixels(19, 19), clLime);
  EXPECT_EQ(c->Pixels(15, 15), clBlue);
}

TEST_F(CanvasTest, BitmapsDrawOpaqueOrTransparent) {
  TBitmap b;
  b.SetSize(4, 4);
  b.Canvas->Brush->SetColor(clWhite);
  b.Canvas->FillRect(Rect(0, 0, 4, 4));
  b.Canvas->SetPixel(1, 1, clRed);
  c->Brush->SetColor(clGreen);
  c->FillRect(Rect(0, 0, 10, 10));
  c->Draw(0, 0, &b);
  EXPECT_EQ(c->Pixels(0, 0), clWhite);
  b.SetTransparent(true);  // the bottom-left colour (white) is the key
  c->FillRect(Rect(0, 0, 10, 10));
  c->Draw(0, 0, &b);
  EXPECT_EQ(c->Pixels(0, 0), clGreen);
  EXPECT_EQ(c->Pixels(1, 1), clRed);
  b.SetTransparent(false);
  c->StretchDraw(Rect(20, 0, 28, 8), &b);
  EXPECT_EQ(c->Pixels(22, 2), clRed);
  EXPECT_EQ(c->Pixels(23, 3), clRed);
  EXPECT_EQ(c->Pixels(24, 4), clWhite);
}

}  // namespace
