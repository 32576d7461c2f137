// Whether the bytes of a file are plausible code page 932 text, and if not,
// what they look like (UTF-8, EUC-JP, ...), so that a file in another
// encoding is not taken for Shift-JIS without a word. No GUI.
#pragma once

#include <string>
#include <string_view>

namespace cp932 {

// How many bytes of a file the check needs: a file's opening this long
// decides for the whole file.
inline constexpr size_t kEncodingCheckBytes = 256 * 1024;

// What ForeignEncoding calls bytes that look like no text at all.
inline constexpr char kBinaryData[] = "バイナリデータ";

// Empty when `bytes` (a file's opening, `complete` when it is the whole
// file) are plausible code page 932 text, else the name, in UTF-8, of what
// they look like: "UTF-8 (BOM 付き)", "UTF-16LE" and the other byte-order
// marks; "UTF-16LE" or "UTF-16BE" without a mark; kBinaryData; "UTF-8",
// "ISO-2022-JP", "EUC-JP", or a name the character-set detector (uchardet)
// gives. UTF-16 and binary data are judged on the whole opening, NULs and
// what follows them included; the rest only on what stands before the first
// NUL, as a load ends there. Bytes that are also plausible code page 932
// text are named another encoding only on clear evidence, and a character
// the end of an incomplete opening cuts short is evidence of nothing.
std::string ForeignEncoding(std::string_view bytes, bool complete);

}  // namespace cp932
