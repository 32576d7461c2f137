// The row, column and block attribute lists, their records and the attribute
// file, and the point routines of the unit.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "editor/AfeditTypes.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define SANITIZER_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define SANITIZER_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define SANITIZER_POISON(p, n) ((void)(p), (void)(n))
#define SANITIZER_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

// ---------------------------------------------------------------------------
// Point routines.

bool PointInRange(const TPoint& p, const TPoint& start, const TPoint& end) {
  if (start.y == end.y) return p.y == start.y && start.x <= p.x && p.x < end.x;
  return (start.y < p.y && p.y < end.y) || (p.y == start.y && p.x >= start.x) ||
         (p.y == end.y && p.x < end.x);
}

int CountChar(const char* s, char c) {
  int n = 0;
  for (; *s; ++s)
    if (*s == c) ++n;
  return n;
}

// ---------------------------------------------------------------------------
// The 20-byte record, field by field, little endian.

namespace {

void PutLe(unsigned char* p, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint32_t GetLe(const unsigned char* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
  return v;
}

}  // namespace

void AttrItemToBytes(const TAttrListItem& item, unsigned char out[AttrItemFileSize]) {
  PutLe(out + 0, static_cast<std::uint32_t>(item.TextColor), 4);
  PutLe(out + 4, static_cast<std::uint32_t>(item.BackColor), 4);
  PutLe(out + 8, static_cast<std::uint16_t>(item.Indent), 2);
  PutLe(out + 10, static_cast<std::uint16_t>(item.Reserved), 2);
  PutLe(out + 12, static_cast<std::uint16_t>(item.WrapPos), 2);
  out[14] = item.Style.ToBits();
  out[15] = item.Changed;
  PutLe(out + 16, 0, 4);  // the column-list reference means nothing in a file
}

TAttrListItem AttrItemFromBytes(const unsigned char in[AttrItemFileSize]) {
  TAttrListItem item;
  item.TextColor = static_cast<TColor>(GetLe(in + 0, 4));
  item.BackColor = static_cast<TColor>(GetLe(in + 4, 4));
  item.Indent = static_cast<std::int16_t>(GetLe(in + 8, 2));
  item.Reserved = static_cast<std::int16_t>(GetLe(in + 10, 2));
  item.WrapPos = static_cast<std::int16_t>(GetLe(in + 12, 2));
  item.Style = TFontStyles::FromBits(in[14]);
  item.Changed = in[15];
  item.ColAttrs = nullptr;
  return item;
}

// ---------------------------------------------------------------------------
// Shared slot handling.

template <typename Item>
Item* TOwningAttrList<Item>::GetItem(int i) {
  if (i < 0) Error(LibMsg::ListIndexError, i);
  if (Count() < i + 1) TList::SetCount(i + 1);
  auto* item = static_cast<Item*>(Get(i));
  if (!item) {
    item = NewItem(Item());  // value-initialised: every field zero
    List()[i] = item;        // Put would notify about the empty slot
  }
  return item;
}

template <typename Item>
Item* TOwningAttrList<Item>::PeekItem(int i) const {
  if (i < 0 || i >= Count()) return nullptr;
  return static_cast<Item*>(Get(i));
}

template <typename Item>
int TOwningAttrList<Item>::Add(const Item& item) {
  Item* copy = NewItem(item);
  try {
    return TList::Add(copy);
  } catch (...) {
    FreeItem(copy);
    throw;
  }
}

template <typename Item>
void TOwningAttrList<Item>::Insert(int i, const Item& item) {
  Item* copy = NewItem(item);
  try {
    TList::Insert(i, copy);
  } catch (...) {
    FreeItem(copy);
    throw;
  }
}

template <typename Item>
void TOwningAttrList<Item>::Notify(void* item, TListNotification action) {
  if (action == lnDeleted && item) FreeItem(static_cast<Item*>(item));
}

template <typename Item>
void TOwningAttrList<Item>::FreeAllItems() {
  for (int i = 0; i < Count(); ++i) {
    auto* item = static_cast<Item*>(Get(i));
    if (item) {
      List()[i] = nullptr;  // Put would notify, and so free it twice
      FreeItem(item);
    }
  }
  TList::Clear();
}

template <typename Item>
void TOwningAttrList<Item>::RemoveSlot(int i) {
  auto* item = static_cast<Item*>(Get(i));  // raises the index error first
  List()[i] = nullptr;
  TList::Delete(i);
  if (item) FreeItem(item);
}

template class TOwningAttrList<TColAttrListItem>;
template class TOwningAttrList<TBlkAttrListItem>;
template class TOwningAttrList<TAttrListItem>;

// ---------------------------------------------------------------------------
// TColAttrList

TColAttrList::~TColAttrList() { Clear(); }

void TColAttrList::SetCount(int n) {
  if (n < 0) Error(LibMsg::ListCountError, n);
  while (Count() > n) Delete(Count() - 1);
  if (n > Count()) TList::SetCount(n);
}

void TColAttrList::Delete(int i) { RemoveSlot(i); }

void TColAttrList::Clear() { FreeAllItems(); }

// ---------------------------------------------------------------------------
// TBlkAttrList

TBlkAttrList::~TBlkAttrList() { Clear(); }

void TBlkAttrList::SetCount(int n) {
  if (n < 0) Error(LibMsg::ListCountError, n);
  while (Count() > n) Delete(Count() - 1);
  if (n > Count()) TList::SetCount(n);
}

void TBlkAttrList::Delete(int i) {
  auto* item = static_cast<TBlkAttrListItem*>(Get(i));  // raises the index error first
  if (item && FOnDelete) FOnDelete(this, item->StartPos.y, item->EndPos.y);
  RemoveSlot(i);
}

void TBlkAttrList::Clear() { FreeAllItems(); }

bool TBlkAttrList::GetProperty(const TPoint& p, TColor& color, TFontStyles& style) {
  for (int i = 0; i < Count(); ++i) {
    auto* b = PeekItem(i);
    if (b && PointInRange(p, b->StartPos, b->EndPos)) {
      color = b->Color;
      style = b->Style;
      return true;
    }
  }
  return false;
}

int TBlkAttrList::NearestChangePos(const TPoint& p) {
  int result = -10000;
  for (int i = 0; i < Count(); ++i) {
    auto* b = PeekItem(i);
    if (!b) continue;
    if (PointInRange(p, b->StartPos, b->EndPos)) result = 0;
    if (b->StartPos.y == p.y && b->StartPos.x > p.x)
      result = result <= 0 ? b->StartPos.x : Min(result, b->StartPos.x);
    if (b->EndPos.y == p.y && b->EndPos.x > p.x)
      result = result <= 0 ? b->EndPos.x + 1 : Min(result, b->EndPos.x + 1);
  }
  return result;
}

// ---------------------------------------------------------------------------
// TAttrItemPool

namespace {
constexpr std::size_t kFirstPoolBlock = 64;
constexpr std::size_t kLargestPoolBlock = 8192;
}  // namespace

TAttrListItem* TAttrItemPool::New(const TAttrListItem& init) {
  Cell* cell = FFree;
  if (cell) {
    SANITIZER_UNPOISON(cell, sizeof(Cell));
    FFree = cell->Next;
  } else {
    if (FLastUsed == FLastSize) {
      const std::size_t size = FBlocks.empty() ? kFirstPoolBlock : std::min(FLastSize * 2, kLargestPoolBlock);
      FBlocks.push_back(std::make_unique<Cell[]>(size));
      FLastSize = size;
      FLastUsed = 0;
    }
    cell = &FBlocks.back()[FLastUsed++];
  }
  return new (cell->Bytes) TAttrListItem(init);
}

void TAttrItemPool::Free(TAttrListItem* item) noexcept {
  if (!item) return;
  item->~TAttrListItem();
  Cell* cell = reinterpret_cast<Cell*>(item);
  cell->Next = FFree;
  FFree = cell;
  // A record read after it was freed is a fault the sanitizer should see.
  SANITIZER_POISON(cell, sizeof(Cell));
}

void TAttrItemPool::Release() noexcept {
  for (Cell* cell = FFree; cell;) {
    SANITIZER_UNPOISON(cell, sizeof(Cell));
    cell = cell->Next;
  }
  FFree = nullptr;
  FBlocks.clear();
  FLastSize = 0;
  FLastUsed = 0;
}

// ---------------------------------------------------------------------------
// TAttrList

TAttrList::~TAttrList() { Clear(); }

TAttrListItem* TAttrList::NewItem(const TAttrListItem& init) { return FPool.New(init); }

void TAttrList::FreeItem(TAttrListItem* item) {
  delete item->ColAttrs;
  item->ColAttrs = nullptr;
  FPool.Free(item);
}

void TAttrList::SetCount(int n) {
  if (n < 0) Error(LibMsg::ListCountError, n);
  while (Count() > n) Delete(Count() - 1);
  if (n > Count()) TList::SetCount(n);
}

void TAttrList::Delete(int i) { RemoveSlot(i); }

void TAttrList::Clear() {
  FreeAllItems();
  FPool.Release();
}

void TAttrList::SetItem(int i, const TAttrListItem* item) { *GetItem(i) = *item; }

void TAttrList::SaveToFile(const AnsiString& name) {
  TFileStream stream(name, fmCreate);
  SaveToStream(&stream);
}

void TAttrList::SaveToStream(TStream* stream) {
  // All records go out in one write, so a big list costs one system call.
  std::string bytes;
  bytes.reserve(static_cast<size_t>(Count()) * AttrItemFileSize);
  unsigned char record[AttrItemFileSize];
  for (int i = 0; i < Count(); ++i) {
    auto* item = PeekItem(i);
    if (!item) continue;
    AttrItemToBytes(*item, record);
    bytes.append(reinterpret_cast<const char*>(record), AttrItemFileSize);
  }
  if (!bytes.empty()) stream->WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

void TAttrList::loadFromFile(const AnsiString& name) {
  TFileStream stream(name, fmOpenRead | fmShareDenyWrite);
  loadFromStream(&stream);
}

void TAttrList::loadFromStream(TStream* stream) {
  Clear();
  std::int64_t n = (stream->Size() - stream->Position()) / AttrItemFileSize;
  unsigned char record[AttrItemFileSize];
  for (std::int64_t i = 0; i < n; ++i) {
    // A short read ends the load: a partial record is never stored. A
    // failing read is an error, not an end.
    const int got = stream->Read(record, AttrItemFileSize);
    if (got < 0) throw EReadError(LibMsg::ReadError);
    if (got != AttrItemFileSize) break;
    Add(AttrItemFromBytes(record));
  }
}
