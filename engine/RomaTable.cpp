#include "engine/RomaTable.h"

#include <array>

namespace roma {

using K = KanaKind;

// The shared literals in table order; each katakana entry stands for its
// hiragana partner too. Romaji by Hepburn / Kunrei / Nihon.
constexpr Kana kKana[85] = {
    {0x8341, K::Vowel, {"a", "a", "a"}, 0, false, false},  // ア
    {0x8343, K::Vowel, {"i", "i", "i"}, 0, false, false},  // イ
    {0x8345, K::Vowel, {"u", "u", "u"}, 0, false, false},  // ウ
    {0x8347, K::Vowel, {"e", "e", "e"}, 0, false, false},  // エ
    {0x8349, K::Vowel, {"o", "o", "o"}, 0, false, false},  // オ

    {0x834A, K::Syllable, {"ka", "ka", "ka"}, 0, false, false},       // カ
    {0x834C, K::Syllable, {"ki", "ki", "ki"}, 'i', true, false},      // キ
    {0x834E, K::Syllable, {"ku", "ku", "ku"}, 0, false, false},       // ク
    {0x8350, K::Syllable, {"ke", "ke", "ke"}, 0, false, false},       // ケ
    {0x8352, K::Syllable, {"ko", "ko", "ko"}, 0, false, false},       // コ
    {0x8354, K::Syllable, {"sa", "sa", "sa"}, 0, false, false},       // サ
    {0x8356, K::Syllable, {"shi", "si", "si"}, 's', true, false},     // シ
    {0x8358, K::Syllable, {"su", "su", "su"}, 0, false, false},       // ス
    {0x835A, K::Syllable, {"se", "se", "se"}, 0, false, false},       // セ
    {0x835C, K::Syllable, {"so", "so", "so"}, 0, false, false},       // ソ
    {0x835E, K::Syllable, {"ta", "ta", "ta"}, 0, false, false},       // タ
    {0x8360, K::Syllable, {"chi", "ti", "ti"}, 'c', true, false},     // チ
    {0x8363, K::Syllable, {"tsu", "tu", "tu"}, 0, false, false},      // ツ
    {0x8365, K::Syllable, {"te", "te", "te"}, 0, false, false},       // テ
    {0x8367, K::Syllable, {"to", "to", "to"}, 0, false, false},       // ト
    {0x8369, K::Syllable, {"na", "na", "na"}, 0, false, false},       // ナ
    {0x836A, K::Syllable, {"ni", "ni", "ni"}, 'i', true, false},      // ニ
    {0x836B, K::Syllable, {"nu", "nu", "nu"}, 0, false, false},       // ヌ
    {0x836C, K::Syllable, {"ne", "ne", "ne"}, 0, false, false},       // ネ
    {0x836D, K::Syllable, {"no", "no", "no"}, 0, false, false},       // ノ
    {0x836E, K::Syllable, {"ha", "ha", "ha"}, 0, false, false},       // ハ
    {0x8371, K::Syllable, {"hi", "hi", "hi"}, 'i', true, false},      // ヒ
    {0x8374, K::Syllable, {"fu", "hu", "hu"}, 0, false, false},       // フ
    {0x8377, K::Syllable, {"he", "he", "he"}, 0, false, false},       // ヘ
    {0x837A, K::Syllable, {"ho", "ho", "ho"}, 0, false, false},       // ホ
    {0x837D, K::Syllable, {"ma", "ma", "ma"}, 0, false, true},        // マ
    {0x837E, K::Syllable, {"mi", "mi", "mi"}, 'i', true, true},       // ミ
    {0x8380, K::Syllable, {"mu", "mu", "mu"}, 0, false, true},        // ム
    {0x8381, K::Syllable, {"me", "me", "me"}, 0, false, true},        // メ
    {0x8382, K::Syllable, {"mo", "mo", "mo"}, 0, false, true},        // モ

    {0x8384, K::YRow, {"ya", "ya", "ya"}, 0, false, false},  // ヤ
    {0x8386, K::YRow, {"yu", "yu", "yu"}, 0, false, false},  // ユ
    {0x8388, K::YRow, {"yo", "yo", "yo"}, 0, false, false},  // ヨ
    {0x8389, K::Syllable, {"ra", "ra", "ra"}, 0, false, false},   // ラ
    {0x838A, K::Syllable, {"ri", "ri", "ri"}, 'i', true, false},  // リ
    {0x838B, K::Syllable, {"ru", "ru", "ru"}, 0, false, false},   // ル
    {0x838C, K::Syllable, {"re", "re", "re"}, 0, false, false},   // レ
    {0x838D, K::Syllable, {"ro", "ro", "ro"}, 0, false, false},   // ロ
    {0x838F, K::Syllable, {"wa", "wa", "wa"}, 0, false, false},   // ワ
    {0x8390, K::WiWe, {"i", "i", "wi"}, 'I', false, false},       // ヰ
    {0x8391, K::WiWe, {"e", "e", "we"}, 'E', false, false},       // ヱ
    {0x8392, K::Wo, {"o", "o", "wo"}, 'O', false, false},         // ヲ
    {0x8393, K::N, {"n", "n", "n"}, 'm', false, false},           // ン

    {0x834B, K::Syllable, {"ga", "ga", "ga"}, 0, false, false},   // ガ
    {0x834D, K::Syllable, {"gi", "gi", "gi"}, 'i', true, false},  // ギ
    {0x834F, K::Syllable, {"gu", "gu", "gu"}, 0, false, false},   // グ
    {0x8351, K::Syllable, {"ge", "ge", "ge"}, 0, false, false},   // ゲ
    {0x8353, K::Syllable, {"go", "go", "go"}, 0, false, false},   // ゴ
    {0x8355, K::Syllable, {"za", "za", "za"}, 0, false, false},   // ザ
    {0x8357, K::Syllable, {"ji", "zi", "zi"}, 'j', true, false},  // ジ
    {0x8359, K::Syllable, {"zu", "zu", "zu"}, 0, false, false},   // ズ
    {0x835B, K::Syllable, {"ze", "ze", "ze"}, 0, false, false},   // ゼ
    {0x835D, K::Syllable, {"zo", "zo", "zo"}, 0, false, false},   // ゾ
    {0x835F, K::Syllable, {"da", "da", "da"}, 0, false, false},   // ダ
    {0x8361, K::Syllable, {"ji", "zi", "di"}, 'j', true, false},  // ヂ
    {0x8364, K::Syllable, {"zu", "zu", "du"}, 0, false, false},   // ヅ
    {0x8366, K::Syllable, {"de", "de", "de"}, 0, false, false},   // デ
    {0x8368, K::Syllable, {"do", "do", "do"}, 0, false, false},   // ド
    {0x836F, K::Syllable, {"ba", "ba", "ba"}, 0, false, true},    // バ
    {0x8372, K::Syllable, {"bi", "bi", "bi"}, 'i', true, true},   // ビ
    {0x8375, K::Syllable, {"bu", "bu", "bu"}, 0, false, true},    // ブ
    {0x8378, K::Syllable, {"be", "be", "be"}, 0, false, true},    // ベ
    {0x837B, K::Syllable, {"bo", "bo", "bo"}, 0, false, true},    // ボ
    {0x8370, K::Syllable, {"pa", "pa", "pa"}, 0, false, true},    // パ
    {0x8373, K::Syllable, {"pi", "pi", "pi"}, 'i', true, true},   // ピ
    {0x8376, K::Syllable, {"pu", "pu", "pu"}, 0, false, true},    // プ
    {0x8379, K::Syllable, {"pe", "pe", "pe"}, 0, false, true},    // ペ
    {0x837C, K::Syllable, {"po", "po", "po"}, 0, false, true},    // ポ

    {0x815B, K::Mark, {"-", "-", "-"}, ' ', false, false},  // ー
    {0x8142, K::Mark, {".", ".", "."}, ' ', false, false},  // 。
    {0x8141, K::Mark, {",", ",", ","}, ' ', false, false},  // 、

    {0x8340, K::SmallVowel, {"a", "a", "a"}, 'A', false, false},  // ァ
    {0x8342, K::SmallVowel, {"i", "i", "i"}, 'I', false, false},  // ィ
    {0x8344, K::SmallVowel, {"u", "u", "u"}, 'U', false, false},  // ゥ
    {0x8346, K::SmallVowel, {"e", "e", "e"}, 'E', false, false},  // ェ
    {0x8348, K::SmallVowel, {"o", "o", "o"}, 'O', false, false},  // ォ
    {0x8383, K::SmallY, {"ya", "ya", "ya"}, 0, false, false},     // ャ
    {0x8385, K::SmallY, {"yu", "yu", "yu"}, 0, false, false},     // ュ
    {0x8387, K::SmallY, {"yo", "yo", "yo"}, 0, false, false},     // ョ
    {0x8362, K::SmallTsu, {"", "", ""}, 't', false, false},       // ッ
};

namespace {

// 82 kana with their hiragana partners and 3 marks: 167 literals.
constexpr int kKanaCount = 85;

constexpr uint16_t Hiragana(uint16_t katakana) {
  if (katakana < 0x8340 || katakana > 0x8393) return 0;
  return katakana < 0x837F ? katakana - 0xA1 : katakana - 0xA2;
}

constexpr std::array<uint8_t, kKanaCodeCount> BuildIndex() {
  std::array<uint8_t, kKanaCodeCount> index{};
  for (int i = 0; i < kKanaCount; ++i) {
    index[kKana[i].katakana - kKanaFirstCode] = static_cast<uint8_t>(i + 1);
    if (uint16_t h = Hiragana(kKana[i].katakana)) index[h - kKanaFirstCode] = static_cast<uint8_t>(i + 1);
  }
  return index;
}

}  // namespace

constexpr std::array<uint8_t, kKanaCodeCount> kKanaIndex = BuildIndex();

}  // namespace roma
