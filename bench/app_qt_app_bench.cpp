// Times three conversion commands of the main window against the engine
// alone over the same rows, in one run, and measures what the window holds.
//
//   app_qt_app_bench FILE [REPEAT] [COMMANDS]
//
// COMMANDS, a comma-separated list of hiragana, furigana and hepburn, runs
// only those (for profiling one command); all three by default.
//
// For each command ("ひらがなに変換", "ふりがなに変換", "ローマ字に変換"
// Hepburn) the file is opened through the Open command (the file dialog and
// the save question answered here), then the command runs over the whole edit
// pane; the engine alone runs the same converter over the file's rows, read
// here, skipping the rows the command skips, and both results are compared.
//
// A command runs REPEAT times on a warm heap (the memory the previous panes
// and undo records left behind is reused, as in a program that has been
// working a while) and REPEAT times on a cold heap (freed memory handed back
// to the system first, so every page the new rows and undo records need is
// fresh, as for the first command after start-up). The cold passes also
// measure memory. Prints one "key=value" line per figure:
//   <cmd>_engine_s                 the engine alone, best of REPEAT
//   <cmd>_app_s, <cmd>_app_faults  the command on a warm heap (best of REPEAT)
//                                  and the page faults of that pass
//   <cmd>_cold_s, <cmd>_cold_faults the same on a cold heap
//   <cmd>_same                     the pane's rows equal the engine's results
//   <cmd>_peak_kb                  peak resident memory from opening the file
//                                  to the end of a cold command (VmHWM of
//                                  /proc/self/status), less the resident size
//                                  before the first open: both panes, the
//                                  command's undo records and what it needs
//                                  while it runs
//   <cmd>_live_kb                  heap allocated after a cold command, less
//                                  the heap before the first open (mallinfo2;
//                                  counts list capacity never touched)
//   reader_kb                      resident size of the open reading
//                                  dictionary (part of furigana_peak_kb)
//   panes_kb, panes_live_kb        the two loaded panes alone
//   open_first_s, open_faults      the first Open command (both panes
//                                  loaded on a fresh heap) and its page faults
//   open_best_s                    the fastest Open over all later runs
#include "bench/BenchUtil.h"
#include <malloc.h>
#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/SettingsDlg.h"
#include "app/Unit1.h"
#include "engine/ImeReader.h"
#include "engine/MapText.h"
#include "engine/Roma.h"
#include "engine/TextBuf.h"

namespace {

using bench::Seconds;
using bench::StatusKb;

constexpr int kHiragana = 0x00100000;  // the flag "ひらがなに変換" maps with


// Hands freed heap back to the system and starts a new peak at the present
// resident size; false when the kernel does not let the peak be reset.
bool ColdHeap() {
  malloc_trim(0);
  std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
  if (!f) return false;
  const bool ok = std::fputs("5", f) >= 0;
  return std::fclose(f) == 0 && ok;
}

long HeapInUseKb() {
  const struct mallinfo2 m = mallinfo2();
  return static_cast<long>((m.uordblks + m.hblkhd) / 1024);
}

long MinorFaults() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}


// The rows of the file as the edit pane holds them: split at LF, the CR kept.
std::vector<std::string> ReadRows(const char* path, long& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  bytes = static_cast<long>(all.size());
  std::vector<std::string> rows;
  size_t start = 0;
  for (;;) {
    const size_t lf = all.find('\n', start);
    if (lf == std::string::npos) {
      rows.push_back(all.substr(start));
      break;
    }
    rows.push_back(all.substr(start, lf - start));
    start = lf + 1;
  }
  return rows;
}

// Order-dependent hash of row texts, to compare results without keeping them.
struct RowHash {
  unsigned long long Value = 1469598103934665603ull;
  void Add(const char* p, size_t n) {
    for (size_t i = 0; i < n; ++i) Value = (Value ^ static_cast<unsigned char>(p[i])) * 1099511628211ull;
    Value = (Value ^ 0x1ff) * 1099511628211ull;  // row separator
  }
};

bool Skipped(const std::string& row) { return row.empty() || row == "\r"; }

// One engine pass: convert(row) for every row the commands convert. With
// `hashed` it returns the hash of every row afterwards (a null result keeps
// the row); else only the results' total length, which keeps the timed
// passes free of the hashing.
using Converter = std::function<char*(const char*)>;
unsigned long long EnginePass(const std::vector<std::string>& rows, const Converter& convert, bool hashed) {
  RowHash hash;
  unsigned long long length = 0;
  for (const std::string& row : rows) {
    char* result = Skipped(row) ? nullptr : convert(row.c_str());
    if (!hashed) {
      if (result) length += std::strlen(result);
    } else if (result) {
      hash.Add(result, std::strlen(result));
    } else {
      hash.Add(row.data(), row.size());
    }
    std::free(result);
  }
  return hashed ? hash.Value : length;
}

unsigned long long PaneHash(TAFEdit* pane) {
  RowHash hash;
  for (int i = 0; i < pane->GetLinesCount(); ++i) {
    const AnsiString row = pane->GetLine(i);
    hash.Add(row.data(), row.size());
  }
  return hash.Value;
}

struct Command {
  const char* Key;
  QAction* Action;
  // The engine's pass over the rows, reader opening included where the
  // command opens one; see EnginePass for the result.
  std::function<unsigned long long(const std::vector<std::string>&, bool hashed)> Engine;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: app_qt_app_bench FILE [REPEAT] [COMMANDS]\n");
    return 2;
  }
  const char* path = argv[1];
  const int repeat = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  const std::string only = argc > 3 ? "," + std::string(argv[3]) + "," : std::string();
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);

  long fileBytes = 0;
  const std::vector<std::string> rows = ReadRows(path, fileBytes);
  if (fileBytes == 0) {
    std::fprintf(stderr, "app_qt_app_bench: cannot read %s (or it is empty)\n", path);
    return 1;
  }

  int qargc = 1;
  char name[] = "app_qt_app_bench";
  char* qargv[] = {name, nullptr};
  QApplication app(qargc, qargv);
  QTemporaryDir settingsDir;  // no settings file: the defaults
  auto settings = std::make_unique<TOKBottomDlg>(nullptr, settingsDir.filePath("bench.ini").toStdString());
  OKBottomDlg = settings.get();
  auto form = std::make_unique<TForm1>();
  Form1 = form.get();
  form->resize(1000, 700);
  form->show();
  QApplication::processEvents();

  // The open dialog answers with the file; the save question before each new
  // open with No; any other box is a failure.
  form->OpenDialog1->ExecuteHook = [&](AnsiString& n) {
    n = path;
    return true;
  };
  form->SaveDialog1->ExecuteHook = [](AnsiString&) { return false; };
  int failures = 0;
  MessageBoxHook = [&](const TMessageBoxRequest& r) {
    if (r.Buttons & (1u << mbNo)) return mrNo;
    std::fprintf(stderr, "app_qt_app_bench: box \"%s\": %s\n", r.Title.toUtf8().constData(),
                 r.Text.toUtf8().constData());
    ++failures;
    return mrOk;
  };

  long readerKb = 0;
  const HepburnOptions hepburn = TForm1::SettingsHepburnOptions(*settings);
  const Command commands[] = {
      {"hiragana", form->ConvertHiragana1,
       [](const std::vector<std::string>& r, bool hashed) {
         return EnginePass(r, [](const char* t) { return MapText(t, kHiragana); }, hashed);
       }},
      {"furigana", form->ConvertFurigana1,
       [&readerKb](const std::vector<std::string>& r, bool hashed) {
         const long before = StatusKb("VmRSS");
         ImeReader reader{};
         if (!ImeReaderOpen(&reader)) {
           std::fprintf(stderr, "app_qt_app_bench: the reading dictionary cannot be opened\n");
           return 0ull;
         }
         TextBuf out;
         TextBufInit(&out);
         std::vector<char> text;
         const unsigned long long h = EnginePass(r, [&](const char* t) -> char* {
           text.assign(t, t + std::strlen(t) + 1);
           KanjiRunsToReading(&reader, &out, text.data());
           const char* result = TextBufGet(&out);
           return result ? strdup(result) : nullptr;
         }, hashed);
         readerKb = std::max(readerKb, StatusKb("VmRSS") - before);
         TextBufFree(&out);
         ImeReaderClose(&reader);
         return h;
       }},
      {"hepburn", form->ConvertRoma1,
       [hepburn](const std::vector<std::string>& r, bool hashed) {
         return EnginePass(r, [hepburn](const char* t) { return KanaToHepburn(hepburn, t); }, hashed);
       }},
  };

  auto openFile = [&] {
    form->FileOpen1->trigger();
    QApplication::processEvents();
  };

  // The window as it stands before the first open; the file's text read
  // above is no longer part of the peak from here on.
  QApplication::processEvents();
  bool peakReset = ColdHeap();
  const long baseKb = StatusKb("VmRSS");
  const long baseLiveKb = HeapInUseKb();
  std::printf("file_bytes=%ld\n", fileBytes);
  std::printf("file_rows=%zu\n", rows.size());
  std::printf("base_kb=%ld\n", baseKb);

  const long openFaults0 = MinorFaults();
  const auto openStart = std::chrono::steady_clock::now();
  openFile();
  const double openFirst = Seconds(openStart);
  const long openFaults = MinorFaults() - openFaults0;
  double openBest = 1e300;
  const long panesKb = StatusKb("VmHWM") - baseKb;
  const long panesLiveKb = HeapInUseKb() - baseLiveKb;
  std::printf("pane_rows=%d\n", form->AFEdit2->GetLinesCount());
  {
    RowHash fileHash;
    for (const std::string& row : rows) fileHash.Add(row.data(), row.size());
    const bool same = fileHash.Value == PaneHash(form->AFEdit1) && fileHash.Value == PaneHash(form->AFEdit2);
    std::printf("rows_same=%s\n", same ? "yes" : "NO");
  }
  std::printf("panes_kb=%ld\n", panesKb);
  std::printf("panes_live_kb=%ld\n", panesLiveKb);
  std::fflush(stdout);

  for (const Command& command : commands) {
    if (!only.empty() && only.find("," + std::string(command.Key) + ",") == std::string::npos) continue;
    double bestEngine = 1e300;
    unsigned long long length = 0;
    for (int pass = 0; pass < repeat; ++pass) {
      const auto t0 = std::chrono::steady_clock::now();
      length += command.Engine(rows, false);
      bestEngine = std::min(bestEngine, Seconds(t0));
    }
    std::fprintf(stderr, "%s: %llu bytes converted\n", command.Key, length);
    const unsigned long long engineHash = command.Engine(rows, true);  // untimed

    // One run of the command on freshly opened panes (an empty undo history).
    bool same = true;
    auto run = [&](bool cold, long& faults) {
      const auto opened = std::chrono::steady_clock::now();
      openFile();
      openBest = std::min(openBest, Seconds(opened));
      if (cold) peakReset = ColdHeap() && peakReset;
      const long faults0 = MinorFaults();
      const auto t0 = std::chrono::steady_clock::now();
      command.Action->trigger();
      const double seconds = Seconds(t0);
      faults = MinorFaults() - faults0;
      QApplication::processEvents();
      same = same && PaneHash(form->AFEdit2) == engineHash;
      return seconds;
    };

    double bestApp = 1e300;
    long appFaults = 0;
    for (int pass = 0; pass < repeat; ++pass) {
      long faults = 0;
      const double seconds = run(false, faults);
      if (seconds < bestApp) {
        bestApp = seconds;
        appFaults = faults;
      }
    }
    double cold = 1e300;
    long coldFaults = 0;
    long peakKb = 0;
    long liveKb = 0;
    for (int pass = 0; pass < repeat; ++pass) {
      long faults = 0;
      const double seconds = run(true, faults);
      if (seconds < cold) {
        cold = seconds;
        coldFaults = faults;
      }
      peakKb = std::max(peakKb, StatusKb("VmHWM") - baseKb);
      liveKb = std::max(liveKb, HeapInUseKb() - baseLiveKb);
    }

    std::printf("%s_engine_s=%.4f\n", command.Key, bestEngine);
    std::printf("%s_app_s=%.4f\n", command.Key, bestApp);
    std::printf("%s_app_faults=%ld\n", command.Key, appFaults);
    std::printf("%s_cold_s=%.4f\n", command.Key, cold);
    std::printf("%s_cold_faults=%ld\n", command.Key, coldFaults);
    std::printf("%s_same=%s\n", command.Key, same ? "yes" : "NO");
    std::printf("%s_peak_kb=%ld\n", command.Key, peakKb);
    std::printf("%s_live_kb=%ld\n", command.Key, liveKb);
    std::fflush(stdout);
  }
  std::printf("open_first_s=%.4f\n", openFirst);
  std::printf("open_faults=%ld\n", openFaults);
  std::printf("open_best_s=%.4f\n", openBest < 1e300 ? openBest : openFirst);
  std::printf("reader_kb=%ld\n", readerKb);
  std::printf("peak_reset=%s\n", peakReset ? "yes" : "no");
  std::printf("process_peak_kb=%ld\n", StatusKb("VmHWM"));

  MessageBoxHook = nullptr;
  form.reset();
  Form1 = nullptr;
  OKBottomDlg = nullptr;
  settings.reset();
  return failures == 0 ? 0 : 1;
}
