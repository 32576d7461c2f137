#include <gtest/gtest.h>

#include <QWidget>

#include "TestApp.h"
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

TEST(PostMessage, ArrivesLaterThroughWindowProcAndNeverAfterTheControlIsGone) {
  TestApp();
  auto* form = new TForm(nullptr);
  auto* c = new TCustomControl(form);
  c->SetParent(form);
  std::vector<unsigned> seen;
  c->WindowProc = [&](TMessage& m) { seen.push_back(m.Msg); };
  PostMessage(c->GetHandle(), WM_USER + 1, 0, 0);
  EXPECT_TRUE(seen.empty());
  QApplication::processEvents();
  EXPECT_EQ(seen, (std::vector<unsigned>{WM_USER + 1}));
  PostMessage(c->GetHandle(), WM_USER + 2, 0, 0);
  delete form;
  QApplication::processEvents();  // dropped, not delivered to freed memory
  EXPECT_EQ(seen.size(), 1u);
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

TEST(ByteType, ZeroBasedAndLeadByteAware) {
  // "a", あ (82 A0), a lone lead byte at the end.
  AnsiString s = "a\x82\xa0\x82";
  TMbcsByteType want[] = {mbSingleByte, mbLeadByte, mbTrailByte, mbSingleByte};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ByteType(s, i), want[i]) << i;
  // A trail-looking byte after a double-byte character is a single byte.
  EXPECT_EQ(ByteType("\x83\x41\x41", 2), mbSingleByte);
}

TEST(Conversions, FormatAndIntegers) {
  EXPECT_EQ(Format("%5d:", 100), "  100:");
  struct Case {
    const char* text;
    int value;
    bool ok;
  } cases[] = {{"42", 42, true}, {" -7 ", -7, true}, {"$1F", 31, true}, {"", 0, false},
               {"12x", 0, false}, {"99999999999", 0, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(StrToIntDef(c.text, -1), c.ok ? c.value : -1) << c.text;
    if (!c.ok) {
      EXPECT_THROW(StrToInt(c.text), EConvertError) << c.text;
    }
  }
}

}  // namespace
