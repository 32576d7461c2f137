// Input on a real X server (Xvfb, xcb platform): a pointer press in the text
// during an input-method composition, through the window's own events.
#include <QInputMethodEvent>
#include <QMouseEvent>

#include "platform/qt/Imm.h"
#include "platform/qt/internal/ControlInput.h"
#include "platform/qt/internal/KeyInput.h"
#include "tests/common/XcbChild.h"
#include "tests/editor/DisplayFixture.h"

namespace {

class RealServerInput : public DisplayTest {
 protected:
  void SetUp() override {
    if (xcbchild::InChild()) DisplayTest::SetUp();
  }
  void TearDown() override {
    if (xcbchild::InChild()) DisplayTest::TearDown();
  }

  // The widget point of the middle of a cell, as the pointer gives it.
  QPointF CellPoint(int col, int row) const {
    const QPoint origin = edit->Input().ClientArea().topLeft();
    return QPointF(origin.x() + edit->FTextLeft + col * edit->FCharStep + 1,
                   origin.y() + edit->FTextTop + row * edit->FRowHeight + edit->FRowHeight / 2);
  }
  void Mouse(QEvent::Type type, const QPointF& at) {
    QWidget* w = edit->GetWidget();
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, at, w->mapToGlobal(at), button,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }
};

TEST_F(RealServerInput, AClickInTheTextDropsTheComposition) {
  if (!xcbchild::InChild()) {
    const xcbchild::Result r = xcbchild::Run("RealServerInput.AClickInTheTextDropsTheComposition");
    EXPECT_TRUE(r.Passed()) << r.Log;
    return;
  }
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
  Focus();
  SetRows({"abc\r"});
  QInputMethodEvent preedit(QString::fromUtf8("あ"), {});
  QApplication::sendEvent(edit->GetWidget(), &preedit);
  ASSERT_TRUE(ImeComposing(edit));

  const QPointF at = CellPoint(2, 0);
  Mouse(QEvent::MouseMove, at);  // the pointer comes over the text first
  Mouse(QEvent::MouseButtonPress, at);
  Mouse(QEvent::MouseButtonRelease, at);
  QApplication::processEvents();
  EXPECT_FALSE(ImeComposing(edit));
  EXPECT_FALSE(GetPreeditState(edit).Active);
  EXPECT_EQ(edit->GetLine(0), "abc\r");
  EXPECT_EQ(edit->FCaret.x, 2);
  EXPECT_EQ(edit->FCaret.y, 0);
}

}  // namespace
