#include "platform/qt/Clipboard.h"

#include <QApplication>
#include <QByteArray>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>
#include <QWidget>

#include <cstring>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/qt/internal/X11HeldInput.h"
#include "platform/qt/internal/X11Selection.h"
#include "platform/text/Cp932.h"

const char* const TClipboard::PrivateMimeType = "application/x-sorvelan-cp932";

namespace {

QClipboard* SystemClipboard() {
  QClipboard* cb = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                       ? QGuiApplication::clipboard()
                       : nullptr;
  if (!cb) throw EClipboardException("クリップボードを開けません");
  return cb;
}

// How long another program's clipboard may take to start answering, and
// to send each further piece of a text it sends in pieces.
constexpr int kClipboardWaitMs = 5000;

// While another program takes its time to answer, the windows are drawn
// again now and then (a menu just closed over them, say), straight from
// here. No event is taken from the queue meanwhile: the only events handled
// are the paint events that repaint() sends, which draw the widgets and run
// a pane's WM_PAINT where it has rows to draw again (drawing only; the
// commands read the clipboard before they change a row). So input waits in
// its queue and the command that reads remains the only one running.
// On xcb no event loop is needed for this, nested or otherwise: the drawing
// goes through the backing store straight to the server. The drawing itself
// is needed: without a compositing manager the server keeps nothing of a
// window that something covered, and it stays blank until drawn again.
class RepaintWhileWaiting {
 public:
  std::function<void()> Step() {
    return [this] {
      FWaited = true;
      if (FLast.isValid() && FLast.elapsed() < kRepaintEveryMs) return;
      FLast.start();
      for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->isMinimized()) continue;
        window->repaint();
        // A window's repaint leaves out the children that paint all of
        // themselves (the panes): they are drawn on their own.
        for (QWidget* child : window->findChildren<QWidget*>())
          if (child->isVisible() && child->testAttribute(Qt::WA_OpaquePaintEvent)) child->repaint();
      }
    };
  }

  // The read took long enough for input to come meanwhile.
  bool Waited() const { return FWaited; }

 private:
  static constexpr qint64 kRepaintEveryMs = 200;
  QElapsedTimer FLast;
  bool FWaited = false;
};

// What the clipboard holds, fetched once for one read. Another X client's
// data is fetched here with bounded waits; the toolkit's own fetch waits
// five seconds for every format it is asked about, so an owner that has
// stopped answering would freeze the window several times over. What this
// program put there itself, or any clipboard off X, comes from the toolkit.
const QMimeData* ClipboardContents(std::unique_ptr<QMimeData>& fetched) {
  QClipboard* cb = SystemClipboard();
  if (cb->ownsClipboard() || QGuiApplication::platformName() != QLatin1String("xcb")) return cb->mimeData();
  fetched = std::make_unique<QMimeData>();
  RepaintWhileWaiting repaint;
  const TX11ClipboardRead read =
      ReadX11Clipboard(TClipboard::PrivateMimeType, kClipboardWaitMs, *fetched, repaint.Step());
  // What was typed meanwhile waits in the toolkit's queue: a box that
  // follows (the error, a text that lost characters) blocks the windows it
  // is for, and the toolkit would drop it.
  if (repaint.Waited() || read == TX11ClipboardRead::NoAnswer) KeepInputHeldBackByClipboardRead();
  switch (read) {
    case TX11ClipboardRead::Read: return fetched.get();
    case TX11ClipboardRead::NoDisplay: return cb->mimeData();
    case TX11ClipboardRead::NoAnswer: break;
  }
  throw EClipboardException("クリップボードを開けません");
}

// CF_TEXT ends at its first NUL, whatever the source put after it; `cut`
// tells whether there was one.
AnsiString CutAtNul(const char* data, size_t size, bool* cut = nullptr) {
  const void* nul = std::memchr(data, '\0', size);
  if (nul) size = static_cast<size_t>(static_cast<const char*>(nul) - data);
  if (cut) *cut = nul != nullptr;
  return AnsiString(data, size);
}

}  // namespace

EClipboardException::EClipboardException(const AnsiString& message) : Exception(message) {}

void TClipboard::SetTextBuf(const char* buffer) {
  SetAsText(buffer ? AnsiString(buffer) : AnsiString());
}

void TClipboard::SetAsText(const AnsiString& text) {
  QClipboard* cb = SystemClipboard();
  const AnsiString bytes = CutAtNul(text.data(), text.size());
  auto mime = std::make_unique<QMimeData>();
  const std::string utf8 = cp932::ToUtf8(bytes);
  mime->setText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
  mime->setData(PrivateMimeType,
                QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  cb->setMimeData(mime.release());  // the clipboard takes ownership
}

AnsiString TClipboard::GetAsText() const {
  FLastReadLoss = TClipboardTextLoss();
  std::unique_ptr<QMimeData> fetched;
  const QMimeData* mime = ClipboardContents(fetched);
  if (!mime) return AnsiString();
  bool cut = false;
  if (mime->hasFormat(PrivateMimeType)) {
    const QByteArray raw = mime->data(PrivateMimeType);
    AnsiString text = CutAtNul(raw.constData(), static_cast<size_t>(raw.size()), &cut);
    if (cut) FLastReadLoss.KeptBeforeNul = static_cast<int64_t>(text.size());
    return text;
  }
  if (!mime->hasText()) return AnsiString();
  // Converted from the toolkit's UTF-16 as it stands: its own conversion to
  // UTF-8 would make a lone surrogate a "?" that no count sees.
  QString plain = mime->text();
  const qsizetype nul = plain.indexOf(QChar(u'\0'));
  if (nul >= 0) plain.truncate(nul);
  std::string text;
  FLastReadLoss.Replaced = cp932::FromUtf16Counting(
      std::u16string_view(reinterpret_cast<const char16_t*>(plain.utf16()), static_cast<size_t>(plain.size())), text);
  if (nul >= 0) FLastReadLoss.KeptBeforeNul = static_cast<int64_t>(text.size());
  return AnsiString(text);
}

TClipboardTextLoss TClipboard::LastReadLoss() const { return FLastReadLoss; }

void TClipboard::ForgetLastReadLoss() { FLastReadLoss = TClipboardTextLoss(); }

void TClipboard::Clear() { SystemClipboard()->clear(); }

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}
