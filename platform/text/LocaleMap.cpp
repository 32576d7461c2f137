#include "platform/text/LocaleMap.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "platform/text/Cp932.h"

namespace localemap {
namespace {

// A character is its code: a single byte below 0x100, a double-byte
// character as lead byte * 256 + trail byte.
using Code = uint16_t;

constexpr int kKnownFlags = LCMAP_LOWERCASE | LCMAP_UPPERCASE | LCMAP_HIRAGANA |
                            LCMAP_KATAKANA | LCMAP_HALFWIDTH | LCMAP_FULLWIDTH;

// The full-width forms of ASCII 0x20-0x7E.
constexpr Code kFullAscii[95] = {
    0x8140, 0x8149, 0xFA57, 0x8194, 0x8190, 0x8193, 0x8195, 0xFA56,  // sp ! " # $ % & '
    0x8169, 0x816A, 0x8196, 0x817B, 0x8143, 0x817C, 0x8144, 0x815E,  // ( ) * + , - . /
    0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256,  // 0-7
    0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148,  // 8 9 : ; < = > ?
    0x8197, 0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266,  // @ A-G
    0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E,  // H-O
    0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276,  // P-W
    0x8277, 0x8278, 0x8279, 0x816D, 0x815F, 0x816E, 0x814F, 0x8151,  // X Y Z [ \ ] ^ _
    0x814D, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287,  // ` a-g
    0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F,  // h-o
    0x8290, 0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297,  // p-w
    0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160,          // x y z { | } ~
};

// The full-width forms of the half-width bytes 0xA1-0xDF (punctuation,
// katakana, ﾞ and ﾟ).
constexpr Code kFullKana[63] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342,  // ｡｢｣､･ｦｧｨ
    0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B,  // ｩｪｫｬｭｮｯｰ
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,  // ｱｲｳｴｵｶｷｸ
    0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E,  // ｹｺｻｼｽｾｿﾀ
    0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C,  // ﾁﾂﾃﾄﾅﾆﾇﾈ
    0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E,  // ﾉﾊﾋﾌﾍﾎﾏﾐ
    0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,  // ﾑﾒﾓﾔﾕﾖﾗﾘ
    0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,          // ﾙﾚﾛﾜﾝﾞﾟ
};

constexpr unsigned char kVoicedMark = 0xDE;      // ﾞ
constexpr unsigned char kSemiVoicedMark = 0xDF;  // ﾟ

// The composed kana of a half-width base followed by ﾞ or ﾟ, or 0.
constexpr Code VoicedOf(unsigned char half) {
  if (half == 0xB3) return 0x8394;  // ｳﾞ -> ヴ
  if ((half >= 0xB6 && half <= 0xC4) || (half >= 0xCA && half <= 0xCE))
    return kFullKana[half - 0xA1] + 1;
  return 0;
}
constexpr Code SemiVoicedOf(unsigned char half) {
  return (half >= 0xCA && half <= 0xCE) ? kFullKana[half - 0xA1] + 2 : 0;
}

Code ToHiragana(Code c) {
  if (c >= 0x8340 && c <= 0x8393 && c != 0x837F) return c < 0x837F ? c - 0xA1 : c - 0xA2;
  if (c == 0x8152 || c == 0x8153) return c + 2;  // ヽヾ -> ゝゞ
  return c;
}

Code ToKatakana(Code c) {
  if (c >= 0x829F && c <= 0x82F1) return c <= 0x82DD ? c + 0xA1 : c + 0xA2;
  if (c == 0x8154 || c == 0x8155) return c - 2;  // ゝゞ -> ヽヾ
  return c;
}

Code ToUpper(Code c) {
  if (c >= 'a' && c <= 'z') return c - 0x20;
  if (c >= 0x8281 && c <= 0x829A) return c - 0x21;  // ａ-ｚ
  if (c >= 0x83BF && c <= 0x83D6) return c - 0x20;  // α-ω
  if (c >= 0x8470 && c <= 0x847E) return c - 0x30;  // а-н
  if (c >= 0x8480 && c <= 0x8491) return c - 0x31;  // о-я
  return c;
}

Code ToLower(Code c) {
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  if (c >= 0x8260 && c <= 0x8279) return c + 0x21;  // Ａ-Ｚ
  if (c >= 0x839F && c <= 0x83B6) return c + 0x20;  // Α-Ω
  if (c >= 0x8440 && c <= 0x844E) return c + 0x30;  // А-Н
  if (c >= 0x844F && c <= 0x8460) return c + 0x31;  // О-Я
  return c;
}

// Up to two characters; the result of one mapping step.
struct Pair {
  Code first = 0;
  Code second = 0;  // 0: none
};

// Narrows one character: full-width ASCII forms and the full-width space to
// ASCII, katakana and kana punctuation to half-width bytes (voiced kana as
// base + mark). Characters without a half-width form stay.
Pair ToHalf(Code c) {
  if (c < 0x100) return {c, 0};
  for (int i = 0; i < 95; ++i)
    if (kFullAscii[i] == c) return {static_cast<Code>(0x20 + i), 0};
  if (c == 0xEEFB) return {'\'', 0};  // the second code of ＇
  if (c == 0xEEFC) return {'"', 0};   // the second code of ＂
  if (c == 0x818F) return {'\\', 0};  // ￥: 0x5C is the yen sign of this code page
  for (int i = 0; i < 63; ++i) {
    unsigned char half = static_cast<unsigned char>(0xA1 + i);
    if (kFullKana[i] == c) return {half, 0};
    if (VoicedOf(half) == c) return {half, kVoicedMark};
    if (SemiVoicedOf(half) == c) return {half, kSemiVoicedMark};
  }
  return {c, 0};
}

// The mapped bytes of one character under one mode: 1 or 2 bytes.
struct Out {
  uint8_t length = 0;
  uint8_t bytes[2] = {0, 0};
};

void Append(Out& out, Code c) {
  if (c >= 0x100) out.bytes[out.length++] = static_cast<uint8_t>(c >> 8);
  out.bytes[out.length++] = static_cast<uint8_t>(c & 0xFF);
}

// A mode is one choice from each pair: kana (none, hiragana, katakana),
// width (none, half, full), case (none, upper, lower).
struct Mode {
  int kana;
  int width;
  int letterCase;
};

constexpr int ModeIndex(Mode m) { return m.kana * 9 + m.width * 3 + m.letterCase; }

Code ApplyCase(Code c, int letterCase) {
  return letterCase == 1 ? ToUpper(c) : letterCase == 2 ? ToLower(c) : c;
}

// Maps one whole character: widen, kana, narrow, case.
Out MapCharacter(Code c, Mode m) {
  if (m.width == 2) {
    if (c >= 0x20 && c <= 0x7E) c = kFullAscii[c - 0x20];
    else if (c >= 0xA1 && c <= 0xDF) c = kFullKana[c - 0xA1];
  }
  if (m.kana == 1) c = ToHiragana(c);
  if (m.kana == 2) c = ToKatakana(c);
  Pair p{c, 0};
  if (m.width == 1) p = ToHalf(c);
  Out out;
  Append(out, ApplyCase(p.first, m.letterCase));
  if (p.second) Append(out, ApplyCase(p.second, m.letterCase));
  return out;
}

// The lead bytes whose characters any mode changes: 0x81-0x84, and 0xEE and
// 0xFA for the second codes of the full-width apostrophe and quotation mark.
constexpr int LeadSlot(unsigned char lead) {
  if (lead >= 0x81 && lead <= 0x84) return lead - 0x81;
  if (lead == 0xEE) return 4;
  if (lead == 0xFA) return 5;
  return -1;
}
constexpr unsigned char kSlotLead[6] = {0x81, 0x82, 0x83, 0x84, 0xEE, 0xFA};

struct ModeTable {
  Out single[256];
  Out dbl[6][256];
};

struct Tables {
  ModeTable modes[27];
  Tables() {
    for (int kana = 0; kana < 3; ++kana)
      for (int width = 0; width < 3; ++width)
        for (int letterCase = 0; letterCase < 3; ++letterCase) {
          Mode m{kana, width, letterCase};
          ModeTable& t = modes[ModeIndex(m)];
          for (int b = 0; b < 256; ++b) t.single[b] = MapCharacter(static_cast<Code>(b), m);
          for (int s = 0; s < 6; ++s)
            for (int trail = 0; trail < 256; ++trail)
              t.dbl[s][trail] = MapCharacter(static_cast<Code>(kSlotLead[s] << 8 | trail), m);
        }
  }
};

const Tables& AllTables() {
  static const Tables tables;
  return tables;
}

Mode ModeOf(int flags) {
  Mode m{0, 0, 0};
  if (flags & LCMAP_HIRAGANA) m.kana = 1;
  if (flags & LCMAP_KATAKANA) m.kana = 2;
  if (flags & LCMAP_HALFWIDTH) m.width = 1;
  if (flags & LCMAP_FULLWIDTH) m.width = 2;
  if (flags & LCMAP_UPPERCASE) m.letterCase = 1;
  if (flags & LCMAP_LOWERCASE) m.letterCase = 2;
  return m;
}

}  // namespace

bool FlagsAccepted(int flags) {
  if (flags == 0 || (flags & ~kKnownFlags)) return false;
  if ((flags & LCMAP_HIRAGANA) && (flags & LCMAP_KATAKANA)) return false;
  if ((flags & LCMAP_HALFWIDTH) && (flags & LCMAP_FULLWIDTH)) return false;
  if ((flags & LCMAP_UPPERCASE) && (flags & LCMAP_LOWERCASE)) return false;
  return true;
}

int MapString(int flags, const char* src, int srcLength, char* dst, int dstSize) {
  if (!FlagsAccepted(flags) || !src || !dst || dstSize <= 0 || srcLength < -1) return 0;
  size_t length = srcLength == -1 ? std::strlen(src) + 1 : static_cast<size_t>(srcLength);
  Mode mode = ModeOf(flags);
  const ModeTable& table = AllTables().modes[ModeIndex(mode)];
  const bool widen = mode.width == 2;

  const unsigned char* in = reinterpret_cast<const unsigned char*>(src);
  const unsigned char* inEnd = in + length;
  unsigned char* out = reinterpret_cast<unsigned char*>(dst);
  unsigned char* outEnd = out + dstSize;

  auto put = [&](const Out& o) {
    if (outEnd - out < o.length) return false;
    for (int k = 0; k < o.length; ++k) *out++ = o.bytes[k];
    return true;
  };
  auto copy = [&](unsigned char b) {
    if (out == outEnd) return false;
    *out++ = b;
    return true;
  };

  while (in < inEnd) {
    unsigned char b = *in;
    if (cp932::IsLeadByte(b)) {
      if (in + 1 < inEnd && cp932::IsTrailByte(in[1])) {
        int slot = LeadSlot(b);
        bool ok = slot >= 0 ? put(table.dbl[slot][in[1]]) : copy(b) && copy(in[1]);
        if (!ok) return 0;
        in += 2;
        continue;
      }
      // A lead byte without its trail byte is kept, and so is the byte after
      // it: widened, that byte would become a trail byte and pair up with it.
      if (!copy(b)) return 0;
      ++in;
      if (in < inEnd) {
        if (!copy(*in)) return 0;
        ++in;
      }
      continue;
    }
    if (widen && in + 1 < inEnd && (in[1] == kVoicedMark || in[1] == kSemiVoicedMark)) {
      Code composed = in[1] == kVoicedMark ? VoicedOf(b) : SemiVoicedOf(b);
      if (composed) {
        if (!put(table.dbl[LeadSlot(static_cast<unsigned char>(composed >> 8))][composed & 0xFF]))
          return 0;
        in += 2;
        continue;
      }
    }
    if (!put(table.single[b])) return 0;
    ++in;
  }
  return static_cast<int>(out - reinterpret_cast<unsigned char*>(dst));
}

}  // namespace localemap
