// The system caret: one per program, drawn by its owner's paint event as an
// inverting overlay, blinking on a timer of its own.
#include "platform/qt/Caret.h"

#include <QGuiApplication>
#include <QPainter>
#include <QTimer>

#include "platform/qt/internal/ControlInput.h"
#include "platform/qt/internal/QtBridge.h"

namespace {
struct CaretData {
  bool exists = false;
  TWinControl* owner = nullptr;
  int width = 0, height = 0;
  QImage shape;  // from a bitmap; null for a solid caret
  QPoint pos;
  int hideCount = 0;
  bool blinkOn = true;
  unsigned blinkTime = 530;
  QTimer* timer = nullptr;
};

CaretData& Caret() {
  static CaretData c;
  return c;
}

QRect CaretRect() {
  const CaretData& c = Caret();
  return QRect(c.pos, QSize(c.width, c.height));
}

void RefreshCaret() {
  CaretData& c = Caret();
  if (c.exists && c.owner) InputOf(c.owner).RefreshClient(CaretRect());
}

// Starts the blink cycle again in its drawn half.
void RestartBlink() {
  CaretData& c = Caret();
  c.blinkOn = true;
  if (!QCoreApplication::instance()) return;
  if (!c.timer) {
    c.timer = new QTimer;
    QObject::connect(c.timer, &QTimer::timeout, []() {
      CaretData& d = Caret();
      if (!d.exists || d.hideCount > 0) return;
      d.blinkOn = !d.blinkOn;
      RefreshCaret();
    });
  }
  if (c.exists && c.hideCount == 0 && c.blinkTime > 0) c.timer->start(static_cast<int>(c.blinkTime));
  else c.timer->stop();
}
}  // namespace

bool CreateCaret(HWND wnd, TBitmap* bitmap, int width, int height) {
  if (!wnd) return false;
  DestroyCaret();
  CaretData& c = Caret();
  c.exists = true;
  c.owner = wnd;
  if (bitmap && !bitmap->Empty()) {
    c.shape = bitmap->GetImage()->convertToFormat(QImage::Format_RGB32);
    c.width = c.shape.width();
    c.height = c.shape.height();
  } else {
    c.shape = QImage();
    c.width = width > 0 ? width : 1;
    c.height = height > 0 ? height : 1;
  }
  c.pos = QPoint(0, 0);
  c.hideCount = 1;  // a new caret is hidden until ShowCaret
  RestartBlink();
  return true;
}

bool DestroyCaret() {
  CaretData& c = Caret();
  if (!c.exists) return false;
  RefreshCaret();
  c.exists = false;
  c.owner = nullptr;
  c.hideCount = 0;
  if (c.timer) c.timer->stop();
  return true;
}

bool SetCaretPos(int x, int y) {
  CaretData& c = Caret();
  if (!c.exists) return false;
  RefreshCaret();
  c.pos = QPoint(x, y);
  RestartBlink();
  RefreshCaret();
  InputOf(c.owner).CaretMoved();  // the input method places its windows by the caret
  return true;
}

bool ShowCaret(HWND wnd) {
  CaretData& c = Caret();
  if (!c.exists || (wnd && wnd != c.owner)) return false;
  if (c.hideCount > 0) {
    --c.hideCount;
    if (c.hideCount == 0) {
      RestartBlink();
      RefreshCaret();
    }
  }
  return true;
}

bool HideCaret(HWND wnd) {
  CaretData& c = Caret();
  if (!c.exists || (wnd && wnd != c.owner)) return false;
  if (c.hideCount++ == 0) {
    RefreshCaret();
    if (c.timer) c.timer->stop();
  }
  return true;
}

TCaretState GetCaretState() {
  const CaretData& c = Caret();
  TCaretState s;
  s.Exists = c.exists;
  s.Owner = c.owner;
  s.HideCount = c.hideCount;
  s.Bounds = FromQRect(CaretRect());
  s.Visible = c.exists && c.hideCount == 0;
  s.BlinkOn = s.Visible && c.blinkOn;
  return s;
}

void PaintCaretOverlay(TWinControl* control, QPainter& painter, const QPoint& clientOrigin) {
  const CaretData& c = Caret();
  if (!c.exists || c.owner != control || c.hideCount > 0 || !c.blinkOn) return;
  painter.save();
  // Source XOR destination with white inverts; a shape inverts where its
  // pixels are not black.
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  QRect r = CaretRect().translated(clientOrigin);
  if (c.shape.isNull()) painter.fillRect(r, Qt::white);
  else painter.drawImage(r.topLeft(), c.shape);
  painter.restore();
}

void CaretOwnerDestroyed(TWinControl* control) {
  CaretData& c = Caret();
  if (c.owner == control) {
    c.exists = false;
    c.owner = nullptr;
    c.hideCount = 0;
    if (c.timer) c.timer->stop();
  }
}

void CaretScrolled(TWinControl* control, const QRect& area, int dx, int dy) {
  CaretData& c = Caret();
  if (c.exists && c.owner == control && area.contains(c.pos)) {
    RefreshCaret();
    c.pos += QPoint(dx, dy);
    RefreshCaret();
  }
}
