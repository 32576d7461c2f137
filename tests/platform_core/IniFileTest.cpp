#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "platform/core/IniFiles.h"
#include "tests/common/IoFaults.h"
#include "tests/common/TempFiles.h"

namespace {

struct ValueCase {
  const char* Value;
  int Default;
  int Expected;
};

TEST(IniFileRead, IntegerFormsAndMalformedValuesGiveTheDefault) {
  TempDir dir;
  const ValueCase cases[] = {
      {"1", 7, 1},          {"0", 7, 0},          {"2", 7, 2},
      {"0x10", 7, 16},      {"0X1f", 7, 31},      {"$10", 7, 16},
      {"$ff", 7, 255},      {"-5", 7, -5},        {"+3", 7, 3},
      {"0xFFFFFFFF", 7, -1}, {"2147483647", 7, 2147483647},
      {"2147483648", 7, 7}, {"0x100000000", 7, 7},
      {"abc", 7, 7},        {"", 7, 7},           {"1a", 7, 7},
      {"0x", 7, 7},         {"$", 7, 7},          {"1 2", 7, 7},
      {"  12  ", 7, 12},    {"0x1G", 7, 7},
  };
  for (const ValueCase& c : cases) {
    const std::string path = dir.Path("v.ini");
    WriteAll(path, std::string("[Setting]\nKey=") + c.Value + "\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("Setting", "Key", c.Default), c.Expected) << "value '" << c.Value << "'";
  }
}

TEST(IniFileRead, BoolIsAnyNonZeroIntegerElseTheDefault) {
  TempDir dir;
  const std::string path = dir.Path("b.ini");
  WriteAll(path, "[Setting]\nHex=0x10\nTwo=2\nZero=0\nWord=yes\nEmpty=\n");
  TIniFile ini(path);
  EXPECT_TRUE(ini.ReadBool("Setting", "Hex", false));
  EXPECT_TRUE(ini.ReadBool("Setting", "Two", false));
  EXPECT_FALSE(ini.ReadBool("Setting", "Zero", true));
  EXPECT_TRUE(ini.ReadBool("Setting", "Word", true));
  EXPECT_FALSE(ini.ReadBool("Setting", "Word", false));
  EXPECT_TRUE(ini.ReadBool("Setting", "Empty", true));
  EXPECT_FALSE(ini.ReadBool("Setting", "Missing", false));
  EXPECT_TRUE(ini.ReadBool("Setting", "Missing", true));
}

TEST(IniFileRead, NamesMatchWithoutCaseAndTheFirstOccurrenceWins) {
  TempDir dir;
  const std::string path = dir.Path("n.ini");
  WriteAll(path,
           "; comment\n"
           "[Other]\nFuri1=0\n"
           "[ setting ]\n  furi1 = 0 \nFURI1=1\nHira=1\n"
           "[SETTING]\nKata=1\n");
  TIniFile ini(path);
  EXPECT_FALSE(ini.ReadBool("Setting", "Furi1", true));  // first key of the first matching section
  EXPECT_TRUE(ini.ReadBool("Setting", "HIRA", false));
  EXPECT_FALSE(ini.ReadBool("Setting", "Kata", false));  // in the second, ignored section
  EXPECT_EQ(ini.ReadString("Setting", "Furi1", "x"), "0");
  EXPECT_EQ(ini.ReadString("Missing", "Furi1", "x"), "x");
}

TEST(IniFileRead, MissingFileGivesDefaultsAndIsNotCreated) {
  TempDir dir;
  const std::string path = dir.Path("none.ini");
  TIniFile ini(path);
  EXPECT_TRUE(ini.ReadBool("Setting", "Furi1", true));
  EXPECT_EQ(ini.ReadInteger("Setting", "X", 42), 42);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(IniFileWrite, NewFileGetsTheKeysInTheOrderWritten) {
  TempDir dir;
  const std::string path = dir.Path("new.ini");
  TIniFile ini(path);
  ini.WriteBool("Setting", "Furi1", true);
  ini.WriteBool("Setting", "Furi2", false);
  ini.WriteString("Setting", "Count", "-12");
  ini.WriteString("Setting", "Name", "abc");
  EXPECT_EQ(ReadAll(path), "[Setting]\nFuri1=1\nFuri2=0\nCount=-12\nName=abc\n");
  EXPECT_EQ(TIniFile(path).ReadInteger("Setting", "Count", 0), -12);
}

TEST(IniFileWrite, OtherLinesStayAndKeysAreReplacedOrAddedInTheirSection) {
  TempDir dir;
  const std::string path = dir.Path("keep.ini");
  WriteAll(path,
           "; settings\r\n"
           "[setting]\r\n"
           "furi1 = 0\r\n"
           "Unknown=5\r\n"
           "\r\n"
           "[Window]\r\n"
           "Left=10\r\n");
  TIniFile ini(path);
  ini.WriteBool("Setting", "Furi1", true);
  ini.WriteBool("Setting", "Hira", true);
  ini.WriteString("Window", "Top", "20");
  ini.WriteString("Extra", "A", "1");
  EXPECT_EQ(ReadAll(path),
            "; settings\r\n"
            "[setting]\r\n"
            "furi1=1\r\n"
            "Unknown=5\r\n"
            "Hira=1\r\n"
            "\r\n"
            "[Window]\r\n"
            "Left=10\r\n"
            "Top=20\r\n"
            "\r\n"
            "[Extra]\r\n"
            "A=1\r\n");
}

// Writing one key to the file at 'path' fails with the error that names it.
void ExpectRefusedWrite(const std::string& path) {
  TIniFile ini(path);
  try {
    ini.WriteBool("Setting", "Furi1", true);
    ADD_FAILURE() << "no error for " << path;
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), path + " に書き込めません");
  }
}

TEST(IniFileWrite, FailedWriteThrowsWithThePathAndLeavesNothingBehind) {
  TempDir dir;
  // A folder in the file's place: no file is saved over it.
  const std::string path = dir.Path("taken.ini");
  ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
  ExpectRefusedWrite(path);
  for (const auto& entry : std::filesystem::directory_iterator(dir.Root()))
    EXPECT_FALSE(entry.is_regular_file()) << entry.path();

  // A folder that does not exist: no file can be made in it.
  TIniFile missing(dir.Path("no/such/dir.ini"));
  EXPECT_THROW(missing.WriteBool("Setting", "Furi1", true), EIniFileException);
}

// Keys written back over a file that was only partly read would drop the
// rest of it.
TEST(IniFileWrite, AFileReadOnlyPartWayIsNotRewritten) {
  TempDir dir;
  const std::string path = dir.Path("partly.ini");
  const std::string old = "[Setting]\nFuri1=0\n[Other]\nName=value\n";
  WriteAll(path, old);
  {
    iofaults::Scope faults;
    iofaults::FailReadsAfter(path, 12);
    ExpectRefusedWrite(path);
  }
  EXPECT_EQ(ReadAll(path), old);
}

// A write in place that fails, and whose old bytes cannot be put back,
// tells where they are kept.
TEST(IniFileWrite, AFailedWriteThatCannotBeUndoneNamesTheSafetyCopy) {
  TempDir dir;
  const std::string path = dir.Path("old.ini"), second = dir.Path("second.ini");
  const std::string old = "[Setting]\nFuri1=0\n";
  WriteAll(path, old);
  ASSERT_EQ(::link(path.c_str(), second.c_str()), 0);  // saved in place, for the other name
  TIniFile ini(second);
  iofaults::Scope faults;
  iofaults::FailWrites(path);
  try {
    ini.WriteBool("Setting", "Furi1", true);
    FAIL() << "no error";
  } catch (const EIniFileException& e) {
    const std::string prefix = second + " に書き込めません (元の内容は ";
    ASSERT_EQ(e.Message().substr(0, prefix.size()), prefix);
    const std::string kept = e.Message().substr(prefix.size(), e.Message().find(" に残して", prefix.size()) - prefix.size());
    EXPECT_EQ(e.Message(), prefix + kept + " に残してあります)");
    EXPECT_EQ(ReadAll(kept), old);
  }
  EXPECT_FALSE(ini.ReadBool("Setting", "Furi1", true));  // the copy in memory was rolled back too
}

// A write whose text reached the file but whose flush was not confirmed
// keeps the key in memory as well, so the next write does not drop it.
TEST(IniFileWrite, AnUnconfirmedWriteKeepsTheKeyForTheNextWrite) {
  TempDir dir;
  const std::string path = dir.Path("unconfirmed.ini");
  WriteAll(path, "[Setting]\nFuri1=0\n");
  TIniFile ini(path);
  {
    iofaults::Scope faults;
    iofaults::FailSyncs(dir.Root());
    EXPECT_THROW(ini.WriteBool("Setting", "Furi1", true), EIniFileUnconfirmed);
  }
  EXPECT_TRUE(ini.ReadBool("Setting", "Furi1", false));
  ini.WriteBool("Setting", "Hira", true);
  EXPECT_EQ(ReadAll(path), "[Setting]\nFuri1=1\nHira=1\n");
}

}  // namespace
