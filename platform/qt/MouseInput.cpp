// Mouse input: Qt mouse events as window messages, the library's mouse
// events, the pop-up menu on a right click, and the drag repeater.
#include "platform/qt/MouseInput.h"

#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>

#include "platform/qt/internal/ControlInput.h"
#include "platform/qt/KeyState.h"

namespace {

// The control that took the last left button down through the default
// handling; its next left button up over the client is a click. Only
// compared, never followed.
const TControl* gClickedControl = nullptr;

int16_t ClampToInt16(int v) {
  if (v < -32768) return -32768;
  if (v > 32767) return 32767;
  return static_cast<int16_t>(v);
}

uintptr_t KeysOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  uintptr_t keys = 0;
  if (buttons & Qt::LeftButton) keys |= MK_LBUTTON;
  if (buttons & Qt::RightButton) keys |= MK_RBUTTON;
  if (buttons & Qt::MiddleButton) keys |= MK_MBUTTON;
  if (modifiers & Qt::ShiftModifier) keys |= MK_SHIFT;
  if (modifiers & Qt::ControlModifier) keys |= MK_CONTROL;
  return keys;
}

// Message of a button event: `base` is the button-down message of the left
// button (WM_LBUTTONDOWN), + 1 up, + 2 double click; the right and middle
// buttons follow three and six codes later.
unsigned ButtonMessage(Qt::MouseButton button, unsigned offset) {
  switch (button) {
    case Qt::LeftButton: return WM_LBUTTONDOWN + offset;
    case Qt::RightButton: return WM_RBUTTONDOWN + offset;
    case Qt::MiddleButton: return WM_MBUTTONDOWN + offset;
    default: return 0;
  }
}

void FireMouseDown(TControl* c, TMouseButton button, TShiftState shift, int x, int y) {
  if (c->OnMouseDown) c->OnMouseDown(c, button, shift, x, y);
}

void FireMouseUp(TControl* c, TMouseButton button, TShiftState shift, int x, int y) {
  if (c->OnMouseUp) c->OnMouseUp(c, button, shift, x, y);
}

}  // namespace

intptr_t MakeMousePos(int x, int y) {
  return MAKELPARAM(static_cast<uint16_t>(ClampToInt16(x)), static_cast<uint16_t>(ClampToInt16(y)));
}

TShiftState MouseKeysToShiftState(uintptr_t keys) {
  TShiftState s;
  if (keys & MK_SHIFT) s << ssShift;
  if (keys & MK_CONTROL) s << ssCtrl;
  if (keys & MK_LBUTTON) s << ssLeft;
  if (keys & MK_RBUTTON) s << ssRight;
  if (keys & MK_MBUTTON) s << ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s << ssAlt;
  return s;
}

bool MouseDefaultHandler(TControl* c, TMessage& Message) {
  TWMMouse m(Message);
  TShiftState shift = MouseKeysToShiftState(m.Keys);
  int x = m.XPos, y = m.YPos;
  switch (Message.Msg) {
    case WM_MOUSEMOVE:
      if (c->OnMouseMove) c->OnMouseMove(c, shift, x, y);
      return true;
    case WM_LBUTTONDOWN:
      gClickedControl = c;
      FireMouseDown(c, mbLeft, shift, x, y);
      return true;
    case WM_LBUTTONDBLCLK:
      gClickedControl = nullptr;
      if (c->OnDblClick) c->OnDblClick(c);
      FireMouseDown(c, mbLeft, shift << ssDouble, x, y);
      return true;
    case WM_LBUTTONUP: {
      bool clicked = gClickedControl == c;
      gClickedControl = nullptr;
      if (clicked && PtInRect(c->ClientRect(), TPoint(x, y)) && c->OnClick) c->OnClick(c);
      FireMouseUp(c, mbLeft, shift, x, y);
      return true;
    }
    case WM_RBUTTONDOWN:
      FireMouseDown(c, mbRight, shift, x, y);
      return true;
    case WM_RBUTTONDBLCLK:
      FireMouseDown(c, mbRight, shift << ssDouble, x, y);
      return true;
    case WM_RBUTTONUP:
      FireMouseUp(c, mbRight, shift, x, y);
      return true;
    case WM_MBUTTONDOWN:
      FireMouseDown(c, mbMiddle, shift, x, y);
      return true;
    case WM_MBUTTONDBLCLK:
      FireMouseDown(c, mbMiddle, shift << ssDouble, x, y);
      return true;
    case WM_MBUTTONUP:
      FireMouseUp(c, mbMiddle, shift, x, y);
      return true;
    case WM_MOUSEWHEEL: {
      // wParam: the keys and the signed delta; lParam: the screen point.
      // Result 1 when OnMouseWheel handled it.
      bool handled = false;
      TShiftState keys = MouseKeysToShiftState(LOWORD(Message.WParam));
      int delta = static_cast<int16_t>(HIWORD(Message.WParam));
      if (c->OnMouseWheel) c->OnMouseWheel(c, keys, delta, TPoint(x, y), handled);
      Message.Result = handled ? 1 : 0;
      return true;
    }
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------
// Translation of the widget's events.

bool TranslateMouseEvent(TWinControl* control, QEvent* event) {
  TControlInput& in = InputOf(control);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      auto* me = static_cast<QMouseEvent*>(event);
      unsigned msg = 0;
      switch (event->type()) {
        case QEvent::MouseButtonPress:
          // The press that completes a double click: its double-click event
          // follows and stands for it, as WM_LBUTTONDBLCLK stands for the
          // second button down on Win32.
          if (me->flags().testFlag(Qt::MouseEventCreatedDoubleClick)) return true;
          msg = ButtonMessage(me->button(), 0);
          break;
        case QEvent::MouseButtonRelease: msg = ButtonMessage(me->button(), 1); break;
        case QEvent::MouseButtonDblClick: msg = ButtonMessage(me->button(), 2); break;
        default: msg = WM_MOUSEMOVE; break;
      }
      if (msg == 0) return false;  // a button Win32 has no message for
      // Client coordinates: the widget's, less the frame. Outside the
      // client they run negative or past its size.
      QPointF pos = me->position();
      int x = static_cast<int>(std::floor(pos.x())) - in.ClientArea().left();
      int y = static_cast<int>(std::floor(pos.y())) - in.ClientArea().top();
      in.Send(msg, KeysOf(me->buttons(), me->modifiers()), MakeMousePos(x, y));
      return true;
    }
    case QEvent::Wheel: {
      // Vertical turns only; unhandled, the wheel goes on to the parent, as
      // the default window handling passes it up.
      auto* we = static_cast<QWheelEvent*>(event);
      const int delta = we->angleDelta().y();
      if (delta == 0) return false;
      const QPointF g = we->globalPosition();
      const uintptr_t keys = KeysOf(we->buttons(), we->modifiers());
      const uintptr_t wParam =
          MAKEWPARAM(static_cast<uint16_t>(keys), static_cast<uint16_t>(ClampToInt16(delta)));
      const intptr_t handled = in.Send(
          WM_MOUSEWHEEL, wParam,
          MakeMousePos(static_cast<int>(std::floor(g.x())), static_cast<int>(std::floor(g.y()))));
      return handled != 0;
    }
    case QEvent::Enter:
      in.Send(CM_MOUSEENTER, 0, 0);
      return false;
    case QEvent::Leave:
      in.Send(CM_MOUSELEAVE, 0, 0);
      return false;
    case QEvent::ContextMenu: {
      QMenu* menu = control->GetPopupMenu();
      if (!menu) return false;
      auto* ce = static_cast<QContextMenuEvent*>(event);
      menu->popup(ce->globalPos());
      return true;
    }
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------
// TMouseRepeater

struct TMouseRepeater::Impl {
  QTimer Timer;
  std::function<bool()> Step;
  QPointer<QWidget> Widget;  // the control's widget: the repetition ends with it
  TWinControl* Control = nullptr;
  unsigned Starts = 0;  // counts Start calls
};

TMouseRepeater::TMouseRepeater() : FImpl(std::make_unique<Impl>()) {
  QObject::connect(&FImpl->Timer, &QTimer::timeout, [this]() {
    Impl& d = *FImpl;
    if (!d.Widget || !d.Step) {
      Stop();
      return;
    }
    bool more = false;
    const unsigned started = d.Starts;
    // A copy runs, so that the step may stop or restart the repeater.
    std::function<bool()> step = d.Step;
    try {
      more = step();
    } catch (...) {
      TWinControl* control = d.Control;
      Stop();
      Application->HandleException(control);
      return;
    }
    // A step that started a new repetition leaves that one running.
    if (!more && FImpl->Starts == started) Stop();
  });
}

TMouseRepeater::~TMouseRepeater() { FImpl->Timer.stop(); }

void TMouseRepeater::Start(TWinControl* control, int intervalMs, std::function<bool()> step) {
  Stop();
  ++FImpl->Starts;
  if (!control || !step) return;
  FImpl->Control = control;
  FImpl->Widget = InputOf(control).TargetWidget();
  FImpl->Step = std::move(step);
  FImpl->Timer.start(intervalMs < 1 ? 1 : intervalMs);
}

void TMouseRepeater::Stop() {
  FImpl->Timer.stop();
  FImpl->Step = nullptr;
  FImpl->Control = nullptr;
  FImpl->Widget = nullptr;
}

bool TMouseRepeater::Active() const { return FImpl->Timer.isActive(); }
