// The bar between the two panes: dragging it moves the boundary; the form
// lays the panes out again from the new width of the left panel.
#pragma once

#include <QWidget>
#include <functional>

class TPaneSplitter : public QWidget {
  Q_OBJECT
 public:
  explicit TPaneSplitter(QWidget* parent = nullptr);

  // Smallest width either panel keeps while the bar is dragged.
  static constexpr int MinSize = 30;
  static constexpr int BarWidth = 8;

  // Called with the left panel's new width while the bar is dragged.
  std::function<void(int leftWidth)> OnMoved;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  int FGrabX = -1;  // where in the bar the drag started; -1 when idle
};
