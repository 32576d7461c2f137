// Romanisation of kana in code page 932 text: Hepburn (with options), Kunrei, Nihon.
#pragma once

// One byte of independent Hepburn option bits; every combination is allowed.
using HepburnOptions = unsigned char;

inline constexpr HepburnOptions HepburnOh = 0x01;    // an "h" after a long o: こう "koh"
inline constexpr HepburnOptions HepburnWo = 0x02;    // を and ヲ written "wo"
inline constexpr HepburnOptions HepburnOo = 0x04;    // vowels never merged: こう "kou"
inline constexpr HepburnOptions HepburnWoSp = 0x08;  // a blank before and after を
inline constexpr HepburnOptions HepburnNbmp = 0x10;  // ン stays "n" before b, m, p
inline constexpr HepburnOptions HepburnVa = 0x20;    // ヴァ ヴィ ヴ ヴェ ヴォ as va vi vu ve vo
inline constexpr HepburnOptions HepburnWi = 0x40;    // ウァ ウィ ウェ ウォ as wa wi we wo
inline constexpr HepburnOptions HepburnQu = 0x80;    // an apostrophe after ン before a vowel or ヤ ユ ヨ

// Each converter takes one NUL-terminated row (an empty row is "") and returns
// a new NUL-terminated string from the standard heap, which the caller owns
// and releases with free(). Kana become lower-case ASCII romaji; everything
// else (ASCII, kanji, half-width kana, CR, ...) is copied unchanged. The
// result is null only when memory runs out; it is never longer than twice
// the text.
char* KanaToHepburn(HepburnOptions options, const char* text);
char* KanaToKunrei(const char* text);
char* KanaToNihonShiki(const char* text);
