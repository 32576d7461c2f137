#include "engine/ImeReader.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/text/Cp932.h"

namespace {

reading::ReadingLookup* CreateMecabLookup() { return reading::OpenMecabReading(IsKanji); }

// Appends n bytes to the text of out, which holds *length bytes before its
// NUL. The buffer grows at least twofold so a row built piece by piece is not
// copied over and over. False when it cannot grow; out is then unchanged.
bool Append(TextBuf* out, int* length, const char* p, size_t n) {
  if (n >= static_cast<size_t>(INT_MAX - 1 - *length)) return false;
  int need = *length + static_cast<int>(n) + 1;
  if (out->Size < need) {
    int want = out->Size <= INT_MAX / 2 ? out->Size * 2 : INT_MAX;
    if (!TextBufReserve(out, want > need ? want : need) && !TextBufReserve(out, need))
      return false;
  }
  std::memcpy(out->Data + *length, p, n);
  *length += static_cast<int>(n);
  out->Data[*length] = '\0';
  return true;
}

// Copies the reading of text (the text itself where the lookup has none)
// into `into`, out of the reader's buffer that the next lookup overwrites.
// Null when the copy cannot be made.
const char* ReadInto(ImeReader* reader, TextBuf* into, const char* text) {
  const char* r = ImeReaderGetReading(reader, text);
  return TextBufAssign(into, r ? r : text);
}

// Makes buffer hold the n bytes at p and a NUL; null when it cannot grow.
char* SetText(TextBuf* buffer, const char* p, size_t n) {
  if (n >= static_cast<size_t>(INT_MAX)) return nullptr;
  char* data = TextBufReserve(buffer, static_cast<int>(n) + 1);
  if (!data) return nullptr;
  if (n > 0) std::memmove(data, p, n);
  data[n] = '\0';
  return data;
}

// True when the first k bytes of s end on a character boundary.
bool IsCharBoundary(std::string_view s, size_t k) {
  size_t i = 0;
  while (i < k) i += static_cast<size_t>(cp932::CharLength(s, i));
  return i == k;
}

}  // namespace

reading::ReadingLookup* (*ImeReaderCreateLookup)() = CreateMecabLookup;
void* (*ImeReaderRealloc)(void* block, size_t size) = [](void* block, size_t size) {
  return std::realloc(block, size);
};

int ImeReaderOpen(ImeReader* reader) {
  if (!reader) return 0;
  reader->Language = ImeReaderCreateLookup ? ImeReaderCreateLookup() : nullptr;
  reader->LastResult = reader->Language ? reading::kOk : reading::kFailed;
  reader->Buffer = nullptr;
  reader->BufferSize = 0;
  return reader->Language != nullptr;
}

void ImeReaderClose(ImeReader* reader) {
  if (!reader) return;
  if (reader->Language) {
    reader->Language->Release();
    reader->Language = nullptr;
  }
  std::free(reader->Buffer);
  reader->Buffer = nullptr;
  reader->BufferSize = 0;
}

char* ImeReaderGetReading(ImeReader* reader, const char* text) {
  if (!reader || !reader->Language || !text) return nullptr;
  std::string_view r;
  reader->LastResult = reader->Language->GetPhonetic(text, r);
  if (reader->LastResult != reading::kOk) return nullptr;
  // An empty answer for a non-empty text would empty the row: it is no reading.
  if (r.empty() && *text) return nullptr;
  if (r.size() >= static_cast<size_t>(INT_MAX - 1)) return nullptr;
  int m = static_cast<int>(r.size()) + 1;  // bytes with the NUL

  if (reader->BufferSize < m) {
    // On failure the old block and its size stay as they were.
    size_t oldBlock = reader->Buffer ? static_cast<size_t>(reader->BufferSize) + 1 : 0;
    auto* block = static_cast<char*>(ImeReaderRealloc(reader->Buffer, static_cast<size_t>(m) + 1));
    if (!block) return nullptr;
    std::memset(block + oldBlock, 0, static_cast<size_t>(m) + 1 - oldBlock);
    reader->Buffer = block;
    reader->BufferSize = m;
  }
  // An empty reading may come without any bytes behind it (a null pointer).
  if (!r.empty()) std::memmove(reader->Buffer, r.data(), r.size());  // the text may be the last reading
  reader->Buffer[r.size()] = '\0';
  reader->Buffer[m] = '\0';
  return reader->Buffer;
}

char* LineToReading(ImeReader* reader, TextBuf* out, const char* row) {
  if (!row) row = "";
  const char* r = ImeReaderGetReading(reader, row);
  if (!r) return TextBufAssign(out, row);

  // A lookup may read the row's CR as nothing; the row keeps it all the same.
  size_t rowLength = std::strlen(row);
  size_t n = std::strlen(r);
  bool addCr = rowLength > 0 && row[rowLength - 1] == '\r' && (n == 0 || r[n - 1] != '\r');
  if (!addCr) return TextBufAssign(out, r);
  if (n >= static_cast<size_t>(INT_MAX - 2)) return nullptr;
  char* data = TextBufReserve(out, static_cast<int>(n) + 2);
  if (!data) return nullptr;
  std::memmove(data, r, n);
  data[n] = '\r';
  data[n + 1] = '\0';
  return data;
}

void KanjiRunsToReading(ImeReader* reader, TextBuf* out, char* row) {
  if (!out) return;
  if (!row) row = const_cast<char*>("");
  TextBuf piece, runAndTail, tailOnly;
  TextBufInit(&piece);
  TextBufInit(&runAndTail);
  TextBufInit(&tailOnly);

  int length = 0;
  char* cur = SkipToKanji(row);
  bool ok = Append(out, &length, row, static_cast<size_t>(cur - row));
  while (ok && *cur) {
    char* runEnd = SkipKanjiRun(cur);
    char* next = SkipToKanji(runEnd);
    size_t runLength = static_cast<size_t>(runEnd - cur);
    size_t tailLength = static_cast<size_t>(next - runEnd);

    // The run is read together with its tail, so it is read in context; the
    // tail read alone tells how much of that reading belongs to the tail.
    const char* both = SetText(&piece, cur, runLength + tailLength)
                           ? ReadInto(reader, &runAndTail, piece.Data)
                           : nullptr;
    const char* tail = "";
    if (both && tailLength > 0)
      tail = SetText(&piece, runEnd, tailLength) ? ReadInto(reader, &tailOnly, piece.Data)
                                                 : nullptr;
    if (!both || !tail) {
      ok = false;
      break;
    }

    // The run's reading is what the tail's reading leaves over. A cut that
    // leaves nothing or splits a character keeps the run as it is.
    size_t bothLength = std::strlen(both);
    size_t tailReadingLength = std::strlen(tail);
    if (bothLength > tailReadingLength &&
        IsCharBoundary(std::string_view(both, bothLength), bothLength - tailReadingLength))
      ok = Append(out, &length, both, bothLength - tailReadingLength);
    else
      ok = Append(out, &length, cur, runLength);
    ok = ok && Append(out, &length, runEnd, tailLength);
    cur = next;
  }

  TextBufFree(&piece);
  TextBufFree(&runAndTail);
  TextBufFree(&tailOnly);
  // Out of memory half way: the row stays as it was rather than cut short.
  if (!ok) TextBufAssign(out, row);
}
