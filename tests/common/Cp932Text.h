// Test cases are written in UTF-8; the code under test takes code page 932.
#pragma once

#include <string>
#include <string_view>

#include "platform/text/Cp932.h"

// Code page 932 bytes of UTF-8 text.
inline std::string Sjis(std::string_view utf8) { return cp932::FromUtf8(utf8); }
