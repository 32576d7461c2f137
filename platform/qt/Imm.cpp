// Input contexts of the windows: the composition and result strings the
// input method left, and the composing flag.
#include "platform/qt/Imm.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "platform/qt/internal/ControlInput.h"

struct TInputContext {
  HWND Wnd = nullptr;
  AnsiString Result;
  bool HasResult = false;
  AnsiString Composition;
  int CursorBytes = 0;
  bool Composing = false;
};

namespace {

std::unordered_map<HWND, std::unique_ptr<TInputContext>>& Contexts() {
  static std::unordered_map<HWND, std::unique_ptr<TInputContext>> contexts;
  return contexts;
}

TInputContext* ContextOf(HWND wnd) {
  if (!wnd) return nullptr;
  auto& all = Contexts();
  auto it = all.find(wnd);
  if (it != all.end()) return it->second.get();
  auto ctx = std::make_unique<TInputContext>();
  ctx->Wnd = wnd;
  TInputContext* raw = ctx.get();
  all.emplace(wnd, std::move(ctx));
  return raw;
}

long CopyOut(const AnsiString& s, void* buf, unsigned len) {
  if (len == 0 || !buf) return static_cast<long>(s.size());
  size_t n = std::min<size_t>(len, s.size());
  if (n) std::memcpy(buf, s.data(), n);
  return static_cast<long>(n);
}

}  // namespace

HIMC ImmGetContext(HWND wnd) { return ContextOf(wnd); }

bool ImmReleaseContext(HWND wnd, HIMC imc) { return wnd && imc && imc->Wnd == wnd; }

long ImmGetCompositionStringA(HIMC imc, unsigned index, void* buf, unsigned len) {
  if (!imc) return IMM_ERROR_GENERAL;
  switch (index) {
    case GCS_RESULTSTR:
      if (!imc->HasResult) return IMM_ERROR_NODATA;
      return CopyOut(imc->Result, buf, len);
    case GCS_COMPSTR:
      if (!imc->Composing) return IMM_ERROR_NODATA;
      return CopyOut(imc->Composition, buf, len);
    case GCS_CURSORPOS:
      if (!imc->Composing) return IMM_ERROR_NODATA;
      return imc->CursorBytes;
    default:
      return IMM_ERROR_GENERAL;
  }
}

bool ImmNotifyIME(HIMC imc, unsigned action, unsigned index, unsigned) {
  if (!imc || action != NI_COMPOSITIONSTR) return false;
  if (index == CPS_CANCEL) {
    InputOf(imc->Wnd).EndComposition(false);
    return true;
  }
  if (index == CPS_COMPLETE) {
    InputOf(imc->Wnd).EndComposition(true);
    return true;
  }
  return false;
}

bool ImeComposing(HWND wnd) {
  if (!wnd) return false;
  auto& all = Contexts();
  auto it = all.find(wnd);
  return it != all.end() && it->second->Composing;
}

void ImmSetResultString(HWND wnd, const AnsiString& cp932) {
  if (TInputContext* c = ContextOf(wnd)) {
    c->Result = cp932;
    c->HasResult = true;
  }
}

void ImmClearResultString(HWND wnd) {
  if (TInputContext* c = ContextOf(wnd)) {
    c->Result.clear();
    c->HasResult = false;
  }
}

void ImmSetCompositionString(HWND wnd, const AnsiString& cp932, int cursorBytes) {
  if (TInputContext* c = ContextOf(wnd)) {
    c->Composition = cp932;
    c->CursorBytes = std::clamp(cursorBytes, 0, static_cast<int>(cp932.size()));
  }
}

void ImmSetComposing(HWND wnd, bool composing) {
  if (TInputContext* c = ContextOf(wnd)) {
    c->Composing = composing;
    if (!composing) {
      c->Composition.clear();
      c->CursorBytes = 0;
    }
  }
}

void ImmWindowDestroyed(HWND wnd) { Contexts().erase(wnd); }
