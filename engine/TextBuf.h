// Growable text buffer and the kanji scan over code page 932 strings.
#pragma once

// A growable byte buffer for one result string. The owner calls TextBufInit
// before first use and TextBufFree after last use. Data is zero-filled when
// allocated and when grown; it grows to exactly the size asked for and never
// shrinks. A pointer from TextBufGet or TextBufReserve stays valid until the
// next TextBufReserve that grows the buffer, or TextBufFree.
struct TextBuf {
  char* Data;  // null while nothing has been reserved
  int Size;    // allocated bytes of Data; 0 while Data is null
};

// Data null, Size 0. A null record is ignored.
void TextBufInit(TextBuf* buffer);

// Makes the buffer hold at least n bytes and returns Data. When growing fails
// the record is left as it was (old block and size) and null is returned.
// A null record yields null.
char* TextBufReserve(TextBuf* buffer, int n);

// Data, or null for a null record.
char* TextBufGet(TextBuf* buffer);

// Releases Data; afterwards Data is null and Size 0. Calling it again, or on
// a null record, is harmless.
void TextBufFree(TextBuf* buffer);

// Reserves strlen(s) + 1 bytes and copies s with its NUL; returns Data, or
// null (copying nothing) when the buffer could not grow. A null s counts as
// the empty string.
char* TextBufAssign(TextBuf* buffer, const char* s);

// True when the two bytes at p form a kanji code (first byte high):
// 0x889F-0x9872, 0x989F-0xEA9E, or 0x8158 (the repetition mark). False for
// an empty string and when the second byte is the terminating NUL.
bool IsKanji(const char* p);

// The first position at or after p where a kanji starts, or the terminating
// NUL. Double-byte characters are stepped over whole; a lone lead byte before
// the NUL is stepped over as one byte. Never steps past the terminator.
char* SkipToKanji(char* p);

// The first position at or after p that does not start a kanji.
char* SkipKanjiRun(char* p);
