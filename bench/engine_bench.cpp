// Throughput of the mapping and romanisation converters over every row of a
// large code page 932 file, as the conversion commands call them: one call
// per row, the row keeping its CR, the result freed after use.
//
//   engine_bench FILE [REPEAT]   prints name_mbps=... per operation (best of REPEAT runs)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "engine/MapText.h"
#include "engine/Roma.h"

namespace {

struct Operation {
  const char* name;
  std::function<char*(const char*)> convert;
};

std::vector<std::string> LoadRows(const char* path, size_t& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  bytes = all.size();
  std::vector<std::string> rows;
  size_t start = 0;
  while (start < all.size()) {
    size_t lf = all.find('\n', start);
    if (lf == std::string::npos) lf = all.size();
    rows.push_back(all.substr(start, lf - start));  // the CR stays, the LF ends the row
    start = lf + 1;
  }
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE [REPEAT]\n", argv[0]);
    return 2;
  }
  int repeat = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  size_t bytes = 0;
  std::vector<std::string> rows = LoadRows(argv[1], bytes);
  if (rows.empty()) {
    std::fprintf(stderr, "engine_bench: cannot read %s\n", argv[1]);
    return 1;
  }
  std::printf("file_bytes=%zu\nrows=%zu\n", bytes, rows.size());

  const Operation operations[] = {
      {"hiragana", [](const char* t) { return MapText(t, LCMAP_HIRAGANA); }},
      {"katakana", [](const char* t) { return MapText(t, LCMAP_KATAKANA); }},
      {"halfwidth", [](const char* t) { return MapText(t, LCMAP_HALFWIDTH | LCMAP_KATAKANA); }},
      {"fullwidth", [](const char* t) { return MapText(t, LCMAP_FULLWIDTH); }},
      {"uppercase", [](const char* t) { return MapText(t, LCMAP_UPPERCASE); }},
      {"lowercase", [](const char* t) { return MapText(t, LCMAP_LOWERCASE); }},
      {"hepburn", [](const char* t) { return KanaToHepburn(0, t); }},
      {"kunrei", [](const char* t) { return KanaToKunrei(t); }},
      {"nihon", [](const char* t) { return KanaToNihonShiki(t); }},
  };

  size_t checksum = 0;  // keeps the results observable
  for (const Operation& op : operations) {
    double best = 0;
    for (int r = 0; r < repeat; ++r) {
      auto start = std::chrono::steady_clock::now();
      for (const std::string& row : rows) {
        char* result = op.convert(row.c_str());
        if (result) checksum += static_cast<unsigned char>(result[0]) + std::strlen(result);
        std::free(result);
      }
      double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (r == 0 || seconds < best) best = seconds;
    }
    std::printf("%s_mbps=%.1f\n", op.name, bytes / best / 1e6);
  }
  std::fprintf(stderr, "checksum %zu\n", checksum);
  return 0;
}
