#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/qt/Classes.h"

namespace {

std::string TempPath(const char* name) {
  return std::string(::testing::TempDir()) + "sorvelan_platform_" + name;
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

TEST(TStringStream, FeedsAStringList) {
  TStringStream s("line1\r\nline2");
  EXPECT_EQ(s.GetSize(), 12);
  TStringList list;
  s.SetPosition(0);
  list.LoadFromStream(&s);
  EXPECT_EQ(list.Count(), 2);
}

}  // namespace
