// Real Qt mouse input arrives at a control as mouse messages: client
// coordinates (negative outside while the button is held), the MK_ key
// state, the Win32 order of a double click; the default handling fires the
// library's mouse events; and the drag repeater.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QMenu>
#include <QWidget>
#include <QWheelEvent>
#include <QWindow>
#include <string>
#include <vector>

#include "tests/common/TestApp.h"
#include "platform/qt/MouseInput.h"

// The window-system entry of Qt's own test library: the event goes through
// the whole of Qt's mouse handling (double-click detection, the implicit
// grab of the pressed widget) as one from the display would.
Q_GUI_EXPORT void qt_handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                      Qt::MouseButtons state, Qt::MouseButton button, QEvent::Type type,
                                      Qt::KeyboardModifiers mods, int timestamp);

namespace {

struct Msg {
  unsigned msg;
  uintptr_t keys;
  int x, y;
  bool operator==(const Msg&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Msg& m) {
  return os << "{0x" << std::hex << m.msg << std::dec << ", keys " << m.keys << ", " << m.x << ", " << m.y << "}";
}

class MouseProbe : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  void Dispatch(TMessage& m) override {
    if ((m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSEWHEEL) || m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE)
      return Record(m);
    TCustomControl::Dispatch(m);
  }
  std::vector<Msg> got;
  // The messages without entering and leaving.
  std::vector<Msg> Mouse() const {
    std::vector<Msg> out;
    for (const Msg& m : got)
      if (m.msg != CM_MOUSEENTER && m.msg != CM_MOUSELEAVE) out.push_back(m);
    return out;
  }
  int Count(unsigned msg) const {
    int n = 0;
    for (const Msg& m : got) n += m.msg == msg;
    return n;
  }
  std::vector<Msg> Buttons() const {
    std::vector<Msg> out;
    for (const Msg& m : got)
      if (m.msg != WM_MOUSEMOVE && m.msg != CM_MOUSEENTER && m.msg != CM_MOUSELEAVE) out.push_back(m);
    return out;
  }

 private:
  void Record(TMessage& m) {
    TWMMouse r(m);
    got.push_back({m.Msg, m.WParam, r.XPos, r.YPos});
    Inherited(m);
  }
};

class MouseInput : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 300, 200);
    probe = new MouseProbe(form);
    probe->SetParent(form);
    probe->SetBounds(kLeft, kTop, 200, 100);
    probe->SetBorderWidth(kBorder);
    form->Show();
    window = form->GetWidget()->windowHandle();
    ASSERT_NE(window, nullptr);
    QApplication::processEvents();
    probe->got.clear();
  }
  void TearDown() override {
    delete form;
    QApplication::processEvents();
  }

  static constexpr int kLeft = 20, kTop = 30, kBorder = 3;
  // Window point of a client point of the probe.
  static QPoint At(int x, int y) { return QPoint(x + kLeft + kBorder, y + kTop + kBorder); }

  void Send(QEvent::Type type, QPoint windowPos, Qt::MouseButton button, Qt::MouseButtons held,
            Qt::KeyboardModifiers mods = Qt::NoModifier) {
    time += 20;
    qt_handleMouseEvent(window, windowPos, window->mapToGlobal(windowPos), held, button, type, mods, time);
  }
  void Move(QPoint p, Qt::MouseButtons held = Qt::NoButton, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Send(QEvent::MouseMove, p, Qt::NoButton, held, mods);
  }
  void Press(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Send(QEvent::MouseButtonPress, p, b, b, mods);
  }
  void Release(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Send(QEvent::MouseButtonRelease, p, b, Qt::NoButton, mods);
  }
  void Pause() { time += 2000; }  // longer than a double click takes

  TForm* form = nullptr;
  MouseProbe* probe = nullptr;
  QWindow* window = nullptr;
  int time = 1000;
};

}  // namespace

TEST_F(MouseInput, ButtonsAndMovesCarryClientPointsAndKeys) {
  Move(At(10, 5));
  Press(At(10, 5), Qt::LeftButton, Qt::ShiftModifier);
  Move(At(60, 40), Qt::LeftButton, Qt::ShiftModifier);
  Release(At(60, 40));
  Press(At(1, 2), Qt::RightButton, Qt::ControlModifier);
  Release(At(1, 2), Qt::RightButton);
  Press(At(0, 0), Qt::MiddleButton);
  Release(At(0, 0), Qt::MiddleButton);
  const std::vector<Msg> expected = {
      {WM_MOUSEMOVE, 0, 10, 5},
      {WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 10, 5},
      {WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, 60, 40},
      {WM_LBUTTONUP, 0, 60, 40},
      {WM_MOUSEMOVE, MK_CONTROL, 1, 2},  // the toolkit reports the pointer's arrival first
      {WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, 1, 2},
      {WM_RBUTTONUP, 0, 1, 2},
      {WM_MOUSEMOVE, 0, 0, 0},
      {WM_MBUTTONDOWN, MK_MBUTTON, 0, 0},
      {WM_MBUTTONUP, 0, 0, 0},
  };
  EXPECT_EQ(probe->Mouse(), expected);
}

// While the button is held, the mouse stays with the pressed control, also
// outside it and outside its window: the points run negative or past the
// client's size, and the release arrives there too.
TEST_F(MouseInput, HeldButtonKeepsTheMouseOutsideTheControl) {
  Move(At(10, 10));
  Press(At(10, 10));
  probe->got.clear();
  Move(QPoint(5, 5), Qt::LeftButton);       // on the form, left of and above the control
  Move(QPoint(-40, -50), Qt::LeftButton);   // outside the window
  Move(At(250, 150), Qt::LeftButton);       // right of and below the control
  Release(QPoint(-40, -50));
  const std::vector<Msg> expected = {
      {WM_MOUSEMOVE, MK_LBUTTON, 5 - 23, 5 - 33},
      {WM_MOUSEMOVE, MK_LBUTTON, -40 - 23, -50 - 33},
      {WM_MOUSEMOVE, MK_LBUTTON, 250, 150},
      {WM_MOUSEMOVE, MK_LBUTTON, -40 - 23, -50 - 33},  // the pointer's arrival at the release
      {WM_LBUTTONUP, 0, -40 - 23, -50 - 33},
      {CM_MOUSELEAVE, 0, 0, 0},  // only once the button is up
  };
  EXPECT_EQ(probe->got, expected);
  // Capture is the toolkit's implicit grab: nothing stays grabbed.
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(MouseInput, DoubleClickArrivesAsDownUpDoubleClickUp) {
  Move(At(7, 8));
  Press(At(7, 8));
  Release(At(7, 8));
  Press(At(7, 8));
  Release(At(7, 8));
  Pause();
  Press(At(7, 8));  // a new click, not a third click of the double click
  Release(At(7, 8));
  const std::vector<Msg> expected = {
      {WM_LBUTTONDOWN, MK_LBUTTON, 7, 8}, {WM_LBUTTONUP, 0, 7, 8},   {WM_LBUTTONDBLCLK, MK_LBUTTON, 7, 8},
      {WM_LBUTTONUP, 0, 7, 8},           {WM_LBUTTONDOWN, MK_LBUTTON, 7, 8}, {WM_LBUTTONUP, 0, 7, 8},
  };
  EXPECT_EQ(probe->Buttons(), expected);

  // A press that Qt marks as the one that made a double click never becomes
  // a button down of its own, should it reach the control.
  struct DoubleClickPress : QMouseEvent {
    explicit DoubleClickPress(QPointF p)
        : QMouseEvent(QEvent::MouseButtonPress, p, p, p, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier) {
      m_doubleClick = true;
    }
  } press(QPointF(10, 10));
  probe->got.clear();
  QApplication::sendEvent(probe->GetWidget(), &press);
  EXPECT_TRUE(probe->got.empty());
}

TEST_F(MouseInput, DefaultHandlingFiresTheMouseEvents) {
  std::vector<std::string> events;
  auto shiftText = [](TShiftState s) {
    std::string t;
    if (s.Contains(ssShift)) t += "S";
    if (s.Contains(ssLeft)) t += "L";
    if (s.Contains(ssDouble)) t += "D";
    return t;
  };
  probe->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    events.push_back("down " + std::to_string(b) + " " + shiftText(s) + " " + std::to_string(x) + "," +
                     std::to_string(y));
  };
  probe->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    events.push_back("up " + std::to_string(b) + " " + shiftText(s) + " " + std::to_string(x) + "," +
                     std::to_string(y));
  };
  probe->OnMouseMove = [&](TObject*, TShiftState s, int x, int y) {
    events.push_back("move " + shiftText(s) + " " + std::to_string(x) + "," + std::to_string(y));
  };
  probe->OnClick = [&](TObject*) { events.push_back("click"); };
  probe->OnDblClick = [&](TObject*) { events.push_back("dblclick"); };

  Move(At(4, 6));
  Press(At(4, 6), Qt::LeftButton, Qt::ShiftModifier);
  Release(At(4, 6));
  Press(At(4, 6));
  Release(At(4, 6));
  Pause();
  Press(At(4, 6));
  Release(QPoint(-10, -10));  // released outside: no click
  const std::vector<std::string> expected = {
      "move  4,6",      "down 0 SL 4,6", "click",       "up 0  4,6", "dblclick", "down 0 LD 4,6",
      "up 0  4,6",      "down 0 L 4,6",  "move L -33,-43", "up 0  -33,-43",
  };
  EXPECT_EQ(events, expected);
}

TEST_F(MouseInput, EnterAndLeaveBecomeMessages) {
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(probe->GetWidget(), &enter);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(probe->GetWidget(), &leave);
  ASSERT_EQ(probe->got.size(), 2u);
  EXPECT_EQ(probe->got[0].msg, CM_MOUSEENTER);
  EXPECT_EQ(probe->got[1].msg, CM_MOUSELEAVE);
}

// Unhandled, the wheel event stays ignored, and Qt passes a real one on to
// the parent widget.
TEST_F(MouseInput, WheelReachesOnMouseWheelElseGoesOn) {
  std::vector<int> deltas;
  bool handle = false;
  probe->OnMouseWheel = [&](TObject*, TShiftState s, int delta, TPoint, bool& handled) {
    deltas.push_back(s.Contains(ssCtrl) ? -delta : delta);
    handled = handle;
  };
  auto turn = [&](int delta, Qt::KeyboardModifiers mods) {
    QWheelEvent e(QPointF(10, 10), QPointF(100, 100), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(probe->GetWidget(), &e);
    return e.isAccepted();
  };
  EXPECT_FALSE(turn(-120, Qt::NoModifier));
  handle = true;
  EXPECT_TRUE(turn(240, Qt::ControlModifier));
  EXPECT_EQ(deltas, (std::vector<int>{-120, -240}));
  ASSERT_EQ(probe->Count(WM_MOUSEWHEEL), 2);
  EXPECT_EQ(probe->got.back().keys, MAKEWPARAM(MK_CONTROL, 240));
  EXPECT_EQ(probe->got.back().x, 100);  // the screen point
}

TEST_F(MouseInput, RightClickShowsThePopupMenu) {
  // Without a menu nothing happens.
  Move(At(30, 20));
  Press(At(30, 20), Qt::RightButton);
  Release(At(30, 20), Qt::RightButton);

  QMenu menu;
  menu.addAction("x");
  probe->SetPopupMenu(&menu);
  Pause();
  Press(At(30, 20), Qt::RightButton);
  Release(At(30, 20), Qt::RightButton);
  EXPECT_TRUE(menu.isVisible());
  menu.hide();
  probe->SetPopupMenu(nullptr);
  // The press still came; its release went to the menu.
  EXPECT_EQ(probe->Count(WM_RBUTTONDOWN), 2);
}

TEST_F(MouseInput, PointsAreSigned16BitAndClamped) {
  struct Case {
    int x, y;
    int16_t ex, ey;
  } cases[] = {{-5, 7, -5, 7}, {0, -1, 0, -1}, {40000, -40000, 32767, -32768}, {32767, -32768, 32767, -32768}};
  for (const Case& c : cases) {
    TMessage m;
    m.LParam = MakeMousePos(c.x, c.y);
    TWMMouse r(m);
    EXPECT_EQ(r.XPos, c.ex) << c.x;
    EXPECT_EQ(r.YPos, c.ey) << c.y;
  }
}

TEST_F(MouseInput, CaptureRecordsTheWindowWithoutGrabbing) {
  SetCapture(probe);
  EXPECT_EQ(GetCapture(), probe);
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
}

// ---------------------------------------------------------------------------
// The repeater behind the auto-scroll of drags.

TEST_F(MouseInput, RepeaterRunsUntilTheStepEndsIt) {
  TMouseRepeater repeater;
  int steps = 0;
  repeater.Start(probe, 1, [&] { return ++steps < 3; });
  EXPECT_EQ(steps, 0);  // not at once
  EXPECT_TRUE(PumpUntil([&] { return !repeater.Active(); }));
  EXPECT_EQ(steps, 3);

  // Stop ends it before its next step.
  steps = 0;
  repeater.Start(probe, 1, [&] { return ++steps < 100; });
  repeater.Stop();
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 30) QApplication::processEvents();
  EXPECT_EQ(steps, 0);
}

TEST_F(MouseInput, RepeaterStepMayRestartItAndAThrowEndsIt) {
  TMouseRepeater repeater;
  int first = 0, second = 0;
  repeater.Start(probe, 1, [&] {
    ++first;
    repeater.Start(probe, 1, [&] { return ++second < 2; });
    return false;  // ends this repetition, not the new one
  });
  EXPECT_TRUE(PumpUntil([&] { return second == 2; }));
  EXPECT_EQ(first, 1);
  EXPECT_TRUE(PumpUntil([&] { return !repeater.Active(); }));

  std::string reported;
  Application->OnException = [&](TObject*, const std::exception& e) { reported = e.what(); };
  int thrown = 0;
  repeater.Start(probe, 1, [&]() -> bool {
    ++thrown;
    throw EInvalidOperation("step failed");
  });
  EXPECT_TRUE(PumpUntil([&] { return !repeater.Active(); }));
  Application->OnException = nullptr;
  EXPECT_EQ(thrown, 1);
  EXPECT_EQ(reported, "step failed");
}
