#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "tests/common/TestApp.h"
#include "platform/qt/Caret.h"

namespace {

class CaretTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    form = new TForm(nullptr);
    a = new TCustomControl(form);
    a->SetParent(form);
    a->SetBounds(0, 0, 100, 50);
    b = new TCustomControl(form);
    b->SetParent(form);
    b->SetBounds(0, 60, 100, 50);
  }
  void TearDown() override {
    DestroyCaret();
    delete form;
  }
  TForm* form = nullptr;
  TCustomControl* a = nullptr;
  TCustomControl* b = nullptr;
};

TEST_F(CaretTest, HideCountIsCumulativeAndNeverBelowZero) {
  ASSERT_TRUE(CreateCaret(a->GetHandle(), nullptr, 2, 12));
  struct Step {
    bool show;  // else hide
    int count;
  } steps[] = {
      {true, 0},   // a new caret starts hidden once
      {true, 0},   // already shown: stays at zero
      {false, 1}, {false, 2}, {true, 1}, {true, 0}, {true, 0},
  };
  for (const Step& s : steps) {
    EXPECT_TRUE(s.show ? ShowCaret(a->GetHandle()) : HideCaret(a->GetHandle()));
    EXPECT_EQ(GetCaretState().HideCount, s.count);
    EXPECT_EQ(GetCaretState().Visible, s.count == 0);
  }
  // Another window's calls do not touch it; a null window means the owner.
  EXPECT_FALSE(HideCaret(b->GetHandle()));
  EXPECT_TRUE(HideCaret(nullptr));
  EXPECT_EQ(GetCaretState().HideCount, 1);
  EXPECT_TRUE(DestroyCaret());
  EXPECT_FALSE(ShowCaret(a->GetHandle()));
  EXPECT_FALSE(GetCaretState().Exists);
}

TEST_F(CaretTest, CaretIsOneForTheProgramAndDiesWithItsWindow) {
  CreateCaret(a->GetHandle(), nullptr, 2, 12);
  SetCaretPos(10, 20);
  EXPECT_EQ(GetCaretState().Bounds, Rect(10, 20, 12, 32));
  CreateCaret(b->GetHandle(), nullptr, 6, 12);  // replaces a's caret
  EXPECT_EQ(GetCaretState().Owner, b);
  EXPECT_EQ(GetCaretState().Bounds, Rect(0, 0, 6, 12));
  delete b;
  b = nullptr;
  EXPECT_FALSE(GetCaretState().Exists);
}

TEST_F(CaretTest, DrawnAsAnInvertingOverlayNotIntoTheImage) {
  a->Canvas->Brush->SetColor(clWhite);
  a->Canvas->FillRect(a->ClientRect());
  a->Update();
  CreateCaret(a->GetHandle(), nullptr, 2, 10);
  SetCaretPos(5, 5);
  ShowCaret(a->GetHandle());
  ASSERT_TRUE(GetCaretState().BlinkOn);
  QImage shot = a->GetWidget()->grab().toImage();
  EXPECT_EQ(shot.pixel(5, 5) & 0xFFFFFF, 0x000000u);
  EXPECT_EQ(shot.pixel(6, 14) & 0xFFFFFF, 0x000000u);
  EXPECT_EQ(shot.pixel(7, 5) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(a->Canvas->Pixels(5, 5), clWhite);  // the control's own pixels
  HideCaret(a->GetHandle());
  shot = a->GetWidget()->grab().toImage();
  EXPECT_EQ(shot.pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);
}

}  // namespace
