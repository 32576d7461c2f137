// The program's start-up and run: what main() does.
#pragma once

#include <QString>
#include <functional>

// Loads Qt's Japanese translation (qtbase_ja) from 'folder' for the
// standard dialogs and buttons; false, and nothing changed, when the file
// is not there.
bool InstallQtJapanese(const QString& folder);

// Makes Japanese the locale of Qt's formatting (numbers, sizes, dates) and
// of the names of file types, whatever the desktop's locale, so that what
// the standard dialogs show matches their Japanese labels.
void UseJapaneseLocale();

// Ignores the file size signal (a save over the limit is a write error),
// then creates the application object, the main window, the about box and the
// settings dialog, in that order, and runs the message loop until the main
// window closes; returns 0. `started`, when given, runs once from the loop
// after the main window is shown (the screenshot test drives the program
// through it).
int RunSorvelan(int argc, char** argv, const std::function<void()>& started = {});
