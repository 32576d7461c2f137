// Base classes: formatting helpers, rectangles, components and TList.
#include "platform/qt/Classes.h"

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

AnsiString IntToStr(long long value) { return std::to_string(value); }

static bool ParseInt(const AnsiString& s, int& out) {
  size_t i = 0, n = s.size();
  while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
  if (i == n) return false;
  const char* begin = s.c_str() + i;
  char* end = nullptr;
  errno = 0;
  bool hex = s[i] == '$';  // the library's hexadecimal prefix
  const char* digits = hex ? begin + 1 : begin;
  long long v = std::strtoll(digits, &end, hex ? 16 : 10);
  if (end == digits || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0') return false;
  out = static_cast<int>(v);
  return true;
}

int StrToInt(const AnsiString& s) {
  int v = 0;
  if (!ParseInt(s, v)) throw EConvertError(Format(LibMsg::InvalidInteger, s.c_str()));
  return v;
}

int StrToIntDef(const AnsiString& s, int def) {
  int v = 0;
  return ParseInt(s, v) ? v : def;
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

void OffsetRect(TRect& r, int dx, int dy) {
  r.Left += dx;
  r.Right += dx;
  r.Top += dy;
  r.Bottom += dy;
}

void InflateRect(TRect& r, int dx, int dy) {
  r.Left -= dx;
  r.Right += dx;
  r.Top -= dy;
  r.Bottom += dy;
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

TComponent* TComponent::FindComponent(const AnsiString& name) const {
  for (TComponent* c : FComponents)
    if (!name.empty() && c->FName == name) return c;
  return nullptr;
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

void TList::Exchange(int index1, int index2) {
  if (index1 < 0 || index1 >= FCount) Error(LibMsg::ListIndexError, index1);
  if (index2 < 0 || index2 >= FCount) Error(LibMsg::ListIndexError, index2);
  std::swap(FList[static_cast<size_t>(index1)], FList[static_cast<size_t>(index2)]);
}

void TList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  if (newIndex < 0 || newIndex >= FCount) Error(LibMsg::ListIndexError, newIndex);
  void* item = Get(curIndex);
  // Moved without Notify: the item stays in the list.
  FList[static_cast<size_t>(curIndex)] = nullptr;
  std::move(FList.begin() + curIndex + 1, FList.begin() + FCount, FList.begin() + curIndex);
  --FCount;
  std::move_backward(FList.begin() + newIndex, FList.begin() + FCount, FList.begin() + FCount + 1);
  FList[static_cast<size_t>(newIndex)] = item;
  ++FCount;
}

int TList::IndexOf(void* item) const {
  for (int i = 0; i < FCount; ++i)
    if (FList[static_cast<size_t>(i)] == item) return i;
  return -1;
}

int TList::Remove(void* item) {
  int i = IndexOf(item);
  if (i >= 0) Delete(i);
  return i;
}

void* TList::Extract(void* item) {
  int i = IndexOf(item);
  if (i < 0) return nullptr;
  std::move(FList.begin() + i + 1, FList.begin() + FCount, FList.begin() + i);
  --FCount;
  FList[static_cast<size_t>(FCount)] = nullptr;
  if (item) Notify(item, lnExtracted);
  return item;
}

void* TList::First() const { return Get(0); }
void* TList::Last() const { return Get(FCount - 1); }

TList* TList::Expand() {
  if (FCount == Capacity()) Grow();
  return this;
}

void TList::Pack() {
  int j = 0;
  for (int i = 0; i < FCount; ++i)
    if (FList[static_cast<size_t>(i)]) FList[static_cast<size_t>(j++)] = FList[static_cast<size_t>(i)];
  for (int i = j; i < FCount; ++i) FList[static_cast<size_t>(i)] = nullptr;
  FCount = j;
}

void TList::Sort(TListSortCompare compare) {
  if (FCount > 1)
    std::stable_sort(FList.begin(), FList.begin() + FCount, [compare](void* a, void* b) { return compare(a, b) < 0; });
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
