// The program's start-up and run: what main() does.
#pragma once

#include <functional>

// Creates the application object, the main window, the about box and the
// settings dialog, in that order, and runs the message loop until the main
// window closes; returns 0. `started`, when given, runs once from the loop
// after the main window is shown (the screenshot test drives the program
// through it).
int RunSorvelan(int argc, char** argv, const std::function<void()>& started = {});
