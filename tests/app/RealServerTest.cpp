// The program on a real X server (Xvfb, xcb platform), driven through the
// window system's own key path: the file dialog and what it leaves behind,
// Qt's standard texts in Japanese, the hint of a menu opened from the
// keyboard, a paste from a program that has stopped answering (the window
// repaints meanwhile and takes no input) or that changes its text between
// reads.
#include <gtest/gtest.h>

#include <QAction>
#include <QAbstractItemView>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

#include "app/Program.h"
#include "app/Unit1.h"
#include "tests/app/BoxRecorder.h"
#include "tests/common/TempFiles.h"
#include "tests/common/TestApp.h"
#include "tests/common/XClipboardOwner.h"
#include "tests/common/XcbChild.h"

namespace {

bool HasJapanese(const QString& text) {
  for (QChar c : text)
    if (c.unicode() >= 0x3000) return true;
  return false;
}

// Runs the program as main() does; 'drive' runs once the window shows, then
// the window closes (answering No to the close question).
void RunProgram(const std::function<void()>& drive) {
  static char name[] = "sorvelan";
  static char* argv[] = {name, nullptr};
  RunSorvelan(1, argv, [&] {
    [&] {
      ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
      Form1->activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
      drive();
    }();
    MessageBoxHook = [](const TMessageBoxRequest&) { return mrNo; };
    Form1->close();
  });
  MessageBoxHook = nullptr;
}

// The test runs 'drive' in its second run, on the X server; the first run
// starts the second and checks that it passed.
void OnRealServer(void (*drive)()) {
  if (xcbchild::InChild()) {
    drive();
    return;
  }
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  const xcbchild::Result r = xcbchild::Run(std::string(info->test_suite_name()) + "." + info->name());
  EXPECT_TRUE(r.Passed()) << r.Log;
}

// --- the open dialog ---------------------------------------------------------

void DriveOpenDialog() {
  TempDir dir;
  WriteAll(dir.Path("sample1.txt"), "abc\r\n");
  WriteAll(dir.Path("sample2.txt"), "def\r\n");
  int news = 0;
  RunProgram([&] {
    QObject::connect(Form1->FileNew1, &QAction::triggered, [&] { ++news; });
    Form1->OpenDialog1->FileName = dir.Path("sample1.txt");
    QLineEdit* field = nullptr;
    QTimer::singleShot(0, [&] {
      auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dlg, nullptr);
      ASSERT_TRUE(PumpUntil([&] { return dlg->isVisible(); }));

      // Qt's own texts are Japanese.
      auto* lookIn = dlg->findChild<QLabel*>(QStringLiteral("lookInLabel"));
      auto* buttons = dlg->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
      ASSERT_NE(lookIn, nullptr);
      ASSERT_NE(buttons, nullptr);
      EXPECT_TRUE(HasJapanese(lookIn->text())) << lookIn->text().toStdString();
      for (QAbstractButton* b : buttons->buttons()) EXPECT_TRUE(HasJapanese(b->text())) << b->text().toStdString();

      // A typed name opens the completion list, still on show when the
      // dialog closes.
      field = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      ASSERT_NE(field, nullptr);
      ASSERT_NE(field->completer(), nullptr);
      PumpFor(300);  // the starting name settles
      field->clear();
      QTest::keyClicks(field, QStringLiteral("sam"));
      EXPECT_TRUE(PumpUntil([&] { return field->completer()->popup()->isVisible(); }));
      field->setText(QStringLiteral("sample1.txt"));
      static_cast<QDialog*>(dlg)->accept();  // as the Open button does
    });
    Form1->FileOpen1->trigger();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(InputFileName, dir.Path("sample1.txt"));
    PumpFor(100);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_FALSE(field->completer()->popup()->isVisible());

    // The folder's listing arriving late opens the list again: it goes.
    field->completer()->setCompletionPrefix(QStringLiteral("sam"));
    field->completer()->complete();
    PumpFor(100);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_FALSE(field->completer()->popup()->isVisible());

    // The next key reaches the main window's shortcuts.
    Form1->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
    QTest::keyClick(Form1->windowHandle(), Qt::Key_N, Qt::ControlModifier);
    PumpFor(50);
    EXPECT_EQ(news, 1);
  });
}

TEST(RealServer, AClosedFileDialogLeavesNoCompletionListAndSpeaksJapanese) {
  OnRealServer(DriveOpenDialog);
}

// --- a menu opened from the keyboard -------------------------------------

void DriveKeyboardMenu() {
  RunProgram([] {
    QMenu* file = Form1->File1;
    QTest::keyClick(Form1->windowHandle(), Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(PumpUntil([&] { return file->isVisible() && file->activeAction(); }));
    PumpFor(50);
    const QString hint = file->activeAction()->statusTip();
    EXPECT_FALSE(hint.isEmpty());
    EXPECT_EQ(Form1->StatusBar1->currentMessage().toStdString(), hint.toStdString());
    file->hide();
  });
}

TEST(RealServer, AMenuOpenedFromTheKeyboardShowsTheHintOfItsFirstItem) {
  OnRealServer(DriveKeyboardMenu);
}

// --- a paste from a program that does not answer ---------------------------

void DrivePasteFromSilentOwner() {
  RunProgram([] {
    TAFEdit* pane = Form1->AFEdit2;
    pane->SetLine(0, "abc\r");
    pane->AddLine("def");
    pane->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return QApplication::focusWidget() == pane->GetWidget(); }));
    const std::vector<std::string> before = {pane->GetLine(0), pane->GetLine(1)};

    XClipboardOwner silent({{"UTF8_STRING", "xyz"}}, false);
    ASSERT_TRUE(silent.Owns());
    BoxRecorder boxes;
    QElapsedTimer t;
    t.start();
    QTest::keyClick(Form1->windowHandle(), Qt::Key_V, Qt::ControlModifier);
    PumpUntil([&] { return !boxes.Boxes.empty(); }, 20000);
    // One wait of five seconds, not one for every format asked about.
    EXPECT_LT(t.elapsed(), 10000);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "クリップボードを開けません");
    EXPECT_EQ(pane->GetLinesCount(), 2);
    EXPECT_EQ((std::vector<std::string>{pane->GetLine(0), pane->GetLine(1)}), before);

    // New from the clipboard empties both panes only once it has the text.
    TAFEdit* reference = Form1->AFEdit1;
    reference->SetLine(0, "ref\r");
    boxes.Boxes.clear();
    boxes.Answers = {mrNo};  // the edit pane's text need not be saved
    Form1->ClipboardOpen1->trigger();
    PumpUntil([&] { return boxes.Boxes.size() >= 2; }, 20000);
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[1].Text, "クリップボードを開けません");
    EXPECT_EQ((std::vector<std::string>{pane->GetLine(0), pane->GetLine(1)}), before);
    EXPECT_EQ(reference->GetLine(0), "ref\r");
  });
}

TEST(RealServer, ClipboardCommandsOnAProgramThatDoesNotAnswerEndInAnErrorAndChangeNothing) {
  OnRealServer(DrivePasteFromSilentOwner);
}

// --- repainting while a program is slow to answer ------------------------------

// The screen as another client sees it, over a connection of its own, so a
// thread may look while the program's own thread is busy; and a key sent to
// a window as the server would send it.
class XScreen {
 public:
  XScreen() : FConn(xcb_connect(nullptr, nullptr)) {
    if (!xcb_connection_has_error(FConn)) FRoot = xcb_setup_roots_iterator(xcb_get_setup(FConn)).data->root;
  }
  ~XScreen() { xcb_disconnect(FConn); }
  XScreen(const XScreen&) = delete;
  XScreen& operator=(const XScreen&) = delete;

  // 0xRRGGBB of the pixel at 'p' (screen coordinates), or -1.
  long Pixel(QPoint p) {
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> r(
        xcb_get_image_reply(FConn,
                            xcb_get_image(FConn, XCB_IMAGE_FORMAT_Z_PIXMAP, FRoot, static_cast<int16_t>(p.x()),
                                          static_cast<int16_t>(p.y()), 1, 1, ~0u),
                            nullptr),
        &std::free);
    if (!r || xcb_get_image_data_length(r.get()) < 4) return -1;
    uint32_t v;
    std::memcpy(&v, xcb_get_image_data(r.get()), 4);
    return static_cast<long>(v & 0xFFFFFF);
  }

  // Presses and releases the key that types 'keysym' in 'window'.
  bool SendKey(xcb_window_t window, uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(FConn);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> map(
        xcb_get_keyboard_mapping_reply(
            FConn, xcb_get_keyboard_mapping(FConn, setup->min_keycode, static_cast<uint8_t>(count)), nullptr),
        &std::free);
    if (!map) return false;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.get());
    for (int k = 0; k < count; ++k) {
      if (syms[k * map->keysyms_per_keycode] != keysym) continue;
      for (uint8_t type : {XCB_KEY_PRESS, XCB_KEY_RELEASE}) {
        xcb_key_press_event_t e{};
        e.response_type = type;
        e.detail = static_cast<xcb_keycode_t>(setup->min_keycode + k);
        e.root = FRoot;
        e.event = window;
        e.same_screen = 1;
        xcb_send_event(FConn, 1, window, type == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
                       reinterpret_cast<const char*>(&e));
      }
      xcb_flush(FConn);
      return true;
    }
    return false;
  }

  // Asks 'window' to close, as the window manager does for its close box.
  void SendClose(xcb_window_t window) {
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = window;
    e.type = Atom("WM_PROTOCOLS");
    e.data.data32[0] = Atom("WM_DELETE_WINDOW");
    e.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(FConn, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
    xcb_flush(FConn);
  }

  // Returns once the server has handled every request sent so far.
  void Sync() { std::free(xcb_get_input_focus_reply(FConn, xcb_get_input_focus(FConn), nullptr)); }

 private:
  xcb_atom_t Atom(const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
        xcb_intern_atom_reply(FConn, xcb_intern_atom(FConn, 0, static_cast<uint16_t>(std::strlen(name)), name),
                              nullptr),
        &std::free);
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
  }

  xcb_connection_t* FConn;
  xcb_window_t FRoot = 0;
};

void DriveRepaintWhileWaiting() {
  RunProgram([] {
    TAFEdit* pane = Form1->AFEdit2;
    pane->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return QApplication::focusWidget() == pane->GetWidget(); }));
    QWidget* view = pane->GetWidget();
    const QPoint at = view->mapToGlobal(QPoint(view->width() / 2, view->height() / 2));
    XScreen screen;
    PumpFor(200);
    const long paneColour = screen.Pixel(at);
    ASSERT_GE(paneColour, 0);

    // A window over the pane, in a colour of its own, as the File menu is
    // before the command it runs.
    constexpr long kCover = 0xFF00FF;
    QWidget cover(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    cover.setAutoFillBackground(true);
    QPalette palette = cover.palette();
    palette.setColor(QPalette::Window, QColor(QRgb(kCover)));
    cover.setPalette(palette);
    cover.setGeometry(at.x() - 40, at.y() - 40, 80, 80);
    cover.show();
    ASSERT_TRUE(PumpUntil([&] { return screen.Pixel(at) == kCover; }));
    ASSERT_NE(paneColour, kCover);

    // The cover goes and the paste waits for an owner that never answers;
    // meanwhile a key comes. The pane is drawn again while the paste waits,
    // and the key is typed only after it.
    XClipboardOwner silent({{"UTF8_STRING", "xyz"}}, false);
    ASSERT_TRUE(silent.Owns());
    std::atomic<bool> over{false}, repainted{false};
    std::string rowAtBox;
    MessageBoxHook = [&](const TMessageBoxRequest&) {
      over = true;
      rowAtBox = pane->GetLine(0);
      return mrOk;
    };
    const xcb_window_t window = static_cast<xcb_window_t>(Form1->winId());
    bool keySent = false;
    std::thread watcher([&] {
      XScreen look;
      for (int i = 0; i < 200 && !over; ++i) {
        if (i == 10) keySent = look.SendKey(window, 'q');
        const long pixel = look.Pixel(at);
        if (pixel == paneColour && !over) repainted = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    });
    cover.hide();
    Form1->EditPaste1->trigger();
    watcher.join();
    MessageBoxHook = nullptr;
    EXPECT_TRUE(over);
    EXPECT_TRUE(repainted);
    EXPECT_EQ(rowAtBox, "");
    if (!keySent) return;
    EXPECT_TRUE(PumpUntil([&] { return pane->GetLine(0) == "q"; })) << pane->GetLine(0);
  });
}

TEST(RealServer, TheWindowRepaintsButTakesNoInputWhileAProgramIsSlowToAnswer) {
  OnRealServer(DriveRepaintWhileWaiting);
}

// Keys typed and a request to close made while the paste waits for another
// program: the box that follows the paste, which blocks the main window
// while it shows, takes none of them; once it is closed the keys are typed
// into the pane and the close is asked about.
void DriveInputKeptThroughTheBox() {
  RunProgram([] {
    struct Case {
      const char* name;
      bool answers;
      std::string bytes, box;
      std::vector<std::string> rows;  // the pane's, after the box
    };
    const std::vector<Case> cases = {
        {"an owner that never answers", false, "abc", "クリップボードを開けません", {"xyz\r", ""}},
        {"a late text with a NUL", true, std::string("ab\0c", 4),
         "クリップボードの 2 バイト目より後のテキストは取り込まれていません (NUL 文字があります)", {"abxyz\r", ""}},
    };
    TAFEdit* pane = Form1->AFEdit2;
    const auto rows = [&] {
      std::vector<std::string> all;
      for (int i = 0; i < pane->GetLinesCount(); ++i) all.push_back(pane->GetLine(i));
      return all;
    };
    for (const Case& c : cases) {
      pane->Clear();
      Form1->activateWindow();  // no window manager gives it back after a box
      ASSERT_TRUE(QTest::qWaitForWindowActive(Form1)) << c.name;
      pane->SetFocus();
      ASSERT_TRUE(PumpUntil([&] { return QApplication::focusWidget() == pane->GetWidget(); })) << c.name;
      XClipboardOwner owner({{"UTF8_STRING", c.bytes}}, c.answers, 0, {.DelayMs = 1000});
      ASSERT_TRUE(owner.Owns()) << c.name;

      // Sent before the paste starts, in the program's queue all through it:
      // nothing takes events from there until the paste is over.
      XScreen user;
      const xcb_window_t window = static_cast<xcb_window_t>(Form1->winId());
      for (uint32_t keysym : {uint32_t('x'), uint32_t('y'), uint32_t('z'), uint32_t(0xff0d) /* Return */})
        ASSERT_TRUE(user.SendKey(window, keysym)) << c.name;
      user.SendClose(window);
      user.Sync();

      // The real box, with its own event loop; it stays until what was sent
      // has reached the program, then OK is pressed.
      std::string shown;
      std::vector<std::string> asked;
      QTimer::singleShot(0, [&] {
        QWidget* box = nullptr;
        ASSERT_TRUE(PumpUntil([&] { return (box = QApplication::activeModalWidget()) != nullptr; }));
        auto* message = qobject_cast<QMessageBox*>(box);
        ASSERT_NE(message, nullptr);
        shown = message->text().toStdString();
        PumpFor(500);
        MessageBoxHook = [&](const TMessageBoxRequest& r) {
          asked.push_back(r.Text.toStdString());
          return mrCancel;  // the window stays
        };
        message->buttons().front()->click();
      });
      Form1->EditPaste1->trigger();
      EXPECT_EQ(shown, c.box) << c.name;
      PumpUntil([&] { return !asked.empty() && rows() == c.rows; }, 10000);
      PumpFor(200);
      MessageBoxHook = nullptr;
      EXPECT_EQ(rows(), c.rows) << c.name;
      EXPECT_EQ(asked, std::vector<std::string>{"保存して終了しますか?"}) << c.name;
      EXPECT_TRUE(Form1->isVisible()) << c.name;
    }
  });
}

TEST(RealServer, KeysAndACloseMadeWhileAProgramIsAwaitedAreHandledAfterTheBoxThatFollows) {
  OnRealServer(DriveInputKeptThroughTheBox);
}

// --- new from the clipboard reads it once -----------------------------------

void DriveNewFromAChangingClipboard() {
  RunProgram([] {
    struct Case {
      const char* name;
      XClipboardOwner::Changes changes;
      std::string row;  // both panes'
    };
    const std::vector<Case> cases = {
        {"a text that changes with every read", {.Numbered = true}, "text1"},
        {"an owner that stops answering after one read", {.AnswersBeforeSilence = 1}, "text"},
    };
    for (const Case& c : cases) {
      XClipboardOwner owner({{"UTF8_STRING", "text"}}, true, 0, c.changes);
      ASSERT_TRUE(owner.Owns()) << c.name;
      Form1->AFEdit2->SetEdited(false);
      BoxRecorder boxes;
      Form1->ClipboardOpen1->trigger();
      EXPECT_TRUE(boxes.Boxes.empty()) << c.name << ": " << (boxes.Boxes.empty() ? "" : boxes.Boxes[0].Text);
      EXPECT_EQ(Form1->AFEdit1->GetLine(0), c.row) << c.name;
      EXPECT_EQ(Form1->AFEdit2->GetLine(0), c.row) << c.name;
    }
  });
}

TEST(RealServer, NewFromTheClipboardGivesBothPanesTheTextOfOneRead) {
  OnRealServer(DriveNewFromAChangingClipboard);
}

// --- Qt's translation ----------------------------------------------------------

// Compared with the texts before the call: a test run before this one in the
// same process may have installed the Japanese texts already.
TEST(QtTranslation, AMissingFileLeavesTheTextsAsTheyWere) {
  TestApp();
  TempDir empty;
  const QString before = QCoreApplication::translate("QPlatformTheme", "Cancel");
  EXPECT_FALSE(InstallQtJapanese(QString::fromStdString(empty.Root())));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), before);
}

}  // namespace
