// A main window with its settings dialog, as start-up makes them, for tests
// that drive the commands; message boxes and file dialogs are answered by
// the test.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <memory>
#include <string>
#include <vector>

#include "app/SettingsDlg.h"
#include "app/Unit1.h"
#include "tests/app/BoxRecorder.h"
#include "tests/common/Cp932Text.h"
#include "tests/common/TempFiles.h"
#include "tests/common/TestApp.h"

class FormFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    InputFileName.clear();
    OutputFileName.clear();
    settings = std::make_unique<TOKBottomDlg>(nullptr, dir.Path("settings.ini"));
    OKBottomDlg = settings.get();
    form = std::make_unique<TForm1>();
    Form1 = form.get();
    // Every file dialog is cancelled unless a test says otherwise.
    form->OpenDialog1->ExecuteHook = [](AnsiString&) { return false; };
    form->SaveDialog1->ExecuteHook = [](AnsiString&) { return false; };
  }

  void TearDown() override {
    form.reset();
    Form1 = nullptr;
    OKBottomDlg = nullptr;
    settings.reset();
  }

  // The open dialog answers with this name.
  void OpenAnswers(const std::string& name) {
    form->OpenDialog1->ExecuteHook = [name](AnsiString& n) {
      n = name;
      return true;
    };
  }
  // The save dialog answers with this name (and counts its runs).
  void SaveAnswers(const std::string& name) {
    form->SaveDialog1->ExecuteHook = [this, name](AnsiString& n) {
      ++saveDialogRuns;
      n = name;
      return true;
    };
  }
  void SaveCancels() {
    form->SaveDialog1->ExecuteHook = [this](AnsiString&) {
      ++saveDialogRuns;
      return false;
    };
  }

  // Writes a file and opens it through the Open command.
  void OpenFile(const std::string& name, const std::string& bytes) {
    WriteAll(name, bytes);
    OpenAnswers(name);
    form->FileOpen1->trigger();
  }

  // Replaces the edit pane's rows (no CR is added).
  void SetRows(TAFEdit* pane, const std::vector<std::string>& rows) {
    pane->Clear();
    for (size_t i = 0; i < rows.size(); ++i) {
      if (i == 0) pane->SetLine(0, rows[0]);
      else pane->AddLine(rows[i]);
    }
  }


 public:
  static std::vector<std::string> Rows(TAFEdit* pane) {
    std::vector<std::string> rows;
    for (int i = 0; i < pane->GetLinesCount(); ++i) rows.push_back(pane->GetLine(i));
    return rows;
  }

 protected:
  std::string Title() const { return form->GetCaption().toStdString(); }

  TempDir dir;
  std::unique_ptr<TOKBottomDlg> settings;
  std::unique_ptr<TForm1> form;
  int saveDialogRuns = 0;
};
