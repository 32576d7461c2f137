// Helpers for engine tests: cases are written in UTF-8 and converted to and
// from code page 932 around the call.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/text/Cp932.h"
#include "tests/common/Cp932Text.h"

namespace testtext {

using ::Sjis;
inline std::string Utf8(const std::string& sjis) { return cp932::ToUtf8(sjis); }

// Takes a malloc'd result; "<null>" for a null result.
inline std::string Take(char* result) {
  if (!result) return "<null>";
  std::string s(result);
  std::free(result);
  return s;
}

}  // namespace testtext
