// Keyboard and mouse button state from Qt, with overrides for tests.
#include "platform/qt/KeyState.h"

#include <QGuiApplication>
#include <array>
#include <vector>

#include "platform/core/Messages.h"

namespace {
// -1 no override, 0 up, 1 down.
std::array<int8_t, 256> gOverride = [] {
  std::array<int8_t, 256> a{};
  a.fill(-1);
  return a;
}();
std::array<bool, 256> gDown{};

// Modifier state of the key events being handled, innermost last.
struct EventModifiers {
  bool shift, ctrl, alt;
};
std::vector<EventModifiers> gEventModifiers;

int Canonical(int vk) {
  switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
    default: return vk;
  }
}

bool IsDown(int vk) {
  if (vk < 0 || vk > 255) return false;
  if (gOverride[static_cast<size_t>(vk)] >= 0) return gOverride[static_cast<size_t>(vk)] == 1;
  int c = Canonical(vk);
  if (gOverride[static_cast<size_t>(c)] >= 0) return gOverride[static_cast<size_t>(c)] == 1;
  if (QGuiApplication::instance()) {
    Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
    Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    switch (c) {
      case VK_SHIFT: return mods & Qt::ShiftModifier;
      case VK_CONTROL: return mods & Qt::ControlModifier;
      case VK_MENU: return mods & Qt::AltModifier;
      case VK_LBUTTON: return buttons & Qt::LeftButton;
      case VK_RBUTTON: return buttons & Qt::RightButton;
      case VK_MBUTTON: return buttons & Qt::MiddleButton;
      default: break;
    }
  }
  return gDown[static_cast<size_t>(c)];
}
}  // namespace

int16_t GetKeyState(int vk) {
  if (!gEventModifiers.empty() && vk >= 0 && vk <= 255 && gOverride[static_cast<size_t>(vk)] < 0 &&
      gOverride[static_cast<size_t>(Canonical(vk))] < 0) {
    const EventModifiers& m = gEventModifiers.back();
    switch (Canonical(vk)) {
      case VK_SHIFT: return m.shift ? static_cast<int16_t>(0x8000) : 0;
      case VK_CONTROL: return m.ctrl ? static_cast<int16_t>(0x8000) : 0;
      case VK_MENU: return m.alt ? static_cast<int16_t>(0x8000) : 0;
      default: break;
    }
  }
  return IsDown(vk) ? static_cast<int16_t>(0x8000) : 0;
}

int16_t GetAsyncKeyState(int vk) { return IsDown(vk) ? static_cast<int16_t>(0x8000) : 0; }

void SetKeyStateOverride(int vk, bool down) {
  if (vk >= 0 && vk <= 255) gOverride[static_cast<size_t>(vk)] = down ? 1 : 0;
}

void ClearKeyStateOverrides() { gOverride.fill(-1); }

void NoteKeyDown(int vk) {
  if (vk >= 0 && vk <= 255) gDown[static_cast<size_t>(vk)] = true;
}

void NoteKeyUp(int vk) {
  if (vk >= 0 && vk <= 255) gDown[static_cast<size_t>(vk)] = false;
}

void PushEventModifiers(bool shift, bool ctrl, bool alt) { gEventModifiers.push_back({shift, ctrl, alt}); }

void PopEventModifiers() {
  if (!gEventModifiers.empty()) gEventModifiers.pop_back();
}
