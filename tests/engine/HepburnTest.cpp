#include <gtest/gtest.h>

#include <string>

#include "engine/Roma.h"
#include "tests/engine/TestText.h"

using testtext::Sjis;
using testtext::Take;
using testtext::Utf8;

namespace {

struct Case {
  HepburnOptions options;
  const char* kana;
  const char* romaji;
};

void ExpectHepburn(const Case* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const Case& c = cases[i];
    std::string got = Utf8(Take(KanaToHepburn(c.options, Sjis(c.kana).c_str())));
    EXPECT_EQ(got, c.romaji) << c.kana << " options 0x" << std::hex << int(c.options);
  }
}

TEST(Hepburn, LongVowelsMergeWithTheSyllableBefore) {
  static const Case cases[] = {
      {0, "こう", "ko"},           {0, "とうきょう", "tokyo"}, {0, "せんせい", "sense"},
      {0, "けいこ", "keko"},       {0, "おおさか", "osaka"},   {0, "ああ", "a"},
      {0, "しい", "shii"},         {0, "ちい", "chii"},        {0, "じい", "jii"},
      {0, "きい", "ki"},           {0, "えい", "e"},           {0, "うお", "uo"},
      {0, "ゆう", "yu"},           {0, "ぁあ", "a"},           {0, "おおお", "oo"},
      {0, "おうう", "ou"},         {0, "しゃあ", "sha"},       {0, "しゅう", "shu"},
      {0, "ちゃう", "chau"},       {0, "きゅう", "kyu"},       {0, "りょう", "ryo"},
      {0, "かぁ", "kaa"},          {0, "こぉ", "koo"},
  };
  ExpectHepburn(cases, std::size(cases));
}

TEST(Hepburn, SyllabicNBeforeBMP) {
  static const Case cases[] = {
      {0, "しんぶん", "shimbun"},   {0, "さんま", "samma"},       {0, "てんぷら", "tempura"},
      {0, "ほんや", "honya"},       {0, "げんいん", "genin"},     {0, "ん", "n"},
      {0, "んっか", "nkka"},        {0, "っしゃ", "ssha"},        {0, "っち", "tchi"},
      {HepburnNbmp, "しんぶん", "shinbun"}, {HepburnNbmp, "さんま", "sanma"},
      {HepburnNbmp, "てんぷら", "tenpura"},
  };
  ExpectHepburn(cases, std::size(cases));
}

TEST(Hepburn, LongOWithH) {
  static const Case cases[] = {
      {HepburnOh, "こう", "koh"},          {HepburnOh, "おおさか", "ohsaka"},
      {HepburnOh, "とうきょう", "tohkyoh"}, {HepburnOh, "ようこ", "yohko"},
      {HepburnOh, "おおお", "oho"},        {HepburnOh, "おうう", "ohu"},
      {HepburnOh, "ああ", "a"},            {HepburnOh, "すう", "su"},
  };
  ExpectHepburn(cases, std::size(cases));
}

TEST(Hepburn, VowelsKeptApart) {
  static const Case cases[] = {
      {HepburnOo, "こう", "kou"},   {HepburnOo, "けい", "kei"},
      {HepburnOo, "おおさか", "oosaka"}, {HepburnOo, "ああ", "aa"},
      {HepburnOo | HepburnOh, "こう", "kouh"}, {HepburnOo | HepburnOh, "おお", "ooh"},
  };
  ExpectHepburn(cases, std::size(cases));
}

TEST(Hepburn, ParticleWo) {
  static const Case cases[] = {
      {0, "を", "o"},
      {0, "かを", "kao"},
      {0, "をお", "o"},
      {HepburnWo, "を", "wo"},
      {HepburnWo, "かを", "kawo"},
      {HepburnWo, "っを", "wwo"},
      {HepburnWoSp, "を", " o "},
      {HepburnWoSp, "かを", "ka o "},
      {HepburnWoSp, "っを", "tu o "},
      {HepburnWo | HepburnWoSp, "を", " wo "},
      {HepburnWo | HepburnWoSp, "っを", "w wo "},
      // A vowel merging with を writes nothing, so the trailing blank stays.
      {HepburnWoSp, "をお", " o "},
      {HepburnWo | HepburnWoSp, "をお", " wo "},
      {HepburnWoSp | HepburnOh, "をおくる", " oh kuru"},
      {HepburnWoSp | HepburnOh | HepburnOo, "をお", " o oh"},
      {HepburnQu, "んを", "no"},
  };
  ExpectHepburn(cases, std::size(cases));
}

TEST(Hepburn, VuAndWPairsUnderTheirOptions) {
  static const Case cases[] = {
      {HepburnVa, "ヴァ", "va"},   {HepburnVa, "ヴィ", "vi"},  {HepburnVa, "ヴ", "vu"},
      {HepburnVa, "ヴェ", "ve"},   {HepburnVa, "ヴォ", "vo"},  {HepburnVa, "ッヴァ", "vva"},
      {HepburnVa, "ッヴ", "vvu"},  {HepburnVa, "ヴァア", "va"}, {HepburnVa, "ヴィャ", "vya"},
      {HepburnWi, "うぁ", "wa"},   {HepburnWi, "ウォ", "wo"},  {HepburnWi, "ッウァ", "tuwa"},
      {HepburnWi, "ウィ", "wi"},   {HepburnWi, "うぇ", "we"},
      {HepburnWi | HepburnQu, "んうぃ", "nwi"},
  };
  ExpectHepburn(cases, std::size(cases));
}

// A pair whose option is off is not in the table: its kana go to the later
// literals, or are copied when no literal holds them.
TEST(Hepburn, PairsWithTheirOptionOffKeepTheirText) {
  static const Case cases[] = {
      {0, "ヴァイオリン", "ヴaiorin"},
      {0, "ヴ", "ヴ"},
      {HepburnWi, "ヴァ", "ヴa"},
      {0, "ウィスキー", "uisuki-"},
      {0, "うぁ", "ua"},
      {HepburnVa, "ウィスキー", "uisuki-"},
  };
  ExpectHepburn(cases, std::size(cases));
}

TEST(Hepburn, ApostropheAfterN) {
  static const Case cases[] = {
      {HepburnQu, "げんいん", "gen'in"},
      {HepburnQu, "きんよう", "kin'yo"},
      {HepburnQu, "ほんや", "hon'ya"},
      {HepburnQu, "んぁ", "na"},
      {HepburnQu, "ほうおう", "hoo"},
      {HepburnQu | HepburnNbmp, "ほんや", "hon'ya"},
      {HepburnQu | HepburnOh, "ほうおう", "hoh'oh"},
      {HepburnQu | HepburnOh, "こうえん", "koh'en"},
      {HepburnQu | HepburnOh, "ほうや", "hoh'ya"},
      {HepburnQu | HepburnOh, "ああい", "a'i"},
  };
  ExpectHepburn(cases, std::size(cases));
}

// A small ャ ュ ョ with no romaji (after ン, or after a merged vowel) is kept
// as it is, and a following b/m/p syllable must not rewrite a byte of it.
TEST(Hepburn, SmallYaWithoutRomajiIsKeptWhole) {
  static const Case cases[] = {
      {0, "んゃば", "nゃba"},
      {0, "んゅま", "nゅma"},
      {HepburnNbmp, "んょぱ", "nょpa"},
      {0, "こうゃ", "koゃ"},
      {0, "こうゃん", "koゃn"},
  };
  ExpectHepburn(cases, std::size(cases));
  EXPECT_EQ(Utf8(Take(KanaToKunrei(Sjis("んゃば").c_str()))), "nゃba");
  EXPECT_EQ(Utf8(Take(KanaToNihonShiki(Sjis("んゃ").c_str()))), "nゃ");
}

}  // namespace
