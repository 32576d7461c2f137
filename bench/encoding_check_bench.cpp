// Counts the encoding check's false alarms and catches: code page 932 text
// should pass, the same text in UTF-8 or EUC-JP should not.
//
//   encoding_check_bench prose.txt [SHOW]
//
// With SHOW, the first SHOW alarms of each kind of generated text are
// printed in hex.
//
// Checked as code page 932: the prose file (its opening, as the Open command
// reads it, and whole), each of its distinct lines as a file of its own, and
// a file of every character code page 932 has (glibc's CP932), whole and row
// by row. Checked as foreign: each distinct line holding non-ASCII text in
// UTF-8, UTF-8 with a byte-order mark and EUC-JP, and the prose file in each.
// Also generated code page 932 text of several kinds (a fixed seed, the
// same texts on every run), each checked as a whole file and as the opening
// of a longer one, whose end may cut the next character; random bytes, which
// should be named binary data; and the prose lines in UTF-16 without a mark.
// Code page 932 and ASCII text with a few NULs put in should not be named
// UTF-16. Detection rates: UTF-8 text of other languages (Latin letters,
// Cyrillic, Greek, Vietnamese, Devanagari, emoji with a variation selector,
// U+FFFD, combining marks), alone and among Japanese words, ASCII text with
// one or two Latin-1 characters or no-break spaces, and the prose lines in
// UTF-16 without a mark with LF line ends, short pieces of them included.
// Also prints the time the check takes over a full opening.
#include <iconv.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bench/BenchUtil.h"
#include "platform/text/Cp932.h"
#include "platform/text/EncodingCheck.h"

namespace {

// Code page 932 (or `from`) to another encoding through glibc; false when
// any character has no form there.
bool Iconv(const std::string& in, const char* to, std::string& out, const char* from = "CP932") {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.assign(in.size() * 4 + 16, '\0');
  char* ip = const_cast<char*>(in.data());
  size_t il = in.size();
  char* op = out.data();
  size_t ol = out.size();
  const bool ok = iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1);
  iconv_close(cd);
  out.resize(out.size() - ol);
  return ok;
}

bool HasNonAscii(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// Every character of code page 932, one row per lead byte (the single bytes
// first), each row ended by CR LF.
std::vector<std::string> EveryCharacterRows() {
  std::vector<std::string> rows;
  std::string out, single;
  for (int b = 0x20; b < 0x100; ++b) {
    const std::string c(1, static_cast<char>(b));
    if (!cp932::IsLeadByte(static_cast<unsigned char>(b)) && cp932::ToUtf8(c, out)) single += c;
  }
  rows.push_back(single + "\r\n");
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!cp932::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    std::string row;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (!cp932::IsTrailByte(static_cast<unsigned char>(trail))) continue;
      const std::string c{static_cast<char>(lead), static_cast<char>(trail)};
      if (cp932::ToUtf8(c, out)) row += c;
    }
    if (!row.empty()) rows.push_back(row + "\r\n");
  }
  return rows;
}

// Tallies of one set: files, bytes, and files by the name the check gave.
struct Tally {
  size_t Files = 0, Bytes = 0;
  std::map<std::string, size_t> Names;
  void Add(const std::string& bytes, bool complete = true) {
    ++Files;
    Bytes += bytes.size();
    ++Names[cp932::ForeignEncoding(bytes, complete)];
  }
  size_t Passed() const { return Names.count("") ? Names.at("") : 0; }
};

void PrintCp932(const char* what, const Tally& t) {
  std::printf("cp932   %-44s files=%zu bytes=%zu alarms=%zu\n", what, t.Files, t.Bytes, t.Files - t.Passed());
}

void PrintForeign(const char* what, const Tally& t, const std::string& expected) {
  const size_t named = t.Names.count(expected) ? t.Names.at(expected) : 0;
  std::printf("foreign %-44s files=%zu bytes=%zu caught=%zu named %s=%zu", what, t.Files, t.Bytes,
              t.Files - t.Passed(), expected.c_str(), named);
  for (const auto& [name, n] : t.Names)
    if (!name.empty() && name != expected) std::printf(" %s=%zu", name.c_str(), n);
  std::printf("\n");
}

// The characters of code page 932 that glibc's CP932 takes to Unicode and
// back to the same bytes, sorted into the kinds generated text draws from.
struct Inventory {
  std::vector<std::string> Hiragana, Katakana, Marks, Kanji1, Kanji2, KanjiIbm, Wide, Other, HalfKana;
  std::vector<std::string> AllDouble;

  Inventory() {
    std::string utf8, back;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!cp932::IsLeadByte(static_cast<unsigned char>(lead))) continue;
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        if (!cp932::IsTrailByte(static_cast<unsigned char>(trail))) continue;
        const std::string c{static_cast<char>(lead), static_cast<char>(trail)};
        if (!cp932::ToUtf8(c, utf8) || !cp932::FromUtf8(utf8, back) || back != c) continue;
        AllDouble.push_back(c);
        const int code = lead << 8 | trail;
        if (lead == 0x82 && trail >= 0x9F) Hiragana.push_back(c);
        else if (lead == 0x82) Wide.push_back(c);
        else if (lead == 0x83 && trail <= 0x96) Katakana.push_back(c);
        else if (lead == 0x81) Marks.push_back(c);
        else if (code >= 0x889F && code <= 0x9872) Kanji1.push_back(c);
        else if (code >= 0x989F && code <= 0xEAA4) Kanji2.push_back(c);
        else if (code >= 0xFA5C && code <= 0xFC4B) KanjiIbm.push_back(c);
        else if (lead < 0xF0) Other.push_back(c);  // Greek, Cyrillic, box drawing, NEC specials
      }
    }
    for (int b = 0xA1; b <= 0xDF; ++b) HalfKana.push_back(std::string(1, static_cast<char>(b)));
  }
};

using Rng = std::mt19937;

const std::string& Pick(Rng& rng, const std::vector<std::string>& from) {
  return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(rng)];
}

int Between(Rng& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

std::string AsciiWord(Rng& rng) {
  static const std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string w;
  for (int i = Between(rng, 1, 8); i > 0; --i) w += letters[static_cast<size_t>(Between(rng, 0, 61))];
  return w;
}

std::string AsciiSeparator(Rng& rng) {
  static const char* const kinds[] = {" ", " ", " ", " ", ",", ".", ":", "-", "(", ")", "/", "=", "\r\n", "\t"};
  return kinds[Between(rng, 0, 13)];
}

// Any kanji: of the first level, the second, or IBM's extension.
const std::string& Kanji(Rng& rng, const Inventory& inv) {
  const int r = Between(rng, 0, 99);
  return Pick(rng, r < 45 ? inv.Kanji1 : r < 90 ? inv.Kanji2 : inv.KanjiIbm);
}

// One character of Japanese prose: mostly hiragana and kanji, some katakana,
// marks, ASCII, full-width letters and half-width kana.
std::string JapaneseChar(Rng& rng, const Inventory& inv) {
  const int r = Between(rng, 0, 99);
  if (r < 42) return Pick(rng, inv.Hiragana);
  if (r < 56) return Pick(rng, inv.Kanji1);
  if (r < 64) return Pick(rng, inv.Kanji2);
  if (r < 66) return Pick(rng, inv.KanjiIbm);
  if (r < 76) return Pick(rng, inv.Katakana);
  if (r < 84) return Pick(rng, inv.Marks);
  if (r < 86) return Pick(rng, inv.Wide);
  if (r < 87) return Pick(rng, inv.Other);
  if (r < 89) return Pick(rng, inv.HalfKana);
  if (r < 91) return "\r\n";
  return std::string(1, static_cast<char>(Between(rng, 0x20, 0x7E)));
}

// Any character: one of the kinds above, or any double-byte character or
// printable single byte at all.
std::string AnyChar(Rng& rng, const Inventory& inv) {
  const int r = Between(rng, 0, 3);
  if (r == 0) return JapaneseChar(rng, inv);
  if (r == 1) return Pick(rng, inv.AllDouble);
  if (r == 2) return Pick(rng, inv.HalfKana);
  return std::string(1, static_cast<char>(Between(rng, 0x20, 0x7E)));
}

struct Kind {
  const char* Name;
  size_t Goal;  // named another encoding per million, at most
  std::function<std::string(Rng&, const Inventory&)> Text;
  std::function<std::string(Rng&, const Inventory&)> Next;  // the character after it in a longer file
};

std::vector<Kind> GeneratedKinds() {
  auto japanese = [](Rng& rng, const Inventory& inv) {
    std::string s;
    for (int n = Between(rng, 1, 200); n > 0; --n) s += JapaneseChar(rng, inv);
    return s;
  };
  auto asciiHalfKana = [](Rng& rng, const Inventory& inv) {
    std::string s;
    bool kana = false;
    for (int words = Between(rng, 1, 30); words > 0 || !kana; --words) {
      if (!s.empty() && Between(rng, 0, 4) > 0) s += AsciiSeparator(rng);
      if (Between(rng, 0, 2) == 0) {
        // A word of half-width katakana letters (ｦ to ﾟ), now and then
        // with a mark (｡｢｣､･) after it.
        for (int i = Between(rng, 1, 8); i > 0; --i) s += static_cast<char>(Between(rng, 0xA6, 0xDF));
        if (Between(rng, 0, 3) == 0) s += static_cast<char>(Between(rng, 0xA1, 0xA5));
        kana = true;
      } else {
        s += AsciiWord(rng);
      }
    }
    return s;
  };
  auto fewKanji = [](Rng& rng, const Inventory& inv) {
    // Lines of a table: ASCII fields, a few of them one to three kanji.
    std::string s;
    bool kanji = false;
    for (int fields = Between(rng, 1, 20); fields > 0 || !kanji; --fields) {
      if (Between(rng, 0, 5) == 0) {
        for (int i = Between(rng, 1, 3); i > 0; --i) s += Kanji(rng, inv);
        kanji = true;
      } else {
        s += AsciiWord(rng);
      }
      s += Between(rng, 0, 4) == 0 ? "\r\n" : ",";
    }
    return s;
  };
  auto halfKana = [](Rng& rng, const Inventory& inv) {
    std::string s;
    for (int n = Between(rng, 1, 200); n > 0; --n) s += Pick(rng, inv.HalfKana);
    return s;
  };
  auto halfKanaShort = [](Rng& rng, const Inventory& inv) {
    std::string s;
    for (int n = Between(rng, 1, 40); n > 0; --n) s += Pick(rng, inv.HalfKana);
    return s;
  };
  auto kanaRareKanji = [](Rng& rng, const Inventory& inv) {
    // Half-width kana among kanji of the second level and IBM's extension.
    std::string s;
    for (int n = Between(rng, 1, 40); n > 0; --n) {
      const int r = Between(rng, 0, 99);
      s += Pick(rng, r < 50 ? inv.HalfKana : r < 85 ? inv.Kanji2 : inv.KanjiIbm);
    }
    return s;
  };
  auto few = [](Rng& rng, const Inventory& inv) {
    std::string s;
    for (int n = Between(rng, 1, 8); n > 0; --n) s += AnyChar(rng, inv);
    return s;
  };
  auto ascii40 = [](Rng& rng, const Inventory&) {
    std::string s;
    while (s.size() < 40) s += AsciiWord(rng) + " ";
    return s.substr(0, 40);
  };
  auto anyNext = [](Rng& rng, const Inventory& inv) { return AnyChar(rng, inv); };
  auto japaneseNext = [](Rng& rng, const Inventory& inv) { return JapaneseChar(rng, inv); };
  auto halfKanaNext = [](Rng& rng, const Inventory& inv) { return Pick(rng, inv.HalfKana); };
  auto kanjiNext = [](Rng& rng, const Inventory& inv) { return Kanji(rng, inv); };
  auto doubleNext = [](Rng& rng, const Inventory& inv) { return Pick(rng, inv.AllDouble); };
  return {
      {"Japanese-like, 1-200 characters", 100, japanese, japaneseNext},
      {"ASCII with half-width kana", 100, asciiHalfKana, anyNext},
      {"mostly ASCII with a few kanji", 100, fewKanji, kanjiNext},
      {"half-width kana alone", 10000, halfKana, halfKanaNext},
      {"1-8 characters", 10000, few, anyNext},
      {"40 ASCII bytes, a cut character", 0, ascii40, doubleNext},
      {"half-width kana alone, 1-40 characters", 10000, halfKanaShort, halfKanaNext},
      {"half-width kana, second-level and IBM kanji, 1-40", 10000, kanaRareKanji, anyNext},
  };
}

// Named another encoding per million generated texts of each kind, whole
// and as the opening of a longer file: the text, then the first byte of the
// character after it (the rest of the file, the opening's end cutting it).
// With `show`, the first few alarms of each kind in hex.
void PrintHex(const char* how, const std::string& name, const std::string& bytes) {
  std::printf("    %s %s:", how, name.c_str());
  for (unsigned char c : bytes) std::printf(" %02x", c);
  std::printf("\n");
}

void PrintGenerated(size_t perKind, int show) {
  const Inventory inv;
  std::printf("generated code page 932 text (%zu texts a kind, fixed seed; per million named another encoding)\n",
              perKind);
  std::printf("  (inventory: %zu double-byte characters round-trip through CP932)\n", inv.AllDouble.size());
  unsigned seed = 932;
  for (const Kind& kind : GeneratedKinds()) {
    Rng rng(seed++);
    std::map<std::string, size_t> wholeNames, openingNames;
    size_t whole = 0, opening = 0;
    for (size_t i = 0; i < perKind; ++i) {
      const std::string text = kind.Text(rng, inv);
      const std::string next = kind.Next(rng, inv);
      const std::string w = cp932::ForeignEncoding(text, true);
      if (!w.empty() && ++whole <= static_cast<size_t>(show)) PrintHex("whole", w, text);
      if (!w.empty()) ++wholeNames[w];
      const std::string o = cp932::ForeignEncoding(text + next.substr(0, 1), false);
      if (!o.empty() && ++opening <= static_cast<size_t>(show)) PrintHex("opening", o, text + next.substr(0, 1));
      if (!o.empty()) ++openingNames[o];
    }
    auto perMillion = [&](size_t n) { return static_cast<double>(n) * 1e6 / static_cast<double>(perKind); };
    std::printf("cp932   %-44s whole=%.0f opening=%.0f per million (goal <= %zu)", kind.Name, perMillion(whole),
                perMillion(opening), kind.Goal);
    for (const auto& [name, n] : wholeNames) std::printf(" whole:%s=%zu", name.c_str(), n);
    for (const auto& [name, n] : openingNames) std::printf(" opening:%s=%zu", name.c_str(), n);
    std::printf("\n");
  }
}

// Per hundred, with one decimal.
double Percent(size_t n, size_t of) { return of == 0 ? 0.0 : static_cast<double>(n) * 100.0 / static_cast<double>(of); }

void PrintRate(const char* what, const Tally& t, const std::string& expected) {
  const size_t named = t.Names.count(expected) ? t.Names.at(expected) : 0;
  std::printf("detect  %-52s files=%zu named %s=%.1f%%", what, t.Files, expected.c_str(), Percent(named, t.Files));
  for (const auto& [name, n] : t.Names)
    if (name != expected) std::printf(" %s=%zu", name.empty() ? "(none)" : name.c_str(), n);
  std::printf("\n");
}

// Code page 932 and ASCII text with a few NULs in it: text that the load
// cuts at the first NUL, never UTF-16.
void PrintStrayNuls(const std::vector<std::string>& proseLines) {
  Rng rng(16);
  Tally table, prose2, prose1, ascii2;
  auto putNuls = [&](std::string s, int n) {
    for (int i = 0; i < n; ++i) s.insert(static_cast<size_t>(Between(rng, 0, static_cast<int>(s.size()))), 1, '\0');
    return s;
  };
  auto paragraph = [&] {
    std::string s;
    for (int n = Between(rng, 1, 6); n > 0; --n) s += proseLines[static_cast<size_t>(Between(rng, 0, static_cast<int>(proseLines.size()) - 1))];
    return s;
  };
  for (int i = 0; i < 6000; ++i) {
    std::string strings;
    for (int n = Between(rng, 2, 30); n > 0; --n) strings += AsciiWord(rng) + std::string(1, '\0');
    table.Add(strings);
    prose2.Add(putNuls(paragraph(), 2));
    prose1.Add(putNuls(paragraph(), 1));
    std::string ascii;
    for (int n = Between(rng, 3, 60); n > 0; --n) ascii += AsciiWord(rng) + AsciiSeparator(rng);
    ascii2.Add(putNuls(ascii, 2));
  }
  auto print = [](const char* what, const Tally& t) {
    size_t utf16 = 0;
    for (const auto& [name, n] : t.Names)
      if (name.rfind("UTF-16", 0) == 0) utf16 += n;
    std::printf("cp932   %-52s files=%zu named UTF-16=%.2f%%", what, t.Files, Percent(utf16, t.Files));
    for (const auto& [name, n] : t.Names) std::printf(" %s=%zu", name.empty() ? "(none)" : name.c_str(), n);
    std::printf("\n");
  };
  print("ASCII strings, each ended by a NUL", table);
  print("prose paragraphs with two NULs put in", prose2);
  print("prose paragraphs with one NUL put in", prose1);
  print("ASCII paragraphs with two NULs put in", ascii2);
}

// UTF-8 text of other languages than Japanese, alone and mixed with
// Japanese, and text in Latin-1 characters with only one or two of them:
// all of it should be named UTF-8. The words are written here.
void PrintUtf8Texts(const std::vector<std::string>& proseUtf8) {
  struct Words {
    const char* Name;
    std::vector<std::string> List;
  };
  const std::vector<Words> kinds = {
      {"Latin (French, German, Spanish)", {"café", "crème", "déjà", "über", "Straße", "niño", "façade", "Größe", "élève", "naïve", "où", "señor", "année", "Ærø", "garçon"}},
      {"Cyrillic", {"Привет", "мир", "файл", "текст", "открыть", "сохранить", "ошибка", "строка", "Ёлка"}},
      {"Greek", {"Καλημέρα", "κόσμε", "αρχείο", "κείμενο", "λάθος", "γραμμή"}},
      {"Vietnamese", {"Tiếng", "Việt", "tệp", "văn", "bản", "mở", "lưu", "lỗi", "người", "dòng"}},
      {"Devanagari (Hindi)", {"नमस्ते", "फ़ाइल", "पाठ", "खोलें", "सहेजें", "त्रुटि", "हिन्दी", "पंक्ति"}},
      {"emoji with a variation selector", {"❤️", "☺️", "✔️", "⚠️", "☀️", "✏️", "👍"}},
      {"U+FFFD", {"\xEF\xBF\xBD", "a\xEF\xBF\xBD" "b", "\xEF\xBF\xBD\xEF\xBF\xBD"}},
      {"combining marks", {"e\xCC\x81", "cafe\xCC\x81", "a\xCC\x80", "o\xCC\x88", "n\xCC\x83" "o", "u\xCC\x88" "ber"}},
      {"Cyrillic and Latin", {"Привет", "café", "мир", "déjà", "файл", "über"}},
  };
  const std::vector<std::string> ascii = {"the", "file", "open", "text", "and", "error", "100", "line", ":", "-", "OK"};
  const std::vector<std::string> japanese = {"日本語", "ファイル", "テキスト", "です。", "開く", "保存", "を", "の", "、"};
  Rng rng(8);
  auto pick = [&](const std::vector<std::string>& from) { return from[static_cast<size_t>(Between(rng, 0, static_cast<int>(from.size()) - 1))]; };
  for (const Words& kind : kinds) {
    Tally alone, mixed;
    for (int i = 0; i < 2000; ++i) {
      std::string a, m;
      for (int n = Between(rng, 2, 12); n > 0; --n) a += (Between(rng, 0, 1) ? pick(kind.List) : pick(ascii)) + " ";
      a += "\n";
      for (int n = Between(rng, 2, 12); n > 0; --n) m += Between(rng, 0, 2) == 0 ? pick(kind.List) + " " : pick(japanese);
      m += "\n";
      alone.Add(a);
      mixed.Add(m);
    }
    PrintRate((std::string(kind.Name) + ", with ASCII words").c_str(), alone, "UTF-8");
    PrintRate((std::string(kind.Name) + ", with Japanese words").c_str(), mixed, "UTF-8");
  }
  // Japanese prose with a few Greek and Cyrillic letters put in, as a
  // line and as a file's opening.
  const std::vector<std::string> letters = {"α", "β", "μ", "Ω", "Д", "ж", "λ"};
  Tally lines, opening;
  std::string file;
  for (size_t i = 0; i < proseUtf8.size(); ++i) {
    std::string line = proseUtf8[i];
    const size_t at = line.find(' ');
    line.insert(at == std::string::npos ? 0 : at, pick(letters) + " " + pick(letters));
    lines.Add(line);
    if (file.size() < cp932::kEncodingCheckBytes) file += line;
  }
  opening.Add(file.substr(0, cp932::kEncodingCheckBytes), file.size() < cp932::kEncodingCheckBytes);
  PrintRate("prose lines with Greek and Cyrillic letters", lines, "UTF-8");
  PrintRate("prose opening with Greek and Cyrillic letters", opening, "UTF-8");

  // One or two Latin-1 characters in ASCII text: "café", a no-break space,
  // a degree sign.
  const std::vector<std::string> one = {"café", "déjà", "über", "niño", "garçon", "naïve", "25 °C", "price\xC2\xA0" "100",
                                        "Größe", "±5", "©2024", "10 µs", "«oui»", "Zürich", "señor"};
  Tally latin1, nbsp;
  for (int i = 0; i < 4000; ++i) {
    std::string s;
    const int words = Between(rng, 0, 10), at = Between(rng, 0, words);
    for (int n = 0; n <= words; ++n) s += (n == at ? pick(one) : pick(ascii)) + (n < words ? " " : "");
    latin1.Add(s + "\n");
    // French typography: a no-break space before : ? ! and nothing else
    // outside ASCII.
    std::string f;
    for (int n = Between(rng, 1, 40); n > 0; --n) {
      f += pick({"Bonjour", "le", "fichier", "est", "ouvert", "voici", "la", "page", "Attention", "Pourquoi"});
      f += Between(rng, 0, 5) == 0 ? pick({"\xC2\xA0:", "\xC2\xA0?", "\xC2\xA0!"}) + "\n" : " ";
    }
    nbsp.Add(f + "\xC2\xA0!\n");
  }
  PrintRate("ASCII text with one or two Latin-1 characters", latin1, "UTF-8");
  PrintRate("French text whose only non-ASCII are no-break spaces", nbsp, "UTF-8");
}

// Lines and paragraphs of the prose in UTF-16 without a mark, with LF line
// ends, and the first 1 to 12 characters of each line with an LF.
void PrintUtf16Lines(const std::vector<std::string>& proseUtf8) {
  auto chars = [](const std::string& s) {
    std::vector<std::string> c;
    for (size_t i = 0; i < s.size();) {
      size_t len = 1;
      while (i + len < s.size() && (static_cast<unsigned char>(s[i + len]) & 0xC0) == 0x80) ++len;
      c.push_back(s.substr(i, len));
      i += len;
    }
    return c;
  };
  for (const char* order : {"UTF-16LE", "UTF-16BE"}) {
    Tally shortLines, longLines, paragraphs;
    std::string out, para;
    int inPara = 0;
    for (const std::string& line : proseUtf8) {
      std::string bare = line;
      while (!bare.empty() && (bare.back() == '\n' || bare.back() == '\r')) bare.pop_back();
      const std::vector<std::string> c = chars(bare);
      if (c.empty()) continue;
      for (size_t n = 1; n <= 12 && n <= c.size(); ++n) {
        std::string piece;
        for (size_t k = 0; k < n; ++k) piece += c[k];
        if (Iconv(piece + "\n", order, out, "UTF-8")) (n < 5 ? shortLines : longLines).Add(out);
      }
      if (Iconv(bare + "\n", order, out, "UTF-8")) (c.size() < 5 ? shortLines : longLines).Add(out);
      para += bare + "\n";
      if (++inPara == 4) {
        if (Iconv(para, order, out, "UTF-8")) paragraphs.Add(out);
        para.clear();
        inPara = 0;
      }
    }
    const std::string o(order);
    PrintRate((o + " lines of 1-4 characters, LF, no BOM").c_str(), shortLines, order);
    PrintRate((o + " lines of 5+ characters, LF, no BOM").c_str(), longLines, order);
    PrintRate((o + " paragraphs of four lines, LF, no BOM").c_str(), paragraphs, order);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: encoding_check_bench prose.txt [SHOW]\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "encoding_check_bench: cannot read %s\n", argv[1]);
    return 1;
  }
  const std::string prose((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::set<std::string> lines;
  for (size_t pos = 0; pos < prose.size();) {
    size_t end = prose.find('\n', pos);
    end = end == std::string::npos ? prose.size() : end + 1;
    lines.insert(prose.substr(pos, end - pos));
    pos = end;
  }

  Tally proseFile, proseLines, every, everyRows;
  proseFile.Add(prose.substr(0, cp932::kEncodingCheckBytes), prose.size() <= cp932::kEncodingCheckBytes);
  proseFile.Add(prose);
  for (const std::string& line : lines) proseLines.Add(line);
  const std::vector<std::string> rows = EveryCharacterRows();
  std::string all;
  size_t characters = 0;
  for (const std::string& row : rows) {
    all += row;
    everyRows.Add(row);
    for (size_t i = 0; i + 2 < row.size(); i += static_cast<size_t>(cp932::CharLength(row, i))) ++characters;
  }
  every.Add(all);
  PrintCp932("prose file (opening, whole)", proseFile);
  PrintCp932("prose lines, each a file", proseLines);
  std::printf("        (every character file: %zu characters)\n", characters);
  PrintCp932("every character, whole", every);
  PrintCp932("every character, each row a file", everyRows);

  Tally utf8, bom, euc, whole8, wholeEuc;
  std::string out;
  for (const std::string& line : lines) {
    if (!HasNonAscii(line)) continue;
    if (Iconv(line, "UTF-8", out)) {
      utf8.Add(out);
      bom.Add("\xEF\xBB\xBF" + out);
    }
    if (Iconv(line, "EUC-JP", out)) euc.Add(out);
  }
  if (Iconv(prose, "UTF-8", out)) whole8.Add(out.substr(0, cp932::kEncodingCheckBytes), false);
  // EUC-JP lacks a few characters of the prose: its lines that have them
  // are left out of the file.
  std::string eucProse;
  for (size_t pos = 0; pos < prose.size() && eucProse.size() < cp932::kEncodingCheckBytes;) {
    size_t end = prose.find('\n', pos);
    end = end == std::string::npos ? prose.size() : end + 1;
    if (Iconv(prose.substr(pos, end - pos), "EUC-JP", out)) eucProse += out;
    pos = end;
  }
  wholeEuc.Add(eucProse.substr(0, cp932::kEncodingCheckBytes), false);
  PrintForeign("prose lines in UTF-8, each a file", utf8, "UTF-8");
  PrintForeign("prose lines in UTF-8 with BOM, each a file", bom, "UTF-8 (BOM 付き)");
  PrintForeign("prose lines in EUC-JP, each a file", euc, "EUC-JP");
  PrintForeign("prose file in UTF-8 (opening)", whole8, "UTF-8");
  PrintForeign("prose file in EUC-JP (opening)", wholeEuc, "EUC-JP");

  // Random bytes, with and without a NUL: binary data.
  Tally random, randomNoNul;
  Rng rng(1);
  for (int i = 0; i < 1000; ++i) {
    std::string bytes(static_cast<size_t>(Between(rng, 16, 4096)), '\0');
    for (char& c : bytes) c = static_cast<char>(Between(rng, 0, 255));
    random.Add(bytes);
    for (char& c : bytes)
      if (c == '\0') c = static_cast<char>(Between(rng, 1, 255));
    randomNoNul.Add(bytes);
  }
  PrintForeign("random bytes, 16-4096", random, cp932::kBinaryData);
  PrintForeign("random bytes without NUL, 16-4096", randomNoNul, cp932::kBinaryData);
  // UTF-16 without a byte-order mark: the prose lines, non-ASCII or not.
  Tally le, be;
  for (const std::string& line : lines) {
    if (Iconv(line, "UTF-16LE", out)) le.Add(out);
    if (Iconv(line, "UTF-16BE", out)) be.Add(out);
  }
  PrintForeign("prose lines in UTF-16LE without BOM", le, "UTF-16LE");
  PrintForeign("prose lines in UTF-16BE without BOM", be, "UTF-16BE");

  std::vector<std::string> proseUtf8;
  for (const std::string& line : lines)
    if (HasNonAscii(line) && Iconv(line, "UTF-8", out)) proseUtf8.push_back(out);
  const std::vector<std::string> lineList(lines.begin(), lines.end());
  PrintStrayNuls(lineList);
  PrintUtf8Texts(proseUtf8);
  PrintUtf16Lines(proseUtf8);

  PrintGenerated(100000, argc > 2 ? std::atoi(argv[2]) : 0);

  const std::string opening = prose.substr(0, cp932::kEncodingCheckBytes);
  const int repeat = 20;
  double best = 1e300;
  for (int i = 0; i < repeat; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    volatile size_t n = cp932::ForeignEncoding(opening, false).size();
    (void)n;
    best = std::min(best, bench::Seconds(t0));
  }
  std::printf("check of a %zu-byte opening: %.2f ms (best of %d)\n", opening.size(), best * 1e3, repeat);
  return 0;
}
