// The reading lookup over MeCab: code page 932 in, hiragana readings out.
#include <mecab.h>

#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "platform/reading/ReadingLookup.h"
#include "platform/text/Cp932.h"

namespace reading {
namespace {

// What the converter writes in place of a character it cannot convert. It is
// never part of valid UTF-8, so it marks the spot without ambiguity.
constexpr char kBadMark[] = "\xFF";
constexpr uint32_t kNoOffset = UINT32_MAX;

// The IPADIC feature field that holds the reading in katakana.
constexpr int kReadingField = 7;

bool IsUtf8Charset(const char* charset) {
  if (!charset) return false;
  std::string name;
  for (const char* p = charset; *p; ++p)
    if (*p != '-' && *p != '_') name += static_cast<char>(*p | 0x20);
  return name == "utf8";
}

// A one-byte character that code page 932 defines: ASCII and half-width
// katakana. 0x80, 0xA0 and 0xFD-0xFF are not characters.
bool IsSingleByteChar(unsigned char b) { return b < 0x80 || (b >= 0xA1 && b <= 0xDF); }

size_t Utf8SequenceLength(unsigned char b) {
  if (b < 0x80) return 1;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  if (b >= 0xE0) return 3;
  if (b >= 0xC2) return 2;
  return 1;
}

// Appends the hiragana form of a UTF-8 katakana reading. Only ァ-ン have
// hiragana that code page 932 can hold; ヴ, ヵ, ヶ, ー and the rest stay.
void AppendHiragana(const char* p, size_t n, std::string& out) {
  for (size_t i = 0; i < n;) {
    const auto* u = reinterpret_cast<const unsigned char*>(p + i);
    if (i + 3 <= n && u[0] == 0xE3 && (u[1] == 0x82 || u[1] == 0x83)) {
      unsigned cp = 0x3000 | ((u[1] & 0x3Fu) << 6) | (u[2] & 0x3Fu);
      if (cp >= 0x30A1 && cp <= 0x30F3) {
        cp -= 0x60;
        out += static_cast<char>(0xE3);
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
        i += 3;
        continue;
      }
    }
    out += p[i];
    ++i;
  }
}

// The reading field of an IPADIC feature string, or false when the entry has
// none (unknown words carry seven fields only) or it is "*".
bool ReadingField(const char* feature, const char** start, size_t* length) {
  if (!feature) return false;
  const char* p = feature;
  for (int field = 0; field < kReadingField; ++field) {
    p = std::strchr(p, ',');
    if (!p) return false;
    ++p;
  }
  const char* end = std::strchr(p, ',');
  size_t n = end ? static_cast<size_t>(end - p) : std::strlen(p);
  if (n == 0 || (n == 1 && *p == '*')) return false;
  *start = p;
  *length = n;
  return true;
}

class MecabReading final : public ReadingLookup {
 public:
  MecabReading(KanjiTest isKanji, MeCab::Model* model, MeCab::Tagger* tagger,
               MeCab::Lattice* lattice)
      : isKanji_(isKanji), model_(model), tagger_(tagger), lattice_(lattice) {}

  int32_t GetPhonetic(std::string_view text, std::string_view& reading) override;
  void Release() override { delete this; }

 private:
  ~MecabReading() {
    delete lattice_;
    delete tagger_;
    delete model_;
  }

  int32_t Read(std::string_view cp, std::string_view& result);
  bool HasKanji(std::string_view cp) const;
  void AppendSource(std::string_view cp, size_t u0, size_t u1, std::string& out) const;
  bool ReadSegment(std::string_view cp, size_t u0, size_t u1, std::string& out);
  void AppendMorpheme(std::string_view cp, const MeCab::Node* node, size_t u0, size_t u1,
                      std::string& out);

  KanjiTest isKanji_;
  MeCab::Model* model_;
  MeCab::Tagger* tagger_;
  MeCab::Lattice* lattice_;
  // Scratch kept between calls so a lookup allocates only when a text is
  // longer than any before it.
  std::string utf8_;
  std::vector<uint32_t> offsets_;  // code page 932 offset of each UTF-8 character start
  std::string hiragana_;
  std::string converted_;
  std::string reading_;
};

bool MecabReading::HasKanji(std::string_view cp) const {
  for (size_t i = 0; i < cp.size();) {
    int n = cp932::CharLength(cp, i);
    if (n == 2 && isKanji_(cp.data() + i)) return true;
    i += static_cast<size_t>(n);
  }
  return false;
}

// Copies the input bytes behind the UTF-8 range [u0, u1).
void MecabReading::AppendSource(std::string_view cp, size_t u0, size_t u1,
                                std::string& out) const {
  if (u1 > u0) out.append(cp.substr(offsets_[u0], offsets_[u1] - offsets_[u0]));
}

void MecabReading::AppendMorpheme(std::string_view cp, const MeCab::Node* node, size_t u0,
                                  size_t u1, std::string& out) {
  std::string_view source = cp.substr(offsets_[u0], offsets_[u1] - offsets_[u0]);
  const char* field = nullptr;
  size_t fieldLength = 0;
  if (HasKanji(source) && ReadingField(node->feature, &field, &fieldLength)) {
    hiragana_.clear();
    AppendHiragana(field, fieldLength, hiragana_);
    // A reading that code page 932 cannot hold whole is no reading.
    if (cp932::FromUtf8(hiragana_, converted_, kBadMark) && !converted_.empty()) {
      out += converted_;
      return;
    }
  }
  out.append(source);
}

// Appends the reading of the valid stretch [u0, u1) of the UTF-8 text; false
// when MeCab fails or its nodes do not line up with the text.
bool MecabReading::ReadSegment(std::string_view cp, size_t u0, size_t u1, std::string& out) {
  lattice_->set_sentence(utf8_.data() + u0, u1 - u0);
  if (!tagger_->parse(lattice_)) return false;
  size_t pos = u0;
  for (const MeCab::Node* node = lattice_->bos_node()->next;
       node && node->stat != MECAB_EOS_NODE; node = node->next) {
    size_t start = static_cast<size_t>(node->surface - utf8_.data());
    size_t end = start + node->length;
    if (start < pos || end > u1 || offsets_[start] == kNoOffset || offsets_[end] == kNoOffset)
      return false;
    AppendSource(cp, pos, start, out);  // white space MeCab skipped
    if (end > start) AppendMorpheme(cp, node, start, end, out);
    pos = end;
  }
  AppendSource(cp, pos, u1, out);
  return true;
}

int32_t MecabReading::GetPhonetic(std::string_view cp, std::string_view& result) {
  try {
    return Read(cp, result);
  } catch (const std::exception&) {  // out of memory: no reading
    return kFailed;
  }
}

int32_t MecabReading::Read(std::string_view cp, std::string_view& result) {
  // A text without kanji reads as itself.
  if (!HasKanji(cp)) {
    result = cp;
    return kOk;
  }
  if (cp.size() >= kNoOffset) return kFailed;
  std::string& reading = reading_;
  reading.clear();

  // One conversion for the whole text; walking source and result side by side
  // gives each UTF-8 character its source offset and finds what the converter
  // refused. Every source character yields one code point or one mark.
  cp932::ToUtf8(cp, utf8_, kBadMark);
  offsets_.assign(utf8_.size() + 1, kNoOffset);
  size_t i = 0, u = 0;
  size_t segment = std::string::npos;  // start of the valid stretch being gathered
  while (i < cp.size()) {
    if (u >= utf8_.size()) return kFailed;
    int n = cp932::CharLength(cp, i);
    auto mark = static_cast<unsigned char>(utf8_[u]);
    size_t un = mark == 0xFF ? 1 : Utf8SequenceLength(mark);
    bool valid = mark != 0xFF && (n == 2 || IsSingleByteChar(static_cast<unsigned char>(cp[i])));
    offsets_[u] = static_cast<uint32_t>(i);
    if (valid) {
      if (segment == std::string::npos) segment = u;
    } else {
      if (segment != std::string::npos) {
        if (!ReadSegment(cp, segment, u, reading)) return kFailed;
        segment = std::string::npos;
      }
      // Bytes that are not code page 932 text pass through as they are.
      reading.append(cp.substr(i, static_cast<size_t>(n)));
    }
    i += static_cast<size_t>(n);
    u += un;
  }
  if (u != utf8_.size()) return kFailed;
  offsets_[u] = static_cast<uint32_t>(i);
  if (segment != std::string::npos && !ReadSegment(cp, segment, u, reading)) return kFailed;
  result = reading;
  return kOk;
}

ReadingLookup* Open(KanjiTest isKanji, const char* dicdir) {
  // The dictionary's own dicrc serves as the resource file, so neither the
  // system's mecabrc nor a user's ~/.mecabrc can swap the dictionary.
  std::string rcfile = std::string(dicdir) + "/dicrc";
  const char* argv[] = {"mecab", "-r", rcfile.c_str(), "-d", dicdir};
  MeCab::Model* model = MeCab::createModel(5, const_cast<char**>(argv));
  if (!model) return nullptr;
  const MeCab::DictionaryInfo* info = model->dictionary_info();
  if (!info || info->type != MECAB_SYS_DIC || !IsUtf8Charset(info->charset)) {
    delete model;
    return nullptr;
  }
  MeCab::Tagger* tagger = model->createTagger();
  MeCab::Lattice* lattice = tagger ? model->createLattice() : nullptr;
  if (!lattice) {
    delete tagger;
    delete model;
    return nullptr;
  }
  return new MecabReading(isKanji, model, tagger, lattice);
}

}  // namespace

ReadingLookup* OpenMecabReading(KanjiTest isKanji, const char* dicdir) {
  if (!isKanji || !dicdir || !*dicdir) return nullptr;
  try {
    return Open(isKanji, dicdir);
  } catch (const std::exception&) {
    return nullptr;
  }
}

}  // namespace reading
