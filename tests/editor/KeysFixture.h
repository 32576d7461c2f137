// The pane-like editor control of the display tests, focused, with key and
// character messages sent the way the platform sends them.
#pragma once

#include <string>
#include <vector>

#include "platform/qt/Imm.h"
#include "tests/editor/DisplayFixture.h"

class KeysTest : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    Focus();
  }
  void TearDown() override {
    ImmSetComposing(edit, false);
    ImmClearResultString(edit);
    DisplayTest::TearDown();
  }

  // A key-down as the platform sends it: Shift and Ctrl as held now, the
  // repeat bit for an auto-repeat.
  void Key(int vk, TShiftState shift = {}, bool autoRepeat = false) {
    SetKeyStateOverride(VK_SHIFT, shift.Contains(ssShift));
    SetKeyStateOverride(VK_CONTROL, shift.Contains(ssCtrl));
    edit->Perform(WM_KEYDOWN, static_cast<uintptr_t>(vk), autoRepeat ? 0x40000001 : 0x00000001);
  }
  void Keys(int vk, int times, TShiftState shift = {}) {
    for (int i = 0; i < times; ++i) Key(vk, shift);
  }
  // Characters (code page 932 bytes), one WM_CHAR each.
  void Type(const std::string& bytes, TShiftState shift = {}) {
    SetKeyStateOverride(VK_SHIFT, shift.Contains(ssShift));
    SetKeyStateOverride(VK_CONTROL, shift.Contains(ssCtrl));
    for (unsigned char b : bytes) edit->Perform(WM_CHAR, b, 1);
  }
  // An input-method result string, as the platform hands it over.
  void ImeResult(const std::string& bytes) {
    ImmSetResultString(edit, bytes);
    edit->Perform(WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
    ImmClearResultString(edit);
  }

  std::vector<std::string> Rows() const {
    std::vector<std::string> out;
    for (int i = 0; i < edit->GetLinesCount(); ++i) out.push_back(edit->GetLine(i));
    return out;
  }
  int Indent(int row) { return edit->GetLinesAttr(row)->Indent; }
  void SetOptions(TAFEditOptions options) { edit->SetOptions(options); }
  void Select(TPoint a, TPoint b) {
    edit->FSelArea->PutStartPoint(a);
    edit->FSelArea->PutEndPoint(b);
    edit->FSelArea->SelectChanged();
  }
};

using TextRows = std::vector<std::string>;
