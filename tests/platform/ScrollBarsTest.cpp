#include <gtest/gtest.h>

#include <QScrollBar>
#include <QStyle>

#include "tests/common/TestApp.h"
#include "platform/qt/ScrollBars.h"

namespace {

class ScrollBars : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    form = new TForm(nullptr);
    control = new TCustomControl(form);
    control->SetParent(form);
    control->SetBounds(0, 0, 200, 100);
    extent = control->GetWidget()->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  }
  void TearDown() override { delete form; }

  TScrollInfo Read(int bar) {
    TScrollInfo si;
    si.fMask = SIF_ALL;
    GetScrollInfo(control->GetHandle(), bar, &si);
    return si;
  }
  TForm* form = nullptr;
  TCustomControl* control = nullptr;
  int extent = 0;
};

TEST_F(ScrollBars, PageAndPositionAreHeldInRange) {
  struct Case {
    int nMin, nMax;
    unsigned nPage;
    int nPos;
    unsigned wantPage;
    int wantPos;
  } cases[] = {
      {0, 99, 10, 50, 10, 50},
      {0, 99, 10, 95, 10, 90},    // position at most nMax - (nPage - 1)
      {0, 99, 10, -5, 10, 0},
      {0, 9, 50, 3, 10, 0},       // page at most the range's size
      {5, 20, 0, 30, 0, 20},      // no page: up to nMax
      {10, 5, 4, 7, 1, 0},        // a reversed range is taken as empty
  };
  for (const Case& c : cases) {
    TScrollInfo si;
    si.fMask = SIF_ALL;
    si.nMin = c.nMin;
    si.nMax = c.nMax;
    si.nPage = c.nPage;
    si.nPos = c.nPos;
    int ret = SetScrollInfo(control->GetHandle(), SB_VERT, si, true);
    TScrollInfo got = Read(SB_VERT);
    EXPECT_EQ(got.nPage, c.wantPage) << c.nMin << ".." << c.nMax;
    EXPECT_EQ(got.nPos, c.wantPos) << c.nMin << ".." << c.nMax;
    EXPECT_EQ(ret, c.wantPos);
    EXPECT_EQ(got.nTrackPos, got.nPos);  // no drag in progress
  }
}

TEST_F(ScrollBars, NeededBarsShowAndShrinkTheClientArea) {
  HWND h = control->GetHandle();
  EXPECT_EQ(control->ClientRect(), Rect(0, 0, 200, 100));
  TScrollInfo si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMax = 99;
  si.nPage = 10;
  SetScrollInfo(h, SB_VERT, si, true);
  EXPECT_TRUE(IsScrollBarVisible(h, SB_VERT));
  EXPECT_EQ(control->ClientWidth(), 200 - extent);
  EXPECT_EQ(control->ClientHeight(), 100);
  EXPECT_EQ(control->Canvas->GetImage()->width(), 200 - extent);  // the backing image follows

  // A range that fits in the page hides the bar, unless told to only disable.
  si.nMax = 5;
  SetScrollInfo(h, SB_VERT, si, true);
  EXPECT_FALSE(IsScrollBarVisible(h, SB_VERT));
  EXPECT_EQ(control->ClientWidth(), 200);

  SetScrollInfo(h, SB_HORZ, si, true);  // unnecessary from the start: stays hidden
  EXPECT_FALSE(IsScrollBarVisible(h, SB_HORZ));
  ShowScrollBar(h, SB_HORZ, true);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
  si.nMax = 3;
  SetScrollInfo(h, SB_HORZ, si, true);
  EXPECT_TRUE(IsScrollBarVisible(h, SB_HORZ));
  EXPECT_EQ(control->ClientHeight(), 100 - extent);
  ShowScrollBar(h, SB_BOTH, false);
  EXPECT_EQ(control->ClientRect(), Rect(0, 0, 200, 100));
}

TEST_F(ScrollBars, ThumbDragReportsTrackPositionUntilRelease) {
  HWND h = control->GetHandle();
  TScrollInfo si;
  si.fMask = SIF_ALL;
  si.nMax = 99;
  si.nPage = 10;
  si.nPos = 20;
  SetScrollInfo(h, SB_VERT, si, true);
  std::vector<std::pair<int, int>> msgs;
  std::vector<int> trackDuring;
  control->WindowProc = [&](TMessage& m) {
    if (m.Msg != WM_VSCROLL) return;
    msgs.emplace_back(static_cast<int16_t>(LOWORD(m.WParam)), static_cast<int16_t>(HIWORD(m.WParam)));
    trackDuring.push_back(Read(SB_VERT).nTrackPos);
  };
  auto* bar = control->GetWidget()->findChild<QScrollBar*>();
  ASSERT_NE(bar, nullptr);
  bar->setSliderDown(true);
  bar->setSliderPosition(40);
  bar->setSliderPosition(45);
  bar->setSliderDown(false);
  ASSERT_EQ(msgs.size(), 3u);
  EXPECT_EQ(msgs[0], std::make_pair(SB_THUMBTRACK, 40));
  EXPECT_EQ(msgs[1], std::make_pair(SB_THUMBTRACK, 45));
  EXPECT_EQ(msgs[2], std::make_pair(SB_THUMBPOSITION, 45));
  EXPECT_EQ(trackDuring, (std::vector<int>{40, 45, 45}));
  // The handler did not set a position, so the bar keeps its own.
  EXPECT_EQ(Read(SB_VERT).nPos, 20);
  EXPECT_EQ(Read(SB_VERT).nTrackPos, 20);
  EXPECT_EQ(bar->value(), 20);
}

TEST_F(ScrollBars, ScrollWindowMovesPixelsAndInvalidatesTheUncoveredStrip) {
  TCanvas* c = control->Canvas;
  c->Brush->SetColor(clWhite);
  c->FillRect(control->ClientRect());
  c->Brush->SetColor(clRed);
  c->FillRect(Rect(50, 10, 60, 20));
  control->Update();
  ASSERT_FALSE(control->HasPendingPaint());
  TRect area = Rect(40, 0, 200, 100);
  ScrollWindow(control->GetHandle(), -8, 0, &area, &area);
  EXPECT_EQ(c->Pixels(42, 15), clRed);
  EXPECT_EQ(c->Pixels(51, 15), clRed);
  EXPECT_EQ(c->Pixels(52, 15), clWhite);
  EXPECT_EQ(c->Pixels(39, 15), clWhite);  // outside the clip: untouched
  EXPECT_TRUE(control->HasPendingPaint());
  ValidateRect(control->GetHandle(), &area);
  EXPECT_FALSE(control->HasPendingPaint());
}

}  // namespace
