// The small pieces of the class library that the program's windows use:
// message boxes, file dialogs, the progress bar, the hourglass, hints, file
// names beside the program, and the error box for a failed command.
#pragma once

#include <QProgressBar>
#include <QString>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

#include "platform/text/AnsiString.h"

class TObject;

class QFileDialog;
class QFont;
class QWidget;

// The program's title: message boxes without a type of their own and the
// error box carry it.
inline constexpr const char* kAppTitle = "Sorvelan";

// ---------------------------------------------------------------------------
// Message boxes.

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel };
using TMsgDlgButtons = unsigned;  // bit (1 << TMsgDlgBtn) per button
inline constexpr TMsgDlgButtons MsgButtons(std::initializer_list<TMsgDlgBtn> buttons) {
  TMsgDlgButtons bits = 0;
  for (TMsgDlgBtn b : buttons) bits |= 1u << b;
  return bits;
}

// Modal results, as the library numbers them.
inline constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7;

// A box titled by its type ("確認", "情報", "警告", "エラー") with the
// Japanese button labels "はい(&Y)", "いいえ(&N)", "OK", "キャンセル".
// The default button is OK, else Yes; Esc and the close box give Cancel,
// else No, else OK. Returns the modal result of the pressed button.
int MessageDlg(QWidget* parent, const QString& msg, TMsgDlgType type, TMsgDlgButtons buttons);

// An OK box titled with the program's title.
void ShowMessage(QWidget* parent, const QString& msg);

// The error box of a command that failed: the error's text, the program's
// title, a stop icon.
void ShowErrorBox(QWidget* parent, const QString& msg);

// Every box above goes through this hook when it is set, in place of the
// window: tests answer the boxes and read what they would have shown.
struct TMessageBoxRequest {
  QString Title;
  QString Text;
  TMsgDlgType Type;  // mtCustom for ShowMessage, mtError for the error box
  TMsgDlgButtons Buttons;
};
extern std::function<int(const TMessageBoxRequest&)> MessageBoxHook;

// Runs one command; an error it raises ends the command and is shown in the
// error box, and the program goes on. Qt does not let exceptions through its
// event loop, so every handler reached from a signal runs through this.
void RunGuarded(QWidget* parent, const std::function<void()>& command);

// The error box for an exception, with the text ExceptionText gives; a
// guarded command and an event of a pane (ShowPaneException, the program's
// Application->OnException) both end here, so the user reads the same text.
void ShowExceptionBox(QWidget* parent, const std::exception& e);
void ShowPaneException(TObject* Sender, const std::exception& E);

// ---------------------------------------------------------------------------
// File dialogs with the library's filter form "label|pattern|label|pattern".

class TFileDialog {
 public:
  enum Kind { Open, Save };
  TFileDialog(QWidget* owner, Kind kind);
  ~TFileDialog();

  AnsiString FileName;  // file-system bytes; kept between runs
  AnsiString Filter;

  // Shows the dialog starting at FileName; true and the chosen name in
  // FileName when the user picked one. The open dialog lets a name that
  // does not exist through; the save dialog asks nothing about overwriting.
  bool Execute();

  // Tests answer in place of the user: set the name and return true, or
  // return false for a cancelled dialog.
  std::function<bool(AnsiString& FileName)> ExecuteHook;

  // The Qt name filter for one label and pattern: "*.*" matches every file
  // on Linux, so it becomes "*".
  static QStringList QtFilters(const AnsiString& filter);

 private:
  QWidget* FOwner;
  Kind FKind;
  std::unique_ptr<QFileDialog> FDialog;
};

// ---------------------------------------------------------------------------
// The progress bar with the library's Min, Max, Position, Step and StepIt.
// A step past the maximum starts over from the minimum, carrying the
// overshoot, as the system control does (Qt's bar would ignore the value).

class TProgressBar : public QProgressBar {
  Q_OBJECT
 public:
  explicit TProgressBar(QWidget* parent = nullptr);

  int GetMin() const { return FMin; }
  int GetMax() const { return FMax; }
  int GetPosition() const { return FPosition; }
  int GetStep() const { return FStep; }
  void SetMin(int v);
  void SetMax(int v);
  void SetPosition(int v);  // clamped into [Min, Max]
  void SetStep(int v) { FStep = v; }
  void StepIt();

 private:
  void Show();
  int FMin = 0, FMax = 100, FPosition = 0, FStep = 10;
};

// ---------------------------------------------------------------------------
// The hourglass cursor for the life of one step; restored on every exit,
// errors included.

class THourGlass {
 public:
  THourGlass();
  ~THourGlass();
  THourGlass(const THourGlass&) = delete;
  THourGlass& operator=(const THourGlass&) = delete;

 private:
  int16_t FOld;  // the screen cursor before
};

// The normal cursor for the life of one step inside an hourglass step (a
// message box the user has to answer).
class TNormalCursor {
 public:
  TNormalCursor();
  ~TNormalCursor();
  TNormalCursor(const TNormalCursor&) = delete;
  TNormalCursor& operator=(const TNormalCursor&) = delete;

 private:
  int16_t FOld;
};

// ---------------------------------------------------------------------------
// Names and texts.

// The program's own path as file-system bytes.
AnsiString ExeName();
// path with its extension (from the last "." of the last name) replaced by
// ext; appended when the name has none.
AnsiString ChangeFileExt(const AnsiString& path, const AnsiString& ext);
bool FileExists(const AnsiString& path);
// File-system bytes to and from Qt text.
QString FileNameToQt(const AnsiString& name);
AnsiString FileNameFromQt(const QString& name);

// The parts of a hint "short|long"; without a bar the whole text is both.
QString GetShortHint(const QString& hint);
QString GetLongHint(const QString& hint);

// The font a form description names: a face and a height in the library's
// sign convention (negative = character height in pixels). "ＭＳ ゴシック"
// and "ＭＳ Ｐゴシック" stand for the IPA gothic faces.
QFont FormFont(const char* face, int height);
