// The one QApplication of a test program, made on first use, with the
// control layer's Application and Screen objects beside it.
#pragma once

#include <QApplication>

#include "platform/qt/Controls.h"

inline QApplication& TestApp() {
  if (!QApplication::instance()) {
    static int argc = 1;
    static char name[] = "sorvelan_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
  }
  InitControls();
  return *static_cast<QApplication*>(QApplication::instance());
}
