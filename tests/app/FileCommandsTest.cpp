#include <sys/stat.h>

#include <QFile>
#include <QTextBrowser>

#include <algorithm>
#include <filesystem>
#include <random>

#include "app/HelpViewer.h"
#include "platform/text/EncodingCheck.h"
#include "tests/app/FormFixture.h"
#include "tests/common/AsUser.h"
#include "tests/common/IoFaults.h"

// The toolkit's key path through the shortcut map (what a real key press
// goes through before it reaches the focused widget).
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text, bool autorep, ushort count);

namespace {

using FileCommands = FormFixture;

TEST_F(FileCommands, OpenLoadsBothPanesAndNamesTheInputAfterwards) {
  const std::string in = dir.Path("in.txt");
  form->ProgressBar1->SetPosition(40);
  OpenFile(in, Sjis("一行目\r\n二行目\r\n"));
  EXPECT_EQ(Rows(form->AFEdit1), (std::vector<std::string>{Sjis("一行目\r"), Sjis("二行目\r"), ""}));
  EXPECT_EQ(Rows(form->AFEdit2), Rows(form->AFEdit1));
  EXPECT_EQ(InputFileName, in);
  EXPECT_EQ(Title(), "Sorvelan - " + in + " -> ");
  EXPECT_EQ(form->ProgressBar1->GetPosition(), 0);
  EXPECT_FALSE(form->AFEdit2->isEdited());
}

TEST_F(FileCommands, OpenThatFailsToReadKeepsTheNamesAndTitle) {
  // A file that opens but cannot be read.
  const std::string unreadable = "/proc/self/mem";
  if (!FileExists(unreadable)) GTEST_SKIP() << "no " << unreadable;
  const std::string in = dir.Path("in.txt");
  OpenFile(in, "a\r\n");
  BoxRecorder boxes;
  OpenAnswers(unreadable);
  form->FileOpen1->trigger();
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Title, "Sorvelan");
  EXPECT_EQ(InputFileName, in);
  EXPECT_EQ(Title(), "Sorvelan - " + in + " -> ");
  // Both panes still show the file that was open.
  EXPECT_EQ(Rows(form->AFEdit1), (std::vector<std::string>{"a\r", ""}));
  EXPECT_EQ(Rows(form->AFEdit2), (std::vector<std::string>{"a\r", ""}));
}

// A read that fails part-way is an error, not the end of a short file.
TEST_F(FileCommands, AReadErrorPartWayIsShownAndKeepsBothPanesNamesAndTitle) {
  const std::string in = dir.Path("in.txt");
  OpenFile(in, "a\r\n");
  form->AFEdit2->SetLine(0, "edited\r");
  std::string text;
  for (int i = 0; i < 489; ++i) text += "12345678\r\n";  // 4,890 bytes
  const std::string failing = dir.Path("failing.txt");
  WriteAll(failing, text);
  BoxRecorder boxes;
  boxes.Answers = {mrNo};  // the save prompt
  iofaults::Scope faults;
  iofaults::FailReadsAfter(failing, 1000);
  OpenAnswers(failing);
  form->FileOpen1->trigger();
  ASSERT_EQ(boxes.Boxes.size(), 2u);
  EXPECT_EQ(boxes.Boxes[1].Title, "Sorvelan");
  EXPECT_EQ(boxes.Boxes[1].Text, "ストリームの読み込みエラー");
  EXPECT_EQ(Rows(form->AFEdit1), (std::vector<std::string>{"a\r", ""}));
  EXPECT_EQ(Rows(form->AFEdit2), (std::vector<std::string>{"edited\r", ""}));
  EXPECT_EQ(InputFileName, in);
  EXPECT_EQ(Title(), "Sorvelan - " + in + " -> ");
}

TEST_F(FileCommands, OnlyRegularFilesAreOpened) {
  const std::string in = dir.Path("in.txt");
  OpenFile(in, "a\r\n");
  form->AFEdit2->SetLine(0, "edited\r");
  const std::string pipe = dir.Path("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  BoxRecorder boxes;
  boxes.Answers = {mrNo};  // the save prompt
  OpenAnswers(pipe);
  form->FileOpen1->trigger();
  ASSERT_EQ(boxes.Boxes.size(), 2u);
  EXPECT_EQ(boxes.Boxes[1].Text, "ファイル " + pipe + " は開けません");
  EXPECT_EQ(Rows(form->AFEdit1), (std::vector<std::string>{"a\r", ""}));
  EXPECT_EQ(Rows(form->AFEdit2), (std::vector<std::string>{"edited\r", ""}));
  EXPECT_EQ(InputFileName, in);
  EXPECT_EQ(Title(), "Sorvelan - " + in + " -> ");
}

TEST_F(FileCommands, TextCutShortByANulIsReported) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> rows;
    std::string box;  // after the file's name; empty: no message
  };
  const std::vector<Case> cases = {
      {"NUL inside", std::string("ab\r\ncd\0ef\r\n", 11), {"ab\r", "cd"},
       " の 6 バイト目より後のテキストは読み込まれていません (NUL 文字があります)"},
      {"NUL first", std::string("\0abc", 4), {""}, " のテキストは読み込まれていません (先頭が NUL 文字です)"},
      {"NUL last", std::string("ab\0", 3), {"ab"},
       " の 2 バイト目より後のテキストは読み込まれていません (NUL 文字があります)"},
      {"no NUL", "ab\r\n", {"ab\r", ""}, ""},
  };
  for (const Case& c : cases) {
    const std::string in = dir.Path("in.txt");
    BoxRecorder boxes;
    OpenFile(in, c.bytes);
    EXPECT_EQ(Rows(form->AFEdit1), c.rows) << c.name;
    EXPECT_EQ(Rows(form->AFEdit2), c.rows) << c.name;
    EXPECT_EQ(InputFileName, in) << c.name;
    if (c.box.empty()) {
      EXPECT_TRUE(boxes.Boxes.empty()) << c.name;
      continue;
    }
    ASSERT_EQ(boxes.Boxes.size(), 1u) << c.name;
    EXPECT_EQ(boxes.Boxes[0].Text, "ファイル " + in + c.box) << c.name;
  }
}

// Binary data and UTF-16 without a byte-order mark are named before
// anything loads; No leaves everything as it was, Yes loads the bytes as
// any file (up to a NUL, and says so).
TEST_F(FileCommands, BinaryDataAndUtf16AreNamedBeforeAnythingLoads) {
  std::mt19937 rng(7);
  auto random = [&](size_t n, int lowest) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(std::uniform_int_distribution<int>(lowest, 255)(rng));
    return s;
  };
  std::string noNul = random(4096, 1), withNul = random(4096, 1);
  withNul[100] = '\0';
  const std::string binary = "テキストではなくバイナリデータのようです。\nこのまま開くと文字化けし、NUL 文字があれば"
                             "その手前までしか読み込まれません。\n\nこのまま開きますか?";
  const std::string utf16 = " のテキストのようです。\nこのまま開くと文字化けし、変換するとテキストが壊れることが"
                            "あります。\n\nこのまま開きますか?";
  struct Case {
    const char* name;
    std::string bytes;
    std::string box;  // after "ファイル <name> は"
    bool nulNotice;   // Yes loads up to a NUL and says so
  };
  const std::vector<Case> cases = {
      {"random bytes", noNul, binary, false},
      {"random bytes with a NUL", withNul, binary, true},
      {"UTF-16LE", std::string("m\0e\0m\0o\0:\0 \0\xE5\x65\x2C\x67\r\0\n\0", 18),
       " Shift-JIS (コードページ 932) ではなく UTF-16LE" + utf16, true},
      {"UTF-16BE", std::string("\0m\0e\0m\0o\0:\0 \x65\xE5\x67\x2C\0\r\0\n", 18),
       " Shift-JIS (コードページ 932) ではなく UTF-16BE" + utf16, true},
  };
  const std::string first = dir.Path("first.txt");
  OpenFile(first, "first\r\n");
  form->AFEdit2->SetLine(0, "edited\r");
  for (const Case& c : cases) {
    const std::string in = dir.Path("data.bin");
    BoxRecorder boxes;
    boxes.Answers = {mrNo, mrNo};  // the save prompt, then the file
    OpenFile(in, c.bytes);
    ASSERT_EQ(boxes.Boxes.size(), 2u) << c.name;
    EXPECT_EQ(boxes.Boxes[1].Text, "ファイル " + in + " は" + c.box) << c.name;
    EXPECT_EQ(boxes.Boxes[1].Buttons, MsgButtons({mbYes, mbNo})) << c.name;
    EXPECT_EQ(Rows(form->AFEdit1), (std::vector<std::string>{"first\r", ""})) << c.name;
    EXPECT_EQ(Rows(form->AFEdit2), (std::vector<std::string>{"edited\r", ""})) << c.name;
    EXPECT_EQ(InputFileName, first) << c.name;
    EXPECT_EQ(Title(), "Sorvelan - " + first + " -> ") << c.name;
  }
  for (const Case& c : cases) {
    const std::string in = dir.Path("data.bin");
    BoxRecorder boxes;
    boxes.Answers = {mrNo, mrYes};
    OpenFile(in, c.bytes);
    ASSERT_EQ(boxes.Boxes.size(), c.nulNotice ? 3u : 2u) << c.name;
    if (c.nulNotice) {
      EXPECT_NE(boxes.Boxes[2].Text.find("NUL 文字"), std::string::npos) << c.name;
    }
    // The first row: the bytes up to the first line end or NUL.
    const size_t end = c.bytes.find_first_of(std::string("\r\n\0", 3));
    EXPECT_EQ(form->AFEdit1->GetLine(0), c.bytes.substr(0, end) + (c.bytes[end] == '\0' ? "" : "\r")) << c.name;
    EXPECT_EQ(InputFileName, in) << c.name;
    form->AFEdit2->SetLine(0, "edited\r");
  }
}

// The check and the load read the file once between them: a file that
// gives its bytes only once still loads whole.
TEST_F(FileCommands, OpenReadsTheFileOnce) {
  std::string text;
  for (int i = 0; text.size() < cp932::kEncodingCheckBytes + 50000; ++i) text += Sjis("行") + std::to_string(i) + "\r\n";
  const std::string in = dir.Path("long.txt");
  WriteAll(in, text);
  BoxRecorder boxes;
  iofaults::Scope faults;
  iofaults::FailReadsAfter(in, static_cast<long long>(text.size()) + 1);  // one more for the end
  OpenAnswers(in);
  form->FileOpen1->trigger();
  EXPECT_TRUE(boxes.Boxes.empty());
  EXPECT_EQ(InputFileName, in);
  const int rows = form->AFEdit1->GetLinesCount();
  ASSERT_GT(rows, 2);
  EXPECT_EQ(form->AFEdit1->GetLine(rows - 2), Sjis("行") + std::to_string(rows - 2) + "\r");
}

TEST_F(FileCommands, AFileInAnotherEncodingIsNamedBeforeItIsLoaded) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string looks;
  };
  const std::string utf8 = "日本語のメモ\r\n";
  const std::vector<Case> cases = {
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8, "UTF-8 (BOM 付き)"},
      {"UTF-8", utf8, "UTF-8"},
      // "日本語のメモ" CR LF in EUC-JP.
      {"EUC-JP", "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xA5\xE1\xA5\xE2\r\n", "EUC-JP"},
  };
  const std::string first = dir.Path("first.txt");
  OpenFile(first, "first\r\n");
  for (const Case& c : cases) {
    const std::string in = dir.Path("other.txt");
    const std::string warning = "ファイル " + in + " は Shift-JIS (コードページ 932) ではなく " + c.looks +
                                " のテキストのようです。\nこのまま開くと文字化けし、変換するとテキストが壊れることが"
                                "あります。\n\nこのまま開きますか?";
    BoxRecorder boxes;
    // Left: both panes, the names and the title stay.
    form->ProgressBar1->SetPosition(40);
    boxes.Answers = {mrNo};
    OpenFile(in, c.bytes);
    ASSERT_EQ(boxes.Boxes.size(), 1u) << c.name;
    EXPECT_EQ(boxes.Boxes[0].Text, warning) << c.name;
    EXPECT_EQ(boxes.Boxes[0].Type, mtWarning) << c.name;
    EXPECT_EQ(boxes.Boxes[0].Buttons, MsgButtons({mbYes, mbNo})) << c.name;
    EXPECT_EQ(Rows(form->AFEdit1), (std::vector<std::string>{"first\r", ""})) << c.name;
    EXPECT_EQ(Rows(form->AFEdit2), Rows(form->AFEdit1)) << c.name;
    EXPECT_EQ(InputFileName, first) << c.name;
    EXPECT_EQ(Title(), "Sorvelan - " + first + " -> ") << c.name;
    EXPECT_EQ(form->ProgressBar1->GetPosition(), 0) << c.name;

    // Opened as it is: the bytes as they are.
    boxes.Answers = {mrYes};
    form->FileOpen1->trigger();
    EXPECT_EQ(boxes.Boxes.size(), 2u) << c.name;
    EXPECT_EQ(form->AFEdit1->GetLine(0), c.bytes.substr(0, c.bytes.size() - 1)) << c.name;
    EXPECT_EQ(InputFileName, in) << c.name;
    OpenFile(first, "first\r\n");
  }
}

TEST_F(FileCommands, OpenOfAMissingNameSaysSoAndOnlyResetsTheBar) {
  BoxRecorder boxes;
  const std::string missing = dir.Path("missing.txt");
  form->ProgressBar1->SetPosition(40);
  OpenAnswers(missing);
  form->FileOpen1->trigger();
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, missing + "は存在しません");
  EXPECT_EQ(InputFileName, "");
  EXPECT_EQ(Title(), "Sorvelan");
  EXPECT_EQ(form->ProgressBar1->GetPosition(), 0);

  // Cancelled: the bar too, nothing else.
  form->ProgressBar1->SetPosition(40);
  form->OpenDialog1->ExecuteHook = [](AnsiString&) { return false; };
  form->FileOpen1->trigger();
  EXPECT_EQ(form->ProgressBar1->GetPosition(), 0);
  EXPECT_EQ(boxes.Boxes.size(), 1u);
}

TEST_F(FileCommands, SaveWithoutAnOutputNameRunsSaveAs) {
  form->AFEdit2->SetLine(0, "text");
  SaveCancels();
  form->FileSave1->trigger();
  EXPECT_EQ(saveDialogRuns, 1);
  EXPECT_EQ(OutputFileName, "");
  EXPECT_EQ(Title(), "Sorvelan");
  EXPECT_TRUE(form->AFEdit2->isEdited());

  const std::string out = dir.Path("out.txt");
  SaveAnswers(out);
  form->FileSave1->trigger();
  EXPECT_EQ(OutputFileName, out);
  EXPECT_EQ(Title(), "Sorvelan -  -> " + out);
  EXPECT_EQ(ReadAll(out), "text");
  EXPECT_FALSE(form->AFEdit2->isEdited());

  // Later saves write to that name without asking.
  form->AFEdit2->SetLine(0, "more");
  form->FileSave1->trigger();
  EXPECT_EQ(saveDialogRuns, 2);
  EXPECT_EQ(ReadAll(out), "more");
}

TEST_F(FileCommands, SaveRefusesTheInputNameButSaveAsWritesOverIt) {
  BoxRecorder boxes;
  const std::string in = dir.Path("in.txt");
  OpenFile(in, "abc\r\n");
  form->AFEdit2->SetLine(0, "changed\r");
  SaveAnswers(in);
  form->FileSaveAs1->trigger();  // no same-name test here
  EXPECT_EQ(ReadAll(in), "changed\r\n");
  EXPECT_EQ(Title(), "Sorvelan - " + in + " -> " + in);

  form->AFEdit2->SetLine(0, "again\r");
  form->FileSave1->trigger();
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, "出力ファイルは入力ファイルと同名にはできません");
  EXPECT_EQ(ReadAll(in), "changed\r\n");
  EXPECT_TRUE(form->AFEdit2->isEdited());
}

TEST_F(FileCommands, SaveComparesNamesExactly) {
  const std::string in = dir.Path("Name.txt");
  const std::string out = dir.Path("name.txt");
  OpenFile(in, "x\r\n");
  SaveAnswers(out);
  form->FileSaveAs1->trigger();
  form->AFEdit2->SetLine(0, "y\r");
  form->FileSave1->trigger();
  EXPECT_EQ(ReadAll(out), "y\r\n");
  EXPECT_EQ(ReadAll(in), "x\r\n");
}

TEST_F(FileCommands, NewEmptiesBothPanesAndKeepsTheOutputName) {
  const std::string in = dir.Path("in.txt");
  const std::string out = dir.Path("out.txt");
  OpenFile(in, "a\r\nb\r\n");
  SaveAnswers(out);
  form->FileSaveAs1->trigger();
  form->FileNew1->trigger();
  EXPECT_EQ(Rows(form->AFEdit1), std::vector<std::string>{""});
  EXPECT_EQ(Rows(form->AFEdit2), std::vector<std::string>{""});
  EXPECT_EQ(Title(), "Sorvelan - ->" + out);
  EXPECT_EQ(InputFileName, in);
  EXPECT_EQ(OutputFileName, out);
  // Save then writes the new text to the last output name.
  form->AFEdit2->SetLine(0, "new");
  form->FileSave1->trigger();
  EXPECT_EQ(ReadAll(out), "new");
}

TEST_F(FileCommands, SavePromptCancelChangesNothing) {
  const std::string in = dir.Path("in.txt");
  OpenFile(in, "a\r\n");
  form->AFEdit2->SetLine(0, "edited\r");
  BoxRecorder boxes;
  boxes.Answers = {mrCancel, mrCancel};
  form->FileNew1->trigger();
  OpenAnswers(dir.Path("other.txt"));
  form->FileOpen1->trigger();
  ASSERT_EQ(boxes.Boxes.size(), 2u);
  EXPECT_EQ(boxes.Boxes[0].Text, "編集中のテキストを保存しますか");
  EXPECT_EQ(boxes.Boxes[0].Title, "情報");
  EXPECT_EQ(boxes.Boxes[0].Buttons, MsgButtons({mbYes, mbNo, mbCancel}));
  EXPECT_EQ(form->AFEdit2->GetLine(0), "edited\r");
  EXPECT_EQ(InputFileName, in);
  EXPECT_EQ(Title(), "Sorvelan - " + in + " -> ");
}

TEST_F(FileCommands, SavePromptComesOnlyForEditedText) {
  BoxRecorder boxes;
  form->FileNew1->trigger();
  EXPECT_TRUE(boxes.Boxes.empty());
  form->AFEdit2->SetLine(0, "x");
  boxes.Answers = {mrNo};
  form->FileNew1->trigger();
  EXPECT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(Rows(form->AFEdit2), std::vector<std::string>{""});
}

TEST_F(FileCommands, SavePromptYesWithACancelledSaveAsEndsTheCommand) {
  const std::string in = dir.Path("in.txt");
  OpenFile(in, "a\r\n");
  const std::string other = dir.Path("other.txt");
  WriteAll(other, "other\r\n");
  form->AFEdit2->SetLine(0, "edited\r");
  BoxRecorder boxes;
  boxes.DefaultAnswer = mrYes;
  SaveCancels();
  OpenAnswers(other);
  form->FileOpen1->trigger();
  form->FileNew1->trigger();
  EXPECT_EQ(saveDialogRuns, 2);
  EXPECT_EQ(form->AFEdit2->GetLine(0), "edited\r");  // not replaced
  EXPECT_EQ(InputFileName, in);
}

TEST_F(FileCommands, SavePromptYesWithAFailedWriteEndsTheCommand) {
  form->AFEdit2->SetLine(0, "edited");
  BoxRecorder boxes;
  boxes.Answers = {mrYes};
  SaveAnswers(dir.Path("no/such/folder/out.txt"));
  form->FileNew1->trigger();
  ASSERT_EQ(boxes.Boxes.size(), 2u);  // the question, then the error
  EXPECT_EQ(boxes.Boxes[1].Title, "Sorvelan");
  EXPECT_EQ(form->AFEdit2->GetLine(0), "edited");
}

TEST_F(FileCommands, SavePromptYesAlwaysSavesAsEvenWithAnOutputName) {
  const std::string out = dir.Path("out.txt");
  const std::string second = dir.Path("second.txt");
  SaveAnswers(out);
  form->AFEdit2->SetLine(0, "one");
  form->FileSaveAs1->trigger();
  form->AFEdit2->SetLine(0, "two");
  BoxRecorder boxes;
  boxes.Answers = {mrYes};
  SaveAnswers(second);
  form->FileNew1->trigger();
  EXPECT_EQ(ReadAll(second), "two");
  EXPECT_EQ(ReadAll(out), "one");
  EXPECT_EQ(OutputFileName, second);
  EXPECT_EQ(Rows(form->AFEdit2), std::vector<std::string>{""});
}

TEST_F(FileCommands, AFailedWriteIsShownAndTheProgramGoesOn) {
  BoxRecorder boxes;
  form->AFEdit2->SetLine(0, "x");
  SaveAnswers(dir.Path("no/such/folder/out.txt"));
  form->FileSaveAs1->trigger();
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Title, "Sorvelan");
  EXPECT_NE(boxes.Boxes[0].Text.find("no/such/folder/out.txt"), std::string::npos);
  EXPECT_TRUE(form->AFEdit2->isEdited());
}

// Save As and Save whose folder flush fails after the rename say that the
// text is in the file but unconfirmed, and keep it edited.
TEST_F(FileCommands, AnUnconfirmedSaveIsShownAndKeepsTheTextEdited) {
  const std::string out = dir.Path("out.txt");
  const std::string shown = "ファイル " + out + " に書き込みましたが、ディスクへの書き込みを確認できません";
  SaveAnswers(out);
  iofaults::Scope faults;
  iofaults::FailSyncs(dir.Root());
  for (QAction* way : {form->FileSaveAs1, form->FileSave1}) {
    BoxRecorder boxes;
    form->AFEdit2->SetLine(0, way == form->FileSave1 ? "second" : "first");
    way->trigger();
    ASSERT_EQ(boxes.Boxes.size(), 1u) << way->text().toStdString();
    EXPECT_EQ(boxes.Boxes[0].Text, shown);
    EXPECT_EQ(boxes.Boxes[0].Type, mtError);
    EXPECT_EQ(ReadAll(out), way == form->FileSave1 ? "second" : "first");
    EXPECT_TRUE(form->AFEdit2->isEdited());
  }
}

// A file its user may not write is refused by every way of saving, as an
// ordinary user sees it (root may write any file), and stays as it was.
TEST_F(FileCommands, AReadOnlyFileIsRefusedBySaveSaveAsAndCtrlS) {
  ::chmod(dir.Root().c_str(), 0755);
  const std::string folder = dir.Path("own");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  ASSERT_EQ(::chown(folder.c_str(), asuser::kUser, asuser::kUserGroup), 0);
  const std::string out = folder + "/out.txt";
  WriteAll(out, "old\r\n");
  ASSERT_EQ(::chown(out.c_str(), asuser::kUser, asuser::kUserGroup), 0);
  ASSERT_EQ(::chmod(out.c_str(), 0444), 0);
  form->AFEdit2->SetLine(0, "edited");
  // Ctrl+S goes through the active window's shortcuts.
  form->show();
  form->activateWindow();
  QApplication::processEvents();
  if (!form->isActiveWindow()) QApplication::setActiveWindow(form.get());

  const asuser::Result r = asuser::Run([&] {
    BoxRecorder boxes;
    std::string seen;
    auto note = [&](const char* way) {
      seen += way;
      for (const auto& b : boxes.Boxes) seen += " [" + b.Title + "] " + b.Text;
      seen += form->AFEdit2->isEdited() ? "\n" : " (no longer edited)\n";
      boxes.Boxes.clear();
    };
    SaveAnswers(out);
    form->FileSaveAs1->trigger();
    note("Save As");
    form->FileSave1->trigger();
    note("Save");
    qt_sendShortcutOverrideEvent(form.get(), 0, Qt::Key_S, Qt::ControlModifier, QString(), false, 1);
    note("Ctrl+S");
    return seen;
  });
  form->hide();
  if (!r.Skipped.empty()) GTEST_SKIP() << r.Skipped;
  EXPECT_EQ(r.Failure, "");
  const std::string refused = " [Sorvelan] ファイル " + out + " を作成できません\n";
  EXPECT_EQ(r.Output, "Save As" + refused + "Save" + refused + "Ctrl+S" + refused);
  EXPECT_EQ(ReadAll(out), "old\r\n");
  struct stat st;
  ASSERT_EQ(::stat(out.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
  EXPECT_EQ(std::filesystem::directory_iterator(folder)->path(), out);  // nothing beside it
}

TEST_F(FileCommands, HelpOpensTheProgramsHelpPageInOneViewer) {
  // The program here is the test runner; its help page is made beside it.
  const AnsiString page = ChangeFileExt(ExeName(), ".hlp");
  BoxRecorder boxes;
  QFile::remove(QString::fromStdString(page));
  form->findChild<QAction*>("SorvelanHelp")->trigger();
  ASSERT_EQ(boxes.Boxes.size(), 1u);  // the viewer reports the missing file
  EXPECT_NE(boxes.Boxes[0].Text.find(page), std::string::npos);

  WriteAll(page, "<html><body><h1>ヘルプ</h1><p>本文</p></body></html>");
  form->findChild<QAction*>("SorvelanHelp")->trigger();
  THelpViewer* viewer = form->HelpViewer();
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_NE(viewer->Browser->toPlainText().toStdString().find("本文"), std::string::npos);
  form->findChild<QAction*>("SorvelanHelp")->trigger();
  EXPECT_EQ(form->HelpViewer(), viewer);
  EXPECT_EQ(form->findChildren<THelpViewer*>().size(), 1);
  QFile::remove(QString::fromStdString(page));
  viewer->close();
}

// The viewer turns a line break of the page into a space, which Japanese
// text must not show: no break may stand between two non-ASCII characters.
TEST(HelpPage, NoLineBreakInsideJapaneseText) {
  const std::string page = ReadAll(SORVELAN_SOURCE_DIR "/resources/sorvelan.hlp");
  ASSERT_FALSE(page.empty());
  int line = 1;
  for (size_t i = 0; i < page.size(); ++i) {
    if (page[i] != '\n') continue;
    ++line;
    const bool before = i > 0 && static_cast<unsigned char>(page[i - 1]) >= 0x80;
    const bool after = i + 1 < page.size() && static_cast<unsigned char>(page[i + 1]) >= 0x80;
    EXPECT_FALSE(before && after) << "line " << line;
  }
}

}  // namespace
