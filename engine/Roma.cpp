#include "engine/Roma.h"

#include <cstdlib>
#include <cstring>

#include "engine/RomaTable.h"
#include "platform/text/Cp932.h"

namespace roma {
namespace {

// Hepburn's own literals: the ヴ and ウ pairs. A pair is taken only while its
// option is set; otherwise it is not in the table at all and its kana fall to
// the shared literals (ウァ "ua") or are copied (ヴ, as Kunrei and Nihon do).
struct Pair {
  unsigned char first[2];   // ヴ or ウ/う
  unsigned char second[2];  // a small vowel, or nothing for ヴ alone
  HepburnOptions option;
  const char* romaji;
  bool doublesV;  // after ッ: "v" first (ヴ pairs) rather than "tu" (ウ pairs)
};

constexpr Pair kPairs[] = {
    {{0x83, 0x94}, {0x83, 0x40}, HepburnVa, "va", true},   // ヴァ
    {{0x83, 0x94}, {0x83, 0x42}, HepburnVa, "vi", true},   // ヴィ
    {{0x83, 0x94}, {0x83, 0x46}, HepburnVa, "ve", true},   // ヴェ
    {{0x83, 0x94}, {0x83, 0x48}, HepburnVa, "vo", true},   // ヴォ
    {{0x83, 0x94}, {0, 0}, HepburnVa, "vu", true},         // ヴ
    {{0x83, 0x45}, {0x83, 0x40}, HepburnWi, "wa", false},  // ウァ
    {{0x82, 0xA4}, {0x82, 0x9F}, HepburnWi, "wa", false},  // うぁ
    {{0x83, 0x45}, {0x83, 0x42}, HepburnWi, "wi", false},  // ウィ
    {{0x82, 0xA4}, {0x82, 0xA1}, HepburnWi, "wi", false},  // うぃ
    {{0x83, 0x45}, {0x83, 0x46}, HepburnWi, "we", false},  // ウェ
    {{0x82, 0xA4}, {0x82, 0xA5}, HepburnWi, "we", false},  // うぇ
    {{0x83, 0x45}, {0x83, 0x48}, HepburnWi, "wo", false},  // ウォ
    {{0x82, 0xA4}, {0x82, 0xA7}, HepburnWi, "wo", false},  // うぉ
};

// Compares a literal with the text byte by byte and stops at the first
// mismatch, so a literal longer than the rest of the text never reads past
// its terminator.
bool StartsWith(const unsigned char* text, const unsigned char* literal, int length) {
  for (int i = 0; i < length; ++i)
    if (text[i] != literal[i]) return false;
  return true;
}

// The length of the pair at text when one of the set options takes it, else 0.
int MatchPair(const unsigned char* text, HepburnOptions options, const Pair** match) {
  for (const Pair& pair : kPairs) {
    if (!(options & pair.option)) continue;
    if (!StartsWith(text, pair.first, 2)) continue;
    if (pair.second[0] == 0) {
      *match = &pair;
      return 2;
    }
    if (StartsWith(text + 2, pair.second, 2)) {
      *match = &pair;
      return 4;
    }
  }
  return 0;
}

// The pass keeps one state byte: what the output written so far ends in, so
// that the next kana can extend or rewrite it. The table's hepburnState
// column (RomaTable.cpp) holds the same bytes; a syllable without one takes
// the last letter of its romaji.
//
//   byte       name        the output ends in
//   ' '        kIdle       nothing to join: row start, a mark, anything
//                          unmatched; Kunrei and Nihon after most kana
//   't'        kSmallTsu   a small ッ, written by the next kana: its consonant
//                          doubled (っち "tchi"), else "tu"
//   'm'        kNasalM     ン as "n", which becomes "m" before b, m, p (Hepburn)
//   'n'        kNasalN     ン as "n" for good (HepburnNbmp, Kunrei, Nihon)
//   'X'        kMerged     a long vowel merged into the one before (こう "ko")
//   a e o u                a syllable ending in that vowel (Hepburn)
//   'i'        kJoinsSmallY  a syllable whose "i" turns into "y" before
//                          ャ ュ ョ (きゃ "kya"); in every system
//   A I U E O  OwnVowel()  a vowel kana of its own (ア, ァ, ヰ, ヱ, ヲ as "o"):
//                          merges as its lower case does, but ャ ュ ョ after
//                          it are written whole (いゃ "iya")
//   s c j      kIGivesWay  し ち じ ぢ (Hepburn): ャ ュ ョ replace the "i"
//                          (しゃ "sha")
constexpr char kIdle = ' ';
constexpr char kSmallTsu = 't';
constexpr char kNasalM = 'm';
constexpr char kNasalN = 'n';
constexpr char kMerged = 'X';
constexpr char kJoinsSmallY = 'i';
constexpr const char* kIGivesWay = "scj";

constexpr char OwnVowel(char vowel) { return static_cast<char>(vowel - 'a' + 'A'); }

bool IsOneOf(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

// Whether the output ends in this vowel, after a syllable or on its own.
bool EndsIn(char state, char vowel) { return state == vowel || state == OwnVowel(vowel); }

// The pass over one row, shared by the three systems; state_ is one of the
// bytes above.
template <System kSystem>
class Romaniser {
 public:
  Romaniser(HepburnOptions options, char* out) : options_(options), out_(out) {}

  // Returns the end of the output.
  char* Run(const unsigned char* p) {
    const bool pairs = Hepburn() && (options_ & (HepburnVa | HepburnWi));
    while (*p) {
      // Most of a row is no kana: runs of ASCII and of characters whose lead
      // byte is past the kana rows (kanji) are copied in one go.
      if (p[0] < 0x81 || p[0] > 0x83) {
        do {
          unsigned char b = *p;
          if (b >= 0x81 && b <= 0x83) break;
          if (cp932::IsLeadByte(b) && p[1]) {
            out_[0] = static_cast<char>(b);
            out_[1] = static_cast<char>(p[1]);
            out_ += 2;
            p += 2;
          } else {
            *out_++ = static_cast<char>(b);
            ++p;
          }
        } while (*p);
        state_ = kIdle;
        continue;
      }
      if (pairs) {
        const Pair* pair = nullptr;
        if (int length = MatchPair(p, options_, &pair)) {
          OptionPair(*pair);
          p += length;
          continue;
        }
      }
      const Kana* kana = p[1] ? FindKana(p[0], p[1]) : nullptr;
      if (!kana) {
        // Unmatched: one character unchanged; a pending small tsu is dropped.
        int length = cp932::IsLeadByte(p[0]) && p[1] ? 2 : 1;
        Copy(p, length);
        p += length;
        state_ = kIdle;
        continue;
      }
      if (kana->kind == KanaKind::SmallY && !SmallY(*kana)) {
        // No romaji for a small ャ ュ ョ right after ン or a merged vowel: it
        // is kept as it is, and the blank state stops any later rule from
        // rewriting a byte of it.
        Copy(p, 2);
        state_ = kIdle;
      } else if (kana->kind != KanaKind::SmallY) {
        Match(*kana);
      }
      p += 2;
    }
    return out_;
  }

 private:
  static constexpr bool Hepburn() { return kSystem == System::Hepburn; }
  bool Option(HepburnOptions bit) const { return Hepburn() && (options_ & bit); }
  const char* Romaji(const Kana& kana) const { return kana.romaji[static_cast<int>(kSystem)]; }

  void Put(char c) { *out_++ = c; }
  void Put(const char* s) {
    while (*s) *out_++ = *s++;
  }
  void Copy(const unsigned char* p, int length) {
    for (int i = 0; i < length; ++i) *out_++ = static_cast<char>(p[i]);
  }
  void TuAfterSmallTsu() {
    if (state_ == kSmallTsu) Put("tu");
  }
  // Hepburn's apostrophe after ン (or a merged long o under HepburnOh).
  bool WantsApostrophe() const {
    return Option(HepburnQu) &&
           (state_ == kNasalM || state_ == kNasalN || (state_ == kMerged && (options_ & HepburnOh)));
  }

  void Match(const Kana& kana) {
    switch (kana.kind) {
      case KanaKind::Vowel: Vowel(Romaji(kana)[0]); break;
      case KanaKind::SmallVowel:
        TuAfterSmallTsu();
        Put(Romaji(kana));
        state_ = Hepburn() ? kana.hepburnState : kIdle;
        break;
      case KanaKind::Syllable: Syllable(kana); break;
      case KanaKind::YRow: {
        if (WantsApostrophe()) Put('\'');
        if (state_ == kSmallTsu) Put('y');
        const char* r = Romaji(kana);
        Put(r);
        state_ = Hepburn() ? r[1] : kIdle;
        break;
      }
      case KanaKind::SmallTsu: state_ = kSmallTsu; break;
      case KanaKind::N:
        TuAfterSmallTsu();
        Put('n');
        state_ = !Hepburn() || (options_ & HepburnNbmp) ? kNasalN : kNasalM;
        break;
      case KanaKind::Mark:
        TuAfterSmallTsu();
        Put(Romaji(kana));
        state_ = kIdle;
        break;
      case KanaKind::WiWe:
        if (kSystem == System::Nihon) {
          if (state_ == kSmallTsu) Put('w');
        } else {
          TuAfterSmallTsu();
        }
        Put(Romaji(kana));
        state_ = Hepburn() ? kana.hepburnState : kIdle;
        break;
      case KanaKind::Wo: Wo(kana); break;
      case KanaKind::SmallY: break;  // handled by SmallY()
    }
  }

  void Syllable(const Kana& kana) {
    const char* r = Romaji(kana);
    if (state_ == kSmallTsu) {
      Put(r[0] == 'c' ? 't' : r[0]);  // っち "tchi"
    } else if (Hepburn() && kana.bmp && state_ == kNasalM) {
      out_[-1] = 'm';  // the "n" of ン before b, m, p
    }
    Put(r);
    if (Hepburn())
      state_ = kana.hepburnState ? kana.hepburnState : r[std::strlen(r) - 1];
    else
      state_ = kana.combines ? kJoinsSmallY : kIdle;
  }

  void Vowel(char v) {
    if (!Hepburn()) {
      TuAfterSmallTsu();
      Put(v);
      state_ = kIdle;
      return;
    }
    if (WantsApostrophe()) Put('\'');
    TuAfterSmallTsu();
    bool afterO = EndsIn(state_, 'o');
    bool merge = false;
    switch (v) {
      case 'a': merge = EndsIn(state_, 'a'); break;
      case 'i': merge = EndsIn(state_, 'i') || EndsIn(state_, 'e'); break;
      case 'u': merge = EndsIn(state_, 'u') || afterO; break;
      case 'e': merge = EndsIn(state_, 'e'); break;
      case 'o': merge = afterO; break;
    }
    // A merged vowel writes nothing: the last letter already is its vowel.
    bool written = !merge || (options_ & HepburnOo);
    if (written) Put(v);
    if (merge && afterO && (v == 'u' || v == 'o') && (options_ & HepburnOh)) {
      if (!written && out_[-1] == ' ') {
        // The blank after を (HepburnWoSp): the h belongs to its o, " oh ".
        out_[-1] = 'h';
        Put(' ');
      } else {
        Put('h');
      }
    }
    state_ = merge ? kMerged : OwnVowel(v);
  }

  void Wo(const Kana& kana) {
    if (!Hepburn()) {
      if (kSystem == System::Nihon && state_ == kSmallTsu) Put('w');
      else TuAfterSmallTsu();
      Put(Romaji(kana));
      state_ = kIdle;
      return;
    }
    bool wo = options_ & HepburnWo;
    bool spaced = options_ & HepburnWoSp;
    if (state_ == kSmallTsu) Put(wo ? "w" : "tu");
    if (spaced) Put(' ');
    Put(wo ? "wo" : "o");
    if (spaced) Put(' ');
    state_ = wo ? 'o' : OwnVowel('o');
  }

  // Returns false when no rule covers the state before the small kana.
  bool SmallY(const Kana& kana) {
    char v = Romaji(kana)[1];
    if (state_ == kSmallTsu) {
      Put("tu");
      Put(Romaji(kana));
    } else if (state_ == kJoinsSmallY) {
      out_[-1] = 'y';  // the "i" of the syllable before
      Put(v);
    } else if (Hepburn() && IsOneOf(state_, kIGivesWay)) {
      out_[-1] = v;  // しゃ "sha": the "i" gives way to the vowel
    } else if (state_ == kIdle || (Hepburn() && IsOneOf(state_, "AIUEOaueo"))) {  // 'i' is taken above
      Put(Romaji(kana));
    } else {
      return false;
    }
    state_ = Hepburn() ? v : kIdle;
    return true;
  }

  void OptionPair(const Pair& pair) {
    if (state_ == kSmallTsu) Put(pair.doublesV ? "v" : "tu");
    Put(pair.romaji);
    state_ = pair.romaji[1];
  }

  HepburnOptions options_;
  char* out_;
  char state_ = kIdle;
};

template <System system>
char* Romanise(HepburnOptions options, const char* text) {
  if (!text) return nullptr;
  size_t n = std::strlen(text);
  // No rule writes more than two bytes per byte of text it consumes.
  if (n > (SIZE_MAX - 2) / 2) return nullptr;
  char* work = static_cast<char*>(std::malloc(2 * n + 2));
  if (!work) return nullptr;
  Romaniser<system> pass(options, work);
  char* end = pass.Run(reinterpret_cast<const unsigned char*>(text));
  *end = '\0';
  size_t length = static_cast<size_t>(end - work);
  char* result = static_cast<char*>(std::malloc(length + 1));
  if (result) std::memcpy(result, work, length + 1);
  std::free(work);
  return result;
}

}  // namespace
}  // namespace roma

char* KanaToHepburn(HepburnOptions options, const char* text) {
  return roma::Romanise<roma::System::Hepburn>(options, text);
}

char* KanaToKunrei(const char* text) { return roma::Romanise<roma::System::Kunrei>(0, text); }

char* KanaToNihonShiki(const char* text) {
  return roma::Romanise<roma::System::Nihon>(0, text);
}
