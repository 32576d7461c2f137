// The kana literals of the romanisation pass and the romaji of each system.
#pragma once

#include <array>
#include <cstdint>

namespace roma {

enum class System : uint8_t { Hepburn = 0, Kunrei = 1, Nihon = 2 };

// What a literal is, which decides the rules it follows.
enum class KanaKind : uint8_t {
  Vowel,       // ア イ ウ エ オ
  SmallVowel,  // ァ ィ ゥ ェ ォ
  Syllable,    // a syllable of a consonant row (k s t n h m r w g z d b p)
  YRow,        // ヤ ユ ヨ
  SmallY,      // ャ ュ ョ
  SmallTsu,    // ッ
  N,           // ン
  Mark,        // ー 。 、
  WiWe,        // ヰ ヱ
  Wo,          // ヲ
};

// One single-kana literal; its katakana and hiragana forms share it.
struct Kana {
  uint16_t katakana;      // the katakana code (lead byte * 256 + trail byte)
  KanaKind kind;
  const char* romaji[3];  // by System
  char hepburnState;      // state after it in Hepburn; 0: the last letter of its romaji
  bool combines;          // an i-column syllable that joins a small ャ ュ ョ
  bool bmp;               // a syllable of the b, m or p rows
};

// All shared literals, and for each code 0x8100-0x83FF the index of its
// literal plus one (0: none).
extern const Kana kKana[85];
inline constexpr int kKanaFirstCode = 0x8100;
inline constexpr int kKanaCodeCount = 0x300;
extern const std::array<uint8_t, kKanaCodeCount> kKanaIndex;

// The literal at lead/trail, or null when the character is none of the
// shared literals (Hepburn's option pairs are matched by the pass itself).
inline const Kana* FindKana(unsigned char lead, unsigned char trail) {
  int code = (lead << 8 | trail) - kKanaFirstCode;
  if (code < 0 || code >= kKanaCodeCount) return nullptr;
  uint8_t i = kKanaIndex[code];
  return i ? &kKana[i - 1] : nullptr;
}

}  // namespace roma
