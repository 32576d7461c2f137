#include "app/Program.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <memory>

#include "app/About.h"
#include "app/AppSupport.h"
#include "app/SettingsDlg.h"
#include "app/Unit1.h"
#include "platform/core/Classes.h"
#include "platform/qt/Controls.h"

bool InstallQtJapanese(const QString& folder) {
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QStringLiteral("qtbase_ja"), folder)) return false;
  // The application owns it from here.
  translator->setParent(QCoreApplication::instance());
  return QCoreApplication::installTranslator(translator.release());
}

void UseJapaneseLocale() { QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan)); }

int RunSorvelan(int argc, char** argv, const std::function<void()>& started) {
  // A file size limit makes a save fail with an error instead of ending
  // the program.
  IgnoreFileSizeSignal();
  QApplication app(argc, argv);
  // Qt's own dialogs and buttons in Japanese; without the file they stay
  // in English.
  InstallQtJapanese(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  UseJapaneseLocale();
  InitControls();
  Application->SetTitle(kAppTitle);
  // An error inside an event of a pane ends that event and is shown; the
  // program goes on.
  Application->OnException = ShowPaneException;

  auto form = std::make_unique<TForm1>();
  Form1 = form.get();
  auto about = std::make_unique<TAboutBox>();
  AboutBox = about.get();
  // Reads the settings file into the dialog's controls.
  auto settings = std::make_unique<TOKBottomDlg>();
  OKBottomDlg = settings.get();

  form->show();
  if (started) QTimer::singleShot(0, &app, started);
  app.exec();

  Application->OnException = nullptr;
  OKBottomDlg = nullptr;
  AboutBox = nullptr;
  settings.reset();
  about.reset();
  form.reset();
  return 0;
}
