// The help viewer: a window of its own (not modal) that shows the help file,
// an HTML page beside the program, from its start. One window is reused.
#pragma once

#include <QWidget>

#include "platform/text/AnsiString.h"

class QTextBrowser;

class THelpViewer : public QWidget {
  Q_OBJECT
 public:
  explicit THelpViewer(QWidget* parent = nullptr);

  // Opens the file at its contents (its top) and brings the window up. A
  // missing or unreadable file is reported in a box; false then.
  bool ShowContents(const AnsiString& fileName);

  QTextBrowser* Browser;
};
