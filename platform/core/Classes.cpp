// Base classes: formatting helpers, rectangles, components and TList.
#include "platform/core/Classes.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

AnsiString Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  AnsiString out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), fmt, ap2);
    out.resize(static_cast<size_t>(n));
  }
  va_end(ap2);
  return out;
}

bool IntersectRect(TRect& dst, const TRect& a, const TRect& b) {
  TRect r(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom));
  if (r.IsEmpty()) {
    dst = TRect();
    return false;
  }
  dst = r;
  return true;
}

bool UnionRect(TRect& dst, const TRect& a, const TRect& b) {
  if (a.IsEmpty()) dst = b;
  else if (b.IsEmpty()) dst = a;
  else
    dst = TRect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                std::max(a.Bottom, b.Bottom));
  return !dst.IsEmpty();
}

// ---------------------------------------------------------------------------

void TPersistent::Assign(TPersistent* Source) {
  throw EConvertError("この型のオブジェクトは代入できません");
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  FComponentState << csDestroying;
  // Owned components go first, newest first; each removes itself.
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    delete c;
  }
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::InsertComponent(TComponent* c) {
  if (c->FOwner) c->FOwner->RemoveComponent(c);
  FComponents.push_back(c);
  c->FOwner = this;
}

void TComponent::RemoveComponent(TComponent* c) {
  auto it = std::find(FComponents.begin(), FComponents.end(), c);
  if (it != FComponents.end()) FComponents.erase(it);
  if (c->FOwner == this) c->FOwner = nullptr;
}

void TComponent::Loaded() { FComponentState >> csLoading; }

void TComponent::SetLoadingState(bool loading) {
  if (loading) FComponentState << csLoading;
  else FComponentState >> csLoading;
}

void BeginFormLoad(TComponent* root) {
  root->SetLoadingState(true);
  for (int i = 0; i < root->ComponentCount(); ++i) BeginFormLoad(root->Components(i));
}

void EndFormLoad(TComponent* root) {
  for (int i = 0; i < root->ComponentCount(); ++i) EndFormLoad(root->Components(i));
  root->Loaded();
}

// ---------------------------------------------------------------------------
// TList

TList::~TList() { TList::Clear(); }

void TList::Error(const char* fmt, int data) { throw EListError(Format(fmt, data)); }

void TList::Grow() {
  int cap = Capacity();
  int delta = cap > 64 ? cap / 4 : (cap > 8 ? 16 : 4);
  SetCapacity(cap + delta);
}

int TList::Add(void* item) {
  int index = FCount;
  if (index == Capacity()) Grow();
  FList[static_cast<size_t>(index)] = item;
  ++FCount;
  if (item) Notify(item, lnAdded);
  return index;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > FCount) Error(LibMsg::ListIndexError, index);
  if (FCount == Capacity()) Grow();
  std::move_backward(FList.begin() + index, FList.begin() + FCount, FList.begin() + FCount + 1);
  FList[static_cast<size_t>(index)] = item;
  ++FCount;
  if (item) Notify(item, lnAdded);
}

void TList::Delete(int index) {
  if (index < 0 || index >= FCount) Error(LibMsg::ListIndexError, index);
  void* item = FList[static_cast<size_t>(index)];
  std::move(FList.begin() + index + 1, FList.begin() + FCount, FList.begin() + index);
  --FCount;
  FList[static_cast<size_t>(FCount)] = nullptr;
  if (item) Notify(item, lnDeleted);
}

void TList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

void* TList::Get(int index) const {
  if (index < 0 || index >= FCount) Error(LibMsg::ListIndexError, index);
  return FList[static_cast<size_t>(index)];
}

void TList::Put(int index, void* item) {
  if (index < 0 || index >= FCount) Error(LibMsg::ListIndexError, index);
  void* old = FList[static_cast<size_t>(index)];
  if (old == item) return;
  FList[static_cast<size_t>(index)] = item;
  if (old) Notify(old, lnDeleted);
  if (item) Notify(item, lnAdded);
}

void TList::SetCount(int n) {
  if (n < 0) Error(LibMsg::ListCountError, n);
  if (n > Capacity()) SetCapacity(n);
  if (n > FCount) {
    std::fill(FList.begin() + FCount, FList.begin() + n, nullptr);
    FCount = n;
  } else {
    for (int i = FCount - 1; i >= n; --i) Delete(i);
  }
}

void TList::SetCapacity(int n) {
  if (n < FCount) Error(LibMsg::ListCapacityError, n);
  FList.resize(static_cast<size_t>(n), nullptr);
  if (n == 0) FList.shrink_to_fit();
}
