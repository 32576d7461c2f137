// Real Qt key and input-method events arrive at a control as key, character
// and composition messages; the composition is drawn over the control.
#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextCharFormat>
#include <QWidget>
#include <string>
#include <vector>

#include "tests/common/TestApp.h"
#include "platform/qt/Caret.h"
#include "platform/qt/Imm.h"
#include "platform/qt/internal/KeyInput.h"
#include "platform/qt/KeyState.h"
#include "tests/common/Cp932Text.h"

namespace {

// A text of UTF-16 code units as they stand, lone surrogates included.
QString Units(std::initializer_list<char16_t> units) {
  return QString(reinterpret_cast<const QChar*>(units.begin()), static_cast<qsizetype>(units.size()));
}

struct Msg {
  unsigned msg;
  uintptr_t w;
  intptr_t l;
  bool operator==(const Msg&) const = default;
};

// A control that records the key, character and composition messages it
// gets, with the Shift and Ctrl state seen while each is handled.
class KeyProbe : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  void Dispatch(TMessage& m) override {
    switch (m.Msg) {
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_CHAR:
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
      case WM_IME_STARTCOMPOSITION:
      case WM_IME_ENDCOMPOSITION:
      case WM_IME_COMPOSITION:
      case WM_LBUTTONDOWN:
      case CM_CHARSLEFTOUT: return Record(m);
      case WM_GETDLGCODE: return WMGetDlgCode(m);
      case CM_WANTSPECIALKEY: return CMWantSpecialKey(m);
      default: return TCustomControl::Dispatch(m);
    }
  }
  std::vector<Msg> got;
  std::vector<bool> shiftSeen, ctrlSeen;
  std::string result;  // the result string read during WM_IME_COMPOSITION
  std::string leftOut;  // the characters CM_CHARSLEFTOUT names
  long resultLength = 0;
  bool preeditWithResult = false;  // a composition still on show at the result
  bool preeditAtButton = false;    // a composition still on show at a button press
  intptr_t dlgCode = DLGC_WANTCHARS;
  bool wantsTab = true;

  std::vector<Msg> Of(unsigned msg) const {
    std::vector<Msg> out;
    for (const Msg& m : got)
      if (m.msg == msg) out.push_back(m);
    return out;
  }
  std::string Chars() const {
    std::string s;
    for (const Msg& m : Of(WM_CHAR)) s += static_cast<char>(m.w);
    return s;
  }

 private:
  void Record(TMessage& m) {
    got.push_back({m.Msg, m.WParam, m.LParam});
    shiftSeen.push_back(GetKeyState(VK_SHIFT) < 0);
    ctrlSeen.push_back(GetKeyState(VK_CONTROL) < 0);
    if (m.Msg == WM_IME_COMPOSITION && (m.LParam & GCS_RESULTSTR)) {
      HIMC imc = ImmGetContext(this);
      resultLength = ImmGetCompositionStringA(imc, GCS_RESULTSTR, nullptr, 0);
      if (resultLength > 0) {
        result.assign(static_cast<size_t>(resultLength), '\0');
        ImmGetCompositionStringA(imc, GCS_RESULTSTR, result.data(), static_cast<unsigned>(resultLength));
      }
      ImmReleaseContext(this, imc);
      preeditWithResult = GetPreeditState(this).Active;
      return;
    }
    if (m.Msg == WM_LBUTTONDOWN) preeditAtButton = GetPreeditState(this).Active;
    if (m.Msg == CM_CHARSLEFTOUT) {
      leftOut = reinterpret_cast<const char*>(m.LParam);
      got.back().l = 0;  // the pointer is valid only for the message
    }
    Inherited(m);
  }
  void WMGetDlgCode(TMessage& m) { m.Result = dlgCode; }
  void CMWantSpecialKey(TMessage& m) {
    const auto key = static_cast<int>(m.WParam);
    m.Result = (key == VK_TAB ? wantsTab : (key >= VK_LEFT && key <= VK_DOWN)) ? 1 : 0;
  }
};

class KeyInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    ClearKeyStateOverrides();
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 300, 200);
    probe = new KeyProbe(form);
    probe->SetParent(form);
    probe->SetBounds(0, 0, 200, 100);
    probe->SetTabStop(true);
  }
  void TearDown() override {
    InputMethodResetHook = nullptr;
    DestroyCaret();
    delete form;
    ClearKeyStateOverrides();
  }

  // Sends an event to the probe's widget; true when it was consumed.
  bool Send(QEvent* e, TWinControl* to = nullptr) {
    return QApplication::sendEvent((to ? to : probe)->GetWidget(), e);
  }
  bool Press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString(),
             bool autoRepeat = false) {
    QKeyEvent e(QEvent::KeyPress, key, mods, text, autoRepeat);
    return Send(&e);
  }
  bool Release(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, bool autoRepeat = false) {
    QKeyEvent e(QEvent::KeyRelease, key, mods, QString(), autoRepeat);
    return Send(&e);
  }
  void Commit(const QString& text) {
    QInputMethodEvent e;
    e.setCommitString(text);
    Send(&e);
  }
  void Preedit(const QString& text, int cursor) {
    QList<QInputMethodEvent::Attribute> attrs;
    attrs << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, cursor, 1, QVariant());
    QInputMethodEvent e(text, attrs);
    Send(&e);
  }
  void Focus() {
    form->Show();
    QApplication::setActiveWindow(form->GetWidget());
    probe->SetFocus();
    QApplication::processEvents();
    ASSERT_TRUE(probe->Focused());
  }
  TForm* form = nullptr;
  KeyProbe* probe = nullptr;
};

TEST_F(KeyInputTest, QtKeysMapToVirtualKeys) {
  struct Case {
    int key;
    Qt::KeyboardModifiers mods;
    const char* text;
    int vk;
  };
  const Qt::KeyboardModifiers none = Qt::NoModifier, pad = Qt::KeypadModifier;
  const std::vector<Case> cases = {
      {Qt::Key_A, none, "a", 'A'},
      {Qt::Key_A, Qt::ShiftModifier, "A", 'A'},
      {Qt::Key_Z, none, "z", 'Z'},
      {Qt::Key_5, none, "5", '5'},
      {Qt::Key_5, pad, "5", VK_NUMPAD0 + 5},
      {Qt::Key_Exclam, Qt::ShiftModifier, "!", '1'},
      {Qt::Key_Semicolon, none, ";", VK_OEM_1},
      {Qt::Key_BracketLeft, none, "[", VK_OEM_4},
      {Qt::Key_yen, none, "\u00a5", VK_OEM_5},
      {Qt::Key_Eacute, none, "\u00e9", VK_OEM_8},
      {Qt::Key_Backspace, none, "\b", VK_BACK},
      {Qt::Key_Tab, none, "\t", VK_TAB},
      {Qt::Key_Backtab, Qt::ShiftModifier, "", VK_TAB},
      {Qt::Key_Return, none, "\r", VK_RETURN},
      {Qt::Key_Enter, pad, "\r", VK_RETURN},
      {Qt::Key_Escape, none, "\x1b", VK_ESCAPE},
      {Qt::Key_Space, none, " ", VK_SPACE},
      {Qt::Key_PageUp, none, "", VK_PRIOR},
      {Qt::Key_PageDown, none, "", VK_NEXT},
      {Qt::Key_End, none, "", VK_END},
      {Qt::Key_Home, none, "", VK_HOME},
      {Qt::Key_Left, none, "", VK_LEFT},
      {Qt::Key_Up, none, "", VK_UP},
      {Qt::Key_Right, none, "", VK_RIGHT},
      {Qt::Key_Down, none, "", VK_DOWN},
      {Qt::Key_Insert, none, "", VK_INSERT},
      {Qt::Key_Delete, none, "\x7f", VK_DELETE},
      {Qt::Key_Clear, pad, "", VK_CLEAR},
      {Qt::Key_Shift, Qt::ShiftModifier, "", VK_SHIFT},
      {Qt::Key_Control, Qt::ControlModifier, "", VK_CONTROL},
      {Qt::Key_F1, none, "", VK_F1},
      {Qt::Key_Henkan, none, "", VK_CONVERT},
      {Qt::Key_Muhenkan, none, "", VK_NONCONVERT},
      {Qt::Key_unknown, none, "", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(VirtualKeyFromQt(c.key, c.mods, QString::fromUtf8(c.text)), c.vk) << std::hex << c.key;
}

TEST_F(KeyInputTest, KeyEventsBecomeKeyMessagesWithTheRepeatBit) {
  EXPECT_TRUE(Press(Qt::Key_Right));
  EXPECT_TRUE(Press(Qt::Key_Right, Qt::NoModifier, QString(), true));
  EXPECT_TRUE(Release(Qt::Key_Right, Qt::NoModifier, true));  // toolkit auto-repeat: no key-up
  EXPECT_TRUE(Release(Qt::Key_Right));
  const std::vector<Msg> expected = {
      {WM_KEYDOWN, VK_RIGHT, 0x01000001},
      {WM_KEYDOWN, VK_RIGHT, 0x41000001},
      {WM_KEYUP, VK_RIGHT, static_cast<intptr_t>(0xC1000001u)},
  };
  EXPECT_EQ(probe->got, expected);
}

TEST_F(KeyInputTest, AHeldKeyReadsDownUntilItsRealRelease) {
  Press(Qt::Key_Right);
  EXPECT_LT(GetAsyncKeyState(VK_RIGHT), 0);
  Press(Qt::Key_Right, Qt::NoModifier, QString(), true);
  Release(Qt::Key_Right, Qt::NoModifier, true);
  EXPECT_LT(GetAsyncKeyState(VK_RIGHT), 0);
  Release(Qt::Key_Right);
  EXPECT_EQ(GetAsyncKeyState(VK_RIGHT), 0);
}

TEST_F(KeyInputTest, KeyMessagesSeeTheEventsShiftAndCtrl) {
  Press(Qt::Key_Right, Qt::ShiftModifier);
  Press(Qt::Key_C, Qt::ControlModifier, "\x03");
  Press(Qt::Key_Left);
  ASSERT_EQ(probe->got.size(), 4u);  // Ctrl+C also types its control character
  EXPECT_EQ(probe->shiftSeen, (std::vector<bool>{true, false, false, false}));
  EXPECT_EQ(probe->ctrlSeen, (std::vector<bool>{false, true, true, false}));
  EXPECT_EQ(GetKeyState(VK_SHIFT), 0);  // only while the message is handled
}

TEST_F(KeyInputTest, TypedTextArrivesAsCodePage932Bytes) {
  struct Case {
    const char* name;
    int key;
    Qt::KeyboardModifiers mods;
    const char* text;  // UTF-8, as the toolkit gives it
    unsigned keyMsg;   // WM_KEYDOWN or WM_SYSKEYDOWN
    std::string chars;
    std::string leftOut = {};  // UTF-8 of what code page 932 cannot hold
  };
  const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier;
  const std::vector<Case> cases = {
      {"letter", Qt::Key_A, none, "a", WM_KEYDOWN, "a"},
      {"kana from a layout", Qt::Key_unknown, none, "\u3042", WM_KEYDOWN, Sjis("あ")},
      {"two characters at once", Qt::Key_unknown, none, "\u6f22\u5b57", WM_KEYDOWN, Sjis("漢字")},
      {"backspace", Qt::Key_Backspace, none, "\b", WM_KEYDOWN, "\b"},
      {"ctrl+backspace", Qt::Key_Backspace, ctrl, "", WM_KEYDOWN, "\x7f"},
      {"tab", Qt::Key_Tab, none, "\t", WM_KEYDOWN, "\t"},
      {"shift+tab", Qt::Key_Backtab, Qt::ShiftModifier, "", WM_KEYDOWN, "\t"},
      {"return", Qt::Key_Return, none, "\r", WM_KEYDOWN, "\r"},
      {"ctrl+return", Qt::Key_Return, ctrl, "", WM_KEYDOWN, "\n"},
      {"escape", Qt::Key_Escape, none, "\x1b", WM_KEYDOWN, "\x1b"},
      {"ctrl+letter", Qt::Key_V, ctrl, "", WM_KEYDOWN, "\x16"},
      {"delete types nothing", Qt::Key_Delete, none, "\x7f", WM_KEYDOWN, ""},
      {"arrow types nothing", Qt::Key_Left, none, "", WM_KEYDOWN, ""},
      {"alt+letter is a system key", Qt::Key_F, Qt::AltModifier, "f", WM_SYSKEYDOWN, ""},
      {"AltGr character", Qt::Key_Q, Qt::GroupSwitchModifier, "@", WM_KEYDOWN, "@"},
      {"a character code page 932 lacks is left out", Qt::Key_unknown, none, "\u00e9", WM_KEYDOWN, "", "\u00e9"},
      {"and only it", Qt::Key_unknown, none, "a\U0001F600\u00dfb", WM_KEYDOWN, "ab", "\U0001F600\u00df"},
      {"best-fit forms stay", Qt::Key_unknown, none, "\u301c", WM_KEYDOWN, "\x81\x60"},
  };
  for (const Case& c : cases) {
    probe->got.clear();
    probe->leftOut.clear();
    Press(c.key, c.mods, QString::fromUtf8(c.text));
    ASSERT_FALSE(probe->got.empty()) << c.name;
    EXPECT_EQ(probe->got[0].msg, c.keyMsg) << c.name;
    EXPECT_EQ(probe->Chars(), c.chars) << c.name;
    // What is left out is named once, after the characters that were typed.
    const std::vector<Msg> notices = probe->Of(CM_CHARSLEFTOUT);
    EXPECT_EQ(probe->leftOut, c.leftOut) << c.name;
    EXPECT_EQ(notices.empty() ? 0u : notices[0].w, QString::fromUtf8(c.leftOut.c_str()).toUcs4().size()) << c.name;
    if (!notices.empty()) EXPECT_EQ(probe->got.back().msg, CM_CHARSLEFTOUT) << c.name;
  }
}

TEST_F(KeyInputTest, TabReachesOnlyAControlThatAsksForIt) {
  auto* other = new KeyProbe(form);
  other->SetParent(form);
  other->SetBounds(0, 100, 200, 50);
  other->SetTabStop(true);
  Focus();

  probe->wantsTab = true;
  Press(Qt::Key_Tab, Qt::NoModifier, "\t");
  EXPECT_TRUE(probe->Focused());
  EXPECT_EQ(probe->Of(WM_KEYDOWN).size(), 1u);
  EXPECT_EQ(probe->Chars(), "\t");

  probe->got.clear();
  probe->wantsTab = false;
  Press(Qt::Key_Tab, Qt::NoModifier, "\t");
  EXPECT_TRUE(probe->got.empty());
  EXPECT_TRUE(other->Focused());  // the toolkit moved the focus on
}

TEST_F(KeyInputTest, OnKeyDownAndOnKeyPressCanTakeTheKey) {
  probe->OnKeyDown = [](TObject*, uint16_t& key, TShiftState) {
    if (key == VK_RIGHT) key = 0;
  };
  probe->OnKeyPress = [](TObject*, char& key) {
    if (key == 'x') key = 0;
  };
  TMessage down{WM_KEYDOWN, VK_RIGHT, 0, 0};
  probe->Dispatch(down);  // the recorder hands it on to the library
  EXPECT_EQ(down.WParam, 0u);
  TMessage ch{WM_CHAR, 'x', 0, 0};
  probe->Dispatch(ch);
  EXPECT_EQ(ch.WParam, 0u);
  TMessage kept{WM_CHAR, 'y', 0, 0};
  probe->Dispatch(kept);
  EXPECT_EQ(kept.WParam, static_cast<uintptr_t>('y'));
}

TEST_F(KeyInputTest, CommittedTextIsOneCompositionResult) {
  Commit(QString::fromUtf8("漢字"));
  ASSERT_EQ(probe->got.size(), 3u);
  EXPECT_EQ(probe->got[0].msg, WM_IME_STARTCOMPOSITION);
  EXPECT_EQ(probe->got[1].msg, WM_IME_COMPOSITION);
  EXPECT_EQ(probe->got[1].l, GCS_RESULTSTR);
  EXPECT_EQ(probe->got[2].msg, WM_IME_ENDCOMPOSITION);
  EXPECT_EQ(probe->result, Sjis("漢字"));
  EXPECT_FALSE(ImeComposing(probe));
  // The result is held only for its message.
  EXPECT_EQ(ImmGetCompositionStringA(ImmGetContext(probe), GCS_RESULTSTR, nullptr, 0), IMM_ERROR_NODATA);
  EXPECT_EQ(ImmGetCompositionStringA(nullptr, GCS_RESULTSTR, nullptr, 0), IMM_ERROR_GENERAL);
}

TEST_F(KeyInputTest, PreeditIsDrawnAtTheCaretAndNeverTouchesTheImage) {
  form->Show();
  probe->Canvas->Brush->SetColor(clWhite);
  probe->Canvas->FillRect(probe->ClientRect());
  const QImage before = *probe->Canvas->GetImage();
  CreateCaret(probe, nullptr, 2, 14);
  SetCaretPos(40, 20);

  Preedit(QString::fromUtf8("かんじ"), 2);
  ASSERT_EQ(probe->got.size(), 2u);
  EXPECT_EQ(probe->got[0].msg, WM_IME_STARTCOMPOSITION);
  EXPECT_EQ(probe->got[1], (Msg{WM_IME_COMPOSITION, 0, GCS_COMPSTR | GCS_CURSORPOS}));
  EXPECT_TRUE(ImeComposing(probe));
  HIMC imc = ImmGetContext(probe);
  std::string comp(static_cast<size_t>(ImmGetCompositionStringA(imc, GCS_COMPSTR, nullptr, 0)), '\0');
  ImmGetCompositionStringA(imc, GCS_COMPSTR, comp.data(), static_cast<unsigned>(comp.size()));
  EXPECT_EQ(comp, Sjis("かんじ"));
  EXPECT_EQ(ImmGetCompositionStringA(imc, GCS_CURSORPOS, nullptr, 0), 4);

  TPreeditState state = GetPreeditState(probe);
  ASSERT_TRUE(state.Active);
  EXPECT_EQ(state.Bounds.Left, 40);
  EXPECT_EQ(state.Bounds.Top, 20);
  EXPECT_EQ(state.Bounds.Right - state.Bounds.Left, 6 * probe->Canvas->CellWidth());

  // On screen the composition shows; the control's own image is untouched.
  const QImage shown = probe->GetWidget()->grab().toImage();
  bool ink = false;
  for (int x = 41; x < state.Bounds.Right && !ink; ++x)
    for (int y = 20; y < state.Bounds.Bottom && !ink; ++y) ink = qGray(shown.pixel(x, y)) < 128;
  EXPECT_TRUE(ink);
  EXPECT_EQ(*probe->Canvas->GetImage(), before);

  // The input method places its candidates at the composition cursor.
  QInputMethodQueryEvent q(Qt::ImCursorRectangle | Qt::ImEnabled);
  Send(&q);
  EXPECT_TRUE(q.value(Qt::ImEnabled).toBool());
  EXPECT_EQ(q.value(Qt::ImCursorRectangle).toRectF().toRect().topLeft(),
            QPoint(40 + 4 * probe->Canvas->CellWidth(), 20));

  // While composing, the window's shortcuts stay off.
  QKeyEvent shortcut(QEvent::ShortcutOverride, Qt::Key_C, Qt::ControlModifier);
  shortcut.ignore();
  Send(&shortcut);
  EXPECT_TRUE(shortcut.isAccepted());

  probe->got.clear();
  QInputMethodEvent commit;
  commit.setCommitString(QString::fromUtf8("漢字"));
  Send(&commit);
  ASSERT_EQ(probe->got.size(), 2u);
  EXPECT_EQ(probe->got[0].l, GCS_RESULTSTR);
  EXPECT_FALSE(probe->preeditWithResult);
  EXPECT_EQ(probe->got[1].msg, WM_IME_ENDCOMPOSITION);
  EXPECT_FALSE(GetPreeditState(probe).Active);
  EXPECT_FALSE(ImeComposing(probe));
}

TEST_F(KeyInputTest, CancelledCompositionEndsWithoutResult) {
  Preedit(QString::fromUtf8("か"), 1);
  probe->got.clear();
  QInputMethodEvent cancel;  // the input method drops its preedit
  Send(&cancel);
  EXPECT_EQ(probe->got, (std::vector<Msg>{{WM_IME_ENDCOMPOSITION, 0, 0}}));
  EXPECT_FALSE(GetPreeditState(probe).Active);

  Preedit(QString::fromUtf8("か"), 1);
  probe->got.clear();
  EXPECT_TRUE(ImmNotifyIME(ImmGetContext(probe), NI_COMPOSITIONSTR, CPS_CANCEL, 0));
  EXPECT_EQ(probe->got, (std::vector<Msg>{{WM_IME_ENDCOMPOSITION, 0, 0}}));
  EXPECT_FALSE(ImeComposing(probe));

  // Completing it makes the text on show the result.
  Preedit(QString::fromUtf8("か"), 1);
  probe->got.clear();
  EXPECT_TRUE(ImmNotifyIME(ImmGetContext(probe), NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
  EXPECT_EQ(probe->result, Sjis("か"));
  EXPECT_EQ(probe->got.back().msg, WM_IME_ENDCOMPOSITION);
}

TEST_F(KeyInputTest, AClickLeavesTheCompositionToTheControl) {
  // The button reaches the control with the composition still on show and
  // nothing delivered; the control chooses to cancel it.
  Preedit(QString::fromUtf8("かな"), 2);
  probe->got.clear();
  QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  Send(&click);
  ASSERT_EQ(probe->Of(WM_LBUTTONDOWN).size(), 1u);
  EXPECT_TRUE(probe->preeditAtButton);
  EXPECT_TRUE(probe->Of(WM_IME_COMPOSITION).empty());
  EXPECT_TRUE(probe->Of(WM_IME_ENDCOMPOSITION).empty());
  EXPECT_TRUE(probe->result.empty());

  EXPECT_TRUE(ImmNotifyIME(ImmGetContext(probe), NI_COMPOSITIONSTR, CPS_CANCEL, 0));
  EXPECT_TRUE(probe->result.empty());
  EXPECT_EQ(probe->got.back().msg, WM_IME_ENDCOMPOSITION);
  EXPECT_FALSE(GetPreeditState(probe).Active);
  EXPECT_FALSE(ImeComposing(probe));
}

TEST_F(KeyInputTest, CharactersCodePage932LacksAreLeftOutOfACommit) {
  struct Case {
    const char* name;
    QString commit;
    std::vector<unsigned> messages;
    std::string result;
    uintptr_t leftOutCount;
    std::string leftOut;
  };
  const unsigned start = WM_IME_STARTCOMPOSITION, comp = WM_IME_COMPOSITION, end = WM_IME_ENDCOMPOSITION,
                 left = CM_CHARSLEFTOUT;
  const std::vector<Case> cases = {
      {"emoji inside", QString::fromUtf8("a😀b"), {start, comp, left, end}, "ab", 1, "😀"},
      {"nothing else", QString::fromUtf8("😀𠮷"), {start, left, end}, "", 2, "😀𠮷"},
      {"all held", QString::fromUtf8("漢字"), {start, comp, end}, Sjis("漢字"), 0, ""},
      {"best-fit forms stay", QString::fromUtf8("〜−¥"), {start, comp, end}, "\x81\x60\x81\x7C\x5C", 0, ""},
      // Half of a pair, no character: named by its code.
      {"lone surrogate", Units({u'a', char16_t(0xD83D), u'b'}), {start, comp, left, end}, "ab",
       1, "U+D83D"},
      {"lone surrogates and an emoji", QString::fromUtf8("😀") + Units({char16_t(0xDE00), char16_t(0xD800)}),
       {start, left, end}, "", 3, "😀U+DE00U+D800"},
  };
  for (const Case& c : cases) {
    probe->got.clear();
    probe->result.clear();
    probe->leftOut.clear();
    Commit(c.commit);
    std::vector<unsigned> messages;
    for (const Msg& m : probe->got) messages.push_back(m.msg);
    EXPECT_EQ(messages, c.messages) << c.name;
    EXPECT_EQ(probe->result, c.result) << c.name;
    const std::vector<Msg> notices = probe->Of(CM_CHARSLEFTOUT);
    EXPECT_EQ(notices.empty() ? 0 : notices[0].w, c.leftOutCount) << c.name;
    EXPECT_EQ(probe->leftOut, c.leftOut) << c.name;
  }
}

TEST_F(KeyInputTest, TextTheInputMethodCommitsInsideItsResetIsDropped) {
  // As fcitx5 does: the reset delivers the composition on show as commit
  // text, and the composition ends.
  Focus();
  QString shown;
  InputMethodResetHook = [&] {
    QInputMethodEvent e;
    e.setCommitString(shown);
    Send(&e);
  };
  auto results = [&] {
    size_t n = 0;
    for (const Msg& m : probe->Of(WM_IME_COMPOSITION)) n += (m.l & GCS_RESULTSTR) ? 1 : 0;
    return n;
  };

  // A cancel inserts nothing.
  shown = QString::fromUtf8("にほんご");
  Preedit(shown, 4);
  probe->got.clear();
  EXPECT_TRUE(ImmNotifyIME(ImmGetContext(probe), NI_COMPOSITIONSTR, CPS_CANCEL, 0));
  EXPECT_EQ(results(), 0u);
  EXPECT_TRUE(probe->result.empty());
  EXPECT_FALSE(GetPreeditState(probe).Active);
  EXPECT_FALSE(ImeComposing(probe));

  // A completion inserts the text on show once.
  shown = QString::fromUtf8("か");
  Preedit(shown, 1);
  probe->got.clear();
  EXPECT_TRUE(ImmNotifyIME(ImmGetContext(probe), NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
  EXPECT_EQ(results(), 1u);
  EXPECT_EQ(probe->result, Sjis("か"));
  EXPECT_FALSE(ImeComposing(probe));

  // A commit of the input method's own, outside a reset, still goes in.
  probe->got.clear();
  probe->result.clear();
  Commit(QString::fromUtf8("字"));
  EXPECT_EQ(results(), 1u);
  EXPECT_EQ(probe->result, Sjis("字"));
}

TEST_F(KeyInputTest, AControlWithoutAResultHandlerGetsTheResultTyped) {
  class CharsOnly : public TCustomControl {
   public:
    using TCustomControl::TCustomControl;
    void Dispatch(TMessage& m) override {
      switch (m.Msg) {
        case WM_CHAR: return CallHandler(*this, &CharsOnly::WMChar, m);
        case WM_GETDLGCODE: return WMGetDlgCode(m);
        default: return TCustomControl::Dispatch(m);
      }
    }
    std::string chars;

   private:
    void WMChar(TWMKey& m) { chars += static_cast<char>(m.CharCode); }
    void WMGetDlgCode(TMessage& m) { m.Result = DLGC_WANTCHARS; }
  };
  auto* plain = new CharsOnly(form);
  plain->SetParent(form);
  QInputMethodEvent e;
  e.setCommitString(QString::fromUtf8("字a"));
  QApplication::sendEvent(plain->GetWidget(), &e);
  EXPECT_EQ(plain->chars, Sjis("字") + "a");
}

TEST_F(KeyInputTest, OnlyAControlThatWantsCharactersTakesTheInputMethod) {
  QInputMethodQueryEvent q(Qt::ImEnabled);
  Send(&q);
  EXPECT_TRUE(q.value(Qt::ImEnabled).toBool());
  probe->dlgCode = 0;
  QInputMethodQueryEvent q2(Qt::ImEnabled);
  Send(&q2);
  EXPECT_FALSE(q2.value(Qt::ImEnabled).toBool());
  probe->dlgCode = DLGC_WANTCHARS;
  probe->SetImeMode(imDisable);
  QInputMethodQueryEvent q3(Qt::ImEnabled);
  Send(&q3);
  EXPECT_FALSE(q3.value(Qt::ImEnabled).toBool());
}

TEST_F(KeyInputTest, CaretRectangleIsReportedInWidgetCoordinates) {
  probe->SetBevelKind(bkFlat);  // a frame moves the client inside the widget
  CreateCaret(probe, nullptr, 2, 14);
  SetCaretPos(30, 10);
  QInputMethodQueryEvent q(Qt::ImCursorRectangle);
  Send(&q);
  EXPECT_EQ(q.value(Qt::ImCursorRectangle).toRectF().toRect(), QRect(32, 12, 2, 14));
}

}  // namespace
