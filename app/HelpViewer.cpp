#include "app/HelpViewer.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/AppSupport.h"

THelpViewer::THelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("HelpViewer"));
  setWindowTitle(QString::fromUtf8("Sorvelanヘルプ"));
  resize(640, 560);
  Browser = new QTextBrowser(this);
  Browser->setObjectName(QStringLiteral("Browser"));
  Browser->setOpenExternalLinks(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Browser);
}

bool THelpViewer::ShowContents(const AnsiString& fileName) {
  const QString path = FileNameToQt(fileName);
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
    const QString msg = QString::fromUtf8("ヘルプファイル %1 を開けません").arg(path);
    MessageDlg(parentWidget(), msg, mtWarning, MsgButtons({mbOK}));
    return false;
  }
  // The page is HTML whatever its extension; links resolve beside it.
  const QByteArray html = file.readAll();
  Browser->setSearchPaths({QFileInfo(path).absolutePath()});
  Browser->setHtml(QString::fromUtf8(html));
  Browser->moveCursor(QTextCursor::Start);
  show();
  raise();
  activateWindow();
  return true;
}
