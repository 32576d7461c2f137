// Private to platform/qt: what a widget event needs of a windowed control
// beyond its public members.
//
// The input translators (KeyInput.cpp, MouseInput.cpp, Caret.cpp, Imm.cpp)
// send messages, find the widget and the client area and refresh the screen
// through this interface. For the rest they use the control's public
// members directly (enabled state, input-method mode, font and canvas, the
// key and mouse events, the pop-up menu), and KeyInput.cpp calls Caret.h
// (the caret's place) and Imm.h (the composition and result strings)
// directly. The other way round, Caret.cpp and Imm.cpp reach KeyInput.cpp
// only through the two notices (CaretMoved, EndComposition), which the
// control routes. The control implements the interface (Controls.cpp); the
// caret's hooks declared below are called by the control and its scroll
// bars (Controls.cpp, ScrollBars.cpp).
#pragma once

#include <QRect>
#include <QWidget>
#include <cstdint>

#include "platform/qt/Controls.h"

class QPainter;
class QPoint;

class TControlInput {
 public:
  TControlInput() = default;
  TControlInput(const TControlInput&) = delete;
  TControlInput& operator=(const TControlInput&) = delete;

  // A message through the control's WindowProc; its Result.
  virtual intptr_t Send(unsigned msg, uintptr_t wParam, intptr_t lParam) = 0;
  // The control's widget; null once the control is being destroyed.
  virtual QWidget* TargetWidget() const = 0;
  // The client area in widget coordinates.
  virtual QRect ClientArea() const = 0;
  // Shows a client rectangle again on the screen (the pixels are unchanged).
  virtual void RefreshClient(const QRect& clientRect) = 0;

  // The caret moved: the input method places its windows by it.
  virtual void CaretMoved() = 0;
  // Ends a composition under way, committing it or dropping it.
  virtual void EndComposition(bool commit) = 0;

 protected:
  ~TControlInput() = default;
};

// The widget of a TWinControl: every event goes through the control's
// TranslateEvent first.
class TControlWidget : public QWidget {
 public:
  TControlWidget(TWinControl* owner, QWidget* parent) : QWidget(parent), Owner(owner) {}
  TWinControl* Owner;  // null once the control is being destroyed

 protected:
  bool event(QEvent* e) override;
};

inline TControlInput& InputOf(TWinControl* control) { return control->Input(); }

// True while the widget belongs to a control that still exists (a message
// handler may have destroyed it).
inline bool HasLiveControl(QWidget* widget) {
  auto* w = dynamic_cast<TControlWidget*>(widget);
  return w && w->Owner;
}

// ---------------------------------------------------------------------------
// The caret's hooks, called by the control and its scroll bars.

// Draws the caret over the control's image (client coordinates start at
// clientOrigin in the painter).
void PaintCaretOverlay(TWinControl* control, QPainter& painter, const QPoint& clientOrigin);
// The control is being destroyed: a caret it owns goes with it.
void CaretOwnerDestroyed(TWinControl* control);
// ScrollWindow moves a caret that lies in the scrolled area along with it.
void CaretScrolled(TWinControl* control, const QRect& area, int dx, int dy);
