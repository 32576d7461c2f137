// Times both reading builders over every line of a code page 932 text file,
// each line passed as an edit pane row (its text and a CR).
//
//   reading_bench [file] [repeat]
//
// Prints one "key=value" line per figure; the best of `repeat` passes counts.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/ImeReader.h"

namespace {

std::vector<std::string> ReadRows(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> rows;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    rows.push_back(text.substr(start, end - start) + "\r");
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return rows;
}

template <typename Build>
double BestSeconds(int repeat, std::vector<std::string>& rows, Build build, size_t* bytes) {
  double best = 1e300;
  for (int pass = 0; pass < repeat; ++pass) {
    size_t total = 0;
    auto t0 = std::chrono::steady_clock::now();
    for (std::string& row : rows) {
      TextBuf out;
      TextBufInit(&out);
      build(&out, row.data());
      if (const char* r = TextBufGet(&out)) total += std::char_traits<char>::length(r);
      TextBufFree(&out);
    }
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (s < best) best = s;
    *bytes = total;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "bench/data/prose.txt";
  int repeat = argc > 2 ? std::atoi(argv[2]) : 1;
  if (repeat < 1) repeat = 1;

  std::vector<std::string> rows = ReadRows(path);
  if (rows.empty()) {
    std::fprintf(stderr, "reading_bench: no text in %s\n", path);
    return 1;
  }
  size_t inputBytes = 0;
  for (const std::string& row : rows) inputBytes += row.size();

  ImeReader reader{};
  if (!ImeReaderOpen(&reader)) {
    std::fprintf(stderr, "reading_bench: the reading lookup could not be opened\n");
    return 1;
  }
  size_t runsBytes = 0, lineBytes = 0;
  double runs = BestSeconds(repeat, rows, [&](TextBuf* out, char* row) {
    KanjiRunsToReading(&reader, out, row);
  }, &runsBytes);
  double line = BestSeconds(repeat, rows, [&](TextBuf* out, char* row) {
    LineToReading(&reader, out, row);
  }, &lineBytes);
  ImeReaderClose(&reader);

  std::printf("rows=%zu\ninput_bytes=%zu\n", rows.size(), inputBytes);
  std::printf("runs_seconds=%.3f\nruns_output_bytes=%zu\n", runs, runsBytes);
  std::printf("line_seconds=%.3f\nline_output_bytes=%zu\n", line, lineBytes);
  return 0;
}
