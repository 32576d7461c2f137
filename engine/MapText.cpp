#include "engine/MapText.h"

#include <cstdlib>
#include <cstring>

#include "platform/text/LocaleMap.h"

char* MapText(const char* text, int flags) {
  if (!text) return nullptr;
  size_t n = std::strlen(text);
  // One byte may become two (a half-width character widened), plus the NUL.
  if (n > (static_cast<size_t>(0x7FFFFFFF) - 2) / 2) return nullptr;
  int size = static_cast<int>(2 * n + 2);
  char* buffer = static_cast<char*>(std::malloc(static_cast<size_t>(size)));
  if (!buffer) return nullptr;
  int written = localemap::MapString(flags, text, -1, buffer, size);
  if (written <= 0) {
    std::free(buffer);
    return nullptr;
  }
  size_t length = std::strlen(buffer);
  char* result = static_cast<char*>(std::malloc(length + 1));
  if (result) std::memcpy(result, buffer, length + 1);
  std::free(buffer);
  return result;
}
