// Times loading a code page 932 text file into an editor control and saving
// it again, both as plain text (the empty conversion set), and reports the
// peak memory of the process.
//
//   editor_files_qt_bench file [repeat] [output]
//
// Prints one "key=value" line per figure; times are the best of `repeat`
// passes. The output (default /dev/null) receives the saved text. Memory is
// VmHWM of /proc/self/status: before the first load, after the loads, and
// the difference, which is what one loaded control costs.
#include "bench/BenchUtil.h"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <QApplication>

#include "editor/Afedit.h"
#include "platform/qt/Controls.h"

namespace {

using bench::Seconds;
using bench::StatusKb;



}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: editor_files_qt_bench file [repeat] [output]\n");
    return 2;
  }
  const char* path = argv[1];
  const int repeat = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const char* output = argc > 3 ? argv[3] : "/dev/null";
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);

  long fileBytes = 0;
  {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
      std::fprintf(stderr, "editor_files_qt_bench: cannot read %s\n", path);
      return 1;
    }
    fileBytes = static_cast<long>(in.tellg());
  }

  int qargc = 1;
  char name[] = "editor_files_qt_bench";
  char* qargv[] = {name, nullptr};
  QApplication app(qargc, qargv);
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 800, 600);
  auto* edit = new TAFEdit(form.get());
  edit->SetBounds(0, 0, 700, 500);
  const long baseKb = StatusKb("VmHWM");

  try {
    double bestLoad = 1e300;
    double bestSave = 1e300;
    for (int pass = 0; pass < repeat; ++pass) {
      edit->Clear();  // freeing the previous pass's rows is not part of a load
      auto t0 = std::chrono::steady_clock::now();
      edit->LoadFromFile(path, TConvMode());
      bestLoad = std::min(bestLoad, Seconds(t0));
      t0 = std::chrono::steady_clock::now();
      edit->SaveToFile(output, TConvMode());
      bestSave = std::min(bestSave, Seconds(t0));
    }
    const long peakKb = StatusKb("VmHWM");

    // The saved text must be the file itself (CR LF prose round-trips).
    TStringStream saved;
    edit->SaveToStream(&saved, TConvMode());
    std::ifstream in(path, std::ios::binary);
    const std::string original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string bytes(static_cast<size_t>(saved.GetSize()), '\0');
    saved.SetPosition(0);
    if (!bytes.empty()) saved.ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));

    const double mb = static_cast<double>(fileBytes) / 1e6;
    std::printf("file_bytes=%ld\n", fileBytes);
    std::printf("rows=%d\n", edit->GetLinesCount());
    std::printf("load_s=%.4f\n", bestLoad);
    std::printf("save_s=%.4f\n", bestSave);
    std::printf("load_mbps=%.1f\n", mb / bestLoad);
    std::printf("save_mbps=%.1f\n", mb / bestSave);
    std::printf("base_kb=%ld\n", baseKb);
    std::printf("peak_kb=%ld\n", peakKb);
    std::printf("control_kb=%ld\n", peakKb - baseKb);
    std::printf("roundtrip=%s\n", bytes == original ? "same" : "DIFFERENT");
  } catch (const Exception& e) {
    std::fprintf(stderr, "editor_files_qt_bench: %s\n", e.Message().c_str());
    return 1;
  }
  return 0;
}
