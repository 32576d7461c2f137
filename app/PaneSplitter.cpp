#include "app/PaneSplitter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

TPaneSplitter::TPaneSplitter(QWidget* parent) : QWidget(parent) {
  setCursor(Qt::SplitHCursor);
  setFixedWidth(BarWidth);
}

void TPaneSplitter::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) FGrabX = event->position().toPoint().x();
}

void TPaneSplitter::mouseMoveEvent(QMouseEvent* event) {
  if (FGrabX < 0 || !parentWidget()) return;
  int x = mapToParent(event->position().toPoint()).x() - FGrabX;
  int most = parentWidget()->width() - BarWidth - MinSize;
  x = std::max(MinSize, std::min(x, most));
  if (OnMoved) OnMoved(x);
}

void TPaneSplitter::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) FGrabX = -1;
}

void TPaneSplitter::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QStyleOption opt;
  opt.initFrom(this);
  opt.state |= QStyle::State_Horizontal;
  style()->drawControl(QStyle::CE_Splitter, &opt, &p, this);
}
