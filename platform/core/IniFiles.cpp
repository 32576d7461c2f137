#include "platform/core/IniFiles.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdint>

namespace {

std::string Trim(const std::string& s) {
  const char* blanks = " \t\r\n\f\v";
  size_t b = s.find_first_not_of(blanks);
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(blanks);
  return s.substr(b, e - b + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

TIniFile::TIniFile(const std::string& FileName) : FFileName(FileName) {
  // A missing file reads as empty. One that is there but cannot be read,
  // or whose read fails part-way, reads as far as it could and is never
  // rewritten from that: the rest of the file would be lost.
  std::string content;
  try {
    TFileStream in(FFileName, fmOpenRead);
    char block[4096];
    int n;
    while ((n = in.Read(block, sizeof block)) > 0) content.append(block, static_cast<size_t>(n));
    FReadWhole = n == 0;
  } catch (const EFOpenError&) {
    struct stat st;
    FReadWhole = ::stat(FFileName.c_str(), &st) != 0 && errno == ENOENT;
    return;
  }
  if (content.find("\r\n") != std::string::npos) FLineEnd = "\r\n";
  size_t pos = 0;
  while (pos < content.size()) {
    size_t nl = content.find('\n', pos);
    std::string text = content.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    FLines.push_back(ParseLine(text));
    if (nl == std::string::npos) break;
    pos = nl + 1;
  }
}

TIniFile::Line TIniFile::ParseLine(const std::string& text) {
  Line line;
  line.Text = text;
  std::string t = Trim(text);
  if (!t.empty() && t[0] == '[') {
    size_t close = t.find(']');
    line.IsSection = true;
    line.Name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return line;
  }
  size_t eq = t.find('=');
  if (eq != std::string::npos && t[0] != ';') {
    line.IsKey = true;
    line.Name = Trim(t.substr(0, eq));
  }
  return line;
}

bool TIniFile::FindSection(const std::string& Section, size_t& begin, size_t& end) const {
  std::string want = Trim(Section);
  for (size_t i = 0; i < FLines.size(); ++i) {
    if (FLines[i].IsSection && SameName(FLines[i].Name, want)) {
      begin = i + 1;
      end = begin;
      while (end < FLines.size() && !FLines[end].IsSection) ++end;
      return true;
    }
  }
  return false;
}

size_t TIniFile::FindKey(size_t begin, size_t end, const std::string& Ident) const {
  std::string want = Trim(Ident);
  for (size_t i = begin; i < end; ++i)
    if (FLines[i].IsKey && SameName(FLines[i].Name, want)) return i;
  return std::string::npos;
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const {
  size_t begin, end;
  if (!FindSection(Section, begin, end)) return Default;
  size_t k = FindKey(begin, end, Ident);
  if (k == std::string::npos) return Default;
  const std::string& text = FLines[k].Text;
  return Trim(text.substr(text.find('=') + 1));
}

bool TIniFile::ParseInteger(const std::string& text, int& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  bool hex = false;
  if (i < text.size() && text[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= text.size()) return false;
  if (hex) {
    // Up to 32 bits; values above 0x7FFFFFFF wrap to negative numbers.
    uint64_t v = 0;
    for (; i < text.size(); ++i) {
      int d = HexDigit(text[i]);
      if (d < 0) return false;
      v = v * 16 + static_cast<uint64_t>(d);
      if (v > 0xFFFFFFFFull) return false;
    }
    uint32_t u = static_cast<uint32_t>(v);
    if (negative) u = 0u - u;
    value = static_cast<int32_t>(u);
    return true;
  }
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
    if (v > static_cast<int64_t>(INT_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v > INT_MAX || v < INT_MIN) return false;
  value = static_cast<int>(v);
  return true;
}

int TIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default) const {
  int value;
  if (ParseInteger(ReadString(Section, Ident, ""), value)) return value;
  return Default;
}

bool TIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) const {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident,
                           const std::string& Value) {
  std::vector<Line> before;
  if (FUpdateCount == 0) before = FLines;
  std::string key = Trim(Ident);
  size_t begin, end;
  if (!FindSection(Section, begin, end)) {
    if (!FLines.empty() && !Trim(FLines.back().Text).empty()) FLines.push_back(ParseLine(""));
    FLines.push_back(ParseLine("[" + Trim(Section) + "]"));
    FLines.push_back(ParseLine(key + "=" + Value));
  } else {
    size_t k = FindKey(begin, end, key);
    if (k != std::string::npos) {
      // Keep the key as it is spelled in the file; replace only the value.
      FLines[k] = ParseLine(FLines[k].Name + "=" + Value);
    } else {
      // After the section's last non-blank line, so blank separators stay below.
      size_t at = end;
      while (at > begin && Trim(FLines[at - 1].Text).empty()) --at;
      FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(at), ParseLine(key + "=" + Value));
    }
  }
  if (FUpdateCount == 0) SaveOrRollBack(before);
}

void TIniFile::BeginUpdate() {
  if (FUpdateCount++ == 0) FBeforeUpdate = FLines;
}

void TIniFile::EndUpdate() {
  if (FUpdateCount == 0 || --FUpdateCount > 0) return;
  std::vector<Line> before = std::move(FBeforeUpdate);
  FBeforeUpdate.clear();
  SaveOrRollBack(before);
}

void TIniFile::SaveOrRollBack(std::vector<Line>& before) {
  try {
    Save();
  } catch (const EIniFileUnconfirmed&) {
    throw;  // the file holds the new lines: so does the copy
  } catch (...) {
    FLines = std::move(before);
    throw;
  }
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

void TIniFile::Save() const {
  std::string content;
  for (const Line& line : FLines) content += line.Text + FLineEnd;

  if (!FReadWhole) throw EIniFileException(FFileName + " に書き込めません");
  try {
    TFileSaveStream out(FFileName);
    out.WriteBuffer(content.data(), static_cast<int>(content.size()));
    out.Commit();
  } catch (const EWriteUnconfirmed&) {
    throw EIniFileUnconfirmed(FFileName + " に書き込みましたが、ディスクへの書き込みを確認できません");
  } catch (const ESafetyCopyKept& e) {
    throw EIniFileException(FFileName + " に書き込めません (元の内容は " + e.CopyPath() + " に残してあります)");
  } catch (const EStreamError&) {
    throw EIniFileException(FFileName + " に書き込めません");
  }
}
