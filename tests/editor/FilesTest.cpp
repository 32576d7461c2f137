// Loading and saving text and raw files.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

#include "tests/common/AsUser.h"
#include "tests/common/IoFaults.h"
#include "tests/common/TempFiles.h"
#include "tests/editor/RowsFixture.h"

namespace {

namespace fs = std::filesystem;

class FilesTest : public RowsTest {
 protected:
  void Load(const std::string& bytes, TConvMode mode = TConvMode()) {
    TStringStream stream(bytes);
    edit->LoadFromStream(&stream, mode);
  }
  std::string Save(TConvMode mode = TConvMode()) {
    TStringStream stream;
    edit->SaveToStream(&stream, mode);
    return stream.DataString();
  }
  std::string Path(const char* name) const { return dir.Path(name); }
  // The state every load leaves: caret and view at the start, nothing to undo.
  void ExpectFreshlyLoaded(const char* name) {
    EXPECT_EQ(edit->FCaret, TPoint(0, 0)) << name;
    EXPECT_EQ(edit->FTopLine, 0) << name;
    EXPECT_EQ(edit->FUndoGroup, 0) << name;
    EXPECT_EQ(UndoRecords(), 0) << name;
    EXPECT_FALSE(edit->isEdited()) << name;
  }

  TempDir dir;
};

TConvMode Mode(std::initializer_list<TConvModeMember> members) {
  TConvMode mode;
  for (TConvModeMember m : members) mode << m;
  return mode;
}

TEST_F(FilesTest, AnyLineEndBecomesOneCr) {
  struct Case {
    const char* name;
    std::string bytes;
    Rows rows;
  };
  const std::vector<Case> cases = {
      {"CR LF", "a\r\nb", {"a\r", "b"}},
      {"LF CR", "a\n\rb", {"a\r", "b"}},
      {"CR", "a\rb", {"a\r", "b"}},
      {"LF", "a\nb", {"a\r", "b"}},
      {"final line end adds the empty row", "a\r\n", {"a\r", ""}},
      {"CR CR is two line ends", "a\r\rb", {"a\r", "\r", "b"}},
      {"LF LF is two line ends", "a\n\nb", {"a\r", "\r", "b"}},
      {"LF CR LF is two line ends", "a\n\r\nb", {"a\r", "\r", "b"}},
      {"one LF", "\n", {"\r", ""}},
      {"empty file", "", {""}},
      {"NUL ends the data", std::string("a\0b\r\nc", 6), {"a"}},
      {"NUL first", std::string("\0abc", 4), {""}},
      {"NUL after a line end", std::string("a\r\n\0b", 5), {"a\r", ""}},
      {"lead byte at the end", "ab\x82", {"ab\x82"}},
      {"lead byte before CR LF", "ab\x82\r\nc", {"ab\x82\r", "c"}},
      {"tabs and double-byte text kept", "\t\x82\xA0x\r\n", {"\t\x82\xA0x\r", ""}},
  };
  for (const Case& c : cases) {
    Load(c.bytes);
    EXPECT_EQ(Show(GetRows()), Show(c.rows)) << c.name;
    ExpectFreshlyLoaded(c.name);
  }
}

TEST_F(FilesTest, SavingWritesCrLfAndJoinsSoftRows) {
  SetRows({"a\r", "b", "c\r", ""});
  EXPECT_EQ(Save(), "a\r\nbc\r\n");
  SetRows({"a\r", "last"});
  EXPECT_EQ(Save(), "a\r\nlast");
  // A text read and written again keeps its bytes (line ends become CR LF).
  const std::string text = "x\r\n\x82\xA0\t\x82\r\n\r\nend";
  Load(text);
  EXPECT_EQ(Save(), text);
}

// The read block holds 65,536 bytes: line ends and characters that straddle
// its end stay whole.
TEST_F(FilesTest, BlockBoundaryKeepsLineEndsAndCharactersWhole) {
  struct Case {
    const char* name;
    size_t lineLength;
    std::string end;
  };
  for (const Case& c : {Case{"CR LF straddles", 65535, "\r\n"}, Case{"LF CR straddles", 65535, "\n\r"},
                        Case{"CR LF at the end", 65534, "\r\n"}, Case{"CR LF after", 65536, "\r\n"},
                        Case{"long line", 200000, "\r\n"}}) {
    const std::string line(c.lineLength, 'x');
    Load(line + c.end + "next" + c.end + "z");
    const Rows rows = GetRows();
    std::string joined;
    for (const std::string& r : rows) joined += r;
    EXPECT_EQ(joined, line + "\rnext\rz") << c.name;
    EXPECT_EQ(rows.back(), "z") << c.name;
    EXPECT_EQ(rows[rows.size() - 2], "next\r") << c.name;
    for (const std::string& r : rows) EXPECT_LE(r.size(), 65537u) << c.name;
    EXPECT_EQ(Save(), line + "\r\nnext\r\nz") << c.name;
  }

  // A line of exactly 65,535 bytes gains no blank row.
  Load(std::string(65535, 'y') + "\r\nz");
  EXPECT_EQ(edit->GetLinesCount(), 2);

  // A double-byte character across a piece boundary stays in one piece.
  std::string wide = "a";
  while (wide.size() < 140000) wide += "\x82\xA0";
  Load(wide + "\r\n");
  const Rows rows = GetRows();
  ASSERT_GE(rows.size(), 4u);
  for (size_t r = 0; r + 1 < rows.size(); ++r) {
    const std::string& row = rows[r];
    const bool endsInLead = Cp932ByteType(row, static_cast<int>(row.size()) - 1) == mbSingleByte &&
                            cp932::IsLeadByte(static_cast<unsigned char>(row.back()));
    EXPECT_FALSE(endsInLead) << r;
  }
  EXPECT_EQ(Save(), wide + "\r\n");
}

TEST_F(FilesTest, ConversionsOnLoading) {
  edit->SetTabSize(4);
  Load("\t\t\tabc\r\n\tx\r\n\t\t", Mode({cmTabToIndent}));
  EXPECT_EQ(GetRows(), (Rows{"abc\r", "x\r", "\t"}));
  EXPECT_EQ(edit->GetLinesAttr(0)->Indent, 12);
  EXPECT_EQ(edit->GetLinesAttr(1)->Indent, 4);
  EXPECT_EQ(edit->GetLinesAttr(2)->Indent, 4);  // the last byte is not counted

  struct Case {
    int defWrap, indent;
  };
  for (const Case& c : {Case{16, 8}, Case{9, 1}, Case{4, 0}, Case{-20, 0}}) {
    edit->SetDefWrapPos(c.defWrap);
    Load("\t\t\tabc\r\n", Mode({cmTabToIndent}));
    EXPECT_EQ(edit->GetLinesAttr(0)->Indent, c.indent) << c.defWrap;
  }
  edit->SetDefWrapPos(60);

  Load("a\tb\r\n", Mode({cmTabToSp}));
  EXPECT_EQ(GetRows(), (Rows{"a   b\r", ""}));

  // Refolding on loading cuts every long line once.
  TAFEditOptions opts = edit->GetOptions();
  opts << aoAutoFormat;
  edit->SetOptions(opts);
  edit->SetDefWrapPos(10);
  Load("abcdefghijklmnopqrstuvwxy\r\nshort\r\n0123456789abc", Mode({cmFoldLine}));
  EXPECT_EQ(GetRows(), (Rows{"abcdefghij", "klmnopqrst", "uvwxy\r", "short\r", "0123456789", "abc"}));
  ExpectFreshlyLoaded("fold");
}

TEST_F(FilesTest, ConversionsOnSaving) {
  edit->SetTabSize(4);
  SetRows({"first", "cont\r", "\tx\r", ""}, 5);
  struct Case {
    const char* name;
    TConvMode mode;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"indent dropped", Mode({}), "firstcont\r\n\tx\r\n"},
      {"indent as tabs on paragraph starts", Mode({cmIndentToTab}), "\t\tfirstcont\r\n\t\t\tx\r\n"},
      {"indent as spaces", Mode({cmIndentToSp}), "     firstcont\r\n     \tx\r\n"},
      {"soft rows ended", Mode({cmFoldToCr}), "first\r\ncont\r\n\tx\r\n"},
      {"soft rows ended with indents", Mode({cmFoldToCr, cmIndentToTab}),
       "\t\tfirst\r\n\t\tcont\r\n\t\t\tx\r\n"},
      {"tabs as spaces after the indent", Mode({cmIndentToSp, cmTabToSp}), "     firstcont\r\n        x\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(Show(Save(c.mode)), Show(c.bytes)) << c.name;
}

TEST_F(FilesTest, RawFilesKeepRowsAndAttributesExactly) {
  SetRows({"soft ", "wrapped\r", "\t\x82\xA0\r", "", "last"});
  for (int r = 0; r < 5; ++r) {
    TAttrListItem* a = edit->GetLinesAttr(r);
    a->TextColor = 0x00102030 + r;
    a->BackColor = clWindow;
    a->Indent = static_cast<std::int16_t>(r * 3);
    a->Reserved = static_cast<std::int16_t>(0x7000 + r);
    a->WrapPos = static_cast<std::int16_t>(40 + r);
    a->Style = TFontStyles::FromBits(static_cast<std::uint8_t>(r));
    a->Changed = 0;
  }
  edit->GetColAttrs(1);  // column lists are not part of the format
  const std::string raw = Save(Mode({cmRaw}));

  // Header: total size, attribute offset, row count, 256 zero bytes.
  ASSERT_GE(raw.size(), 268u);
  auto le32 = [&](size_t at) {
    return static_cast<int>(static_cast<unsigned char>(raw[at]) | static_cast<unsigned char>(raw[at + 1]) << 8 |
                            static_cast<unsigned char>(raw[at + 2]) << 16 |
                            static_cast<unsigned char>(raw[at + 3]) << 24);
  };
  const std::string rowBytes = "soft \nwrapped\r\n\t\x82\xA0\r\n\nlast\n";
  EXPECT_EQ(le32(0), static_cast<int>(raw.size()));
  EXPECT_EQ(le32(4), 268 + static_cast<int>(rowBytes.size()));
  EXPECT_EQ(le32(8), 5);
  EXPECT_EQ(raw.substr(12, 256), std::string(256, '\0'));
  EXPECT_EQ(raw.substr(268, rowBytes.size()), rowBytes);
  for (size_t r = 0; r < 5; ++r)  // the column-list bytes of each record are zero
    EXPECT_EQ(raw.substr(268 + rowBytes.size() + r * 20 + 16, 4), std::string(4, '\0')) << r;

  // Another control reads it back byte for byte.
  std::vector<std::string> records;
  for (int r = 0; r < 5; ++r) {
    unsigned char bytes[20];
    AttrItemToBytes(*edit->GetLinesAttr(r), bytes);
    records.emplace_back(reinterpret_cast<char*>(bytes), 20);
  }
  const Rows rows = GetRows();
  edit->Clear();
  Load(raw, Mode({cmRaw}));
  EXPECT_EQ(GetRows(), rows);
  for (int r = 0; r < 5; ++r) {
    unsigned char bytes[20];
    AttrItemToBytes(*edit->GetLinesAttr(r), bytes);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 20), records[static_cast<size_t>(r)]) << r;
    EXPECT_EQ(edit->GetLinesAttr(r)->ColAttrs, nullptr);
  }
  ExpectFreshlyLoaded("raw");
  // Saved again, the rows and their five records come out the same (the
  // list may hold further records for rows read past the end).
  const std::string again = Save(Mode({cmRaw}));
  const size_t used = 268 + rowBytes.size() + 5 * 20;
  EXPECT_EQ(again.substr(4, used - 4), raw.substr(4, used - 4));
}

// A raw file that does not fit its header loads nothing: one empty row and
// an empty history, without an exception.
TEST_F(FilesTest, LyingOrTruncatedRawFilesAreRejected) {
  SetRows({"one\r", "two\r", ""});
  const std::string good = Save(Mode({cmRaw}));
  auto put32 = [](std::string s, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
    return s;
  };
  const std::uint32_t size = static_cast<std::uint32_t>(good.size());
  const std::uint32_t attrOffset = 268 + 11;  // "one\r\n", "two\r\n", "\n"
  const std::string threeRecords = put32(good.substr(0, attrOffset + 60), 0, attrOffset + 60);
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"size field changed", put32(good, 0, size + 1)},
      {"truncated", good.substr(0, good.size() - 7)},
      {"a record missing, size field to match", put32(good.substr(0, attrOffset + 40), 0, attrOffset + 40)},
      {"shorter than a header", good.substr(0, 100)},
      {"row count too large", put32(good, 8, 4)},
      {"row count huge", put32(good, 8, 0x7FFFFFFF)},
      {"row count negative", put32(good, 8, 0xFFFFFFFF)},
      {"row count too small", put32(good, 8, 2)},
      {"attribute offset past the end", put32(good, 4, size + 100)},
      {"attribute offset in the header", put32(good, 4, 100)},
      {"attribute offset negative", put32(good, 4, 0x80000000)},
      {"attribute offset inside the rows", put32(good, 4, attrOffset - 2)},
      {"records not whole", put32(put32(good, 4, attrOffset + 1), 0, size)},
      {"empty", ""},
  };
  for (const Case& c : cases) {
    SetRows({"before\r", ""});
    EXPECT_NO_THROW(Load(c.bytes, Mode({cmRaw}))) << c.name;
    EXPECT_EQ(GetRows(), Rows{""}) << c.name;
    ExpectFreshlyLoaded(c.name);
  }
  Load(good, Mode({cmRaw}));
  EXPECT_EQ(GetRows(), (Rows{"one\r", "two\r", ""}));
  SetRows({"before\r", ""});
  Load(threeRecords, Mode({cmRaw}));
  EXPECT_EQ(GetRows(), (Rows{"one\r", "two\r", ""}));
}

TEST_F(FilesTest, FilesOnDiskAndTheEditedFlag) {
  const std::string path = Path("text.txt");
  WriteAll(path, "a\r\nb\r\n");
  edit->LoadFromFile(path, TConvMode());
  EXPECT_EQ(GetRows(), (Rows{"a\r", "b\r", ""}));
  edit->SetLine(1, "changed\r");
  EXPECT_TRUE(edit->isEdited());
  const std::string saved = Path("saved.txt");
  edit->SaveToFile(saved, TConvMode());
  EXPECT_FALSE(edit->isEdited());
  EXPECT_EQ(ReadAll(saved), "a\r\nchanged\r\n");
  edit->SetLine(0, "x\r");
  EXPECT_TRUE(edit->isEdited());
  edit->Undo();
  EXPECT_FALSE(edit->isEdited());

  // Saving over an existing file replaces it.
  WriteAll(saved, std::string(1000, 'z'));
  edit->SaveToFile(saved, TConvMode());
  EXPECT_EQ(ReadAll(saved), "a\r\nchanged\r\n");
}

TEST_F(FilesTest, AFileThatCannotBeOpenedChangesNothing) {
  SetRows({"keep\r", ""});
  edit->SetLine(0, "kept\r");
  const std::string missing = Path("missing.txt");
  try {
    edit->LoadFromFile(missing, TConvMode());
    FAIL() << "no exception";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "ファイル " + missing + " は開けません");
  }
  EXPECT_THROW(edit->LoadFromFile(dir.Root(), TConvMode()), EFOpenError);
  EXPECT_EQ(GetRows(), (Rows{"kept\r", ""}));
  EXPECT_TRUE(edit->isEdited());
  EXPECT_EQ(UndoRecords(), 1);
}

TEST_F(FilesTest, AFailedSaveKeepsTheTextEdited) {
  SetRows({"text\r", ""});
  edit->SetLine(0, "edited\r");
  const std::string badPath = Path("no-such-dir/out.txt");
  try {
    edit->SaveToFile(badPath, TConvMode());
    FAIL() << "no exception";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "ファイル " + badPath + " を作成できません");
  }
  EXPECT_TRUE(edit->isEdited());

  // A name that is no regular file is not replaced.
  if (fs::exists("/dev/full")) {
    EXPECT_THROW(edit->SaveToFile("/dev/full", TConvMode()), EFCreateError);
    EXPECT_TRUE(edit->isEdited());
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
  }
}

// A save whose folder flush fails after the rename: the text is in the
// file, but the disk did not confirm it, so the text stays edited.
TEST_F(FilesTest, AnUnconfirmedSaveSaysSoAndKeepsTheTextEdited) {
  const std::string path = Path("out.txt");
  WriteAll(path, "old");
  SetRows({"text\r", ""});
  edit->SetLine(0, "edited\r");
  iofaults::Scope faults;
  iofaults::FailSyncs(dir.Root());
  try {
    edit->SaveToFile(path, TConvMode());
    FAIL() << "no exception";
  } catch (const EWriteUnconfirmed& e) {
    EXPECT_EQ(e.Message(), "ファイル " + path + " に書き込みましたが、ディスクへの書き込みを確認できません");
  }
  EXPECT_EQ(ReadAll(path), "edited\r\n");
  EXPECT_TRUE(edit->isEdited());
}

// Files this process may write are held to `limit` bytes for the life of the
// object (as a full disk would hold them); a longer write fails. The signal
// of the limit is ignored as the program's start-up ignores it.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    IgnoreFileSizeSignal();
    getrlimit(RLIMIT_FSIZE, &FOld);
    rlimit lower = FOld;
    lower.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &lower);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &FOld); }

 private:
  rlimit FOld{};
};

std::vector<std::string> FolderNames(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(FilesTest, AFailedSaveLeavesTheOldFileWhole) {
  const std::string path = Path("text.txt");
  const std::string old(45941, 'o');
  WriteAll(path, old);
  SetRows({std::string(200000, 'n') + "\r", ""});
  edit->SetLine(1, "edited");
  {
    FileSizeLimit full(65536);
    EXPECT_THROW(edit->SaveToFile(path, TConvMode()), EWriteError);
  }
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(FolderNames(dir.Root()), std::vector<std::string>{"text.txt"});  // nothing left behind
  EXPECT_TRUE(edit->isEdited());

  // Once there is room the same save goes through.
  edit->SaveToFile(path, TConvMode());
  EXPECT_EQ(ReadAll(path).size(), 200002u + 6u);
  EXPECT_FALSE(edit->isEdited());
}

// A stream that fails part-way, after a first block of `first` bytes: the
// load must not pass off part of the text.
class FailingStream : public TStream {
 public:
  explicit FailingStream(int first) : FFirst(first) {}
  int Read(void* buffer, int count) override {
    if (FReads++ > 0) return -1;
    const int n = Min(count, FFirst);
    std::memset(buffer, 'x', static_cast<size_t>(n));
    static_cast<char*>(buffer)[10] = '\n';
    return n;
  }
  int Write(const void*, int) override { return -1; }
  int64_t Seek(int64_t, int origin) override { return origin == soEnd ? 1 << 20 : 0; }

 private:
  int FFirst;
  int FReads = 0;
};

TEST_F(FilesTest, AReadErrorLeavesTheTextAsItWasAndIsReported) {
  // 489 rows of ten bytes, of which a read gives 1,000 before it fails.
  std::string text;
  for (int i = 0; i < 489; ++i) text += "12345678\r\n";
  const std::string path = Path("partway.txt");
  WriteAll(path, text);
  struct Case {
    const char* name;
    std::function<void()> load;
  };
  const std::vector<Case> cases = {
      {"a full block, then an error", [&] { FailingStream s(1 << 20); edit->LoadFromStream(&s, TConvMode()); }},
      {"a short block, then an error", [&] { FailingStream s(1000); edit->LoadFromStream(&s, TConvMode()); }},
      {"a file whose read fails after 1,000 of 4,890 bytes",
       [&] {
         iofaults::Scope faults;
         iofaults::FailReadsAfter(path, 1000);
         edit->LoadFromFile(path, TConvMode());
       }},
      {"a raw file whose read fails",
       [&] {
         SetRows({"raw\r", ""});
         const std::string raw = Save(Mode({cmRaw}));
         WriteAll(path, raw);
         SetRows({"before\r", "after"});
         edit->SetLine(1, "edited");
         edit->GetLinesAttr(0)->Indent = 3;
         iofaults::Scope faults;
         iofaults::FailReadsAfter(path, 300);
         edit->LoadFromFile(path, Mode({cmRaw}));
       }},
  };
  for (const Case& c : cases) {
    SetRows({"before\r", "after"});
    edit->SetLine(1, "edited");
    edit->GetLinesAttr(0)->Indent = 3;
    EXPECT_THROW(c.load(), EReadError) << c.name;
    EXPECT_EQ(GetRows(), (Rows{"before\r", "edited"})) << c.name;
    EXPECT_EQ(edit->GetLinesAttr(0)->Indent, 3) << c.name;
    EXPECT_TRUE(edit->isEdited()) << c.name;
    edit->Undo();
    EXPECT_EQ(GetRows(), (Rows{"before\r", "after"})) << c.name;
  }
}

// The control's save keeps the file what it was: a hard link shares the
// text, a dangling link gets its file, and a file the user may not write is
// refused with the text still edited.
TEST_F(FilesTest, SaveToFileKeepsLinksAndTheFilesPermission) {
  SetRows({"text\r", ""});
  edit->SetLine(0, "edited\r");
  const std::string file = Path("file.txt"), second = Path("second.txt"), link = Path("link.txt");
  WriteAll(file, "old");
  ASSERT_EQ(::link(file.c_str(), second.c_str()), 0);
  fs::create_symlink("missing.txt", link);
  edit->SaveToFile(second, TConvMode());
  EXPECT_EQ(ReadAll(file), "edited\r\n");
  edit->SetLine(0, "linked\r");
  edit->SaveToFile(link, TConvMode());
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadAll(Path("missing.txt")), "linked\r\n");

  const std::string readOnly = Path("readonly.txt");
  WriteAll(readOnly, "old");
  ::chmod(dir.Root().c_str(), 0755);
  ASSERT_EQ(::chown(readOnly.c_str(), asuser::kUser, asuser::kUserGroup), 0);
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  edit->SetLine(0, "refused\r");
  const asuser::Result r = asuser::Run([&]() -> std::string {
    try {
      edit->SaveToFile(readOnly, TConvMode());
      return "saved";
    } catch (const EFCreateError& e) {
      return e.Message() + (edit->isEdited() ? "" : " (no longer edited)");
    }
  });
  if (!r.Skipped.empty()) GTEST_SKIP() << r.Skipped;
  EXPECT_EQ(r.Failure, "");
  EXPECT_EQ(r.Output, "ファイル " + readOnly + " を作成できません");
  EXPECT_EQ(ReadAll(readOnly), "old");
}

// Where a NUL ended the text, counted in bytes of the stream.
TEST_F(FilesTest, ALoadTellsWhereANulEndedIt) {
  struct Case {
    const char* name;
    std::string bytes;
    std::int64_t stoppedAt;
  };
  const std::string longLine(70000, 'x');
  const std::vector<Case> cases = {
      {"no NUL", "ab\r\ncd", -1},
      {"first byte", std::string("\0ab", 3), 0},
      {"inside a row", std::string("ab\r\ncd\0ef", 9), 6},
      {"second block", longLine + std::string("\r\n\0z", 4), 70002},
  };
  for (const Case& c : cases) {
    Load(c.bytes);
    EXPECT_EQ(edit->LoadStoppedAtNul(), c.stoppedAt) << c.name;
  }
  // A raw load knows no NUL, and forgets the last text's.
  Load(std::string("a\0", 2));
  const std::string raw = Save(Mode({cmRaw}));
  Load(raw, Mode({cmRaw}));
  EXPECT_EQ(edit->LoadStoppedAtNul(), -1);
}

}  // namespace
