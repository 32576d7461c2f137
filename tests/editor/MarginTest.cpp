// Around the rows: the mark colour, the return-mark bitmaps, the column
// ruler, and the caret's place, shape and visibility.
#include "tests/editor/DisplayFixture.h"

namespace {

const TColor kWhite = clWhite;
const TColor kBlack = clBlack;

class MarginTest : public DisplayTest {
 protected:
  void TearDown() override {
    SetSysColorValue(COLOR_WINDOW, RGB(255, 255, 255));
    DisplayTest::TearDown();
  }
  // Counts the pixels of a bitmap equal to c.
  static int CountPixels(TBitmap* bmp, TColor c) {
    int n = 0;
    for (int y = 0; y < bmp->GetHeight(); ++y)
      for (int x = 0; x < bmp->GetWidth(); ++x) n += bmp->Canvas->Pixels(x, y) == ColorToRGB(c);
    return n;
  }
  TRect BandCell(int col) const { return TRect(CellX(col), 0, CellX(col) + Step(), edit->FRowHeight); }
  TCaretState Caret() const { return GetCaretState(); }
};

// ---------------------------------------------------------------------------
// Mark colour

// Each channel of the window colour loses 0x40 and stops at zero; the result
// is always a plain colour, never a system colour code.
TEST_F(MarginTest, MarkColourDarkensEachChannelAndSaturatesAtZero) {
  struct Case {
    TColor window, mark;
  } cases[] = {
      {RGB(255, 255, 255), RGB(0xBF, 0xBF, 0xBF)},
      {RGB(0x30, 0x30, 0x30), RGB(0, 0, 0)},
      {RGB(0x20, 0x40, 0x80), RGB(0, 0, 0x40)},
      {RGB(0xA0, 0x10, 0x50), RGB(0x60, 0, 0x10)},
      {RGB(0, 0, 0), RGB(0, 0, 0)},
  };
  for (const Case& c : cases) {
    SetSysColorValue(COLOR_WINDOW, c.window);
    edit->Perform(WM_NCPAINT, 1, 0);
    EXPECT_EQ(edit->FMarkColor, c.mark) << std::hex << c.window;
    EXPECT_GE(edit->FMarkColor, 0);
  }
}

// ---------------------------------------------------------------------------
// Return-mark bitmaps

TEST_F(MarginTest, ReturnMarkBitmapFollowsTheTextHeight) {
  struct Case {
    int fontHeight;    // pixels
    int resourceSize;  // the resource chosen for that text height
  } cases[] = {{-14, 11}, {-15, 16}, {-20, 16}, {-21, 32}, {-12, 11}};
  for (const Case& c : cases) {
    edit->Font->SetHeight(c.fontHeight);
    ASSERT_EQ(edit->FTextHeight, -c.fontHeight);
    EXPECT_EQ(edit->FCrResBmp->GetWidth(), c.resourceSize) << "height " << -c.fontHeight;
    for (TBitmap* bmp : {edit->FCrBmp, edit->FCrSelBmp}) {
      EXPECT_EQ(bmp->GetWidth(), edit->FTextHeight);
      EXPECT_EQ(bmp->GetHeight(), edit->FTextHeight);
    }
  }
}

TEST_F(MarginTest, ReturnMarkKeepsItsColourOnEitherBackground) {
  edit->SetCrColor(clMaroon, clYellow);
  int h = edit->FTextHeight;
  int mark = CountPixels(edit->FCrBmp, clMaroon);
  EXPECT_GT(mark, 5);
  EXPECT_EQ(CountPixels(edit->FCrBmp, clYellow), h * h - mark);
  EXPECT_EQ(CountPixels(edit->FCrSelBmp, clMaroon), mark);
  EXPECT_EQ(CountPixels(edit->FCrSelBmp, clHighlight), h * h - mark);
}

// The seeds of the fills lie on the mark of the middle-sized bitmap.
TEST_F(MarginTest, ReturnMarkTakesAnotherColour) {
  edit->Font->SetHeight(-16);
  edit->SetCrColor(clBlue, clWhite);
  EXPECT_GT(CountPixels(edit->FCrBmp, clBlue), 5);
  EXPECT_EQ(CountPixels(edit->FCrBmp, clMaroon), 0);
  EXPECT_EQ(edit->GetColCr(), clBlue);
}

TEST_F(MarginTest, ReturnMarkOnARowWithItsOwnBackground) {
  SetRows({"ab\r", "z"});
  edit->GetLinesAttr(0)->BackColor = clYellow;
  Render();
  EXPECT_TRUE(InkIs(Cells(2, 0, 2), clMaroon, clYellow));
}

// ---------------------------------------------------------------------------
// Ruler

TEST_F(MarginTest, RulerMarksFivesAndTens) {
  Render();
  TColor band = ColorToRGB(clBtnFace);
  struct Case {
    int col;
    const char* mark;
  } cases[] = {{1, "."}, {4, "+"}, {9, "1"}, {14, "+"}, {19, "2"}, {99, "0"}};
  for (const Case& c : cases) {
    if (CellX(c.col) + Step() > edit->FTextRect.Right) continue;
    EXPECT_TRUE(ShowsGlyph(CellX(c.col), 0, c.mark, kBlack, band)) << "column " << c.col;
  }
}

TEST_F(MarginTest, RulerScrolledStartsAtTheFirstVisibleColumn) {
  edit->FLeftCol = 7;
  Render();
  EXPECT_TRUE(ShowsGlyph(CellX(7), 0, "..1", kBlack, ColorToRGB(clBtnFace)));
}

TEST_F(MarginTest, RulerShowsWrapAndIndentColumns) {
  SetRows({"ab\r", "z"}, {4});
  edit->SetDefWrapPos(30);
  Render();
  TColor band = ColorToRGB(clBtnFace);
  EXPECT_TRUE(ShowsGlyph(CellX(30), 0, "<", clMaroon, band));
  EXPECT_TRUE(ShowsGlyph(CellX(3), 0, ">", clMaroon, band));
}

TEST_F(MarginTest, RulerHighlightsTheCaretColumn) {
  Focus();
  SetRows({"abcdef\r", "z"});
  edit->SetCaret(TPoint(3, 0));
  Render();
  EXPECT_TRUE(ShowsGlyph(CellX(3), 0, ".", clHighlightText, clHighlight));
  EXPECT_TRUE(ShowsGlyph(CellX(2), 0, ".", kBlack, ColorToRGB(clBtnFace)));
}

TEST_F(MarginTest, RulerIsLeftAloneWhileCharactersAreSelected) {
  SetRows({"abcdef\r", "z"});
  Render();
  edit->Canvas->Brush->SetColor(clLime);
  edit->Canvas->FillRect(TRect(0, 0, 200, edit->FTextTop - 1));
  edit->FSelArea->PutStartPoint(TPoint(1, 0));
  edit->FSelArea->PutEndPoint(TPoint(3, 0));
  edit->DrawColIndicate();
  EXPECT_TRUE(AllPixels(TRect(0, 0, 200, edit->FTextTop - 1), clLime));
}

TEST_F(MarginTest, RulerEventCanLeaveTheBandBare) {
  edit->OnDrawColIndi = [](TObject*, const TRect&, bool& draw) { draw = false; };
  Render();
  EXPECT_TRUE(AllPixels(TRect(0, 0, edit->FTextRect.Right, edit->FTextTop - 1), clBtnFace));
}

TEST_F(MarginTest, RowNumberOfTheHundredthRowIsRightAligned) {
  std::vector<std::string> rows(120, "x\r");
  SetRows(rows);
  edit->FTopLine = 95;
  Render();
  EXPECT_TRUE(ShowsGlyph(0, RowY(99), "  100:", kBlack, kWhite));
}

// ---------------------------------------------------------------------------
// Caret

TEST_F(MarginTest, CaretShapeFollowsInsertModeAndTheCharacterUnderIt) {
  Focus();
  SetRows({Sjis("a\t日本\r"), "z"});
  int h = edit->FTextHeight;
  struct Case {
    bool insert;
    int col;
    int width;
  } cases[] = {
      {true, 0, 2},        // insert mode: a bar
      {false, 0, h / 2},   // overwrite on a single byte
      {false, 4, h},       // overwrite on a double-byte character after a tab
      {false, 1, h / 2},   // overwrite on a tab's fill cell
      {true, 4, 2},
  };
  for (const Case& c : cases) {
    edit->FInsertMode = c.insert;
    edit->SetCaret(TPoint(c.col, 0));
    TCaretState st = Caret();
    EXPECT_TRUE(st.Exists);
    EXPECT_EQ(st.Bounds.Width(), c.width) << "column " << c.col << (c.insert ? " insert" : " overwrite");
    EXPECT_EQ(st.Bounds.Height(), h);
    EXPECT_EQ(st.Bounds.Left, CellX(c.col));
    EXPECT_EQ(st.Bounds.Top, RowY(0));
  }
}

// The caret is created anew (as a bar) whenever the control gets the focus;
// in overwrite mode the next placement must give it the overwrite shape.
TEST_F(MarginTest, RefocusInOverwriteModeShowsTheOverwriteCaret) {
  Focus();
  SetRows({"abc\r", "z"});
  edit->FInsertMode = false;
  edit->SetCaret(TPoint(1, 0));
  ASSERT_EQ(Caret().Bounds.Width(), edit->FTextHeight / 2);

  edit->Perform(WM_KILLFOCUS, 0, 0);
  EXPECT_FALSE(Caret().Exists);
  edit->Perform(WM_SETFOCUS, 0, 0);
  EXPECT_TRUE(Caret().Exists);
  EXPECT_EQ(Caret().Bounds.Width(), edit->FTextHeight / 2);
  EXPECT_TRUE(Caret().Visible);
}

// A font change creates the caret anew as a bar of the new height; in
// overwrite mode it must come back in the overwrite shape at once and keep
// it on the next placement.
TEST_F(MarginTest, FontChangeInOverwriteModeShowsTheOverwriteCaret) {
  Focus();
  SetRows({Sjis("ab日本\r"), "z"});
  struct Case {
    int col;
    bool wideChar;
  } cases[] = {{1, false}, {2, true}};
  int height = -12;
  for (const Case& c : cases) {
    edit->FInsertMode = false;
    edit->SetCaret(TPoint(c.col, 0));
    height = height == -12 ? -16 : -12;
    edit->Font->SetHeight(height);  // reaches SetFont through CM_FONTCHANGED
    int h = edit->FTextHeight;
    int want = c.wideChar ? h : h / 2;
    TCaretState st = Caret();
    ASSERT_TRUE(st.Exists);
    EXPECT_EQ(st.Bounds.Width(), want) << "column " << c.col << " right after the font change";
    EXPECT_EQ(st.Bounds.Height(), h);
    EXPECT_EQ(st.Bounds.Left, CellX(c.col));
    EXPECT_TRUE(st.Visible);
    edit->SetCaret(TPoint(c.col, 0));
    EXPECT_EQ(Caret().Bounds.Width(), want) << "column " << c.col << " on the next placement";
  }
  // Back in insert mode the caret is a bar again after a font change.
  edit->FInsertMode = true;
  edit->Font->SetHeight(-12);
  edit->SetCaret(TPoint(1, 0));
  EXPECT_EQ(Caret().Bounds.Width(), 2);
}

TEST_F(MarginTest, CaretOutsideTheViewStaysHiddenUntilItComesBack) {
  Focus();
  std::vector<std::string> rows(60, "x\r");
  SetRows(rows);
  edit->FTopLine = 10;
  Render();
  edit->SetCaret(TPoint(0, 12));
  ASSERT_TRUE(Caret().Visible);

  edit->SetCaret(TPoint(0, 3));  // above the view
  EXPECT_FALSE(Caret().Visible);
  EXPECT_EQ(edit->FCaretHideCount, 1);
  edit->SetCaret(TPoint(0, 4));
  EXPECT_EQ(edit->FCaretHideCount, 2);

  edit->SetCaret(TPoint(0, 11));  // back inside: every counted hide undone
  EXPECT_TRUE(Caret().Visible);
  EXPECT_EQ(edit->FCaretHideCount, 0);
  EXPECT_EQ(Caret().HideCount, 0);
}

TEST_F(MarginTest, NonClientPaintRecordsTheClientSize) {
  edit->FTextRect.Right = 5;
  edit->FTextRect.Bottom = 5;
  edit->Perform(WM_NCPAINT, 1, 0);
  EXPECT_EQ(edit->FTextRect.Right, edit->ClientWidth());
  EXPECT_EQ(edit->FTextRect.Bottom, edit->ClientHeight());
}

TEST_F(MarginTest, CaretOffATrailByteAndStatusEvent) {
  Focus();
  SetRows({Sjis("日本\r"), "z"});
  int status = 0;
  edit->OnStatusChange = [&](TObject*) { ++status; };
  ColAdjLeft = false;
  edit->SetCaret(TPoint(1, 0));
  EXPECT_EQ(edit->FCaret.x, 2);
  EXPECT_EQ(status, 1);
}

TEST_F(MarginTest, WithoutTheFocusTheCaretIsLeftAlone) {
  SetRows({"abc\r", "z"});
  edit->SetCaret(TPoint(2, 0));
  EXPECT_FALSE(Caret().Exists && Caret().Owner == edit);
  EXPECT_EQ(edit->FLastCaretCol, -1);
}

}  // namespace
