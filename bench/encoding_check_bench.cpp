// Counts the encoding check's false alarms and catches: code page 932 text
// should pass, the same text in UTF-8 or EUC-JP should not.
//
//   encoding_check_bench prose.txt
//
// Checked as code page 932: the prose file (its opening, as the Open command
// reads it, and whole), each of its distinct lines as a file of its own, and
// a file of every character code page 932 has (glibc's CP932), whole and row
// by row. Checked as foreign: each distinct line holding non-ASCII text in
// UTF-8, UTF-8 with a byte-order mark and EUC-JP, and the prose file in each.
// Also prints the time the check takes over a full opening.
#include <iconv.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "bench/BenchUtil.h"
#include "platform/text/Cp932.h"
#include "platform/text/EncodingCheck.h"

namespace {

// Code page 932 to another encoding through glibc; false when any character
// has no form there.
bool Iconv(const std::string& in, const char* to, std::string& out) {
  iconv_t cd = iconv_open(to, "CP932");
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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: encoding_check_bench prose.txt\n");
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
