#include "platform/qt/Clipboard.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>

#include <cstring>
#include <memory>

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

// How long another program's clipboard may take to start answering.
constexpr int kClipboardWaitMs = 5000;

// What the clipboard holds, fetched once for one read. Another X client's
// data is fetched here with one bounded wait; the toolkit's own fetch waits
// five seconds for every format it is asked about, so an owner that has
// stopped answering would freeze the window several times over. What this
// program put there itself, or any clipboard off X, comes from the toolkit.
const QMimeData* ClipboardContents(std::unique_ptr<QMimeData>& fetched) {
  QClipboard* cb = SystemClipboard();
  if (cb->ownsClipboard() || QGuiApplication::platformName() != QLatin1String("xcb")) return cb->mimeData();
  fetched = std::make_unique<QMimeData>();
  switch (ReadX11Clipboard(TClipboard::PrivateMimeType, kClipboardWaitMs, *fetched)) {
    case TX11ClipboardRead::Read: return fetched.get();
    case TX11ClipboardRead::NoDisplay: return cb->mimeData();
    case TX11ClipboardRead::NoAnswer: break;
  }
  throw EClipboardException("クリップボードを開けません");
}

// CF_TEXT ends at its first NUL, whatever the source put after it.
AnsiString CutAtNul(const char* data, size_t size) {
  const void* nul = std::memchr(data, '\0', size);
  if (nul) size = static_cast<size_t>(static_cast<const char*>(nul) - data);
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
  std::unique_ptr<QMimeData> fetched;
  const QMimeData* mime = ClipboardContents(fetched);
  if (!mime) return AnsiString();
  if (mime->hasFormat(PrivateMimeType)) {
    const QByteArray raw = mime->data(PrivateMimeType);
    return CutAtNul(raw.constData(), static_cast<size_t>(raw.size()));
  }
  if (!mime->hasText()) return AnsiString();
  const QByteArray utf8 = mime->text().toUtf8();
  const AnsiString plain = CutAtNul(utf8.constData(), static_cast<size_t>(utf8.size()));
  return cp932::FromUtf8(plain);
}

bool TClipboard::HasText() const {
  std::unique_ptr<QMimeData> fetched;
  const QMimeData* mime = ClipboardContents(fetched);
  return mime && (mime->hasFormat(PrivateMimeType) || mime->hasText());
}

void TClipboard::Clear() { SystemClipboard()->clear(); }

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}
