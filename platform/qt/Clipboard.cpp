#include "platform/qt/Clipboard.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>

#include <cstring>
#include <memory>

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
  const QMimeData* mime = SystemClipboard()->mimeData();
  if (!mime) return AnsiString();
  bool cut = false;
  if (mime->hasFormat(PrivateMimeType)) {
    const QByteArray raw = mime->data(PrivateMimeType);
    AnsiString text = CutAtNul(raw.constData(), static_cast<size_t>(raw.size()), &cut);
    if (cut) FLastReadLoss.KeptBeforeNul = static_cast<int64_t>(text.size());
    return text;
  }
  if (!mime->hasText()) return AnsiString();
  const QByteArray utf8 = mime->text().toUtf8();
  const AnsiString plain = CutAtNul(utf8.constData(), static_cast<size_t>(utf8.size()), &cut);
  std::string text;
  FLastReadLoss.Replaced = cp932::FromUtf8Counting(plain, text);
  if (cut) FLastReadLoss.KeptBeforeNul = static_cast<int64_t>(text.size());
  return AnsiString(text);
}

TClipboardTextLoss TClipboard::LastReadLoss() const { return FLastReadLoss; }

void TClipboard::ForgetLastReadLoss() { FLastReadLoss = TClipboardTextLoss(); }

bool TClipboard::HasText() const {
  const QMimeData* mime = SystemClipboard()->mimeData();
  return mime && (mime->hasFormat(PrivateMimeType) || mime->hasText());
}

void TClipboard::Clear() { SystemClipboard()->clear(); }

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}
