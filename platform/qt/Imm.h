// Stands in for the IMM32 input-context calls (ImmGetContext,
// ImmGetCompositionStringA, ImmReleaseContext, ImmNotifyIME) over Qt's
// input method, and for the class library's "composition in progress" flag.
//
// Every window has one input context. While a Qt input method composes, the
// context holds the composition (preedit) string; when it commits, the
// context holds the result string for exactly the WM_IME_COMPOSITION
// message (GCS_RESULTSTR) that announces it. Strings are code page 932.
#pragma once

#include <cstdint>

#include "platform/qt/Controls.h"
#include "platform/text/AnsiString.h"

struct TInputContext;
using HIMC = TInputContext*;

// Error results of ImmGetCompositionStringA.
inline constexpr long IMM_ERROR_NODATA = -1;   // nothing of that kind is held
inline constexpr long IMM_ERROR_GENERAL = -2;  // no context, or an unknown index

// ImmNotifyIME actions and their values.
inline constexpr unsigned NI_COMPOSITIONSTR = 0x0015;
inline constexpr unsigned CPS_COMPLETE = 0x0001;  // commit the composition
inline constexpr unsigned CPS_CANCEL = 0x0004;    // drop it: the input method is reset

// The window's input context (null for a null window). Release it with
// ImmReleaseContext; it stays valid as long as the window lives.
HIMC ImmGetContext(HWND wnd);
bool ImmReleaseContext(HWND wnd, HIMC imc);

// index GCS_RESULTSTR or GCS_COMPSTR: with len 0 returns the string's length
// in bytes; otherwise copies at most len bytes into buf (no terminating 0)
// and returns the count copied. GCS_CURSORPOS: the composition cursor as a
// byte offset. IMM_ERROR_NODATA when the context holds no such string (a
// result outside its WM_IME_COMPOSITION message), IMM_ERROR_GENERAL for a
// null context or another index.
long ImmGetCompositionStringA(HIMC imc, unsigned index, void* buf, unsigned len);

// NI_COMPOSITIONSTR with CPS_CANCEL resets the input method (the composition
// is dropped); with CPS_COMPLETE it asks the input method to commit. Both end
// the composition shown in the window.
bool ImmNotifyIME(HIMC imc, unsigned action, unsigned index, unsigned value);

// The library's flag that an input-method composition is in progress in the
// window: set by WM_IME_STARTCOMPOSITION, cleared by WM_IME_ENDCOMPOSITION.
bool ImeComposing(HWND wnd);

// ---------------------------------------------------------------------------
// Platform side (the key and input-method translation; tests).

// Fills the context as the input method left it. The result string is held
// only until ImmClearResultString.
void ImmSetResultString(HWND wnd, const AnsiString& cp932);
void ImmClearResultString(HWND wnd);
void ImmSetCompositionString(HWND wnd, const AnsiString& cp932, int cursorBytes);
// Sets the composing flag (the default handling of the start and end messages).
void ImmSetComposing(HWND wnd, bool composing);
// Forgets the window's context (the window is being destroyed).
void ImmWindowDestroyed(HWND wnd);
