// Kana, width and letter-case mapping of one row of code page 932 text.
#pragma once

#include "platform/text/LocaleMap.h"

// Maps text (NUL-terminated, never null; an empty row is "") under flags, the
// LCMAP_* values alone or one of each pair ORed together: LCMAP_HIRAGANA or
// LCMAP_KATAKANA, LCMAP_HALFWIDTH | LCMAP_KATAKANA (0x600000) or
// LCMAP_FULLWIDTH, LCMAP_UPPERCASE or LCMAP_LOWERCASE.
//
// Returns a new NUL-terminated string from the standard heap; the caller owns
// it and releases it with free(). Returns null when the flags are refused
// (both flags of a pair, such as hiragana with katakana) or memory runs out.
// A null result means the row could not be mapped: the caller keeps the row
// as it was and must not empty it.
char* MapText(const char* text, int flags);
