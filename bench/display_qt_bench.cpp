// Display speed of the editor control at the panes' settings, beside a
// QPlainTextEdit of the same size showing the same rows, in one run:
//   - full repaints of a 120 x 50 cell view (Paint, then the window shows it);
//   - one-row scrolls: WM_VSCROLL SB_LINEDOWN then SB_ENDSCROLL through
//     Perform, each repainting as the control does, then the window shows it;
//     the QPlainTextEdit scrolls one line at a time (its scroll bar's single
//     step) and shows it.
// Prints per-frame times (median, mean, 95th percentile, maximum) and the
// ratios. Run offscreen: QT_QPA_PLATFORM=offscreen.
//
//   display_qt_bench FILE [SCROLLS] [REPAINTS]
#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "editor/Afedit.h"
#include "platform/qt/Controls.h"
#include "platform/text/Cp932.h"

namespace {

constexpr int kViewCols = 120;
constexpr int kViewRows = 50;

// The control with the geometry fields the bench sizes the view by.
class BenchEdit : public TAFEdit {
 public:
  using TAFEdit::TAFEdit;
  using TCustomAFEdit::FCharStep;
  using TCustomAFEdit::FRowHeight;
  using TCustomAFEdit::FTextLeft;
  using TCustomAFEdit::FTextTop;
  using TCustomAFEdit::FTopLine;
};

struct Stats {
  double median = 0, mean = 0, p95 = 0, max = 0;
  size_t frames = 0;
};

Stats Summarise(std::vector<double> ms) {
  Stats s;
  if (ms.empty()) return s;
  s.frames = ms.size();
  double sum = 0;
  for (double v : ms) sum += v;
  s.mean = sum / static_cast<double>(ms.size());
  std::sort(ms.begin(), ms.end());
  s.median = ms[ms.size() / 2];
  s.p95 = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
  s.max = ms.back();
  return s;
}

// Milliseconds of each of n runs of f.
std::vector<double> Time(int n, const std::function<void()>& f) {
  std::vector<double> out;
  out.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    auto t1 = std::chrono::steady_clock::now();
    out.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  return out;
}

void Print(const char* what, const char* who, const Stats& s) {
  std::printf("  %-13s %-15s median %7.3f ms  mean %7.3f  p95 %7.3f  max %7.3f  (%zu frames)\n", what, who,
              s.median, s.mean, s.p95, s.max, s.frames);
}

// Counts the paint events of the scroll bars below one widget.
class BarPaintCounter : public QObject {
 public:
  explicit BarPaintCounter(QWidget* root) {
    for (QScrollBar* bar : root->findChildren<QScrollBar*>()) bar->installEventFilter(this);
  }
  long count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++count;
    return false;
  }
};

// Shows what is pending, as the event loop does between user actions.
void Show() { QApplication::processEvents(); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: display_qt_bench FILE [SCROLLS] [REPAINTS]\n");
    return 2;
  }
  const char* file = argv[1];
  int scrolls = argc > 2 ? std::atoi(argv[2]) : 10000;
  int repaints = argc > 3 ? std::atoi(argv[3]) : 200;
  struct stat fs {};
  if (stat(file, &fs) != 0) {
    std::fprintf(stderr, "display_qt_bench: cannot read %s\n", file);
    return 1;
  }

  QApplication app(argc, argv);
  InitControls();

  // --- the editor control at the panes' settings ---------------------------
  TForm form(nullptr);
  form.SetBounds(0, 0, 1000, 900);
  BeginFormLoad(&form);
  auto* edit = new BenchEdit(&form);
  edit->SetBounds(0, 0, 800, 760);
  edit->Font->SetName("ＭＳ ゴシック");
  edit->Font->SetHeight(-12);
  edit->SetLeftMgn(36);
  edit->SetRowDspFmt("%5d:");
  edit->SetViewOpt(TViewOptions::FromBits(0x3FF));
  edit->SetDefWrapPos(80);
  edit->SetAccelRate(1);
  edit->SetReadOnly(false);
  EndFormLoad(&form);
  form.Show();
  Show();

  auto load0 = std::chrono::steady_clock::now();
  edit->LoadFromFile(file, TConvMode());
  auto load1 = std::chrono::steady_clock::now();
  Show();

  // A text area of exactly 120 x 50 cells (the bars, once shown, stay).
  for (int pass = 0; pass < 3; ++pass) {
    int w = edit->FTextLeft + kViewCols * edit->FCharStep + (edit->GetWidth() - edit->ClientWidth());
    int h = edit->FTextTop + kViewRows * edit->FRowHeight + (edit->GetHeight() - edit->ClientHeight());
    edit->SetBounds(0, 0, w, h);
    edit->Paint();
    Show();
  }
  int rows = edit->GetLinesCount();
  std::printf("file: %s (%lld bytes, %d rows, loaded in %.1f s)\n", file, static_cast<long long>(fs.st_size), rows,
              std::chrono::duration<double>(load1 - load0).count());
  std::printf("view: %d x %d cells, control %d x %d px\n", edit->GetDspColCount(), edit->GetDspRowCount(),
              edit->GetWidth(), edit->GetHeight());

  QWidget* ours = edit->GetWidget();
  Stats oursPaint = Summarise(Time(repaints, [&] {
    edit->Paint();
    Show();
  }));
  // The drawing alone, without showing it.
  Stats oursDraw = Summarise(Time(repaints, [&] { edit->Paint(); }));
  Show();
  BarPaintCounter oursBars(ours);
  Stats oursScroll = Summarise(Time(scrolls, [&] {
    edit->Perform(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    edit->Perform(WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    Show();
  }));
  int oursTop = edit->FTopLine;

  // --- the same rows in a QPlainTextEdit of the same size ------------------
  std::string utf8;
  utf8.reserve(static_cast<size_t>(fs.st_size) * 3 / 2);
  for (int r = 0; r < rows; ++r) {
    AnsiString line = edit->GetLine(r);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    utf8 += cp932::ToUtf8(line);
    if (r + 1 < rows) utf8 += '\n';
  }
  QWidget top;
  top.resize(1000, 900);
  QPlainTextEdit plain(&top);
  QFont font(QStringLiteral("IPAGothic"));
  font.setPixelSize(12);
  font.setStyleHint(QFont::Monospace);
  plain.setFont(font);
  plain.setLineWrapMode(QPlainTextEdit::NoWrap);
  plain.setGeometry(0, 0, ours->width(), ours->height());
  plain.setPlainText(QString::fromStdString(utf8));
  utf8.clear();
  utf8.shrink_to_fit();
  top.show();
  Show();

  Stats plainPaint = Summarise(Time(repaints, [&] {
    plain.viewport()->update();
    Show();
  }));
  QScrollBar* bar = plain.verticalScrollBar();
  BarPaintCounter plainBars(&plain);
  Stats plainScroll = Summarise(Time(scrolls, [&] {
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    Show();
  }));

  std::printf("per frame:\n");
  Print("full repaint", "TAFEdit", oursPaint);
  Print("rows drawn", "TAFEdit", oursDraw);
  Print("full repaint", "QPlainTextEdit", plainPaint);
  Print("line scroll", "TAFEdit", oursScroll);
  Print("line scroll", "QPlainTextEdit", plainScroll);
  std::printf("scrolled: TAFEdit top row %d, QPlainTextEdit top line %d\n", oursTop, bar->value());
  std::printf("scroll-bar paints per line scroll: TAFEdit %.2f, QPlainTextEdit %.2f\n",
              scrolls > 0 ? static_cast<double>(oursBars.count) / scrolls : 0.0,
              scrolls > 0 ? static_cast<double>(plainBars.count) / scrolls : 0.0);
  double ratio = plainScroll.median > 0 ? oursScroll.median / plainScroll.median : 0;
  std::printf("full repaint median %.3f ms (target < 16 ms): %s\n", oursPaint.median,
              oursPaint.median < 16.0 ? "met" : "MISSED");
  std::printf("line scroll ratio TAFEdit / QPlainTextEdit (median) %.2f (target <= 2): %s\n", ratio,
              ratio <= 2.0 ? "met" : "MISSED");
  std::printf("figures: paint_ms=%.4f scroll_ms=%.4f plain_paint_ms=%.4f plain_scroll_ms=%.4f\n", oursPaint.median,
              oursScroll.median, plainPaint.median, plainScroll.median);
  return 0;
}
