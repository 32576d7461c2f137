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
// file) are plausible code page 932 text, else the name, in UTF-8, of the
// encoding they look like: "UTF-8 (BOM 付き)", "UTF-16LE" and the other
// byte-order marks, "UTF-8", "ISO-2022-JP", "EUC-JP", or a name the
// character-set detector (uchardet) gives. Plausible: no byte-order mark; not
// valid UTF-8 holding non-ASCII bytes; no ISO-2022-JP escapes; not EUC-JP
// text that reads as Japanese there; and either every character is one code
// page 932 has, or the text still reads as Japanese (a damaged file), or the
// detector names no other encoding. Only what stands before the first NUL
// counts, as a load ends there; a character cut by the end of an incomplete
// opening counts as whole.
std::string ForeignEncoding(std::string_view bytes, bool complete);

}  // namespace cp932
