#include "platform/text/Cp932.h"

#include <iconv.h>

#include <cerrno>

namespace cp932 {
namespace {

// One iconv conversion descriptor for the length of one call.
class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (ok()) iconv_close(cd_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Length of the UTF-8 sequence at the start of s, or 1 for a stray byte, so
// an unconvertible character is replaced once rather than once per byte. A
// sequence cut short ends at the first byte that cannot continue it, which
// is kept.
size_t Utf8SequenceLength(const char* s, size_t left) {
  const auto b = static_cast<unsigned char>(s[0]);
  size_t len = 1;
  if (b >= 0xF0 && b <= 0xF4) len = 4;
  else if (b >= 0xE0 && b <= 0xEF) len = 3;
  else if (b >= 0xC2 && b <= 0xDF) len = 2;
  size_t n = 1;
  while (n < len && n < left && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) ++n;
  return n;
}

// What a conversion that could not be opened returns.
constexpr size_t kUnavailable = static_cast<size_t>(-1);

// Returns how many characters were replaced, or kUnavailable when iconv
// could not open the conversion (`out` is then a copy of the input); with
// `refused`, the input bytes of each replaced character are appended to it.
size_t Convert(const char* to, const char* from, std::string_view in, std::string& out,
               std::string_view replacement, bool inputIsUtf8, std::string* refused = nullptr) {
  out.clear();
  IconvHandle cd(to, from);
  if (!cd.ok()) {
    out.assign(in);
    return kUnavailable;
  }
  size_t replaced = 0;
  out.reserve(in.size() * 3 / 2 + 4);
  char* inPtr = const_cast<char*>(in.data());
  size_t inLeft = in.size();
  char chunk[4096];
  while (inLeft > 0) {
    char* outPtr = chunk;
    size_t outLeft = sizeof chunk;
    size_t r = iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(chunk, static_cast<size_t>(outPtr - chunk));
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: skip the offending character and mark it.
    size_t skip = 1;
    if (inputIsUtf8) {
      skip = Utf8SequenceLength(inPtr, inLeft);
    } else if (inLeft >= 2 && IsLeadByte(static_cast<unsigned char>(inPtr[0])) &&
               IsTrailByte(static_cast<unsigned char>(inPtr[1]))) {
      skip = 2;
    }
    if (skip > inLeft) skip = inLeft;
    if (refused) refused->append(inPtr, skip);
    inPtr += skip;
    inLeft -= skip;
    out.append(replacement);
    ++replaced;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
  }
  return replaced;
}

// A count that is true, or the failure raised.
size_t Counted(size_t replaced) {
  if (replaced == kUnavailable) throw EConversionUnavailable();
  return replaced;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

EConversionUnavailable::EConversionUnavailable()
    : std::runtime_error("コードページ 932 (Shift-JIS) の変換を開けません") {}

bool ToUtf8(std::string_view cp, std::string& out, std::string_view replacement) {
  return Convert("UTF-8", "CP932", cp, out, replacement, false) == 0;
}

bool FromUtf8(std::string_view utf8, std::string& out, std::string_view replacement) {
  return Convert("CP932", "UTF-8", utf8, out, replacement, true) == 0;
}

size_t ToUtf8Counting(std::string_view cp, std::string& out, std::string_view replacement) {
  return Counted(Convert("UTF-8", "CP932", cp, out, replacement, false));
}

size_t FromUtf8Counting(std::string_view utf8, std::string& out, std::string_view replacement,
                        std::string* refused) {
  return Counted(Convert("CP932", "UTF-8", utf8, out, replacement, true, refused));
}

size_t FromUtf16Counting(std::u16string_view utf16, std::string& out, std::string_view replacement,
                         std::string* refused) {
  // Runs of whole characters go through iconv as UTF-8; a lone surrogate
  // between them is replaced here, since UTF-8 has no form for it.
  out.clear();
  size_t replaced = 0;
  std::string run, converted;
  auto flushRun = [&] {
    if (run.empty()) return;
    replaced += FromUtf8Counting(run, converted, replacement, refused);
    out += converted;
    run.clear();
  };
  for (size_t i = 0; i < utf16.size(); ++i) {
    const char16_t u = utf16[i];
    const bool high = u >= 0xD800 && u <= 0xDBFF, low = u >= 0xDC00 && u <= 0xDFFF;
    if (high && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
      AppendUtf8(run, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
      ++i;
    } else if (high || low) {
      flushRun();
      out.append(replacement);
      ++replaced;
      if (refused) {
        static const char kHex[] = "0123456789ABCDEF";
        *refused += "U+";
        for (int shift = 12; shift >= 0; shift -= 4) refused->push_back(kHex[(u >> shift) & 0xF]);
      }
    } else {
      AppendUtf8(run, u);
    }
  }
  flushRun();
  return replaced;
}

std::string ToUtf8(std::string_view cp) {
  std::string out;
  ToUtf8(cp, out);
  return out;
}

std::string FromUtf8(std::string_view utf8) {
  std::string out;
  FromUtf8(utf8, out);
  return out;
}

}  // namespace cp932
