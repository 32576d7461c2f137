// Stands in for the class library's base unit: objects, components, points and
// rectangles, pointer and string lists, streams, the library's exceptions.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/text/AnsiString.h"

// ---------------------------------------------------------------------------
// Exceptions. Messages are UTF-8 text, ready for a message box.

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString msg) : FMessage(std::move(msg)) {}
  const AnsiString& Message() const { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  AnsiString FMessage;
};

#define SORVELAN_EXCEPTION(Name, Base) \
  class Name : public Base {           \
   public:                             \
    using Base::Base;                  \
  };
SORVELAN_EXCEPTION(EListError, Exception)
SORVELAN_EXCEPTION(EStringListError, Exception)
SORVELAN_EXCEPTION(EStreamError, Exception)
SORVELAN_EXCEPTION(EFCreateError, EStreamError)
SORVELAN_EXCEPTION(EFOpenError, EStreamError)
SORVELAN_EXCEPTION(EReadError, EStreamError)
SORVELAN_EXCEPTION(EWriteError, EStreamError)
// The text is in the file, but the disk did not confirm the folder's entry.
SORVELAN_EXCEPTION(EWriteUnconfirmed, EWriteError)
SORVELAN_EXCEPTION(EOutOfResources, Exception)
SORVELAN_EXCEPTION(EResNotFound, Exception)
SORVELAN_EXCEPTION(EInvalidOperation, Exception)
SORVELAN_EXCEPTION(EInvalidCast, Exception)
SORVELAN_EXCEPTION(EConvertError, Exception)
SORVELAN_EXCEPTION(EInvalidGraphic, Exception)
#undef SORVELAN_EXCEPTION

// The library's message texts (printf forms).
namespace LibMsg {
inline constexpr const char* ListIndexError = "リストのインデックスが範囲を超えています (%d)";
inline constexpr const char* ListCapacityError = "リストの容量が範囲を超えています (%d)";
inline constexpr const char* ListCountError = "リストの要素数が範囲を超えています (%d)";
inline constexpr const char* FOpenError = "ファイル %s は開けません";
inline constexpr const char* FCreateError = "ファイル %s を作成できません";
inline constexpr const char* ReadError = "ストリームの読み込みエラー";
inline constexpr const char* WriteError = "ストリームの書き込みエラー";
inline constexpr const char* WriteUnconfirmed =
    "ファイル %s に書き込みましたが、ディスクへの書き込みを確認できません";
inline constexpr const char* WriteErrorCopyKept = "ストリームの書き込みエラー (元の内容は %s に残してあります)";
inline constexpr const char* ResNotFound = "リソース %s が見つかりません";
inline constexpr const char* InvalidCast = "無効な型キャストです";
}  // namespace LibMsg

// printf-style formatting into a string (for the library's own messages; never
// pass a caller's text as the format).
AnsiString Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// ---------------------------------------------------------------------------
// Points and rectangles. Right and Bottom are exclusive, as in GDI.

struct TPoint {
  int x = 0, y = 0;
  TPoint() = default;
  TPoint(int ax, int ay) : x(ax), y(ay) {}
  bool operator==(const TPoint&) const = default;
};

struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  TRect() = default;
  TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
  TRect(const TPoint& tl, const TPoint& br) : Left(tl.x), Top(tl.y), Right(br.x), Bottom(br.y) {}
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool operator==(const TRect&) const = default;
};

inline TPoint Point(int x, int y) { return TPoint(x, y); }
inline TRect Rect(int l, int t, int r, int b) { return TRect(l, t, r, b); }
inline TRect Bounds(int l, int t, int w, int h) { return TRect(l, t, l + w, t + h); }
inline bool PtInRect(const TRect& r, const TPoint& p) {
  return p.x >= r.Left && p.x < r.Right && p.y >= r.Top && p.y < r.Bottom;
}
bool IntersectRect(TRect& dst, const TRect& a, const TRect& b);  // false (and dst empty) when disjoint
bool UnionRect(TRect& dst, const TRect& a, const TRect& b);

// ---------------------------------------------------------------------------
// Small bit sets of enumerations (bit n = member n), as the library's sets.

template <typename E, typename Bits = uint32_t>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) FBits |= bit(e);
  }
  static constexpr TSet FromBits(Bits b) { TSet s; s.FBits = b; return s; }
  constexpr Bits ToBits() const { return FBits; }
  constexpr bool Contains(E e) const { return (FBits & bit(e)) != 0; }
  constexpr TSet& operator<<(E e) { FBits |= bit(e); return *this; }  // include
  constexpr TSet& operator>>(E e) { FBits &= ~bit(e); return *this; }  // exclude
  constexpr TSet operator+(const TSet& o) const { return FromBits(FBits | o.FBits); }
  constexpr TSet operator-(const TSet& o) const { return FromBits(FBits & ~o.FBits); }
  constexpr TSet operator*(const TSet& o) const { return FromBits(FBits & o.FBits); }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr bool operator==(const TSet&) const = default;

 private:
  static constexpr Bits bit(E e) { return Bits(1) << static_cast<int>(e); }
  Bits FBits = 0;
};

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem, uint8_t>;

// ---------------------------------------------------------------------------
// Objects and components.

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TPersistent : public TObject {
 public:
  // Copies the state of another object of a compatible class; the base throws
  // EConvertError ("cannot assign").
  virtual void Assign(TPersistent* Source);
};

enum TComponentStateItem { csLoading, csReading, csWriting, csDestroying, csDesigning };
using TComponentState = TSet<TComponentStateItem, uint16_t>;

// A component belongs to its Owner, which frees it in its own destructor.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  const AnsiString& GetName() const { return FName; }
  void SetName(const AnsiString& n) { FName = n; }
  intptr_t GetTag() const { return FTag; }
  void SetTag(intptr_t t) { FTag = t; }
  TComponentState ComponentState() const { return FComponentState; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int i) const { return FComponents.at(i); }

  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);

  // Form loading: the reader sets csLoading, assigns the stored properties,
  // then calls Loaded, which clears csLoading. A form built in code does the
  // same with BeginFormLoad / EndFormLoad (see below).
  virtual void Loaded();
  void SetLoadingState(bool loading);  // csLoading on or off, without Loaded

 protected:
  TComponentState FComponentState;

 private:
  TComponent* FOwner = nullptr;
  AnsiString FName;
  intptr_t FTag = 0;
  std::vector<TComponent*> FComponents;
};

// Marks root and every component it owns (recursively) as loading.
void BeginFormLoad(TComponent* root);
// Calls Loaded on every owned component (depth first, in creation order) and
// then on root, as a form reader does after the properties are set.
void EndFormLoad(TComponent* root);

// ---------------------------------------------------------------------------
// TList: a growable list of pointer slots. It does not own what the slots
// point to. Index errors throw EListError with the library's message.
// Derived lists that own their items override the virtual Clear (and Notify,
// which Delete and a shrinking SetCount call with lnDeleted), and call Clear
// in their own destructor: ~TList runs TList::Clear only, never an override.

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

class TList : public TObject {
 public:
  TList() = default;
  ~TList() override;

  int Add(void* item);  // returns its index
  void Insert(int index, void* item);
  void Delete(int index);  // Notify(item, lnDeleted) if item is not null
  virtual void Clear();    // SetCount(0), SetCapacity(0)

  void* Get(int index) const;
  void Put(int index, void* item);
  void* operator[](int index) const { return Get(index); }
  void** List() { return FList.data(); }

  int Count() const { return FCount; }
  void SetCount(int n);  // grows with null slots; shrinks by Delete from the end
  int Capacity() const { return static_cast<int>(FList.size()); }
  void SetCapacity(int n);  // below Count throws EListError

  static void Error(const char* fmt, int data);  // throws EListError

 protected:
  virtual void Notify(void* item, TListNotification action) {}
  virtual void Grow();  // the library's step: 4, 16, then a quarter

 private:
  std::vector<void*> FList;  // size() is the capacity
  int FCount = 0;
};

// ---------------------------------------------------------------------------
// Streams. Positions and sizes are 64-bit. Read/Write return byte counts;
// ReadBuffer/WriteBuffer throw EReadError/EWriteError on a short transfer.

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream : public TObject {
 public:
  virtual int Read(void* buffer, int count) = 0;
  virtual int Write(const void* buffer, int count) = 0;
  virtual int64_t Seek(int64_t offset, int origin) = 0;

  void ReadBuffer(void* buffer, int count);
  void WriteBuffer(const void* buffer, int count);

  int64_t GetPosition() { return Seek(0, soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
  virtual int64_t GetSize();
  virtual void SetSize(int64_t newSize) {}
  int64_t Position() { return GetPosition(); }
  int64_t Size() { return GetSize(); }
};

// File open modes (fmCreate creates or empties the file). The share bits are
// accepted and not enforced on Linux.
inline constexpr unsigned short fmCreate = 0xFFFF;
inline constexpr unsigned short fmOpenRead = 0x0000;
inline constexpr unsigned short fmOpenWrite = 0x0001;
inline constexpr unsigned short fmOpenReadWrite = 0x0002;
inline constexpr unsigned short fmShareDenyWrite = 0x0020;

// A stream over an open file descriptor (not closed by this class).
class THandleStream : public TStream {
 public:
  explicit THandleStream(int handle) : FHandle(handle) {}
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  int64_t Seek(int64_t offset, int origin) override;
  void SetSize(int64_t newSize) override;
  int GetHandle() const { return FHandle; }

 protected:
  int FHandle;
};

// File names are file-system bytes (UTF-8 on Linux), passed to open() as they
// are. Opening fails with EFOpenError, creating with EFCreateError.
class TFileStream : public THandleStream {
 public:
  TFileStream(const AnsiString& fileName, unsigned short mode);
  ~TFileStream() override;
  const AnsiString& FileName() const { return FFileName; }

 private:
  AnsiString FFileName;
};

// A file's new content, gathered in memory and saved by Commit. The file
// keeps being what it was: a symbolic link is followed to the file it names
// (a dangling one too: that file is created), and an existing file keeps
// its hard links, owner, group, mode, ACL, extended attributes and file
// flags. Links are followed one name of the path at a time; a link in a
// sticky folder that everyone may write, met anywhere on the way (inside
// another link's text too), is followed only when it is the user's own or
// the folder owner's, and a link of /proc that shows a removed file's name
// is refused. Whether a file can be saved is its own permission: the
// constructor opens an existing file for writing, or where there is none
// makes a fresh file "<name>.~<pid>.<n>.part" beside the name, which takes
// the name at Commit; a file that cannot be opened, or is no regular file,
// is refused with EFCreateError naming fileName. Commit follows the name
// again, and where it now leads to another file or none, saves to that by
// the same rules (a folder there is refused); the owner, group and mode are
// taken as they are then. It either puts a fresh file in the old one's
// place by rename (only when the fresh file can take everything the old one
// had, taken again where the file changed while the text was written), or
// writes into the file itself after keeping the old bytes in a safety copy
// (beside the file, in the user's own cache folder or a temporary folder; a
// file system in memory last), and puts them back when the write fails or
// the name led elsewhere by its end. Either way the text is flushed to the
// disk, the folder's entry included (by flushing the file system where the
// folder cannot be read), before Commit returns. A failure raises
// EWriteError with the old file as it was (ESafetyCopyKept when even the
// old bytes could not be put back; EWriteUnconfirmed when the name holds
// the text but the flush failed). A stream destroyed without Commit removes
// a file it created and
// changes nothing else. A save killed part way may leave "<name>.~<pid>.<n>.part"
// (an unfinished new text) or "<name>.~<pid>.<n>.old" (the whole old text),
// the name cut short where the whole would be too long.
class TFileSaveStream : public TStream {
 public:
  explicit TFileSaveStream(const AnsiString& fileName);
  ~TFileSaveStream() override;
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  int64_t Seek(int64_t offset, int origin) override;
  void SetSize(int64_t newSize) override;
  int64_t GetSize() override { return static_cast<int64_t>(FData.size()); }
  void Commit();

 private:
  class TTarget;  // the file being saved, open from the constructor on
  std::unique_ptr<TTarget> FTarget;
  std::string FData;
  int64_t FPosition = 0;
};

// A save whose write failed and whose old bytes could not be put back: they
// are in the safety copy at CopyPath(), which stays.
class ESafetyCopyKept : public EWriteError {
 public:
  explicit ESafetyCopyKept(const AnsiString& copyPath);
  const AnsiString& CopyPath() const { return FCopyPath; }

 private:
  AnsiString FCopyPath;
};

// A process over its file size limit is sent SIGXFSZ, which ends it; ignored,
// the write that passes the limit fails as any other write does. Called once
// at start-up.
void IgnoreFileSizeSignal();

// A memory stream whose data is a string.
class TStringStream : public TStream {
 public:
  explicit TStringStream(const AnsiString& data = AnsiString()) : FData(data) {}
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  int64_t Seek(int64_t offset, int origin) override;
  void SetSize(int64_t newSize) override;
  int64_t GetSize() override { return static_cast<int64_t>(FData.size()); }
  const AnsiString& DataString() const { return FData; }

 private:
  AnsiString FData;
  int64_t FPosition = 0;
};

// ---------------------------------------------------------------------------
// TStrings / TStringList: strings of code page 932 bytes, each with an object
// slot the list does not own. Text joins the strings with CR LF after each.

class TStrings : public TPersistent {
 public:
  virtual const AnsiString& Get(int index) const = 0;
  virtual void Put(int index, const AnsiString& s);
  virtual TObject* GetObject(int index) const = 0;
  virtual void PutObject(int index, TObject* obj) = 0;
  virtual int GetCount() const = 0;
  virtual void Clear() = 0;
  virtual void Delete(int index) = 0;
  virtual void Insert(int index, const AnsiString& s) = 0;
  virtual void InsertObject(int index, const AnsiString& s, TObject* obj);
  virtual int Add(const AnsiString& s);
  virtual int GetCapacity() const { return GetCount(); }
  virtual void SetCapacity(int n) {}
  virtual AnsiString GetText() const;
  virtual void SetText(const AnsiString& text);  // splits at CR LF, LF or CR

  void Assign(TPersistent* source) override;  // from another TStrings
  void AddStrings(TStrings* strings);

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  void LoadFromStream(TStream* stream);
  void LoadFromFile(const AnsiString& fileName);
  void SaveToStream(TStream* stream) const;
  void SaveToFile(const AnsiString& fileName) const;

  // Property forms.
  const AnsiString& Strings(int index) const { return Get(index); }
  const AnsiString& operator[](int index) const { return Get(index); }
  int Count() const { return GetCount(); }
  int Capacity() const { return GetCapacity(); }
  AnsiString Text() const { return GetText(); }

 protected:
  virtual void SetUpdateState(bool updating) {}

 private:
  int FUpdateCount = 0;
};

class TStringList : public TStrings {
 public:
  TStringList() = default;
  ~TStringList() override;

  const AnsiString& Get(int index) const override;
  void Put(int index, const AnsiString& s) override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* obj) override;
  int GetCount() const override { return static_cast<int>(FItems.size()); }
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const AnsiString& s) override;
  void InsertObject(int index, const AnsiString& s, TObject* obj) override;
  int GetCapacity() const override { return static_cast<int>(FItems.capacity()); }
  void SetCapacity(int n) override;  // below Count throws EStringListError
  void SetText(const AnsiString& text) override;

  // Fired after every change; while updating, only once at EndUpdate.
  TNotifyEvent OnChange;

 protected:
  void SetUpdateState(bool updating) override;
  void Changed();

 private:
  struct Item {
    AnsiString s;
    TObject* obj = nullptr;
  };
  void CheckIndex(int index) const;
  std::vector<Item> FItems;
};
