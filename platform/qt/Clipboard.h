// Stands in for the GUI library's clipboard object (Clipboard(), TClipboard) carrying CF_TEXT.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/core/Classes.h"
#include "platform/text/AnsiString.h"

// Raised when the system clipboard cannot be reached.
class EClipboardException : public Exception {
 public:
  explicit EClipboardException(const AnsiString& message);
};

// What a read of the clipboard's text could not keep.
struct TClipboardTextLoss {
  // Characters code page 932 lacks, and lone UTF-16 surrogates; each
  // became "?".
  size_t Replaced = 0;
  // When a NUL ended the text: how many bytes stood before it; else -1.
  int64_t KeptBeforeNul = -1;
  bool Any() const { return Replaced > 0 || KeptBeforeNul >= 0; }
};

// The system clipboard as code page 932 text. Writing offers two formats at
// once: plain UTF-8 text for other programs and a private type with the exact
// code page 932 bytes, so that a copy made here reads back byte for byte.
// Reading prefers the private type; plain text from elsewhere is converted to
// code page 932, characters it cannot hold becoming "?", and cut at the first
// NUL. Needs a running QGuiApplication; without one, and when the system
// clipboard cannot be reached, the operations raise EClipboardException.
// Reading gives another program that holds the clipboard five seconds to
// start answering, and as long again for each piece of a text it sends in
// pieces; it raises the exception too when an answer did not come. The
// windows repaint meanwhile, and take no input: what is typed meanwhile is
// handled once the read is over, and once the message box that it may lead
// to (that error, or a text that lost characters) has closed.
class TClipboard {
 public:
  // MIME type of the exact code page 932 bytes.
  static const char* const PrivateMimeType;

  // Puts the zero-terminated code page 932 text on the clipboard.
  void SetTextBuf(const char* buffer);
  // The same for a string; the text ends at its first NUL, as CF_TEXT does.
  void SetAsText(const AnsiString& text);
  // The clipboard's text as code page 932, or empty when it holds no text.
  AnsiString GetAsText() const;
  // Empties the clipboard.
  void Clear();

  // What the last GetAsText could not keep, so that the command that read
  // it can tell the user; nothing after ForgetLastReadLoss.
  TClipboardTextLoss LastReadLoss() const;
  void ForgetLastReadLoss();

 private:
  mutable TClipboardTextLoss FLastReadLoss;
};

// The process's one clipboard object.
TClipboard* Clipboard();
