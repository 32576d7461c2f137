// Row model of the editor control: the attribute records of rows, character
// columns and blocks, the three owning lists that hold them, the edit kinds
// handed to the attribute bookkeeping, the point routines of the unit, and a
// scope guard for the update mode of the row list.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/qt/Graphics.h"
#include "platform/text/AnsiString.h"

// ---------------------------------------------------------------------------
// Point routines of the unit. Text points are (x column, y row) and ordered
// row first, then column.

inline int Max(int a, int b) { return a > b ? a : b; }
inline int Min(int a, int b) { return a < b ? a : b; }

// True when a comes strictly before b in row-major order.
inline bool PointBefore(const TPoint& a, const TPoint& b) {
  return a.y < b.y || (a.y == b.y && a.x < b.x);
}
inline TPoint PointMin(const TPoint& a, const TPoint& b) { return PointBefore(a, b) ? a : b; }
inline TPoint PointMax(const TPoint& a, const TPoint& b) { return PointBefore(a, b) ? b : a; }

// True when p lies in [start, end): the end point itself is outside, and an
// empty range holds nothing.
bool PointInRange(const TPoint& p, const TPoint& start, const TPoint& end);

// Number of bytes of the zero-terminated string s equal to c.
int CountChar(const char* s, char c);

// Holds a string list in update mode for the length of a scope.
class TStringsUpdate {
 public:
  explicit TStringsUpdate(TStrings* list) : FList(list) { FList->BeginUpdate(); }
  ~TStringsUpdate() { FList->EndUpdate(); }
  TStringsUpdate(const TStringsUpdate&) = delete;
  TStringsUpdate& operator=(const TStringsUpdate&) = delete;

 private:
  TStrings* FList;
};

// ---------------------------------------------------------------------------
// Kind of edit handed to the attribute bookkeeping.
enum TEditMode : std::uint8_t { emInsert = 0, emAdd = 1, emDelete = 2, emChange = 3 };

class TColAttrList;

// The attribute record of one row. In a file it is 20 bytes, little endian:
// TextColor 0-3, BackColor 4-7, Indent 8-9, Reserved 10-11, WrapPos 12-13,
// Style 14, Changed 15, and 16-19 where memory holds the ColAttrs reference
// (written as zero, ignored on reading). It is always serialised field by
// field (AttrItemToBytes / AttrItemFromBytes), never copied as a struct.
//
// Ownership of ColAttrs: only the record stored for a row in its TAttrList
// owns the list it refers to. Every copy (a caller's record, an undo record,
// the private row clipboard, a file record) owns nothing, and any record
// stored into a row has its ColAttrs cleared first.
//
// TRowAttrFields holds the fields every copy keeps; the undo records keep
// only these.
struct TRowAttrFields {
  TColor TextColor = 0;
  TColor BackColor = 0;
  std::int16_t Indent = 0;
  std::int16_t Reserved = 0;
  std::int16_t WrapPos = 0;
  TFontStyles Style;         // bit 0 bold, 1 italic, 2 underline, 3 strike-out
  std::uint8_t Changed = 0;  // 1 = the row must be repainted
};

struct TAttrListItem : TRowAttrFields {
  TColAttrList* ColAttrs = nullptr;
};

constexpr int AttrItemFileSize = 20;

// Writes the 20 file bytes of item into out.
void AttrItemToBytes(const TAttrListItem& item, unsigned char out[AttrItemFileSize]);
// Reads a record from 20 file bytes; its ColAttrs is null.
TAttrListItem AttrItemFromBytes(const unsigned char in[AttrItemFileSize]);

// The attribute of one character column of a row.
struct TColAttrListItem {
  TColor Color = 0;
  TFontStyles Style;
  std::uint8_t HasAttr = 0;  // non-zero = this column carries an attribute
};

// One block attribute, covering [StartPos, EndPos) of the text.
struct TBlkAttrListItem {
  TPoint StartPos{0, 0};
  TPoint EndPos{0, 0};
  TColor Color = 0;
  TFontStyles Style;
};

using TBlkAttrDeleteEvent = std::function<void(TObject* Sender, int AStartRow, int AEndRow)>;

// ---------------------------------------------------------------------------
// The three owning lists. Each slot holds a heap record of the list's item
// type or null; Count counts slots, null or not. Reading an item at or past
// the end (GetItem) lengthens the list and yields a zero-filled record. Each
// list frees its items on Delete, on a shrinking SetCount, on Clear and in its
// own destructor (the base destructor never reaches a derived Clear).

// Slot handling shared by the three lists; Item is the record type.
template <typename Item>
class TOwningAttrList : public TList {
 public:
  TOwningAttrList() = default;

  // Item i, created zero-filled when the slot is null or past the end. A
  // negative index raises the list's index error.
  Item* GetItem(int i);
  // The record in slot i without creating it: null for an empty slot or an
  // index outside the list.
  Item* PeekItem(int i) const;
  int Add(const Item& item);
  void Insert(int i, const Item& item);

 protected:
  virtual Item* NewItem(const Item& init) { return new Item(init); }
  virtual void FreeItem(Item* item) { delete item; }
  // A slot removed by the base list's own Delete or SetCount still frees its
  // record.
  void Notify(void* item, TListNotification action) override;
  // Frees every record, then empties the list.
  void FreeAllItems();
  // Frees the record of slot i and removes the slot.
  void RemoveSlot(int i);
};

class TColAttrList : public TOwningAttrList<TColAttrListItem> {
 public:
  ~TColAttrList() override;
  void SetCount(int n);
  void Delete(int i);
  void Clear() override;
};

class TBlkAttrList : public TOwningAttrList<TBlkAttrListItem> {
 public:
  ~TBlkAttrList() override;
  // A smaller n deletes the items past it through Delete, last first.
  void SetCount(int n);
  // Fires FOnDelete (Sender = the list, the block's start and end rows)
  // before it frees the block.
  void Delete(int i);
  // Frees every block; fires nothing.
  void Clear() override;
  // Colour and style of the first block that holds p; false (outputs
  // untouched) when none does.
  bool GetProperty(const TPoint& p, TColor& color, TFontStyles& style);
  // Where the drawing of p's row starts a new run: the nearest column right
  // of p at which a block starts or ends (end + 1); -10000 none, 0 inside a
  // block with nothing after it.
  int NearestChangePos(const TPoint& p);

  TBlkAttrDeleteEvent FOnDelete;
};

// Storage of row records: blocks of records, so that a record costs its own
// size and the records of neighbouring rows lie together. A freed record is
// kept for reuse; the blocks go back when every record is freed (Release).
class TAttrItemPool {
 public:
  TAttrItemPool() = default;
  ~TAttrItemPool() { Release(); }
  TAttrItemPool(const TAttrItemPool&) = delete;
  TAttrItemPool& operator=(const TAttrItemPool&) = delete;

  TAttrListItem* New(const TAttrListItem& init);
  void Free(TAttrListItem* item) noexcept;
  // Gives every block back; no record of the pool may be in use.
  void Release() noexcept;

 private:
  union Cell {
    Cell* Next;  // while the cell is free
    unsigned char Bytes[sizeof(TAttrListItem)];
  };
  static_assert(alignof(Cell) >= alignof(TAttrListItem));
  std::vector<std::unique_ptr<Cell[]>> FBlocks;
  std::size_t FLastSize = 0;  // cells of the newest block
  std::size_t FLastUsed = 0;  // cells of it handed out at least once
  Cell* FFree = nullptr;
};

class TAttrList : public TOwningAttrList<TAttrListItem> {
 public:
  ~TAttrList() override;
  void SetCount(int n);
  // Frees the item and the column list it owns, then removes the slot.
  void Delete(int i);
  void Clear() override;
  // Copies the record over item i (created if needed), ColAttrs included; a
  // list the old record referred to is not freed, so callers store records
  // whose ColAttrs is null into items that have none.
  void SetItem(int i, const TAttrListItem* item);

  // The attribute file: one 20-byte record per non-null item, nothing else.
  void loadFromFile(const AnsiString& name);
  void loadFromStream(TStream* stream);
  void SaveToFile(const AnsiString& name);
  void SaveToStream(TStream* stream);

 protected:
  TAttrListItem* NewItem(const TAttrListItem& init) override;
  void FreeItem(TAttrListItem* item) override;

 private:
  TAttrItemPool FPool;
};

extern template class TOwningAttrList<TColAttrListItem>;
extern template class TOwningAttrList<TBlkAttrListItem>;
extern template class TOwningAttrList<TAttrListItem>;
