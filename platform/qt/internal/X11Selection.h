// Reads the X clipboard (the CLIPBOARD selection) that another X client
// owns, through a display connection of its own and with bounded waits, so
// that an owner that has stopped answering holds the program for that long
// and no longer. Private to platform/qt.
#pragma once

#include <QByteArray>

#include <functional>

class QMimeData;

enum class TX11ClipboardRead {
  Read,      // 'out' holds the text, or nothing when the clipboard has none
  NoAnswer,  // the owner did not answer in time, or the display went away
  NoDisplay  // no X display could be reached
};

// Asks the owner which formats it offers and fetches one of them: the bytes
// of 'exactType' when offered (put in 'out' under that type), else its plain
// text (UTF-8, or Latin-1 as STRING, put in 'out' as text). The owner has
// 'waitMs' milliseconds to start answering; a text sent in pieces (INCR)
// gets as long again for each piece. 'whileWaiting', when given, is called
// every few milliseconds for as long as an answer is awaited.
TX11ClipboardRead ReadX11Clipboard(const QByteArray& exactType, int waitMs, QMimeData& out,
                                   const std::function<void()>& whileWaiting = {});
