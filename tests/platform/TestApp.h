// The one QApplication of the platform tests, and small helpers.
#pragma once

#include <QApplication>

#include "platform/qt/Controls.h"

inline QApplication* TestApp() {
  static int argc = 1;
  static char name[] = "platform_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
  (void)app;
  InitControls();
  return static_cast<QApplication*>(QApplication::instance());
}

// Code page 932 bytes of あ (hiragana a).
inline const AnsiString kHiraganaA = "\x82\xa0";
