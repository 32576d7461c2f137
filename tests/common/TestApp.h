// The one QApplication of a test program, made on first use, with the
// control layer's Application and Screen objects beside it, and the event
// pumps the tests wait with.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QtGlobal>
#include <functional>

#include "platform/qt/Controls.h"

// A test program run by hand, without a display, shows its windows
// offscreen as CTest has it do; a platform chosen in QT_QPA_PLATFORM wins.
inline QApplication& TestApp() {
  if (!QApplication::instance()) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
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

// Runs the event loop for 'ms' milliseconds.
inline void PumpFor(int ms) { PumpUntil([] { return false; }, ms); }
