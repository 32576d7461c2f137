#include <gtest/gtest.h>

#include <QScrollBar>
#include <vector>

#include "tests/common/TestApp.h"
#include "platform/qt/Controls.h"
#include "platform/qt/ScrollBars.h"

namespace {

// A control with a few handlers, as the editor dispatches them.
class Probe : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  void Dispatch(TMessage& m) override {
    switch (m.Msg) {
      case WM_VSCROLL: return CallHandler(*this, &Probe::WMVScroll, m);
      case WM_SIZE: return CallHandler(*this, &Probe::WMSize, m);
      case WM_SETFOCUS: return CallHandler(*this, &Probe::WMSetFocus, m);
      case WM_KILLFOCUS: return CallHandler(*this, &Probe::WMKillFocus, m);
      case WM_GETDLGCODE: return WMGetDlgCode(m);
      default: return TCustomControl::Dispatch(m);
    }
  }
  std::vector<std::pair<int, int>> scrolls;  // code, pos
  std::vector<std::pair<int, int>> sizes;
  std::vector<unsigned> focus;
  int paints = 0;
  bool throwOnScroll = false;
  bool inheritedSizeRan = false;

 protected:
  void Paint() override { ++paints; }
  void DefaultHandler(TMessage& m) override {
    if (m.Msg == WM_SIZE) inheritedSizeRan = true;
    TCustomControl::DefaultHandler(m);
  }

 private:
  void WMVScroll(TWMScroll& msg) {
    if (throwOnScroll) throw EInvalidOperation("scroll failed");
    scrolls.emplace_back(msg.ScrollCode, msg.Pos);
  }
  void WMSize(TWMSize& msg) {
    Inherited(msg.Message);
    sizes.emplace_back(msg.Width, msg.Height);
  }
  void WMSetFocus(TWMSetFocus&) { focus.push_back(WM_SETFOCUS); }
  void WMKillFocus(TWMKillFocus&) { focus.push_back(WM_KILLFOCUS); }
  void WMGetDlgCode(TMessage& m) { m.Result = DLGC_WANTCHARS; }
};

class Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 300, 200);
    probe = new Probe(form);
    probe->SetParent(form);
    probe->SetBounds(0, 0, 200, 100);
  }
  void TearDown() override { delete form; }
  TForm* form = nullptr;
  Probe* probe = nullptr;
};

TEST_F(Messages, ReplacedWindowProcSeesPerformAndSendMessageButNotDispatch) {
  std::vector<unsigned> seen;
  auto old = probe->WindowProc;
  probe->WindowProc = [&](TMessage& m) {
    seen.push_back(m.Msg);
    old(m);
  };
  probe->Perform(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 7), 0);
  SendMessage(probe->GetHandle(), WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0xFFFF), 0);
  TMessage direct;
  direct.Msg = WM_VSCROLL;
  direct.WParam = MAKEWPARAM(SB_ENDSCROLL, 0);
  probe->Dispatch(direct);

  EXPECT_EQ(seen, (std::vector<unsigned>{WM_VSCROLL, WM_VSCROLL}));
  // All three reached the handler; the position word is signed.
  EXPECT_EQ(probe->scrolls, (std::vector<std::pair<int, int>>{{SB_LINEDOWN, 7}, {SB_LINEUP, -1}, {SB_ENDSCROLL, 0}}));
  EXPECT_EQ(probe->Perform(WM_GETDLGCODE), DLGC_WANTCHARS);
}

TEST_F(Messages, SizeChangesArriveAsWmSizeWithTheClientSize) {
  probe->sizes.clear();
  probe->SetBounds(0, 0, 150, 80);
  ASSERT_EQ(probe->sizes.size(), 1u);
  EXPECT_EQ(probe->sizes[0], std::make_pair(150, 80));
  EXPECT_TRUE(probe->inheritedSizeRan);
  probe->SetBounds(10, 10, 150, 80);  // a move alone sends none
  EXPECT_EQ(probe->sizes.size(), 1u);
}

TEST_F(Messages, QtFocusEventsBecomeSetFocusAndKillFocus) {
  form->Show();
  QApplication::setActiveWindow(form->GetWidget());
  probe->SetFocus();
  QApplication::processEvents();
  EXPECT_TRUE(probe->Focused());
  EXPECT_EQ(GetFocus(), probe);
  form->GetWidget()->setFocus();
  QApplication::processEvents();
  EXPECT_FALSE(probe->Focused());
  EXPECT_EQ(probe->focus, (std::vector<unsigned>{WM_SETFOCUS, WM_KILLFOCUS}));
}

TEST_F(Messages, ScrollBarActionsGoThroughWindowProcAndLeaveThePositionToTheProgram) {
  TScrollInfo si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = 99;
  si.nPage = 10;
  si.nPos = 5;
  SetScrollInfo(probe->GetHandle(), SB_VERT, si, true);
  std::vector<int> codes;
  auto old = probe->WindowProc;
  probe->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_VSCROLL) codes.push_back(LOWORD(m.WParam));
    old(m);
  };
  auto* bar = probe->GetWidget()->findChild<QScrollBar*>();
  ASSERT_NE(bar, nullptr);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(codes, (std::vector<int>{SB_LINEDOWN, SB_PAGEUP}));
  EXPECT_EQ(GetScrollPos(probe->GetHandle(), SB_VERT), 5);  // nobody moved it
  EXPECT_EQ(bar->value(), 5);
}

TEST_F(Messages, ExceptionsStopAtTheQtEventBoundary) {
  std::vector<std::string> reported;
  Application->OnException = [&](TObject* sender, const std::exception& e) { reported.push_back(e.what()); };
  TScrollInfo si;
  si.fMask = SIF_ALL;
  si.nMax = 99;
  si.nPage = 10;
  SetScrollInfo(probe->GetHandle(), SB_VERT, si, true);
  probe->throwOnScroll = true;
  auto* bar = probe->GetWidget()->findChild<QScrollBar*>();
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);  // must not throw through Qt
  EXPECT_EQ(reported, (std::vector<std::string>{"scroll failed"}));
  // Direct calls still throw to their caller.
  EXPECT_THROW(probe->Perform(WM_VSCROLL, 0, 0), EInvalidOperation);
  Application->OnException = nullptr;
}

TEST_F(Messages, InvalidatePaintsOnceThroughWmPaintAndValidateDropsIt) {
  probe->Update();
  probe->paints = 0;
  probe->Invalidate();
  probe->Invalidate();
  EXPECT_TRUE(probe->HasPendingPaint());
  probe->Update();
  EXPECT_EQ(probe->paints, 1);
  probe->Invalidate();
  ValidateRect(probe->GetHandle(), nullptr);
  probe->Update();
  EXPECT_EQ(probe->paints, 1);
  probe->Repaint();
  EXPECT_EQ(probe->paints, 2);
}

TEST_F(Messages, FontChangeSendsCmFontChanged) {
  std::vector<unsigned> seen;
  auto old = probe->WindowProc;
  probe->WindowProc = [&](TMessage& m) {
    seen.push_back(m.Msg);
    old(m);
  };
  probe->Font->SetHeight(-16);
  probe->Font->SetHeight(-16);  // unchanged: no message
  EXPECT_EQ(std::count(seen.begin(), seen.end(), CM_FONTCHANGED), 1);
}

// A control that records when Loaded runs and what it saw.
class LoadProbe : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  bool loadingWhenSet = false;
  int loaded = 0;
  void SetSomething() { loadingWhenSet = ComponentState().Contains(csLoading); }
  void Loaded() override {
    TCustomControl::Loaded();
    ++loaded;
  }
};

TEST(Forms, BuiltInCodeThenLoaded) {
  TestApp();
  TForm form(nullptr);
  auto* a = new LoadProbe(&form);
  a->SetParent(AsWinControl(&form));
  BeginFormLoad(&form);
  a->SetSomething();
  EndFormLoad(&form);
  EXPECT_TRUE(a->loadingWhenSet);
  EXPECT_EQ(a->loaded, 1);
  EXPECT_FALSE(a->ComponentState().Contains(csLoading));
  TComponent plain(nullptr);
  EXPECT_THROW(AsWinControl(&plain), EInvalidCast);
}

TEST(Forms, ChildrenGoWithTheirParent) {
  TestApp();
  auto* form = new TForm(nullptr);
  TComponent owner(nullptr);
  auto* child = new LoadProbe(&owner);  // owned elsewhere, parented here
  child->SetParent(form);
  EXPECT_EQ(form->ControlCount(), 1);
  delete form;  // frees the child and takes it out of its owner
  EXPECT_EQ(owner.ComponentCount(), 0);
}

}  // namespace
