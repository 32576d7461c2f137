#include "engine/TextBuf.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/text/Cp932.h"

void TextBufInit(TextBuf* buffer) {
  if (!buffer) return;
  buffer->Data = nullptr;
  buffer->Size = 0;
}

char* TextBufReserve(TextBuf* buffer, int n) {
  if (!buffer) return nullptr;
  if (buffer->Size >= n) return buffer->Data;
  if (!buffer->Data) {
    char* block = static_cast<char*>(std::calloc(static_cast<size_t>(n), 1));
    if (!block) return nullptr;
    buffer->Data = block;
  } else {
    // realloc keeps the old block when it fails; the record stays as it was.
    char* block = static_cast<char*>(std::realloc(buffer->Data, static_cast<size_t>(n)));
    if (!block) return nullptr;
    std::memset(block + buffer->Size, 0, static_cast<size_t>(n - buffer->Size));
    buffer->Data = block;
  }
  buffer->Size = n;
  return buffer->Data;
}

char* TextBufGet(TextBuf* buffer) { return buffer ? buffer->Data : nullptr; }

void TextBufFree(TextBuf* buffer) {
  if (!buffer) return;
  std::free(buffer->Data);
  buffer->Data = nullptr;
  buffer->Size = 0;
}

char* TextBufAssign(TextBuf* buffer, const char* s) {
  if (!s) s = "";
  size_t length = std::strlen(s);
  if (length >= static_cast<size_t>(INT_MAX)) return nullptr;
  char* data = TextBufReserve(buffer, static_cast<int>(length) + 1);
  if (!data) return nullptr;
  std::memcpy(data, s, length + 1);
  return data;
}

bool IsKanji(const char* p) {
  // The first byte is tested before the second is read: an empty string has
  // no second byte.
  if (!p || p[0] == '\0' || p[1] == '\0') return false;
  unsigned code = (static_cast<unsigned char>(p[0]) << 8) | static_cast<unsigned char>(p[1]);
  return (code >= 0x889F && code <= 0x9872) || (code >= 0x989F && code <= 0xEA9E) ||
         code == 0x8158;
}

char* SkipToKanji(char* p) {
  while (*p) {
    if (cp932::IsLeadByte(static_cast<unsigned char>(*p))) {
      if (IsKanji(p)) break;
      p += p[1] ? 2 : 1;
    } else {
      ++p;
    }
  }
  return p;
}

char* SkipKanjiRun(char* p) {
  while (*p && cp932::IsLeadByte(static_cast<unsigned char>(*p)) && IsKanji(p)) p += 2;
  return p;
}
