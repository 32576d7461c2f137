// The view onto the rows: scroll bars, every scroll code, acceleration, the
// view following the caret through the control's own WindowProc, and
// scrolled pixels that match a full repaint.
#include "tests/editor/DisplayFixture.h"

namespace {

struct Sent {
  unsigned msg;
  int code;
  bool operator==(const Sent&) const = default;
};

class ScrollTest : public DisplayTest {
 protected:
  // No bars, and a text area of exactly `rows` rows.
  void ViewRows(int rows) {
    edit->SetScrollBars(ssNone);
    edit->SetHeight(edit->FTextTop + rows * edit->FRowHeight);
    ASSERT_EQ(edit->GetDspRowCount(), rows);
  }
  void Numbered(int n, int width = 1) {
    std::vector<std::string> rows;
    for (int i = 0; i < n; ++i) rows.push_back(std::string(static_cast<size_t>(width), 'a' + i % 26) + "\r");
    SetRows(rows);
  }
  void V(int code, int pos = 0) { edit->Perform(WM_VSCROLL, MAKEWPARAM(static_cast<uint16_t>(code), static_cast<uint16_t>(pos)), 0); }
  void H(int code, int pos = 0) { edit->Perform(WM_HSCROLL, MAKEWPARAM(static_cast<uint16_t>(code), static_cast<uint16_t>(pos)), 0); }

  // Records the scroll messages that pass through the WindowProc.
  void Record() {
    auto old = edit->WindowProc;
    edit->WindowProc = [this, old](TMessage& m) {
      if (m.Msg == WM_VSCROLL || m.Msg == WM_HSCROLL) sent.push_back({m.Msg, LOWORD(m.WParam)});
      old(m);
    };
  }
  // The rows of the view, margin included, as drawn now.
  std::vector<TColor> View() const {
    return Grab(TRect(0, edit->FTextTop, edit->FTextRect.Right, edit->FTextRect.Bottom));
  }

  std::vector<Sent> sent;
};

// ---------------------------------------------------------------------------
// Vertical codes

TEST_F(ScrollTest, SetTopLineKeepsTheLastRowInTheUpperHalf) {
  Numbered(100);
  struct Case {
    int viewRows, request, top;
  } cases[] = {{20, 1000, 90}, {21, 1000, 90}, {20, -5, 0}, {20, 50, 50}, {20, 90, 90}};
  for (const Case& c : cases) {
    ViewRows(c.viewRows);
    edit->SetTopLine(c.request);
    EXPECT_EQ(edit->FTopLine, c.top) << c.viewRows << " rows, request " << c.request;
  }
}

TEST_F(ScrollTest, LineDownOnAShortTextChangesNothing) {
  ViewRows(10);
  SetRows({""});
  V(SB_LINEDOWN);
  EXPECT_EQ(edit->FTopLine, 0);
}

TEST_F(ScrollTest, RepeatedLineStepsAccelerateUntilEndScroll) {
  ViewRows(20);
  Numbered(200);
  edit->SetAccelRate(4);
  std::vector<int> steps;
  for (int k = 0; k < 5; ++k) {
    int before = edit->FTopLine;
    V(SB_LINEDOWN);
    steps.push_back(edit->FTopLine - before);
  }
  EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4, 4}));
  V(SB_ENDSCROLL);
  EXPECT_EQ(ScrollAccel, 0);
  int before = edit->FTopLine;
  V(SB_LINEDOWN);
  EXPECT_EQ(edit->FTopLine - before, 1);

  // A rate of 0 or less always steps one row.
  for (int rate : {0, -3}) {
    edit->SetAccelRate(rate);
    for (int k = 0; k < 3; ++k) {
      before = edit->FTopLine;
      V(SB_LINEDOWN);
      EXPECT_EQ(edit->FTopLine - before, 1);
    }
  }
}

TEST_F(ScrollTest, LineUpNearTheTopStopsThereAndDropsTheAcceleration) {
  ViewRows(20);
  Numbered(200);
  edit->SetAccelRate(4);
  edit->FTopLine = 3;
  ScrollAccel = 3;
  V(SB_LINEUP);
  EXPECT_EQ(edit->FTopLine, 0);
  EXPECT_EQ(ScrollAccel, 1);
}

TEST_F(ScrollTest, LineStepsCarryTheCaretUnlessShiftIsHeld) {
  ViewRows(20);
  Numbered(200);
  edit->FTopLine = 10;
  edit->FCaret = TPoint(0, 10);
  V(SB_LINEDOWN);
  EXPECT_EQ(edit->FTopLine, 11);
  EXPECT_EQ(edit->FCaret.y, 11);

  edit->FCaret = TPoint(0, 29);  // the second-last fully visible row
  V(SB_LINEUP);
  EXPECT_EQ(edit->FTopLine, 10);
  EXPECT_EQ(edit->FCaret.y, 28);

  SetKeyStateOverride(VK_SHIFT, true);
  edit->FCaret = TPoint(0, 10);
  for (int k = 0; k < 5; ++k) V(SB_LINEDOWN);
  EXPECT_EQ(edit->FTopLine, 15);
  EXPECT_EQ(edit->FCaret.y, 10) << "the caret keeps its row and leaves the view";
}

TEST_F(ScrollTest, PageStepsMoveViewAndCaretByAPage) {
  Numbered(100);
  Render();
  int R = edit->GetDspRowCount();
  ASSERT_GT(R, 5);
  edit->FCaret = TPoint(0, 2);
  V(SB_PAGEDOWN);
  EXPECT_EQ(edit->FTopLine, R);
  EXPECT_EQ(edit->FCaret.y, 2 + R);
  for (int k = 0; k < 10; ++k) V(SB_PAGEDOWN);
  // Paging stops at the bar's maximum less a page.
  EXPECT_EQ(edit->FTopLine, 99 - R);
  EXPECT_EQ(edit->FCaret.y, 99);
  V(SB_PAGEUP);
  EXPECT_EQ(edit->FTopLine, 99 - 2 * R);
  for (int k = 0; k < 10; ++k) V(SB_PAGEUP);
  EXPECT_EQ(edit->FTopLine, 0);
  EXPECT_EQ(edit->FCaret.y, 0);
}

TEST_F(ScrollTest, ThumbPositionMovesTheFocusedControlToTheBarPosition) {
  Focus();
  Numbered(100);
  Render();
  int R = edit->GetDspRowCount();
  SetScrollPos(edit, SB_VERT, 50, true);
  edit->FCaret = TPoint(0, 5);
  V(SB_THUMBPOSITION);
  EXPECT_EQ(edit->FTopLine, 50);
  EXPECT_EQ(edit->FCaret.y, 50);
  edit->FCaret = TPoint(0, 99);
  SetScrollPos(edit, SB_VERT, 40, true);
  V(SB_THUMBPOSITION);
  EXPECT_EQ(edit->FTopLine, 40);
  EXPECT_EQ(edit->FCaret.y, 40 + R - 2);
}

TEST_F(ScrollTest, ThumbPositionWithoutTheFocusOnlyRefreshesTheBars) {
  Numbered(100);
  Render();
  SetScrollPos(edit, SB_VERT, 50, true);
  V(SB_THUMBPOSITION);
  EXPECT_EQ(edit->FTopLine, 0);
  EXPECT_EQ(GetScrollPos(edit, SB_VERT), 0);
}

// A thumb track handed on from another control moves this one to its own
// bar's position, whatever the message's position word says.
TEST_F(ScrollTest, ThumbTrackReadsTheReceiversOwnBar) {
  Numbered(100);
  Render();
  SetScrollPos(edit, SB_VERT, 30, true);
  V(SB_THUMBTRACK, 77);
  EXPECT_EQ(edit->FTopLine, 30);
}

// ---------------------------------------------------------------------------
// Horizontal codes

TEST_F(ScrollTest, HorizontalPagesAndPositions) {
  Numbered(5, 300);
  Render();
  int C = edit->GetDspColCount();
  H(SB_PAGERIGHT);
  EXPECT_EQ(edit->FLeftCol, C - 2);
  for (int k = 0; k < 20; ++k) H(SB_PAGERIGHT);
  TScrollInfo si;
  si.fMask = SIF_ALL;
  GetScrollInfo(edit, SB_HORZ, &si);
  EXPECT_EQ(edit->FLeftCol, si.nMax - C + 1) << "the bar's last column at the right edge";
  H(SB_PAGELEFT);
  EXPECT_EQ(edit->FLeftCol, si.nMax - C + 1 - (C - 2));
  for (int k = 0; k < 20; ++k) H(SB_PAGELEFT);
  EXPECT_EQ(edit->FLeftCol, 0);

  SetScrollPos(edit, SB_HORZ, 17, true);
  H(SB_THUMBPOSITION);
  EXPECT_EQ(edit->FLeftCol, 17);
  for (int code : {SB_TOP, SB_BOTTOM, SB_ENDSCROLL}) {
    H(code);
    EXPECT_EQ(edit->FLeftCol, 17);
  }
  H(SB_LINELEFT);
  EXPECT_EQ(edit->FLeftCol, 16);
  edit->FLeftCol = 0;
  H(SB_LINELEFT);
  EXPECT_EQ(edit->FLeftCol, 0);
}

TEST_F(ScrollTest, LineRightStopsAtTheLongestRow) {
  edit->SetWidth(300);
  Numbered(3, 10);
  edit->FMaxRowLen = 12;
  Render();
  int C = edit->GetDspColCount();
  for (int k = 0; k < 200; ++k) H(SB_LINERIGHT);
  // The range is at least the default wrap column.
  EXPECT_EQ(edit->FMaxRowLen, edit->GetDefWrapPos() + 2);
  EXPECT_EQ(edit->FLeftCol, edit->FMaxRowLen - C + 1);
}

// The bar's 32-bit track position is used: the message's 16-bit word turns
// negative past column 32767.
TEST_F(ScrollTest, HorizontalThumbTrackTakesTheFullTrackPosition) {
  SetRows({std::string(40000, 'a') + "\r", "z"});
  Render();
  SetScrollPos(edit, SB_HORZ, 35000, true);
  H(SB_THUMBTRACK, 35000);
  EXPECT_EQ(edit->FLeftCol, 35000);
  EXPECT_TRUE(ShowsGlyph(CellX(35000), RowY(0), "a", clBlack, clWhite));
}

TEST_F(ScrollTest, HorizontalThumbTrackIsHeldWithinTheRange) {
  edit->SetWidth(300);
  Numbered(3, 10);
  edit->SetScrollBars(ssNone);
  Render();
  int C = edit->GetDspColCount();
  ASSERT_EQ(edit->FHScrollInfo.nMax, 80);
  H(SB_THUMBTRACK, 0xFFFF);  // -1 as a 16-bit word
  EXPECT_EQ(edit->FLeftCol, 0);
  H(SB_THUMBTRACK, 30000);
  EXPECT_EQ(edit->FLeftCol, 80 - C + 1);
}

// ---------------------------------------------------------------------------
// Scrolled pixels equal a full repaint

TEST_F(ScrollTest, LineAndTrackStepsLeaveTheSamePixelsAsAFullRepaint) {
  std::vector<std::string> rows;
  for (int i = 0; i < 60; ++i) {
    std::string r = Sjis("日本語のテキスト\tword ") + std::string(static_cast<size_t>(i % 7), 'x') +
                    Sjis("　全角と半角ｶﾅ、keyword and more text here ") + std::to_string(i);
    r += r;  // wider than the view
    rows.push_back(r + (i % 3 ? "\r" : ""));
  }
  SetRows(rows, {0, 2, 0, 4});
  // Part of a column and part of a row show at the right and bottom edges.
  edit->SetBounds(0, 0, 763, 405);
  ASSERT_NE((edit->FTextRect.Right - edit->FTextLeft) % Step(), 0);
  edit->FSelArea->PutStartRow(5);
  edit->FSelArea->PutEndRow(6);
  Render();

  struct Step {
    unsigned msg;
    int code;
    int track;  // bar position for a track step
  } steps[] = {
      {WM_HSCROLL, SB_LINERIGHT, 0}, {WM_HSCROLL, SB_LINERIGHT, 0}, {WM_HSCROLL, SB_LINERIGHT, 0},
      {WM_HSCROLL, SB_LINELEFT, 0},  {WM_HSCROLL, SB_THUMBTRACK, 9}, {WM_HSCROLL, SB_THUMBTRACK, 4},
      {WM_HSCROLL, SB_THUMBTRACK, 0}, {WM_VSCROLL, SB_LINEDOWN, 0},  {WM_VSCROLL, SB_LINEDOWN, 0},
      {WM_VSCROLL, SB_LINEUP, 0},
  };
  int n = 0;
  for (const Step& s : steps) {
    if (s.code == SB_THUMBTRACK) SetScrollPos(edit, SB_HORZ, s.track, true);
    edit->Perform(s.msg, MAKEWPARAM(static_cast<uint16_t>(s.code), 0), 0);
    V(SB_ENDSCROLL);
    std::vector<TColor> scrolled = View();
    Render();
    EXPECT_TRUE(scrolled == View()) << "step " << n << " (left " << edit->FLeftCol << ", top " << edit->FTopLine
                                    << ")";
    ++n;
  }
}

// ---------------------------------------------------------------------------
// The view follows the caret

TEST_F(ScrollTest, CaretMovesScrollTheViewThroughTheWindowProc) {
  Focus();
  ViewRows(20);
  Numbered(200, 200);
  edit->FTopLine = 50;
  edit->FCaret = TPoint(0, 50);
  Render();
  Record();
  struct Case {
    int row;                  // caret row, relative to the top before the move
    std::vector<Sent> sent;   // what passed through the WindowProc
    int top;                  // top afterwards, relative to the top before
  } cases[] = {
      {19, {{WM_VSCROLL, SB_LINEDOWN}}, 1},      // onto the last fully visible row
      {30, {}, 30 - 20 + 2},                     // further below: a jump, no message
      {-1, {{WM_VSCROLL, SB_LINEUP}}, -1},       // just above the view
      {-10, {{WM_VSCROLL, SB_THUMBPOSITION}}, -10},  // further above: it becomes the top row
      {5, {}, 0},
  };
  for (const Case& c : cases) {
    int top = edit->FTopLine;
    sent.clear();
    edit->FCaret = TPoint(0, top + c.row);
    edit->CaretMoveResultPaint();
    ScrollAccel = 0;
    EXPECT_EQ(sent, c.sent) << "row " << c.row;
    EXPECT_EQ(edit->FTopLine, top + c.top) << "row " << c.row;
    EXPECT_GE(edit->FCaret.y, edit->FTopLine);
    EXPECT_LE(edit->FCaret.y, edit->FTopLine + 18);
  }
}

TEST_F(ScrollTest, CaretMovesScrollSidewaysThroughTheWindowProc) {
  Focus();
  ViewRows(20);
  Numbered(30, 400);
  edit->FLeftCol = 100;
  edit->FCaret = TPoint(100, 0);
  Render();
  int C = edit->GetDspColCount();
  Record();
  struct Case {
    int col;  // relative to the first column before the move
    std::vector<Sent> sent;
    int left;  // first column afterwards, relative
  } cases[] = {
      {C - 2, {{WM_HSCROLL, SB_LINERIGHT}}, 1},
      {C + 20, {{WM_HSCROLL, SB_THUMBPOSITION}}, C + 20 - C + 1},
      {-1, {{WM_HSCROLL, SB_LINELEFT}}, -1},
      {-10, {{WM_HSCROLL, SB_THUMBPOSITION}}, -10},
      {3, {}, 0},
  };
  for (const Case& c : cases) {
    int left = edit->FLeftCol;
    sent.clear();
    edit->FCaret = TPoint(left + c.col, 0);
    edit->CaretMoveResultPaint();
    EXPECT_EQ(sent, c.sent) << "column " << c.col;
    EXPECT_EQ(edit->FLeftCol, left + c.left) << "column " << c.col;
  }
}

// Tabs widen a row past its byte count: the bar's range counts cells, and
// End brings the caret into view although the range predates it.
TEST_F(ScrollTest, RowsOfTabsAreReachedByTheBarAndByEnd) {
  Focus();
  edit->SetWidth(440);
  TStringStream text(std::string(30, '\t') + "x\r\nshort\r\n");
  edit->LoadFromStream(&text, TConvMode());
  Render();
  const int C = edit->GetDspColCount();
  const int end = 30 * edit->GetTabSize() + 1;
  ASSERT_LT(C, end);
  EXPECT_GE(edit->FHScrollInfo.nMax, end);
  for (int k = 0; k < 20; ++k) H(SB_PAGERIGHT);
  EXPECT_GT(edit->FLeftCol + C, end) << "paging reaches the row's end";
  edit->FLeftCol = 0;
  edit->FCaret = TPoint(0, 0);
  Render();

  edit->Perform(WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(edit->FCaret.x, end);
  EXPECT_LE(edit->FLeftCol, end);
  EXPECT_LT(end, edit->FLeftCol + C);

  // A row widened after the bar's last refresh: End still shows the caret.
  edit->FLeftCol = 0;
  edit->FCaret = TPoint(0, 1);
  Render();
  edit->SetLine(1, std::string(40, '\t') + "y\r");
  edit->Perform(WM_KEYDOWN, VK_END, 0);
  const int end2 = 40 * edit->GetTabSize() + 1;
  EXPECT_EQ(edit->FCaret.x, end2);
  EXPECT_LE(edit->FLeftCol, end2);
  EXPECT_LT(end2, edit->FLeftCol + C);
}

TEST_F(ScrollTest, CaretMoveCollapsesOrExtendsTheSelection) {
  Focus();
  Numbered(10, 20);
  Render();
  edit->FSelArea->PutStartPoint(TPoint(2, 1));
  edit->FSelArea->PutEndPoint(TPoint(5, 3));
  edit->FCaret = TPoint(7, 3);
  edit->FShiftDown = true;
  edit->CaretMoveResultPaint();
  EXPECT_EQ(edit->FSelArea->GetEndPoint(), TPoint(7, 3));
  EXPECT_EQ(edit->FSelArea->GetStartPoint(), TPoint(2, 1));

  edit->FShiftDown = false;
  edit->FCaret = TPoint(4, 6);
  edit->CaretMoveResultPaint();
  EXPECT_FALSE(edit->FSelArea->isPointAble());
  EXPECT_EQ(edit->FSelArea->FEndPoint, TPoint(4, 6));
  // The rows that were selected are repainted unselected.
  EXPECT_TRUE(ShowsGlyph(CellX(2), RowY(1), "bbb", clBlack, clWhite));
}

TEST_F(ScrollTest, CaretMoveWithinARowRepaintsOnlyTheChangedStrip) {
  Focus();
  Numbered(10, 20);
  Render();
  std::vector<TRect> drawn;
  edit->OnDrawLine = [&](TObject*, int, const TRect& r, AnsiString, bool&) { drawn.push_back(r); };
  edit->FSelArea->PutStartPoint(TPoint(2, 1));
  edit->FSelArea->PutEndPoint(TPoint(5, 1));
  edit->FShiftDown = true;
  edit->FCaret = TPoint(8, 1);
  edit->CaretMoveResultPaint();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0], Cells(5, 1, 3));
  EXPECT_TRUE(ShowsGlyph(CellX(2), RowY(1), "bbbbbb", clHighlightText, clHighlight));

  drawn.clear();
  edit->FShiftDown = false;
  edit->FSelArea->PointReset();
  edit->FCaret = TPoint(9, 1);
  edit->CaretMoveResultPaint();
  EXPECT_TRUE(drawn.empty()) << "nothing selected: nothing to repaint";
}

// ---------------------------------------------------------------------------
// Bars, size and focus

TEST_F(ScrollTest, BarsFollowTheTextAndTheStyle) {
  edit->SetWidth(300);
  SetRows({"a\r", "b"});
  Render();
  EXPECT_FALSE(IsScrollBarVisible(edit, SB_VERT)) << "two rows fit";
  EXPECT_TRUE(IsScrollBarVisible(edit, SB_HORZ)) << "the view is narrower than the wrap column";

  Numbered(200);
  Render();
  EXPECT_TRUE(IsScrollBarVisible(edit, SB_VERT));
  EXPECT_EQ(edit->FVScrollInfo.nMax, 199);
  EXPECT_EQ(edit->FVScrollInfo.nPage, static_cast<unsigned>(edit->GetDspRowCount()));

  edit->SetScrollBars(ssNone);
  EXPECT_FALSE(IsScrollBarVisible(edit, SB_VERT));
  EXPECT_FALSE(IsScrollBarVisible(edit, SB_HORZ));
  EXPECT_EQ(edit->FVScrollInfo.nMax, 199) << "the record is kept while the bar is hidden";
  edit->SetScrollBars(ssVertical);
  EXPECT_TRUE(IsScrollBarVisible(edit, SB_VERT));
  EXPECT_FALSE(IsScrollBarVisible(edit, SB_HORZ));
  edit->SetScrollBars(ssBoth);
  EXPECT_TRUE(IsScrollBarVisible(edit, SB_VERT));
  EXPECT_TRUE(IsScrollBarVisible(edit, SB_HORZ));
}

TEST_F(ScrollTest, PagingWithHiddenBarsUsesTheStoredRange) {
  ViewRows(20);
  Numbered(100);
  edit->SetScrollBars(ssNone);
  for (int k = 0; k < 10; ++k) V(SB_PAGEDOWN);
  EXPECT_EQ(edit->FTopLine, edit->FVScrollInfo.nMax - 20);
}

TEST_F(ScrollTest, OtherCodesDoNothing) {
  Numbered(100);
  edit->FTopLine = 20;
  Render();
  for (int code : {SB_TOP, SB_BOTTOM, 9, 200}) {
    V(code);
    EXPECT_EQ(edit->FTopLine, 20) << "code " << code;
  }
}

TEST_F(ScrollTest, VerticalRangeCoversTheCaretAndAFullPage) {
  Numbered(10);
  edit->FTopLine = 5;
  edit->FCaret = TPoint(0, 40);
  edit->SetScrollBars(ssBoth);
  int R = edit->GetDspRowCount();
  EXPECT_EQ(edit->FVScrollInfo.nMax, std::max(40, R + 5 - 1));
  EXPECT_EQ(edit->FVScrollInfo.nPos, 5);
}

TEST_F(ScrollTest, SizeMessageRecordsRestoredAndMaximisedSizesOnly) {
  edit->Perform(WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(10, 10));
  EXPECT_NE(edit->FTextRect.Right, 10);
  edit->Perform(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(300, 200));
  EXPECT_EQ(edit->FTextRect.Right, 300);
  EXPECT_EQ(edit->FTextRect.Bottom, 200);
  edit->Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(40000, 250));
  EXPECT_EQ(edit->FTextRect.Right, 40000) << "the words are unsigned";
}

TEST_F(ScrollTest, FocusCreatesTheCaretAndLosingItDestroysIt) {
  Focus();
  TCaretState st = GetCaretState();
  EXPECT_TRUE(st.Exists);
  EXPECT_EQ(st.Owner, edit);
  EXPECT_EQ(st.Bounds.Width(), 2);
  EXPECT_EQ(st.Bounds.Height(), edit->FTextHeight);
  edit->Perform(WM_KILLFOCUS, 0, 0);
  EXPECT_FALSE(GetCaretState().Exists);
}

}  // namespace
