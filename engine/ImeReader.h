// Kanji readings: the reader record over the reading lookup, and the two
// builders that write a row with its kanji read as kana into a TextBuf.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/TextBuf.h"
#include "platform/reading/ReadingLookup.h"

// One open reading lookup for the length of one conversion command. Closed
// (all fields zero or null) before ImeReaderOpen and after ImeReaderClose.
struct ImeReader {
  reading::ReadingLookup* Language;  // the open lookup; null when none could be opened
  int32_t LastResult;                // result of the open, later of the last lookup; recorded only
  char* Buffer;                      // the last reading, NUL-terminated; owned; null until the first
  int BufferSize;                    // usable bytes of Buffer; the block is one byte larger
};

// Opens the lookup; nonzero when the reader is ready. Zero for a null record
// and when the dictionary cannot be opened.
int ImeReaderOpen(ImeReader* reader);

// Ends the lookup and frees the reading buffer. Harmless on a reader that
// failed to open, on a closed one and on a null record.
void ImeReaderClose(ImeReader* reader);

// The reading of the whole text in the reader's buffer, valid until the next
// call on the reader or its close; the caller never frees it. Null when the
// reader is not open, the lookup gives no reading (an empty reading of a
// non-empty text counts as none), or the buffer cannot grow.
char* ImeReaderGetReading(ImeReader* reader, const char* text);

// Replaces out's text by the reading of the whole row, or by the row itself
// when there is none; a row's trailing CR is kept. Returns out's text.
char* LineToReading(ImeReader* reader, TextBuf* out, const char* row);

// Replaces out's text by the row with every run of kanji replaced by its
// reading and every other byte kept. A run is read together with the text up
// to the next run (its okurigana and particles), less the reading of that
// text alone; a run whose reading cannot be cut so stays as it is.
void KanjiRunsToReading(ImeReader* reader, TextBuf* out, char* row);

// Creates the lookup ImeReaderOpen uses; by default MeCab with the UTF-8
// IPADIC dictionary. Tests put a stub here.
extern reading::ReadingLookup* (*ImeReaderCreateLookup)();

// Grows the reading buffer (realloc semantics). Tests replace it to see a
// failed growth.
extern void* (*ImeReaderRealloc)(void* block, size_t size);
