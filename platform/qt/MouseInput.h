// Stands in for the Win32 mouse input of a window: the mouse messages with
// their MK_* key state and client coordinates, the library's mouse events
// fired from their default handling, and a repeating step for the loops a
// control runs while a mouse button is held.
//
// Qt events become messages in TranslateMouseEvent: WM_MOUSEMOVE,
// WM_[LRM]BUTTONDOWN, ..UP and ..DBLCLK, WM_MOUSEWHEEL (passed on to the
// parent unless OnMouseWheel handles it), CM_MOUSEENTER and CM_MOUSELEAVE. A
// double click arrives as down, up, double click, up, as on Win32. While a
// button is held the toolkit keeps sending the mouse to the pressed control
// (its implicit grab stands in for SetCapture), so coordinates go negative
// or past the client size outside it. A right click shows the control's
// PopupMenu.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/qt/Controls.h"
#include "platform/core/Messages.h"

class QEvent;

// A mouse message's lParam: x and y as signed 16-bit values, clamped to
// that range.
intptr_t MakeMousePos(int x, int y);

// The library's shift state of a mouse message's key state (Alt from the
// keyboard).
TShiftState MouseKeysToShiftState(uintptr_t keys);

// The library's own handling of the mouse messages: OnMouseDown, OnMouseMove,
// OnMouseUp, OnClick (button up over the control after a button down on it),
// OnDblClick and OnMouseWheel (its Handled as the message's Result). Returns
// false for any other message.
bool MouseDefaultHandler(TControl* control, TMessage& Message);

// Runs a step again and again from the event loop, every intervalMs
// milliseconds, while a mouse drag lasts: the stand-in for a loop that
// polls the mouse while a button is held, since the screen shows drawing
// only between events. The step returns false to end the repetition; Stop
// ends it at once, and so does the repeater's destruction. A step that
// throws ends it too, the exception going to Application->HandleException.
class TMouseRepeater {
 public:
  TMouseRepeater();
  ~TMouseRepeater();
  TMouseRepeater(const TMouseRepeater&) = delete;
  TMouseRepeater& operator=(const TMouseRepeater&) = delete;

  // Replaces any repetition under way. The first step runs after one
  // interval, not at once.
  void Start(TWinControl* control, int intervalMs, std::function<bool()> step);
  void Stop();
  bool Active() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;
};

// ---------------------------------------------------------------------------
// Platform side.

// Turns a mouse, enter/leave or context-menu event of the control's widget
// into messages (through WindowProc). Returns true when the event was
// consumed; false for events that are not the mouse's.
bool TranslateMouseEvent(TWinControl* control, QEvent* event);
