// The Screen and Application objects, cursors, and the exception boundary.
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <cstdio>

#include "platform/qt/Controls.h"
#include "platform/qt/internal/QtBridge.h"

TScreen* Screen = nullptr;
TApplication* Application = nullptr;

void InitControls() {
  if (!Application) Application = new TApplication;
  if (!Screen) Screen = new TScreen;
}


QCursor CursorFor(TCursor c) {
  switch (c) {
    case crIBeam: return QCursor(Qt::IBeamCursor);
    case crSizeWE: return QCursor(Qt::SizeHorCursor);
    case crHourGlass: return QCursor(Qt::WaitCursor);
    case crDrag: return QCursor(Qt::DragCopyCursor);
    default: break;
  }
  if (c > 0 && Screen) {
    if (HCURSOR h = Screen->Cursors.Get(c)) return h->cursor;
  }
  return QCursor(Qt::ArrowCursor);
}

TScreen::TScreen() : TComponent(nullptr) {}

TScreen::~TScreen() {
  if (FCursor != crDefault && QGuiApplication::instance()) QGuiApplication::restoreOverrideCursor();
}

HCURSOR TScreen::TCursorTable::Get(int index) const {
  auto it = FTable.find(index);
  return it == FTable.end() ? nullptr : it->second;
}

void TScreen::SetCursor(TCursor c) {
  if (c == FCursor) return;
  TCursor old = FCursor;
  FCursor = c;
  if (!QGuiApplication::instance()) return;
  if (c == crDefault) {
    QGuiApplication::restoreOverrideCursor();
  } else if (old == crDefault) {
    QGuiApplication::setOverrideCursor(CursorFor(c));
  } else {
    QGuiApplication::changeOverrideCursor(CursorFor(c));
  }
}

TApplication::TApplication() : TComponent(nullptr) {}

void TApplication::HandleException(TObject* Sender) {
  // Called inside a catch block: find out what was thrown.
  if (!std::current_exception()) return;
  try {
    throw;
  } catch (const std::exception& e) {
    if (OnException) {
      try {
        OnException(Sender, e);
      } catch (...) {
        std::fprintf(stderr, "例外の処理中に例外が発生しました\n");
      }
    } else {
      ShowException(e);
    }
  } catch (...) {
    Exception e("不明な例外が発生しました");
    if (OnException) {
      try {
        OnException(Sender, e);
      } catch (...) {
      }
    } else {
      ShowException(e);
    }
  }
}

AnsiString ExceptionText(const std::exception& E) {
  if (auto* e = dynamic_cast<const Exception*>(&E)) return e->Message();
  if (dynamic_cast<const std::bad_alloc*>(&E)) return "メモリが不足しています";
  return E.what();
}

void TApplication::ShowException(const std::exception& E) {
  std::fprintf(stderr, "%s\n", ExceptionText(E).c_str());
  std::fflush(stderr);
}
