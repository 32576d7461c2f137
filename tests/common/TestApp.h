// The one QApplication of a test program, made on first use, with the
// control layer's Application and Screen objects beside it.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <functional>

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

// Runs the event loop until 'done' holds or 'ms' milliseconds have passed;
// whether it holds.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}
