// An editor control on an offscreen form for the row, column, wrapping and
// file tests: rows are set and read directly, and the wrap counters shared
// by every control start at zero for each test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/Afedit.h"
#include "platform/qt/Controls.h"
#include "tests/editor/EditProbe.h"

using Rows = std::vector<std::string>;

class RowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    ResetShared();
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 600, 400);
    edit = new TEditProbe(form.get());  // owned by the form
    edit->SetBounds(0, 0, 500, 300);
  }
  void TearDown() override {
    form.reset();
    ResetShared();
  }
  static void ResetShared() {
    WrapTrailCount = 0;
    WrapLeadCount = 0;
    ColAdjLeft = false;
  }

  // Replaces the text by these rows, each with the given indent and wrap
  // column, with an empty history and the caret at (0, 0).
  void SetRows(const Rows& rows, int indent = 0, int wrap = 60) {
    edit->Clear();
    edit->FLines->Clear();
    edit->FLinesAttr->Clear();
    for (const std::string& r : rows) {
      edit->FLines->Add(r);
      edit->FLinesAttr->Add(edit->MakeAttr(false, indent, wrap));
    }
    edit->FUndoBuff->Reset();
    edit->FUndoGroup = 0;
    edit->FCaret = TPoint(0, 0);
  }
  Rows GetRows() const {
    Rows out;
    for (int i = 0; i < edit->GetLinesCount(); ++i) out.push_back(edit->GetLine(i));
    return out;
  }
  std::string Joined() const {
    std::string out;
    for (const std::string& r : GetRows()) out += r;
    return out;
  }
  void SetOption(TAFEditOption o, bool on) {
    TAFEditOptions opts = edit->GetOptions();
    if (on)
      opts << o;
    else
      opts >> o;
    edit->SetOptions(opts);
  }
  // Number of undo records that can be undone, and the bytes of text they hold.
  int UndoRecords() const { return edit->FUndoBuff->FPos; }
  size_t UndoTextBytes() const {
    size_t bytes = 0;
    for (int i = 0; i < edit->FUndoBuff->FPos; ++i) {
      auto* item = static_cast<PUndoBuffItem>(edit->FUndoBuff->Get(i));
      bytes += item->OldText.size() + item->NewText.size();
    }
    return bytes;
  }

  std::unique_ptr<TForm> form;
  TEditProbe* edit = nullptr;
};

// Printable form of code page 932 bytes for failure messages.
inline std::string Show(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      static const char* hex = "0123456789ABCDEF";
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

inline std::string Show(const Rows& rows) {
  std::string out = "[";
  for (size_t i = 0; i < rows.size(); ++i) out += (i ? "|" : "") + Show(rows[i]);
  return out + "]";
}
