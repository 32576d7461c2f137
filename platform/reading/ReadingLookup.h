// Stands in for the IME's COM reading interface (IFELanguage::GetPhonetic).
// Gives the kana reading of a code page 932 text, here answered by MeCab with
// the UTF-8 IPADIC dictionary; it does not own the caller's text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace reading {

// Result codes, in the manner of HRESULT: zero is success.
enum : int32_t {
  kOk = 0,
  kNoReading = 1,   // the lookup ran but gave no reading
  kFailed = -1,     // the lookup could not be created or could not run
};

// Tells whether the two bytes at p begin a kanji. The lookup asks it only
// where p holds a whole double-byte character.
using KanjiTest = bool (*)(const char* p);

// One open reading lookup. The engine reaches the dictionary only through
// this, so tests can put a stub in its place.
class ReadingLookup {
 public:
  // Points `reading` at the reading of the whole text and returns kOk, or
  // returns a failure code. The reading stays valid until the next call or
  // Release, or, when it is the text itself, as long as the text.
  virtual int32_t GetPhonetic(std::string_view text, std::string_view& reading) = 0;

  // Ends the lookup. The MeCab lookup frees itself here.
  virtual void Release() = 0;

 protected:
  ~ReadingLookup() = default;
};

// The UTF-8 IPADIC dictionary the lookup is pinned to, whatever the system's
// mecabrc names.
inline constexpr char kIpadicUtf8Dir[] = "/var/lib/mecab/dic/ipadic-utf8";

// Opens a lookup over MeCab with the dictionary in `dicdir`. Readings are in
// hiragana: every morpheme holding a kanji (as `isKanji` tells) is replaced by
// its dictionary reading; every other byte of the text, and every byte that is
// not valid code page 932, is kept as it was. A text without kanji is
// answered without asking MeCab. Null when MeCab or the dictionary cannot be
// opened, or the dictionary is not in UTF-8.
ReadingLookup* OpenMecabReading(KanjiTest isKanji, const char* dicdir = kIpadicUtf8Dir);

}  // namespace reading
