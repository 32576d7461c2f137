// The 8-bit string that holds code page 932 text: rows, file names and
// clipboard text pass in it. Indexing is 0-based, as std::string's.
#pragma once

#include <string>

using AnsiString = std::string;
