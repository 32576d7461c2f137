#include <gtest/gtest.h>

#include <QWidget>

#include "tests/common/TestApp.h"
#include "platform/qt/Controls.h"
#include "platform/qt/KeyState.h"

namespace {

TEST(BackingImage, ResizeKeepsPixelsFillsTheRestAndRepaints) {
  TestApp();
  TForm form(nullptr);
  auto* c = new TCustomControl(&form);
  c->SetParent(&form);
  c->SetColor(clYellow);
  c->SetBounds(0, 0, 40, 30);
  c->Canvas->Brush->SetColor(clRed);
  c->Canvas->FillRect(c->ClientRect());
  c->Update();
  c->SetBounds(0, 0, 60, 50);
  EXPECT_EQ(c->Canvas->GetImage()->width(), 60);
  EXPECT_EQ(c->Canvas->Pixels(39, 29), clRed);
  EXPECT_EQ(c->Canvas->Pixels(45, 10), clYellow);
  EXPECT_EQ(c->Canvas->Pixels(10, 45), clYellow);
  EXPECT_TRUE(c->HasPendingPaint());
  c->SetBounds(0, 0, 0, 0);  // a zero size leaves nothing to draw on, and no fault
  c->Canvas->FillRect(Rect(0, 0, 10, 10));
  c->Canvas->TextOut(0, 0, "abc");
  EXPECT_EQ(c->Canvas->Pixels(0, 0), -1);
}

TEST(Align, ClientAlignedChildFillsWhatTheOthersLeave) {
  TestApp();
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto* top = new TCustomControl(&form);
  top->SetParent(&form);
  top->SetHeight(20);
  top->SetAlign(alTop);
  auto* rest = new TCustomControl(&form);
  rest->SetParent(&form);
  rest->SetAlign(alClient);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 300, 20));
  EXPECT_EQ(rest->BoundsRect(), Rect(0, 20, 300, 200));
  form.SetBounds(0, 0, 400, 220);
  EXPECT_EQ(rest->BoundsRect(), Rect(0, 20, 400, 220));
}

TEST(KeyState, OverridesAndKeyData) {
  TestApp();
  ClearKeyStateOverrides();
  SetKeyStateOverride(VK_SHIFT, true);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  EXPECT_LT(GetKeyState(VK_LSHIFT), 0);  // either side reads as Shift
  EXPECT_EQ(GetKeyState(VK_CONTROL) < 0, false);
  TShiftState s = KeyDataToShiftState(0x20000000);  // Alt from the key data
  EXPECT_TRUE(s.Contains(ssShift));
  EXPECT_TRUE(s.Contains(ssAlt));
  EXPECT_FALSE(s.Contains(ssCtrl));
  ClearKeyStateOverrides();
}

TEST(Conversions, FormatPrintsIntoAString) { EXPECT_EQ(Format("%5d:", 100), "  100:"); }

}  // namespace
