// An editor control on an offscreen form for the selection, clipboard and
// paste tests, with its inner state opened up and rows set directly.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include <memory>
#include <string>
#include <vector>

#include "editor/Afedit.h"
#include "platform/qt/Clipboard.h"
#include "platform/qt/Controls.h"
#include "tests/editor/EditProbe.h"

using ClipEdit = TEditProbe;

struct StyledRow {
  std::string text;
  int indent = 0;
  TColor color = clWindowText;
};

class ClipEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    QGuiApplication::clipboard()->clear();
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 600, 400);
    edit = new ClipEdit(form.get());  // owned by the form
    edit->SetBounds(0, 0, 500, 300);
  }
  void TearDown() override { form.reset(); }

  // Replaces the text by these rows (indent 0, default wrap column) with an
  // empty history, the caret at (0, 0) and nothing selected.
  void SetRows(const std::vector<std::string>& rows) {
    std::vector<StyledRow> styled;
    for (const std::string& r : rows) styled.push_back({r});
    SetStyledRows(styled);
  }
  void SetStyledRows(const std::vector<StyledRow>& rows) {
    edit->Clear();
    for (size_t i = 0; i < rows.size(); ++i) {
      TAttrListItem attr = edit->MakeAttr(false, rows[i].indent, edit->GetDefWrapPos());
      attr.TextColor = rows[i].color;
      if (i == 0) {
        edit->SetLine(0, rows[i].text);
        attr.Changed = 1;
        *edit->GetLinesAttr(0) = attr;
      } else {
        edit->AddLineP(rows[i].text, attr);
      }
    }
    edit->FUndoBuff->Reset();
    edit->FCaret = TPoint(0, 0);
    edit->FSelArea->RowReset();
    edit->FSelArea->PutStartPoint(TPoint(0, 0));
    edit->FSelArea->PutEndPoint(TPoint(0, 0));
  }

  std::vector<std::string> Rows() const {
    std::vector<std::string> out;
    for (int i = 0; i < edit->GetLinesCount(); ++i) out.push_back(edit->GetLine(i));
    return out;
  }

  void SelectPoints(TPoint start, TPoint end) {
    edit->FSelArea->PutStartPoint(start);
    edit->FSelArea->PutEndPoint(end);
  }
  void SelectRows(int first, int last) {
    edit->FSelArea->PutStartRow(first);
    edit->FSelArea->PutEndRow(last);
  }

  // The exact code page 932 bytes this program put on the clipboard.
  static std::string ClipboardBytes() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasFormat(TClipboard::PrivateMimeType)) return "<none>";
    return mime->data(TClipboard::PrivateMimeType).toStdString();
  }
  // What another program puts there: plain text only.
  static void PutForeignText(const std::string& utf8) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(utf8));
  }

  std::unique_ptr<TForm> form;
  ClipEdit* edit = nullptr;
};
