// Private to platform/qt: the widget behind a windowed control and the state
// that the control, its scroll bars and the caret share.
#pragma once

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QScrollBar>
#include <QWidget>

#include "platform/qt/Controls.h"
#include "platform/qt/ScrollBars.h"
#include "platform/qt/internal/ControlInput.h"

// One of a control's two window scroll bars.
class TScrollBarWidget : public QScrollBar {
 public:
  TScrollBarWidget(TWinControl* owner, int bar, QWidget* parent);
  TWinControl* Owner;
  int Bar;  // SB_HORZ or SB_VERT

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
};

struct TWinControl::Impl final : TControlInput {
  explicit Impl(TWinControl* self) : Self(self) {}
  TWinControl* Self;

  intptr_t Send(unsigned msg, uintptr_t wParam, intptr_t lParam) override;
  QWidget* TargetWidget() const override { return Widget.data(); }
  QRect ClientArea() const override { return Client; }
  void RefreshClient(const QRect& clientRect) override { UpdateClient(clientRect); }
  void CaretMoved() override;
  void EndComposition(bool commit) override;
  QPointer<TControlWidget> Widget;

  // Client area in widget coordinates (frame and visible bars excluded).
  QRect Client;
  int Frame = 0;  // border width in pixels on every side

  // Painting: the backing image of a TCustomControl (client size) and the
  // part of the client still to be painted through WM_PAINT.
  bool HasImage = false;
  QImage Image;
  TCanvas* Canvas = nullptr;
  QRegion Invalid;
  bool NcDirty = true;
  bool InPaint = false;
  // The bounds of the client parts asked to be refreshed since the widget
  // last painted; each refresh asks for all of it at once, so many small
  // changes make one rectangle, not a region of many.
  QRect PendingUpdate;

  // Window scroll bars, as Win32 keeps them.
  struct Bar {
    QPointer<TScrollBarWidget> Widget;
    int Min = 0, Max = 0;
    unsigned Page = 0;
    int Pos = 0;
    bool Visible = false;
    bool Enabled = true;
    bool Tracking = false;  // the user drags the thumb
    int TrackPos = 0;
    bool UserAction = false;  // a mouse action on the bar is in progress
  } Bars[2];  // [SB_HORZ], [SB_VERT]

  // The widget's own events (size, place, showing, focus, painting).
  bool WindowEvent(QEvent* event);
  void Resized(const QSize& size);
  void PaintWidget();
  void PaintFrame(QPainter& p);

  // Screen refresh of a client rectangle.
  void UpdateClient(const QRect& clientRect);
  void UpdateClient() { UpdateClient(QRect(0, 0, Client.width(), Client.height())); }
};

// Creates the scroll bar widgets of a control when it first needs them, and
// brings a bar widget in line with its Win32 state.
TScrollBarWidget* EnsureScrollBar(TWinControl* control, int bar);
void SyncScrollBarWidget(TWinControl::Impl& impl, int bar);

// Lays out a control's client and bars again (after a bar is shown or hidden).
struct TScrollBarsAccess {
  static void Relayout(TWinControl* c) { c->UpdateGeometry(); }
};
