#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "tests/common/IoFaults.h"
#include "tests/common/TempFiles.h"

namespace {

// Under a folder of this process's own, removed at its end, so that runs by
// different users or side by side never meet in the shared temporary folder.
std::string TempPath(const char* name) {
  static const TempDir dir;
  return dir.Path(name);
}

TEST(TStringStream, ReadWriteSeekAndSize) {
  TStringStream s;
  EXPECT_EQ(s.Write("abcdef", 6), 6);
  EXPECT_EQ(s.GetPosition(), 6);
  EXPECT_EQ(s.GetSize(), 6);
  s.Seek(-2, soEnd);
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 2);  // a short read returns what there is
  EXPECT_EQ(std::string(buf, 2), "ef");
  EXPECT_EQ(s.Read(buf, 8), 0);
  s.SetPosition(10);  // writing past the end fills the gap with zeros
  s.Write("z", 1);
  EXPECT_EQ(s.GetSize(), 11);
  s.SetPosition(6);
  EXPECT_EQ(s.Read(buf, 8), 5);
  EXPECT_EQ(std::string(buf, 5), std::string("\0\0\0\0z", 5));
  s.SetSize(3);
  EXPECT_EQ(s.GetPosition(), 3);
  EXPECT_EQ(s.Seek(-10, soCurrent), 0);
}

TEST(TStringStream, BufferCallsThrowOnShortTransfers) {
  TStringStream s;
  s.WriteBuffer("abc", 3);
  s.SetPosition(1);
  char buf[4];
  EXPECT_THROW(s.ReadBuffer(buf, 3), EReadError);
  s.SetPosition(0);
  EXPECT_NO_THROW(s.ReadBuffer(buf, 3));
}

TEST(TFileStream, CreateWriteReopenRead) {
  std::string path = TempPath("file.bin");
  {
    TFileStream f(path, fmCreate);
    f.WriteBuffer("hello world", 11);
  }
  {
    TFileStream f(path, fmCreate);  // fmCreate empties an existing file
    f.WriteBuffer("hi", 2);
  }
  TFileStream f(path, fmOpenRead | fmShareDenyWrite);
  EXPECT_EQ(f.GetSize(), 2);
  char buf[8] = {};
  EXPECT_EQ(f.Read(buf, 8), 2);
  EXPECT_EQ(std::string(buf, 2), "hi");
  EXPECT_EQ(f.Write("x", 1), -1);  // opened for reading only
  std::remove(path.c_str());
}

TEST(TFileStream, OpenErrorsCarryTheLibraryMessages) {
  std::string missing = TempPath("missing/nothing.txt");
  try {
    TFileStream f(missing, fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "ファイル " + missing + " は開けません");
  }
  try {
    TFileStream f(missing, fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "ファイル " + missing + " を作成できません");
  }
  // A directory is not a file to read.
  EXPECT_THROW(TFileStream(::testing::TempDir(), fmOpenRead), EFOpenError);
}

// A named pipe with no writer would hold a blocking open for ever; a pipe
// or device is no file to read or write in place.
TEST(TFileStream, OnlyRegularFilesAreOpenedAndNothingBlocks) {
  const std::string dir = TempPath("pipes_") + std::to_string(::getpid());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directory(dir);
  const std::string pipe = dir + "/pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (unsigned short mode : {fmOpenRead, fmOpenWrite, fmOpenReadWrite}) {
    auto opening = std::async(std::launch::async, [&]() -> std::string {
      try {
        TFileStream f(pipe, mode);
        return std::string("opened");
      } catch (const EFOpenError& e) {
        return e.Message();
      }
    });
    if (opening.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      ADD_FAILURE() << "open blocked, mode " << mode;
      // Free the waiting open so that the test can end.
      const int fd = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK);
      opening.wait();
      ::close(fd);
      continue;
    }
    EXPECT_EQ(opening.get(), "ファイル " + pipe + " は開けません") << mode;
  }
  std::filesystem::remove_all(dir);
}

class SavedFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directory(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

  // One folder per test and process: tests may run side by side.
  const std::string dir = TempPath("saved_") + std::to_string(::getpid()) + "_" +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name();
  const std::string file = dir + "/file.txt";
};

TEST_F(SavedFile, TheOldFileStaysUntilCommit) {
  Write(file, "old");
  {
    TFileSaveStream out(file);
    out.WriteBuffer("new text", 8);
    out.Seek(0, soBeginning);  // seekable, as the raw format needs
    out.WriteBuffer("N", 1);
    EXPECT_EQ(Read(file), "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"file.txt"});
    out.Commit();
  }
  EXPECT_EQ(Read(file), "New text");
  EXPECT_EQ(Names(), std::vector<std::string>{"file.txt"});

  // Without Commit nothing changes and nothing is left behind.
  {
    TFileSaveStream out(file);
    out.WriteBuffer("lost", 4);
  }
  EXPECT_EQ(Read(file), "New text");
  EXPECT_EQ(Names(), std::vector<std::string>{"file.txt"});

  // A new name is created by the commit.
  const std::string fresh = dir + "/fresh.txt";
  {
    TFileSaveStream out(fresh);
    out.WriteBuffer("x", 1);
    EXPECT_FALSE(std::filesystem::exists(fresh));
    out.Commit();
  }
  EXPECT_EQ(Read(fresh), "x");

  // A name of the longest length allowed leaves no room for a suffix.
  const std::string longest = dir + "/" + std::string(255, 'n');
  {
    TFileSaveStream out(longest);
    out.WriteBuffer("long", 4);
    out.Commit();
  }
  EXPECT_EQ(Read(longest), "long");
  EXPECT_EQ(Names().size(), 3u);
}

// A replaced file keeps its mode; a link stays and the file it names gets
// the text; a new file gets the mode any new file gets.
TEST_F(SavedFile, ModesAndLinksAreKept) {
  using std::filesystem::perms;
  for (perms mode : {perms::owner_read | perms::owner_write,
                     perms::owner_read | perms::owner_write | perms::group_read | perms::others_read,
                     perms::owner_all}) {
    Write(file, "old");
    std::filesystem::permissions(file, mode);
    TFileSaveStream out(file);
    out.WriteBuffer("new", 3);
    out.Commit();
    EXPECT_EQ(Read(file), "new");
    EXPECT_EQ(std::filesystem::status(file).permissions(), mode);
  }
  const std::string link = dir + "/link.txt";
  std::filesystem::create_symlink(file, link);
  {
    TFileSaveStream out(link);
    out.WriteBuffer("linked", 6);
    out.Commit();
  }
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(Read(file), "linked");

  const std::string fresh = dir + "/fresh.txt";
  {
    TFileSaveStream out(fresh);
    out.Commit();
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(static_cast<mode_t>(std::filesystem::status(fresh).permissions()), 0666 & ~mask);
  EXPECT_EQ(Names(), (std::vector<std::string>{"file.txt", "fresh.txt", "link.txt"}));
}

TEST_F(SavedFile, NamesThatAreNoRegularFileAreRefused) {
  const std::string pipe = dir + "/pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const std::string missing = dir + "/no/such/file.txt";
  struct Case {
    const char* name;
    std::string path;
  } cases[] = {{"folder", dir}, {"named pipe", pipe}, {"missing folder", missing}};
  for (const Case& c : cases) {
    try {
      TFileSaveStream out(c.path);
      ADD_FAILURE() << c.name;
    } catch (const EFCreateError& e) {
      EXPECT_EQ(e.Message(), "ファイル " + c.path + " を作成できません") << c.name;
    }
  }
  EXPECT_EQ(Names(), std::vector<std::string>{"pipe"});
}

// A read that fails after some bytes is an error, not a short file: the
// bytes before it are no whole text.
TEST(THandleStream, AReadThatFailsPartWayIsAnError) {
  const std::string path = TempPath("partway_") + std::to_string(::getpid());
  { std::ofstream(path, std::ios::binary) << std::string(4890, 'x'); }
  iofaults::Scope faults;
  iofaults::FailReadsAfter(path, 1000);
  TFileStream f(path, fmOpenRead);
  char buf[8192];
  EXPECT_EQ(f.Read(buf, sizeof buf), -1);
  EXPECT_THROW(f.ReadBuffer(buf, 10), EReadError);
  iofaults::Clear();
  std::remove(path.c_str());
}

TEST(TStringStream, FeedsAStringList) {
  TStringStream s("line1\r\nline2");
  EXPECT_EQ(s.GetSize(), 12);
  TStringList list;
  s.SetPosition(0);
  list.LoadFromStream(&s);
  EXPECT_EQ(list.Count(), 2);
}

}  // namespace
