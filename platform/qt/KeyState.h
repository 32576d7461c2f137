// Stands in for the Win32 keyboard state calls GetKeyState and
// GetAsyncKeyState, answered from Qt's current modifier and mouse button
// state.
#pragma once

#include <cstdint>

// Negative (high bit set) while the key is down; bit 0 is the toggle state
// of Caps Lock / Num Lock where known. Known keys: VK_SHIFT, VK_CONTROL,
// VK_MENU (and their left/right forms, reported alike), VK_LBUTTON,
// VK_RBUTTON, VK_MBUTTON, plus any key pressed in one of our controls
// (tracked from the key events they receive). Others read 0.
int16_t GetKeyState(int vk);
int16_t GetAsyncKeyState(int vk);

// Tests: force a key's state until cleared.
void SetKeyStateOverride(int vk, bool down);
void ClearKeyStateOverrides();

// Platform side: the controls record key presses and releases here.
void NoteKeyDown(int vk);
void NoteKeyUp(int vk);

// Platform side: while a key message made from a toolkit key event is
// handled, GetKeyState answers Shift, Ctrl and Alt as that event had them
// (the state when the message was made, not the state now). Nested calls
// stack; test overrides still win.
void PushEventModifiers(bool shift, bool ctrl, bool alt);
void PopEventModifiers();
