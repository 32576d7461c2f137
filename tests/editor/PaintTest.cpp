// Row painting: glyphs on the cell grid, marks and their colour, selections,
// strips that start or end inside characters, and repainting only what
// changed.
#include <QEvent>
#include <QScrollBar>

#include "tests/editor/DisplayFixture.h"

namespace {

// Counts the paint events the control's widget and its scroll bars get.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) : widget_(widget) {
    widget->installEventFilter(this);
    for (QScrollBar* bar : widget->findChildren<QScrollBar*>()) {
      bar->installEventFilter(this);
      (bar->orientation() == Qt::Vertical ? vbar_ : hbar_) = bar;
    }
  }
  int client = 0, vertical = 0, horizontal = 0;
  bool HasBothBars() const { return vbar_ && hbar_ && vbar_->isVisible() && hbar_->isVisible(); }
  void Reset() { client = vertical = horizontal = 0; }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Paint) {
      if (o == widget_) ++client;
      else if (o == vbar_) ++vertical;
      else if (o == hbar_) ++horizontal;
    }
    return false;
  }

 private:
  QWidget* widget_;
  QScrollBar* vbar_ = nullptr;
  QScrollBar* hbar_ = nullptr;
};

const TColor kWhite = clWhite;
const TColor kBlack = clBlack;

class PaintTest : public DisplayTest {};

// ---------------------------------------------------------------------------
// Glyphs and the cell grid

TEST_F(PaintTest, EveryCharacterInksItsCellsAndNothingPastTheRow) {
  SetRows({Sjis("日本語abc\r"), "x"});
  Render();
  struct Case {
    int col, cells;
  } cases[] = {{0, 2}, {2, 2}, {4, 2}, {6, 1}, {7, 1}, {8, 1}};
  for (const Case& c : cases) EXPECT_TRUE(HasInk(Cells(c.col, 0, c.cells), kWhite)) << "column " << c.col;
  // Past the return mark (two cells wide) the row is bare.
  EXPECT_TRUE(AllPixels(Cells(11, 0, 20), kWhite));
  EXPECT_TRUE(HasInk(Cells(0, 1), kWhite));
  EXPECT_TRUE(AllPixels(Cells(5, 1, 20), kWhite));
}

TEST_F(PaintTest, CellsShowTheGlyphsOfTheirCharacters) {
  SetRows({Sjis("日本\r"), "ab"});
  Render();
  EXPECT_TRUE(ShowsGlyph(CellX(0), RowY(0), Sjis("日"), kBlack, kWhite));
  EXPECT_TRUE(ShowsGlyph(CellX(2), RowY(0), Sjis("本"), kBlack, kWhite));
  EXPECT_TRUE(ShowsGlyph(CellX(1), RowY(1), "b", kBlack, kWhite));
}

// A strip that starts on the second character of "日本" (whose first trail
// byte 0xFA is also a lead byte) draws "本", not a character made of the
// bytes 0xFA 0x96.
TEST_F(PaintTest, StripStartingOnASecondCharacterDrawsThatCharacter) {
  SetRows({Sjis("日本\r"), "ab"});
  ASSERT_EQ(static_cast<unsigned char>(edit->GetLine(0)[1]), 0xFA);
  Render();
  edit->Canvas->Brush->SetColor(clLime);
  edit->Canvas->FillRect(Cells(0, 0, 6));
  edit->FPaintRect = Cells(2, 0, 2);
  edit->DrawLine(0);
  EXPECT_TRUE(ShowsGlyph(CellX(2), RowY(0), Sjis("本"), kBlack, kWhite));
  EXPECT_TRUE(AllPixels(Cells(0, 0, 2), clLime)) << "the first character lies outside the strip";
}

// A lead byte without a trail byte stands alone: it never swallows the line
// end after it, and nothing is read past the row's display string.
TEST_F(PaintTest, LoneLeadByteBeforeTheLineEndKeepsTheEndMark) {
  SetRows({"ab\x82\r", "cd\x82"});
  Render();
  // Hard line: the return mark in the CR cell.
  EXPECT_TRUE(InkIs(Cells(3, 0), clMaroon, kWhite));
  // Last row: the end-of-text mark "<" right after the stray byte.
  EXPECT_TRUE(InkIs(Cells(3, 1), clMaroon, kWhite));
}

// A row far longer than any fixed advance table, drawn from its far end:
// the whole word is one text output of 70,000 cells.
TEST_F(PaintTest, VeryLongRowDrawsAtItsFarEnd) {
  SetRows({std::string(70000, 'a') + "\r", "z"});
  edit->FLeftCol = 69990;
  Render();
  for (int col = 69990; col < 70000; ++col)
    EXPECT_TRUE(ShowsGlyph(CellX(col), RowY(0), "a", kBlack, kWhite)) << "column " << col;
  EXPECT_TRUE(InkIs(Cells(70000, 0), clMaroon, kWhite));
}

// ---------------------------------------------------------------------------
// Marks

TEST_F(PaintTest, MarkColourIsTheWindowColourDarkened) {
  Render();
  EXPECT_EQ(edit->FMarkColor, RGB(0xBF, 0xBF, 0xBF));
}

TEST_F(PaintTest, TabGroupShowsFillMarksAndTabMarkInTheMarkColour) {
  SetRows({"a\tb\r", "z"});
  Render();
  EXPECT_TRUE(ShowsGlyph(CellX(1), RowY(0), "-->", edit->FMarkColor, kWhite));
  EXPECT_TRUE(ShowsGlyph(CellX(4), RowY(0), "b", kBlack, kWhite));

  edit->SetViewOpt(TViewOptions::FromBits(kPaneViewOpt) >> voTab);
  Render();
  EXPECT_TRUE(AllPixels(Cells(1, 0, 3), kWhite));
  EXPECT_TRUE(ShowsGlyph(CellX(4), RowY(0), "b", kBlack, kWhite));
}

TEST_F(PaintTest, IndentCellsShowDotsAlsoWhenScrolledIntoTheIndent) {
  SetRows({"x\r", "z"}, {3});
  Render();
  EXPECT_TRUE(ShowsGlyph(CellX(0), RowY(0), "...", edit->FMarkColor, kWhite));
  EXPECT_TRUE(ShowsGlyph(CellX(3), RowY(0), "x", kBlack, kWhite));

  edit->FLeftCol = 2;
  Render();
  EXPECT_TRUE(ShowsGlyph(CellX(2), RowY(0), ".", edit->FMarkColor, kWhite));
  EXPECT_TRUE(ShowsGlyph(CellX(3), RowY(0), "x", kBlack, kWhite));
}

TEST_F(PaintTest, StripEndingInsideTheIndentDrawsItsDots) {
  SetRows({"x\r", "z"}, {5});
  Render();
  edit->Canvas->Brush->SetColor(clLime);
  edit->Canvas->FillRect(Cells(0, 0, 5));
  edit->FPaintRect = Cells(1, 0, 2);
  edit->DrawLine(0);
  EXPECT_TRUE(ShowsGlyph(CellX(1), RowY(0), "..", edit->FMarkColor, kWhite));
}

TEST_F(PaintTest, FullWidthSpaceShowsTheSquareMark) {
  SetRows({Sjis("　a\r"), "z"});
  Render();
  EXPECT_TRUE(ShowsGlyph(CellX(0), RowY(0), Sjis("□"), edit->FMarkColor, kWhite));
  edit->SetViewOpt(TViewOptions::FromBits(kPaneViewOpt) >> voAnsiSpace);
  Render();
  EXPECT_TRUE(AllPixels(Cells(0, 0, 2), kWhite));
}

TEST_F(PaintTest, DependenceCharactersAndHalfWidthKanaTakeTheDependenceColour) {
  SetRows({Sjis("①ｱa\r"), "z"});
  ASSERT_EQ(edit->GetLine(0).substr(0, 2), "\x87\x40");
  Render();
  EXPECT_TRUE(ShowsGlyph(CellX(0), RowY(0), "\x87\x40", 0xFF00FF, kWhite));
  EXPECT_TRUE(ShowsGlyph(CellX(2), RowY(0), "\xB1", 0xFF00FF, kWhite));
  EXPECT_TRUE(ShowsGlyph(CellX(3), RowY(0), "a", kBlack, kWhite));

  edit->SetViewOpt(TViewOptions::FromBits(kPaneViewOpt) >> voDependence >> voHankana);
  Render();
  EXPECT_TRUE(ShowsGlyph(CellX(0), RowY(0), "\x87\x40", kBlack, kWhite));
  EXPECT_TRUE(ShowsGlyph(CellX(2), RowY(0), "\xB1", kBlack, kWhite));
}

TEST_F(PaintTest, ReturnMarkAndEndOfTextMark) {
  SetRows({"ab\r", "cd\r", ""});
  Render();
  EXPECT_TRUE(InkIs(Cells(2, 0, 2), clMaroon, kWhite));
  EXPECT_TRUE(InkIs(Cells(2, 1, 2), clMaroon, kWhite));
  // The empty last row shows "< " at its first column.
  EXPECT_TRUE(ShowsGlyph(CellX(0), RowY(2), "< ", clMaroon, kWhite));

  edit->SetViewOpt(TViewOptions::FromBits(kPaneViewOpt) >> voCr);
  Render();
  EXPECT_TRUE(AllPixels(Cells(2, 0, 3), kWhite));
}

TEST_F(PaintTest, EverythingBelowTheLastRowIsTheBackground) {
  SetRows({"ab\r", "cd"});
  Render();
  edit->Canvas->Brush->SetColor(clLime);
  edit->Canvas->FillRect(TRect(0, RowY(2), 300, RowY(5)));
  Render();
  EXPECT_TRUE(AllPixels(TRect(0, RowY(2), 300, RowY(5)), kWhite));
}

TEST_F(PaintTest, WrapLineStandsAtTheWrapColumnAndNeverInTheMargin) {
  SetRows({"ab\r", "cd"});
  Render();
  int x = CellX(80);
  EXPECT_EQ(Px(x, RowY(0) + 1), edit->FMarkColor);
  EXPECT_EQ(Px(x, RowY(1) + 5), edit->FMarkColor);

  edit->FLeftCol = 83;  // the wrap column lies left of the view
  Render();
  for (int px = 0; px < edit->FTextLeft; ++px)
    EXPECT_NE(Px(px, RowY(0) + 1), edit->FMarkColor) << "x " << px;
}

// ---------------------------------------------------------------------------
// Selections and colours

TEST_F(PaintTest, SelectedRowIsFilledWithTheSelectionBrushPastItsText) {
  SetRows({"aa\r", "bb\r", "cc"});
  edit->FSelArea->PutStartRow(1);
  edit->FSelArea->PutEndRow(1);
  Render();
  TColor sel = ColorToRGB(clHighlight);
  EXPECT_TRUE(AllPixels(Cells(10, 1, 30), sel));
  EXPECT_TRUE(AllPixels(Cells(10, 0, 30), kWhite));
  EXPECT_TRUE(ShowsGlyph(CellX(0), RowY(1), "b", clHighlightText, clHighlight));
  // The return mark is drawn on the selection background.
  EXPECT_TRUE(InkIs(Cells(2, 1, 2), clMaroon, clHighlight));
}

TEST_F(PaintTest, PointSelectionColoursExactlyItsCells) {
  SetRows({"abcdef\r", "z"});
  edit->FSelArea->PutStartPoint(TPoint(1, 0));
  edit->FSelArea->PutEndPoint(TPoint(4, 0));
  Render();
  EXPECT_TRUE(ShowsGlyph(CellX(0), RowY(0), "a", kBlack, kWhite));
  EXPECT_TRUE(ShowsGlyph(CellX(1), RowY(0), "bcd", clHighlightText, clHighlight));
  EXPECT_TRUE(ShowsGlyph(CellX(4), RowY(0), "ef", kBlack, kWhite));
}

TEST_F(PaintTest, RowWithItsOwnColoursSwapsThemWhenSelected) {
  SetRows({"ab\r", "z"});
  edit->GetLinesAttr(0)->TextColor = clNavy;
  edit->GetLinesAttr(0)->BackColor = clYellow;
  Render();
  EXPECT_TRUE(ShowsGlyph(CellX(0), RowY(0), "ab", clNavy, clYellow));
  edit->FSelArea->PutStartRow(0);
  edit->FSelArea->PutEndRow(0);
  Render();
  EXPECT_TRUE(ShowsGlyph(CellX(0), RowY(0), "ab", clYellow, clNavy));
}

// Keywords are drawn with their last glyph pulled into the word's cells, so
// their colour is checked by ink rather than glyph by glyph.
TEST_F(PaintTest, KeywordsTakeTheKeywordColourAndSelectedOnesTheMixedColour) {
  edit->GetKeywords()->Add("if");
  edit->SetKeyWordColor(clRed);
  SetRows({"if x\r", "z"});
  Render();
  EXPECT_TRUE(InkIs(Cells(0, 0, 2), clRed, kWhite));
  EXPECT_TRUE(ShowsGlyph(CellX(3), RowY(0), "x", kBlack, kWhite));

  // A word that is no keyword keeps the text colour.
  SetRows({"of x\r", "z"});
  Render();
  EXPECT_TRUE(InkIs(Cells(0, 0, 2), kBlack, kWhite));

  // Keyword colour equal to the font colour: selected, the keyword shows the
  // selected-text colour.
  SetRows({"if x\r", "z"});
  edit->SetKeyWordColor(clWindowText);
  edit->FSelArea->PutStartRow(0);
  edit->FSelArea->PutEndRow(0);
  Render();
  EXPECT_TRUE(InkIs(Cells(0, 0, 2), clHighlightText, clHighlight));
}

TEST_F(PaintTest, KeywordCutBySelectionIsDrawnInTwoColours) {
  edit->GetKeywords()->Add("word");
  edit->SetKeyWordColor(clRed);
  SetRows({"word\r", "z"});
  edit->FSelArea->PutStartPoint(TPoint(2, 0));
  edit->FSelArea->PutEndPoint(TPoint(4, 0));
  Render();
  EXPECT_TRUE(ShowsGlyph(CellX(0), RowY(0), "wo", clRed, kWhite));
  // Font xor keyword xor selected-text colour: black ^ red ^ white.
  TColor mixed = ColorToRGB(clWindowText) ^ ColorToRGB(clRed) ^ ColorToRGB(clHighlightText);
  EXPECT_TRUE(InkIs(Cells(2, 0, 2), mixed, clHighlight));
}

TEST_F(PaintTest, BlockAndColumnAttributesColourTheirCharacters) {
  SetRows({"abcdef\r", "z"});
  TBlkAttrListItem blk;
  blk.StartPos = TPoint(1, 0);
  blk.EndPos = TPoint(3, 0);
  blk.Color = clGreen;
  edit->FBlkAttrs->Add(blk);
  TColAttrList* cols = edit->GetColAttrs(0);
  TColAttrListItem* item = cols->GetItem(4);
  item->Color = clBlue;
  item->HasAttr = 1;
  Render();
  EXPECT_TRUE(ShowsGlyph(CellX(0), RowY(0), "a", kBlack, kWhite));
  EXPECT_TRUE(ShowsGlyph(CellX(1), RowY(0), "bc", clGreen, kWhite));
  EXPECT_TRUE(ShowsGlyph(CellX(4), RowY(0), "e", clBlue, kWhite));
  EXPECT_TRUE(ShowsGlyph(CellX(5), RowY(0), "f", kBlack, kWhite));
}

// ---------------------------------------------------------------------------
// The margin

TEST_F(PaintTest, RowNumbersStandLeftOfTheTextArea) {
  SetRows({"a\r", "b\r", "c"});
  Render();
  ASSERT_EQ(edit->FTextLeft, 36);
  for (int row = 0; row < 3; ++row) {
    AnsiString number = FormatRowNumber("%5d:", row + 1);
    EXPECT_TRUE(ShowsGlyph(0, RowY(row), number, kBlack, kWhite)) << "row " << row;
  }
  edit->SetViewOpt(TViewOptions::FromBits(kPaneViewOpt) >> voRowNum);
  Render();
  EXPECT_TRUE(AllPixels(TRect(0, RowY(0), edit->FTextLeft, RowY(3)), kWhite));
}

TEST_F(PaintTest, RowNumberWiderThanTheMarginNeverCoversTheText) {
  SetRows({"\r", "z"});
  edit->OnDrawLeftMgn = [](TObject*, int, const TRect&, AnsiString& text, bool&) { text = "12345678:"; };
  Render();
  EXPECT_TRUE(ShowsGlyph(0, RowY(0), "123456", kBlack, kWhite));
  EXPECT_TRUE(InkIs(Cells(0, 0, 2), clMaroon, kWhite)) << "only the return mark in the first cells";
}

// ---------------------------------------------------------------------------
// What is drawn when

TEST_F(PaintTest, ValiPaintRedrawsOnlyFlaggedRowsUntilTheViewMoves) {
  SetRows({"a\r", "b\r", "c\r", "d\r", "e"});
  std::vector<int> drawn;
  edit->OnDrawLine = [&](TObject*, int row, const TRect&, AnsiString, bool&) { drawn.push_back(row); };
  Render();
  EXPECT_EQ(drawn, (std::vector<int>{0, 1, 2, 3, 4}));

  drawn.clear();
  edit->ValiPaint();
  EXPECT_TRUE(drawn.empty());

  edit->GetLinesAttr(2)->Changed = 1;
  edit->ValiPaint();
  EXPECT_EQ(drawn, (std::vector<int>{2}));
  EXPECT_EQ(edit->GetLinesAttr(2)->Changed, 0);

  drawn.clear();
  edit->FTopLine = 1;  // the view moved: everything is drawn
  edit->ValiPaint();
  EXPECT_EQ(drawn, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(PaintTest, NothingIsDrawnBetweenBeginUpdateAndEndUpdate) {
  SetRows({"a\r", "b"});
  Render();
  int calls = 0;
  edit->OnDrawLine = [&](TObject*, int, const TRect&, AnsiString, bool&) { ++calls; };
  edit->BeginUpdate();
  edit->GetLinesAttr(0)->Changed = 1;
  edit->ValiPaint();
  edit->Paint();
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(edit->GetLinesAttr(0)->Changed, 1);
  edit->EndUpdate();
  EXPECT_EQ(calls, 2);
}

TEST_F(PaintTest, DrawLineEventCanSuppressTheRow) {
  SetRows({"abc\r", "z"});
  Render();
  edit->OnDrawLine = [](TObject*, int row, const TRect&, AnsiString text, bool& draw) {
    if (row == 0) {
      EXPECT_EQ(text, "abc\r");
      draw = false;
    }
  };
  edit->Canvas->Brush->SetColor(clLime);
  edit->Canvas->FillRect(TRect(0, RowY(0), 300, RowY(1)));
  edit->GetLinesAttr(0)->Changed = 1;
  edit->Paint();
  EXPECT_TRUE(AllPixels(Cells(0, 0, 20), kWhite));                                     // background only
  EXPECT_TRUE(AllPixels(TRect(0, RowY(0), edit->FTextLeft, RowY(1)), clLime));           // no margin
  EXPECT_EQ(edit->GetLinesAttr(0)->Changed, 1);                                          // still flagged
}

TEST_F(PaintTest, StripInsideAWordRepaintsTheWholeWord) {
  SetRows({"hello world\r", "z"});
  Render();
  edit->Canvas->Brush->SetColor(clLime);
  edit->Canvas->FillRect(Cells(0, 0, 12));
  edit->FPaintRect = Cells(2, 0, 1);
  edit->DrawLine(0);
  EXPECT_TRUE(ShowsGlyph(CellX(0), RowY(0), "hello", kBlack, kWhite));
  EXPECT_TRUE(AllPixels(Cells(5, 0, 6), clLime));
}

// ---------------------------------------------------------------------------
// Refreshing the window

// Drawing that reaches the client's edges refreshes the client only: the
// scroll bars beside it are not repainted for it, and a one-row scroll
// repaints the vertical bar (its position changed) but never the other one.
TEST_F(PaintTest, DrawingAtTheClientEdgesLeavesTheScrollBarsAlone) {
  std::vector<std::string> rows;
  for (int i = 0; i < 300; ++i) rows.push_back(std::string(120, 'a' + i % 26) + "\r");
  SetRows(rows);
  form->Show();
  Render();
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
  PaintCounter count(edit->GetWidget());
  ASSERT_TRUE(count.HasBothBars());

  int w = edit->ClientWidth(), h = edit->ClientHeight();
  struct Case {
    const char* what;
    std::function<void()> draw;
  } cases[] = {
      {"line ending on the bottom edge",
       [&] {
         edit->Canvas->Pen->SetColor(clBlack);
         edit->Canvas->MoveTo(w / 2, h - 5);
         edit->Canvas->LineTo(w / 2, h);
       }},
      {"line ending on the right edge",
       [&] {
         edit->Canvas->Pen->SetColor(clBlack);
         edit->Canvas->MoveTo(w - 5, h / 2);
         edit->Canvas->LineTo(w, h / 2);
       }},
      {"rectangle past both edges",
       [&] {
         edit->Canvas->Brush->SetColor(clWhite);
         edit->Canvas->FillRect(TRect(w - 10, h - 10, w + 20, h + 20));
       }},
  };
  for (const Case& c : cases) {
    count.Reset();
    c.draw();
    QApplication::processEvents();
    EXPECT_GE(count.client, 1) << c.what;
    EXPECT_EQ(count.vertical, 0) << c.what;
    EXPECT_EQ(count.horizontal, 0) << c.what;
  }

  for (int i = 0; i < 3; ++i) {
    count.Reset();
    edit->Perform(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    edit->Perform(WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    QApplication::processEvents();
    EXPECT_EQ(edit->FTopLine, i + 1);
    EXPECT_GE(count.client, 1) << "scroll " << i;
    EXPECT_LE(count.vertical, 1) << "scroll " << i;
    EXPECT_EQ(count.horizontal, 0) << "scroll " << i;
  }
}

}  // namespace
