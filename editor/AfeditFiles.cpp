// Text and raw files. The text format is plain code page 932 whose line ends
// (CR, LF, CR LF or LF CR on reading, CR LF on writing) map to the rows' CR;
// the raw format is the control's own and keeps rows, soft wraps and row
// attributes exactly:
//   0  int32 total size   4  int32 attribute offset   8  int32 row count N
//   12 256 zero bytes     268 the N rows, each followed by LF
//   attribute offset: one 20-byte row record per item of the attribute list
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "editor/Afedit.h"

namespace {

constexpr int kBlockSize = 65536;  // read block, and the longest piece of a line without a line end

// Lines of a text stream, read in blocks. A line ends at CR, LF, CR LF or LF
// CR (also when the pair straddles two blocks) and is delivered with a
// single CR; a NUL ends the data; a line longer than one block is delivered
// in pieces of at most kBlockSize bytes without CR, never splitting a
// double-byte character.
class TextLineReader {
 public:
  explicit TextLineReader(TStream* stream) : FStream(stream), FBuf(kBlockSize) {}

  bool Next(AnsiString& line) {
    line.swap(FPending);
    FPending.clear();
    if (FEnded) return !line.empty();
    for (;;) {
      if (FPos == FLen && !Fill()) {
        FEnded = true;
        return !line.empty();
      }
      const size_t room = kBlockSize - line.size();
      const size_t scanEnd = FPos + Min(static_cast<int>(room), static_cast<int>(FLen - FPos));
      size_t i = FPos;
      while (i < scanEnd && FBuf[i] != '\r' && FBuf[i] != '\n' && FBuf[i] != '\0') ++i;
      // A row is kept as read: one buffer of its exact size, the CR included.
      if (i < scanEnd) line.reserve(line.size() + (i - FPos) + 1);
      line.append(FBuf.data() + FPos, i - FPos);
      FPos = i;
      if (i < scanEnd) {
        const char ch = FBuf[i];
        ++FPos;
        if (ch == '\0') {
          FNulAt = FBlockStart + static_cast<std::int64_t>(i);
          FEnded = true;
          return !line.empty();
        }
        line += '\r';
        // The second byte of a CR LF or LF CR pair may open the next block.
        if (FPos == FLen) Fill();
        const char pair = ch == '\r' ? '\n' : '\r';
        if (FPos < FLen && FBuf[FPos] == pair) ++FPos;
        return true;
      }
      if (line.size() >= static_cast<size_t>(kBlockSize)) {
        KeepCharacterWhole(line);
        return true;
      }
    }
  }

  // Where a NUL ended the data, counted in bytes from the reader's start;
  // -1 when none did.
  std::int64_t NulAt() const { return FNulAt; }

 private:
  // Reads the next block; false at the end of the stream. A failing read is
  // an error, not an end: a partly read text must not pass for the whole.
  // Only a read that gives nothing is the end; a short block is not, so an
  // error after it still comes to light with the next read.
  bool Fill() {
    FBlockStart += static_cast<std::int64_t>(FLen);
    FPos = 0;
    FLen = 0;
    if (FAtEof) return false;
    const int got = FStream->Read(FBuf.data(), kBlockSize);
    if (got < 0) throw EReadError(LibMsg::ReadError);
    if (got == 0) FAtEof = true;
    FLen = static_cast<size_t>(got);
    return got > 0;
  }

  // A piece that ends with the lead byte of a character whose trail byte
  // follows in the stream gives that lead byte to the next piece.
  void KeepCharacterWhole(AnsiString& piece) {
    size_t i = 0;
    while (i + 1 < piece.size()) i += static_cast<size_t>(Cp932CharLen(piece, static_cast<int>(i)));
    if (i != piece.size() - 1 || !cp932::IsLeadByte(static_cast<unsigned char>(piece.back()))) return;
    if (FPos == FLen && !Fill()) return;
    if (!cp932::IsTrailByte(static_cast<unsigned char>(FBuf[FPos]))) return;
    FPending.assign(1, piece.back());
    piece.pop_back();
  }

  TStream* FStream;
  std::vector<char> FBuf;
  size_t FPos = 0;
  size_t FLen = 0;
  bool FAtEof = false;
  bool FEnded = false;
  AnsiString FPending;  // bytes that open the next line
  std::int64_t FBlockStart = 0;  // stream bytes before the current block
  std::int64_t FNulAt = -1;
};

// Reads up to count bytes; fewer only at the end of the stream. A failing
// read raises EReadError.
std::int64_t ReadFully(TStream* stream, char* buffer, std::int64_t count) {
  std::int64_t done = 0;
  while (done < count) {
    const int want = static_cast<int>(std::min<std::int64_t>(count - done, 1 << 30));
    const int got = stream->Read(buffer + done, want);
    if (got < 0) throw EReadError(LibMsg::ReadError);
    if (got == 0) break;
    done += got;
  }
  return done;
}

std::int32_t GetLe32(const unsigned char* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                   static_cast<std::uint32_t>(p[2]) << 16 |
                                   static_cast<std::uint32_t>(p[3]) << 24);
}

void PutLe32(unsigned char* p, std::int64_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  p[0] = static_cast<unsigned char>(u);
  p[1] = static_cast<unsigned char>(u >> 8);
  p[2] = static_cast<unsigned char>(u >> 16);
  p[3] = static_cast<unsigned char>(u >> 24);
}

// Collects output and hands it to the stream in large writes; a short write
// raises the library's write error.
class BlockWriter {
 public:
  explicit BlockWriter(TStream* stream) : FStream(stream) { FBuf.reserve(kBlockSize * 2); }
  void Put(const char* p, size_t n) {
    FBuf.append(p, n);
    if (FBuf.size() >= static_cast<size_t>(kBlockSize)) Flush();
  }
  void Put(const AnsiString& s) { Put(s.data(), s.size()); }
  void Flush() {
    if (!FBuf.empty()) FStream->WriteBuffer(FBuf.data(), static_cast<int>(FBuf.size()));
    FBuf.clear();
  }

 private:
  TStream* FStream;
  AnsiString FBuf;
};

}  // namespace

void TCustomAFEdit::LoadFromStream(TStream* stream, TConvMode mode) {
  // The rows are read into fresh lists and take the place of the text only
  // once the whole stream is read: a failed read leaves the control as it was.
  auto freshLines = std::make_unique<TStringList>();
  auto freshAttrs = std::make_unique<TAttrList>();
  TStringList* const oldLines = std::exchange(FLines, freshLines.get());
  TAttrList* const oldAttrs = std::exchange(FLinesAttr, freshAttrs.get());
  const int oldMaxRowLen = std::exchange(FMaxRowLen, 0);
  FLoadNulAt = -1;
  try {
    if (mode.Contains(cmRaw))
      LoadRawRows(stream);
    else
      LoadTextRows(stream, mode);
  } catch (...) {
    FLines = oldLines;
    FLinesAttr = oldAttrs;
    FMaxRowLen = oldMaxRowLen;
    FLoadNulAt = -1;
    throw;
  }

  // 1. Empty the control, then give it the rows read.
  const int loadedMaxRowLen = FMaxRowLen;
  FLines = oldLines;
  FLinesAttr = oldAttrs;
  EmptyText(false);
  delete std::exchange(FLines, freshLines.release());
  delete std::exchange(FLinesAttr, freshAttrs.release());
  FMaxRowLen = loadedMaxRowLen;

  LoadFinished(mode);
}

void TCustomAFEdit::LoadFinished(TConvMode mode) {
  // 4. The text ends with a row after its last CR.
  if (FLines->Count() == 0 || isCrLine(FLines->Count() - 1)) AddLine("");

  // 5. Refold every paragraph once (FoldLine runs to the paragraph's end).
  if (mode.Contains(cmFoldLine)) {
    for (int r = 0; r < FLines->Count(); ++r) {
      FoldLine(r);
      while (r < FLines->Count() - 1 && !isCrLine(r)) ++r;
    }
  }

  // 6. What the load did cannot be undone.
  FUndoBuff->Reset();
  if (OnUndoChange) OnUndoChange(this, false, false);
  FUndoGroup = 0;
  FCaret = TPoint(0, 0);
  Paint();
  SetCaretPosition();
  SetScrollBars(FScrollBars);
}

// Rows of the text format; each gets a copy of one fresh attribute record.
void TCustomAFEdit::LoadTextRows(TStream* stream, TConvMode mode) {
  const TAttrListItem attr = MakeAttr(true, 0, FDefWrapPos);
  const std::int64_t size = stream->GetSize();
  const int expected = static_cast<int>(std::clamp<std::int64_t>(size / 30, 0, std::numeric_limits<int>::max()));
  TStringsUpdate update(FLines);
  FLines->SetCapacity(expected);
  FLinesAttr->SetCapacity(expected);
  TextLineReader reader(stream);
  AnsiString line;
  const bool tabToSp = mode.Contains(cmTabToSp);
  while (reader.Next(line)) {
    if (tabToSp)
      FLines->Add(TabExpand(line, true));
    else
      FLines->Add(line);
    FLinesAttr->Add(attr);
    NoteRowWidth(line);
  }
  FLoadNulAt = reader.NulAt();

  if (mode.Contains(cmTabToIndent)) {
    // Leading tabs become the indent (the last byte of a row is not counted),
    // held between 0 and the room left before the wrap column.
    const int tab = Max(FTabSize, 1);
    for (int r = 0; r < FLines->Count(); ++r) {
      const AnsiString& text = FLines->Get(r);
      size_t t = 0;
      while (t + 1 < text.size() && text[t] == '\t') ++t;
      TAttrListItem* a = GetLinesAttr(r);
      const long long byTabs = static_cast<long long>(t) * tab;
      const long long room = static_cast<long long>(a->WrapPos) - 8;
      const long long indent = std::max(0LL, std::min({byTabs, room, 32767LL}));
      if (t > 0) FLines->Put(r, text.substr(t));
      a->Indent = static_cast<std::int16_t>(indent);
      a->Changed = 1;
    }
  }
}

// Rows and row records of the raw format. A file whose header does not fit
// the stream (total size, row count, attribute offset, record count, the
// rows' line ends) loads nothing.
void TCustomAFEdit::LoadRawRows(TStream* stream) {
  const std::int64_t start = stream->GetPosition();
  const std::int64_t size = stream->GetSize();
  if (start < 0 || size - start < RawFileHeaderSize) return;
  unsigned char header[RawFileHeaderSize];
  if (ReadFully(stream, reinterpret_cast<char*>(header), RawFileHeaderSize) != RawFileHeaderSize) return;
  const std::int64_t total = GetLe32(header + 0);
  const std::int64_t attrOffset = GetLe32(header + 4);
  const std::int64_t rows = GetLe32(header + 8);
  const std::int64_t textStart = start + RawFileHeaderSize;
  if (total != size || rows < 0 || attrOffset < textStart || attrOffset > size) return;
  const std::int64_t textBytes = attrOffset - textStart;
  const std::int64_t recordBytes = size - attrOffset;
  if (rows > textBytes || recordBytes % AttrItemFileSize != 0 || recordBytes / AttrItemFileSize < rows) return;

  // The N rows, each ended by LF, fill the text block exactly.
  AnsiString text(static_cast<size_t>(textBytes), '\0');
  if (ReadFully(stream, text.data(), textBytes) != textBytes) return;
  std::int64_t lineEnds = 0;
  for (char ch : text)
    if (ch == '\n') ++lineEnds;
  if (lineEnds != rows || (textBytes > 0 && text.back() != '\n')) return;
  AnsiString records(static_cast<size_t>(rows * AttrItemFileSize), '\0');
  if (ReadFully(stream, records.data(), static_cast<std::int64_t>(records.size())) !=
      static_cast<std::int64_t>(records.size()))
    return;

  TStringsUpdate update(FLines);
  FLines->SetCapacity(static_cast<int>(rows));
  FLinesAttr->SetCapacity(static_cast<int>(rows));
  size_t from = 0;
  for (std::int64_t i = 0; i < rows; ++i) {
    const size_t lf = text.find('\n', from);
    FLines->Add(text.substr(from, lf - from));
    NoteRowWidth(FLines->Get(FLines->Count() - 1));
    from = lf + 1;
    FLinesAttr->Add(AttrItemFromBytes(
        reinterpret_cast<const unsigned char*>(records.data()) + i * AttrItemFileSize));
  }
}

void TCustomAFEdit::LoadFromFile(AnsiString name, TConvMode mode) {
  // Opening fails before anything of the control changes.
  TFileStream stream(name, fmOpenRead);
  LoadFromStream(&stream, mode);
}

void TCustomAFEdit::LoadFromEdit(TCustomAFEdit* source) {
  EmptyText(false);
  // Each row gets this control's own fresh record, as LoadTextRows gives it.
  const TAttrListItem attr = MakeAttr(true, 0, FDefWrapPos);
  const int rows = source->FLines->Count();
  {
    TStringsUpdate update(FLines);
    FLines->SetCapacity(rows);
    FLinesAttr->SetCapacity(rows);
    for (int r = 0; r < rows; ++r) {
      const AnsiString& text = source->FLines->Get(r);
      FLines->Add(text);
      FLinesAttr->Add(attr);
      NoteRowWidth(text);
    }
  }
  LoadFinished(TConvMode());
}

void TCustomAFEdit::SaveToStream(TStream* stream, TConvMode mode) {
  const bool raw = mode.Contains(cmRaw);
  const int rows = FLines->Count();
  if (raw) stream->Seek(RawFileHeaderSize, soBeginning);

  BlockWriter out(stream);
  const int tab = Max(FTabSize, 1);
  const bool indentToTab = mode.Contains(cmIndentToTab);
  const bool indentToSp = mode.Contains(cmIndentToSp);
  const bool tabToSp = mode.Contains(cmTabToSp);
  const bool foldToCr = mode.Contains(cmFoldToCr);
  bool paragraphStart = true;
  AnsiString line;
  for (int r = 0; r < rows; ++r) {
    const AnsiString& text = FLines->Get(r);
    const bool endsWithCr = !text.empty() && text.back() == '\r';
    if (raw) {
      out.Put(text);
      out.Put("\n", 1);
      continue;
    }
    if (!indentToTab && !indentToSp && !tabToSp && !foldToCr) {
      out.Put(text);
      if (endsWithCr) out.Put("\n", 1);
      continue;
    }
    // The empty row after the last paragraph is no line of the file: it
    // gets neither an indent nor a line end.
    if (text.empty() && r == rows - 1) continue;
    line.clear();
    if (paragraphStart || foldToCr) {
      const int indent = Max(GetLinesAttr(r)->Indent, 0);
      if (indentToTab)
        line.assign(static_cast<size_t>((indent + tab - 1) / tab), '\t');
      else if (indentToSp)
        line.assign(static_cast<size_t>(indent), ' ');
    }
    line += text;
    if (tabToSp) line = TabExpand(line, true);
    if (endsWithCr)
      line += '\n';
    else if (foldToCr)
      line += "\r\n";
    out.Put(line);
    paragraphStart = endsWithCr;
  }
  out.Flush();

  if (raw) {
    const std::int64_t attrOffset = stream->GetPosition();
    FLinesAttr->SaveToStream(stream);
    const std::int64_t total = stream->GetPosition();
    // The header's fields are 32-bit: a larger text cannot be saved raw.
    if (total > std::numeric_limits<std::int32_t>::max()) throw EWriteError(LibMsg::WriteError);
    unsigned char header[RawFileHeaderSize] = {};
    PutLe32(header + 0, total);
    PutLe32(header + 4, attrOffset);
    PutLe32(header + 8, rows);
    stream->Seek(0, soBeginning);
    stream->WriteBuffer(header, RawFileHeaderSize);
    stream->Seek(total, soBeginning);
  }
}

void TCustomAFEdit::SaveToFile(AnsiString name, TConvMode mode) {
  {
    // A file this user cannot write is refused before anything is written;
    // a failed write leaves the old file as it was.
    TFileSaveStream stream(name);
    SaveToStream(&stream, mode);
    stream.Commit();
  }
  // Only a complete write marks the text saved.
  FUndoBuff->MarkSaved();
}
