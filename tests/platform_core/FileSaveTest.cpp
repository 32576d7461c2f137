// Saving keeps a file the file it was: its own permission decides whether it
// can be saved, and its owner, group, mode, ACL, extended attributes and
// links stay. The permission cases run as an ordinary user.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "tests/common/AsUser.h"
#include "tests/common/IoFaults.h"
#include "tests/common/TempFiles.h"

namespace {

namespace fs = std::filesystem;
using asuser::kOtherGroup;
using asuser::kOtherUser;
using asuser::kSharedGroup;
using asuser::kUser;
using asuser::kUserGroup;

// Saves 'text' to 'name' as the editor and the settings file do: "" when
// saved, else the error's text.
// 'meanwhile' runs where the editor renders its text, between the stream's
// construction and Commit.
std::string Save(const std::string& name, const std::string& text, const std::function<void()>& meanwhile = {}) {
  try {
    TFileSaveStream out(name);
    out.WriteBuffer(text.data(), static_cast<int>(text.size()));
    if (meanwhile) meanwhile();
    out.Commit();
    return "";
  } catch (const Exception& e) {
    return e.Message();
  }
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::map<std::string, std::string> Attributes(const std::string& path) {
  std::map<std::string, std::string> attrs;
  char list[4096];
  const ssize_t size = ::listxattr(path.c_str(), list, sizeof list);
  for (ssize_t i = 0; i < size; i += static_cast<ssize_t>(std::strlen(list + i)) + 1) {
    char value[4096];
    const ssize_t n = ::getxattr(path.c_str(), list + i, value, sizeof value);
    attrs[list + i] = n < 0 ? "?" : std::string(value, static_cast<size_t>(n));
  }
  return attrs;
}

// What a save must keep of a file, as text to compare.
std::string Facts(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return "missing";
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
  std::string facts = "owner " + std::to_string(st.st_uid) + ", group " + std::to_string(st.st_gid) + ", mode " +
                      mode + ", links " + std::to_string(st.st_nlink);
  for (const auto& [name, value] : Attributes(path)) facts += ", " + name + " (" + std::to_string(value.size()) + ")";
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  int flags = 0;
  if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_NODUMP_FL)) facts += ", no dump";
  if (fd >= 0) ::close(fd);
  return facts;
}

// A POSIX access ACL in its extended attribute form: owner rw, 'user' rw,
// owning group r, mask rw, others nothing (the mode 0660).
std::string AclGivingWriteTo(uid_t user) {
  std::string v;
  auto put = [&v](unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i) v += static_cast<char>(value >> (8 * i));
  };
  put(2, 4);  // version
  const unsigned none = 0xFFFFFFFFu;
  const unsigned entries[][3] = {{0x01, 6, none}, {0x02, 6, user}, {0x04, 4, none}, {0x10, 6, none}, {0x20, 0, none}};
  for (const auto& e : entries) {
    put(e[0], 2);
    put(e[1], 2);
    put(e[2], 4);
  }
  return v;
}

// Sets a variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old, FHad = true;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (FHad) ::setenv(FName, FOld.c_str(), 1);
    else ::unsetenv(FName);
  }

 private:
  const char* FName;
  std::string FOld;
  bool FHad = false;
};

class FileSave : public ::testing::Test {
 protected:
  void SetUp() override {
    // Others must reach the folders below (the temporary folder is private).
    ::chmod(root.Root().c_str(), 0755);
    cache = Folder("cache", 0700, ::geteuid() == 0 ? kUser : kOwn, ::geteuid() == 0 ? kUserGroup : kOwn);
  }

  // kOwn: the test's own user or group, as the folder or file is made.
  static constexpr uid_t kOwn = static_cast<uid_t>(-1);

  std::string Folder(const std::string& name, mode_t mode, uid_t uid = kOwn, gid_t gid = kOwn) {
    const std::string path = root.Path(name);
    fs::create_directories(path);
    Give(path, uid, gid);
    EXPECT_EQ(::chmod(path.c_str(), mode), 0);  // after chown, which clears the set-id bits
    return path;
  }
  void File(const std::string& path, const std::string& bytes, mode_t mode, uid_t uid = kOwn, gid_t gid = kOwn) {
    WriteAll(path, bytes);
    Give(path, uid, gid);
    EXPECT_EQ(::chmod(path.c_str(), mode), 0);
  }
  // Only root gives a file to another user: an ordinary user's run notes
  // why the test is skipped instead.
  void Give(const std::string& path, uid_t uid, gid_t gid, bool link = false) {
    if ((link ? ::lchown(path.c_str(), uid, gid) : ::chown(path.c_str(), uid, gid)) == 0) return;
    if (::geteuid() != 0)
      skipped = "only root can give a file to uid " + std::to_string(uid) + " and gid " + std::to_string(gid);
    else
      ADD_FAILURE() << "chown " << path << ": " << std::strerror(errno);
  }
  // Saves as the ordinary user, whose safety copies go to its own cache
  // folder; the error text, or "" when saved.
  std::string SaveAsUser(const std::string& path, const std::string& text) {
    const asuser::Result r = asuser::Run([&] {
      ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
      return Save(path, text);
    });
    if (!r.Skipped.empty()) skipped = r.Skipped;
    EXPECT_EQ(r.Failure, "");
    return r.Output;
  }

  TempDir root;
  std::string cache;
  std::string skipped;
};

// The file's own permission decides, and whatever path a save takes, the
// file keeps its owner, group, mode and links. Each case says which path
// it takes and why.
TEST_F(FileSave, TheFilesOwnPermissionDecidesAndItsOwnerGroupAndModeStay) {
  struct Case {
    const char* name;
    std::function<std::string()> setup;  // makes the file, returns its name
    bool saved;
  };
  const std::vector<Case> cases = {
      // Refused: the user cannot open the file for writing.
      {"own file 0444 in a writable folder",
       [&] {
         const std::string f = Folder("ro", 0755, kUser, kUserGroup) + "/file.txt";
         File(f, "old", 0444, kUser, kUserGroup);
         return f;
       },
       false},
      // In place: no fresh file can be made in the folder (safety copy in the cache).
      {"own file 0644 in a folder 0555",
       [&] {
         const std::string f = Folder("locked", 0755, kUser, kUserGroup) + "/file.txt";
         File(f, "old", 0644, kUser, kUserGroup);
         ::chmod(root.Path("locked").c_str(), 0555);
         return f;
       },
       true},
      {"own file 0644 in a root-owned program folder",
       [&] {
         const std::string f = Folder("program", 0755) + "/file.txt";
         File(f, "old", 0644, kUser, kUserGroup);
         return f;
       },
       true},
      // In place: the fresh file could not be given the other user as owner.
      {"another user's 0666 file in a sticky folder",
       [&] {
         const std::string f = Folder("sticky", 01777) + "/file.txt";
         File(f, "old", 0666, kOtherUser, kOtherGroup);
         return f;
       },
       true},
      {"group-shared file 0664 of another owner in a group folder",
       [&] {
         const std::string f = Folder("shared", 02775, kOtherUser, kSharedGroup) + "/file.txt";
         File(f, "old", 0664, kOtherUser, kSharedGroup);
         return f;
       },
       true},
      // By rename: own file, one link, everything can be given to the fresh file.
      {"own file 0640 in an own folder",
       [&] {
         const std::string f = Folder("own", 0755, kUser, kUserGroup) + "/file.txt";
         File(f, "old", 0640, kUser, kSharedGroup);
         return f;
       },
       true},
      // In place: a fresh file would not have the flag (last: a file system
      // without file flags skips the test).
      {"own file with the no-dump flag",
       [&] {
         const std::string f = Folder("nodump", 0755, kUser, kUserGroup) + "/file.txt";
         File(f, "old", 0644, kUser, kUserGroup);
         const int fd = ::open(f.c_str(), O_RDONLY | O_CLOEXEC);
         int flags = 0;
         if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0 || (flags |= FS_NODUMP_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags)) != 0)
           skipped = "the temporary folder's file system keeps no file flags";
         ::close(fd);
         return f;
       },
       true},
  };
  for (const Case& c : cases) {
    const std::string path = c.setup();
    if (!skipped.empty()) GTEST_SKIP() << skipped;
    const std::string facts = Facts(path);
    const std::vector<std::string> names = Names(fs::path(path).parent_path());
    const std::string error = SaveAsUser(path, "new text");
    if (!skipped.empty()) GTEST_SKIP() << skipped;
    EXPECT_EQ(error, c.saved ? "" : "ファイル " + path + " を作成できません") << c.name;
    EXPECT_EQ(ReadAll(path), c.saved ? "new text" : "old") << c.name;
    EXPECT_EQ(Facts(path), facts) << c.name;
    EXPECT_EQ(Names(fs::path(path).parent_path()), names) << c.name;  // nothing left behind
    EXPECT_TRUE(Names(cache).empty()) << c.name;
  }
}

TEST_F(FileSave, AclAndExtendedAttributesStay) {
  const std::string acl = AclGivingWriteTo(kOtherUser);
  struct Case {
    const char* name;
    bool asUser;
  };
  for (const Case& c : {Case{"as root", false}, Case{"as the file's owner", true}}) {
    const std::string path = Folder(c.name, 0755, kUser, kUserGroup) + "/file.txt";
    File(path, "old", 0640, kUser, kUserGroup);
    if (::setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0 ||
        ::setxattr(path.c_str(), "user.sorvelan.note", "kept", 4, 0) != 0)
      GTEST_SKIP() << "the temporary folder's file system keeps no ACL or extended attribute";
    const auto attrs = Attributes(path);
    const std::string facts = Facts(path);
    const std::string error = c.asUser ? SaveAsUser(path, "new") : Save(path, "new");
    if (!skipped.empty()) GTEST_SKIP() << skipped;
    EXPECT_EQ(error, "") << c.name;
    EXPECT_EQ(ReadAll(path), "new") << c.name;
    EXPECT_EQ(Attributes(path), attrs) << c.name;
    EXPECT_EQ(Facts(path), facts) << c.name;
  }
}

// A hard link keeps sharing the file (in place: the other name must see
// the text); a symbolic link stays a link, and a dangling one gets the
// file it names.
TEST_F(FileSave, LinksStayLinks) {
  const std::string folder = Folder("links", 0755);
  const std::string file = folder + "/file.txt", second = folder + "/second.txt";
  File(file, "old", 0644);
  ASSERT_EQ(::link(file.c_str(), second.c_str()), 0);
  EXPECT_EQ(Save(second, "shared"), "");
  EXPECT_EQ(ReadAll(file), "shared");
  EXPECT_EQ(iofaults::InodeOf(file), iofaults::InodeOf(second));
  EXPECT_EQ(fs::hard_link_count(file), 2u);

  fs::create_directory(folder + "/sub");
  const std::string dangling = folder + "/sub/a";
  fs::create_symlink("../missing.txt", dangling);
  EXPECT_EQ(Save(dangling, "created"), "");
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_EQ(ReadAll(folder + "/missing.txt"), "created");
  EXPECT_EQ(Names(folder), (std::vector<std::string>{"file.txt", "missing.txt", "second.txt", "sub"}));

  // A link of /proc to an open file that was removed names no file.
  const std::string removed = folder + "/c.txt";
  File(removed, "open", 0644);
  const int fd = ::open(removed.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ::unlink(removed.c_str());
  const std::string viaProc = "/proc/self/fd/" + std::to_string(fd);
  EXPECT_EQ(Save(viaProc, "new"), "ファイル " + viaProc + " を作成できません");
  char got[8] = {};
  EXPECT_EQ(::pread(fd, got, sizeof got, 0), 4);
  EXPECT_STREQ(got, "open");
  ::close(fd);
  EXPECT_EQ(Names(folder), (std::vector<std::string>{"file.txt", "missing.txt", "second.txt", "sub"}));
}

// A path of 4,091 bytes leaves no room for the name of a fresh file beside
// it: the save goes in place, the safety copy into the cache folder.
TEST_F(FileSave, APathNearTheLongestIsSaved) {
  std::string folder = root.Root();
  const size_t folderLength = 4091 - 2;  // "/f" follows
  while (folder.size() < folderLength) {
    size_t part = std::min<size_t>(200, folderLength - folder.size() - 1);
    if (folderLength - folder.size() - 1 - part == 1) --part;  // no one-byte remainder with no room for a name
    folder += "/" + std::string(part, 'd');
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0) << folder.size();
  }
  const std::string path = folder + "/f";
  ASSERT_EQ(path.size(), 4091u);
  WriteAll(path, "old");
  ScopedEnv cacheHome("XDG_CACHE_HOME", cache);
  EXPECT_EQ(Save(path, "new"), "");
  EXPECT_EQ(ReadAll(path), "new");
  EXPECT_EQ(Names(folder), std::vector<std::string>{"f"});
  EXPECT_TRUE(Names(cache).empty());
}

// Once a save is reported done, the text and the folder's entry are on the
// disk: the fresh file and the folder are flushed.
TEST_F(FileSave, ASavedFileAndItsFolderAreFlushed) {
  const std::string folder = Folder("flushed", 0755);
  const std::string existing = folder + "/existing.txt", fresh = folder + "/fresh.txt";
  File(existing, "old", 0644);
  for (const std::string& path : {existing, fresh}) {
    iofaults::Scope faults;
    iofaults::RecordSyncs();
    EXPECT_EQ(Save(path, "new"), "");
    const auto synced = iofaults::Synced();
    auto flushed = [&](const std::string& p) {
      return std::find(synced.begin(), synced.end(), iofaults::InodeOf(p)) != synced.end();
    };
    EXPECT_TRUE(flushed(path)) << path;
    EXPECT_TRUE(flushed(folder)) << path;
  }
}

// The rename cannot be made where the disk has no room for a second copy of
// the text; written in place, it fits, with the safety copy in the cache:
// where the disk could hold the copy but not the grown text beside it too,
// the copy goes elsewhere first.
TEST_F(FileSave, ANearlyFullDiskStillTakesTheTextInPlace) {
  struct Case {
    const char* size;  // of the file system
    unsigned long long free;
  };
  for (const Case& c : {Case{"80k", 20 * 1024}, Case{"128k", 68 * 1024}}) {
    const std::string small = Folder(std::string("small") + c.size, 0755);
    const asuser::Result r = asuser::InChild([&]() -> std::string {
      // A file system of its own, in a mount namespace of this child.
      if (::unshare(CLONE_NEWNS) != 0) return std::string("skip: no mount namespace: ") + std::strerror(errno);
      if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
          ::mount("tmpfs", small.c_str(), "tmpfs", 0, (std::string("size=") + c.size).c_str()) != 0)
        return std::string("skip: no tmpfs: ") + std::strerror(errno);
      const std::string path = small + "/file.txt";
      WriteAll(path, std::string(60 * 1024, 'o'));
      struct statvfs vfs;
      if (::statvfs(small.c_str(), &vfs) != 0 || vfs.f_bavail * vfs.f_frsize != c.free)
        return "skip: the file system does not count 4 KiB blocks";
      ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
      const std::string text(70 * 1024, 'n');
      std::string out = Save(path, text);
      if (ReadAll(path) != text) out += " / the text is not in the file";
      if (Names(small) != std::vector<std::string>{"file.txt"}) out += " / something left beside the file";
      if (!Names(cache).empty()) out += " / the safety copy was left";
      return out;
    });
    if (r.Output.rfind("skip: ", 0) == 0) GTEST_SKIP() << r.Output;
    EXPECT_EQ(r.Failure, "") << c.size;
    EXPECT_EQ(r.Output, "") << c.size;
  }
}

// A write in place that fails puts the old bytes back; where even that
// fails, the error names the safety copy, which holds them and stays.
TEST_F(FileSave, AFailedWriteInPlacePutsTheOldBytesBack) {
  const std::string folder = Folder("failing", 0755);
  const std::string file = folder + "/file.txt", second = folder + "/second.txt";
  const std::string old(5000, 'o');
  ScopedEnv cacheHome("XDG_CACHE_HOME", cache);

  // Over the file size limit: the old bytes fit again.
  File(file, old, 0644);
  ASSERT_EQ(::link(file.c_str(), second.c_str()), 0);
  const asuser::Result limited = asuser::InChild([&] {
    IgnoreFileSizeSignal();
    const rlimit limit{8192, 8192};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return Save(second, std::string(20000, 'n'));
  });
  EXPECT_EQ(limited.Failure, "");
  EXPECT_EQ(limited.Output, "ストリームの書き込みエラー");
  EXPECT_EQ(ReadAll(file), old);
  EXPECT_EQ(Names(folder), (std::vector<std::string>{"file.txt", "second.txt"}));
  EXPECT_TRUE(Names(cache).empty());

  // Every write to the file fails: the copy is all that holds the old bytes.
  iofaults::Scope faults;
  iofaults::FailWrites(file);
  std::string kept;
  try {
    TFileSaveStream out(second);
    out.WriteBuffer("new", 3);
    out.Commit();
    ADD_FAILURE() << "saved";
  } catch (const ESafetyCopyKept& e) {
    kept = e.CopyPath();
    EXPECT_EQ(e.Message(), "ストリームの書き込みエラー (元の内容は " + kept + " に残してあります)");
  }
  iofaults::Clear();
  EXPECT_EQ(fs::path(kept).parent_path(), fs::path(folder));
  EXPECT_EQ(ReadAll(kept), old);
  EXPECT_EQ(Names(folder).size(), 3u);
}

// What the name leads to is taken again at commit, as the text is made
// after the open: the save goes to what the name holds now, with the mode
// the file has now, or fails; a second name of the old file keeps its text.
TEST_F(FileSave, AtCommitTheNameIsFollowedAgain) {
  auto replaceByRename = [](const std::string& f) {
    WriteAll(f + ".theirs", "theirs");
    ::chmod((f + ".theirs").c_str(), 0644);
    ::rename((f + ".theirs").c_str(), f.c_str());
  };
  auto remove = [](const std::string& f) { ::unlink(f.c_str()); };
  auto becomeFolder = [](const std::string& f) {
    ::unlink(f.c_str());
    ::mkdir(f.c_str(), 0755);
  };
  auto makePrivate = [](const std::string& f) { ::chmod(f.c_str(), 0600); };
  auto link = [](const std::string& f) { ::link(f.c_str(), (fs::path(f).parent_path() / "second.txt").c_str()); };
  auto makePrivateFile = [](const std::string& f) {
    WriteAll(f, "theirs");
    ::chmod(f.c_str(), 0600);
  };
  struct Case {
    const char* name;
    bool hardLinked;  // a second name shares the file: written in place
    std::function<void(const std::string&)> meanwhile;
    bool saved;
    mode_t mode;  // of the saved file; 0: any
    const char* second;  // what the second name holds in the end; nullptr: there is none
    bool existed = true;  // the file, when the save began
    bool whileWritten = false;  // the change comes as the text is written, not before
  };
  const std::vector<Case> cases = {
      {"replaced by rename, hard-linked", true, replaceByRename, true, 0644, "old"},
      {"removed, hard-linked", true, remove, true, 0, "old"},
      {"becomes a folder, hard-linked", true, becomeFolder, false, 0, "old"},
      {"becomes a folder", false, becomeFolder, false, 0, nullptr},
      {"made private", false, makePrivate, true, 0600, nullptr},
      {"a private file made where there was none", false, makePrivateFile, true, 0600, nullptr, false},
      // The fresh file is written: what it took over changes before the rename.
      {"made private while the fresh file is written", false, makePrivate, true, 0600, nullptr, true, true},
      {"linked while the fresh file is written", false, link, true, 0644, "new", true, true},
      // The file itself is written, and the next round fails: it gets its old bytes back.
      {"becomes a folder while written in place, hard-linked", true, becomeFolder, false, 0, "old", true, true},
  };
  for (const Case& c : cases) {
    const std::string folder = Folder(c.name, 0755);
    const std::string file = folder + "/file.txt", second = folder + "/second.txt";
    if (c.existed) File(file, "old", 0644);
    if (c.hardLinked) {
      ASSERT_EQ(::link(file.c_str(), second.c_str()), 0);
    }
    iofaults::Scope faults;
    if (c.whileWritten) iofaults::BeforeWrite([&] { c.meanwhile(file); }, c.hardLinked ? file : "");
    const std::string error = Save(file, "new", [&] {
      if (!c.whileWritten) c.meanwhile(file);
    });
    EXPECT_EQ(error, c.saved ? "" : "ファイル " + file + " を作成できません") << c.name;
    EXPECT_EQ(fs::is_directory(file) ? "a folder" : ReadAll(file), c.saved ? "new" : "a folder") << c.name;
    if (c.mode) {
      EXPECT_EQ(fs::status(file).permissions(), static_cast<fs::perms>(c.mode)) << c.name;
    }
    if (c.second) {
      EXPECT_EQ(ReadAll(second), c.second) << c.name;
    }
    EXPECT_EQ(Names(folder), c.second ? (std::vector<std::string>{"file.txt", "second.txt"})
                                      : std::vector<std::string>{"file.txt"})
        << c.name;
  }
}

// Only a folder that cannot take the fresh file sends a failed rename into
// the file itself; a name that became a folder at the last moment is an
// error, and the fresh file goes.
TEST_F(FileSave, ARenameRefusedForAnyOtherReasonIsAnError) {
  const std::string folder = Folder("last moment", 0755);
  const std::string file = folder + "/file.txt";
  File(file, "old", 0644);
  iofaults::Scope faults;
  iofaults::BeforeRenameTo(file, [&] {
    ::unlink(file.c_str());
    ::mkdir(file.c_str(), 0755);
  });
  EXPECT_EQ(Save(file, "new"), "ストリームの書き込みエラー");
  EXPECT_TRUE(fs::is_directory(file));
  EXPECT_EQ(Names(folder), std::vector<std::string>{"file.txt"});
}

// Runs 'act' in a process of its own, as the test's user, when the save
// calls Go between its stream's construction and Commit: for a change that
// another user makes while a save runs as the ordinary user.
class Meanwhile {
 public:
  explicit Meanwhile(const std::function<void()>& act) {
    if (::pipe(FGo) != 0 || ::pipe(FDone) != 0) return;
    FPid = ::fork();
    if (FPid == 0) {
      char c;
      ::close(FGo[1]);
      if (::read(FGo[0], &c, 1) == 1) {
        act();
        (void)!::write(FDone[1], "x", 1);
      }
      ::_exit(0);
    }
    ::close(FGo[0]);
    ::close(FDone[1]);
  }
  ~Meanwhile() {
    ::close(FGo[1]);
    ::close(FDone[0]);
    if (FPid > 0) ::waitpid(FPid, nullptr, 0);
  }
  void Go() const {
    char c;
    (void)!::write(FGo[1], "x", 1);
    (void)!::read(FDone[0], &c, 1);
  }

 private:
  int FGo[2] = {-1, -1}, FDone[2] = {-1, -1};
  pid_t FPid = -1;
};

// Another user's file that the user may write, in a sticky folder: its
// owner removes it during the save, and the text still reaches the name.
TEST_F(FileSave, AnotherUsersFileRemovedDuringTheSaveStillGetsTheText) {
  const std::string file = Folder("sticky", 01777, 0, 0) + "/file.txt";
  File(file, "old", 0666, kOtherUser, kOtherGroup);
  if (!skipped.empty()) GTEST_SKIP() << skipped;
  const Meanwhile owner([&] { ::unlink(file.c_str()); });
  const asuser::Result r = asuser::Run([&] {
    ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    return Save(file, "new", [&] { owner.Go(); });
  });
  if (!r.Skipped.empty()) GTEST_SKIP() << r.Skipped;
  EXPECT_EQ(r.Failure, "");
  EXPECT_EQ(r.Output, "");
  EXPECT_EQ(ReadAll(file), "new");
  struct stat st {};
  EXPECT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, kUser);
}

// In a sticky folder that everyone may write (like /tmp), a link is
// followed only when it is the user's own or the folder owner's, as the
// kernel protects links, whatever the machine's setting: another user's
// link there cannot steer a save to the user's files.
TEST_F(FileSave, ALinkInAStickySharedFolderIsFollowedOnlyWhenItsOwnerMayBeTrusted) {
  const std::string victim = Folder("victim", 0755, kUser, kUserGroup);
  const std::string thesis = victim + "/thesis.txt";
  const std::string shared = Folder("shared", 01777, 0, 0);
  const std::string home = Folder("home", 0755, kUser, kUserGroup);
  struct Case {
    const char* name;
    uid_t linkOwner;
    const char* link;    // in the shared folder, to the victim's
    const char* target;
    const char* saved;   // the name saved, below the test's folder
    bool followed;
    const char* ownLink = nullptr;  // the user's own link on the way, below the test's folder
    const char* ownTarget = nullptr;
  };
  const Case cases[] = {
      {"planted by another user", kOtherUser, "notes.txt", "../victim/thesis.txt", "shared/notes.txt", false},
      {"the user's own", kUser, "notes.txt", "../victim/thesis.txt", "shared/notes.txt", true},
      {"the folder owner's", 0, "notes.txt", "../victim/thesis.txt", "shared/notes.txt", true},
      {"another user's link to a folder", kOtherUser, "notes", "../victim", "shared/notes/thesis.txt", false},
      {"the user's own link to a folder", kUser, "notes", "../victim", "shared/notes/thesis.txt", true},
      // Met inside a link the user may follow, another user's link is refused all the same.
      {"another user's link reached through the user's own folder link", kOtherUser, "build", "../victim",
       "home/proj/thesis.txt", false, "home/proj", "../shared/build"},
      {"another user's link reached through the user's own link beside it", kOtherUser, "build", "../victim",
       "shared/mine/thesis.txt", false, "shared/mine", "build"},
  };
  for (const Case& c : cases) {
    File(thesis, "thesis", 0644, kUser, kUserGroup);
    const std::string link = shared + "/" + c.link, saved = root.Path(c.saved);
    ::unlink(link.c_str());
    ASSERT_EQ(::symlink(c.target, link.c_str()), 0);
    Give(link, c.linkOwner, c.linkOwner == 0 ? 0 : kOtherGroup, true);
    std::vector<std::string> inShared = {c.link};
    if (c.ownLink) {
      ASSERT_EQ(::symlink(c.ownTarget, root.Path(c.ownLink).c_str()), 0);
      Give(root.Path(c.ownLink), kUser, kUserGroup, true);
      if (fs::path(c.ownLink).parent_path() == "shared") inShared.push_back(fs::path(c.ownLink).filename());
      std::sort(inShared.begin(), inShared.end());
    }
    const std::string error = SaveAsUser(saved, "new");
    if (!skipped.empty()) GTEST_SKIP() << skipped;
    EXPECT_EQ(error, c.followed ? "" : "ファイル " + saved + " を作成できません") << c.name;
    EXPECT_EQ(ReadAll(thesis), c.followed ? "new" : "thesis") << c.name;
    EXPECT_TRUE(fs::is_symlink(link)) << c.name;
    EXPECT_EQ(Names(shared), inShared) << c.name;
    EXPECT_EQ(Names(victim), std::vector<std::string>{"thesis.txt"}) << c.name;
    ::unlink(link.c_str());
    if (c.ownLink) ::unlink(root.Path(c.ownLink).c_str());
  }
}

bool InMemory(const std::string& folder) {
  struct statfs st;
  return ::statfs(folder.c_str(), &st) == 0 &&
         (st.f_type == static_cast<decltype(st.f_type)>(TMPFS_MAGIC) ||
          st.f_type == static_cast<decltype(st.f_type)>(RAMFS_MAGIC));
}

// A safety copy in memory is lost with the power, the file half written:
// where the user has no cache folder yet and the temporary folder is in
// memory, the cache folder is made, private to the user, and takes it. The
// write in place fails, so the error names the copy.
TEST_F(FileSave, TheSafetyCopyGoesToADiskAndMakesTheCacheFolder) {
  if (InMemory(root.Root())) GTEST_SKIP() << "the temporary folder is in memory: no disk to test with";
  const std::string home = Folder("home", 0755, kUser, kUserGroup);
  const std::string tmp = Folder("tmp", 01777, 0, 0);
  const std::string folder = Folder("locked", 0755, kUser, kUserGroup);
  const std::string file = folder + "/file.txt";
  File(file, "old", 0644, kUser, kUserGroup);
  ::chmod(folder.c_str(), 0555);
  if (!skipped.empty()) GTEST_SKIP() << skipped;
  const asuser::Result r = asuser::InChild([&]() -> std::string {
    if (::unshare(CLONE_NEWNS) != 0) return std::string("skip: no mount namespace: ") + std::strerror(errno);
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", tmp.c_str(), "tmpfs", 0, "size=1m,mode=1777") != 0)
      return std::string("skip: no tmpfs: ") + std::strerror(errno);
    const asuser::Result user = asuser::Run([&]() -> std::string {
      ::setenv("HOME", home.c_str(), 1);
      ::unsetenv("XDG_CACHE_HOME");
      ::setenv("TMPDIR", tmp.c_str(), 1);
      iofaults::FailWrites(file);
      try {
        TFileSaveStream out(file);
        out.WriteBuffer("new", 3);
        out.Commit();
        return "saved";
      } catch (const ESafetyCopyKept& e) {
        return e.CopyPath();
      } catch (const Exception& e) {
        return e.Message();
      }
    });
    return user.Skipped.empty() ? user.Output + user.Failure : "skip: " + user.Skipped;
  });
  if (r.Output.rfind("skip: ", 0) == 0) GTEST_SKIP() << r.Output;
  EXPECT_EQ(r.Failure, "");
  EXPECT_EQ(fs::path(r.Output).parent_path(), fs::path(home + "/.cache"));
  EXPECT_EQ(ReadAll(r.Output), "old");
  struct stat st {};
  EXPECT_EQ(::stat((home + "/.cache").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  EXPECT_EQ(st.st_uid, kUser);
  EXPECT_TRUE(Names(tmp).empty());
}

// The safety copy goes only to a folder of the user's own, reached by links
// the rule lets it follow, and to one on a disk before one in memory: with
// the cache folder refused, or no home, and the temporary folder in memory,
// the copy goes to /tmp. The write in place fails, so the error names the
// copy.
TEST_F(FileSave, TheSafetyCopyGoesToAFolderOfTheUsersOwnOnADisk) {
  if (InMemory("/tmp")) GTEST_SKIP() << "/tmp is in memory: no disk to test with";
  const std::string tmp = Folder("tmp", 01777, 0, 0);
  const std::string others = Folder("others", 0777, kOtherUser, kOtherGroup);
  const std::string own = Folder("own cache", 0700, kUser, kUserGroup);
  const std::string shared = Folder("shared", 01777, 0, 0);
  const std::string planted = shared + "/cache";
  ASSERT_EQ(::symlink(own.c_str(), planted.c_str()), 0);
  Give(planted, kOtherUser, kOtherGroup, true);
  const std::string folder = Folder("locked", 0755, kUser, kUserGroup);
  const std::string file = folder + "/file.txt";
  File(file, "old", 0644, kUser, kUserGroup);
  ::chmod(folder.c_str(), 0555);
  if (!skipped.empty()) GTEST_SKIP() << skipped;
  struct Case {
    const char* name;
    const char* cacheHome;  // nullptr: neither $XDG_CACHE_HOME nor $HOME
  };
  for (const Case& c : {Case{"no home", nullptr}, Case{"another user's cache folder", others.c_str()},
                        Case{"another user's link in a sticky folder", planted.c_str()}}) {
    const asuser::Result r = asuser::InChild([&]() -> std::string {
      if (::unshare(CLONE_NEWNS) != 0) return std::string("skip: no mount namespace: ") + std::strerror(errno);
      if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
          ::mount("tmpfs", tmp.c_str(), "tmpfs", 0, "size=1m,mode=1777") != 0)
        return std::string("skip: no tmpfs: ") + std::strerror(errno);
      const asuser::Result user = asuser::Run([&]() -> std::string {
        ::unsetenv("HOME");
        if (c.cacheHome) ::setenv("XDG_CACHE_HOME", c.cacheHome, 1);
        else ::unsetenv("XDG_CACHE_HOME");
        ::setenv("TMPDIR", tmp.c_str(), 1);
        iofaults::FailWrites(file);
        try {
          TFileSaveStream out(file);
          out.WriteBuffer("new", 3);
          out.Commit();
          return "saved";
        } catch (const ESafetyCopyKept& e) {
          return e.CopyPath();
        } catch (const Exception& e) {
          return e.Message();
        }
      });
      return user.Skipped.empty() ? user.Output + user.Failure : "skip: " + user.Skipped;
    });
    if (r.Output.rfind("skip: ", 0) == 0) GTEST_SKIP() << r.Output;
    EXPECT_EQ(r.Failure, "") << c.name;
    EXPECT_EQ(fs::path(r.Output).parent_path(), fs::path("/tmp")) << c.name;
    EXPECT_EQ(ReadAll(r.Output), "old") << c.name;
    if (fs::path(r.Output).is_absolute()) ::unlink(r.Output.c_str());
    EXPECT_TRUE(Names(others).empty()) << c.name;
    EXPECT_TRUE(Names(own).empty()) << c.name;
  }
}

// After the rename the name holds the new text: a folder flush that fails
// then says so, and the save still counts as failed.
TEST_F(FileSave, AFolderFlushThatFailsAfterTheRenameSaysTheTextIsInTheFile) {
  const std::string folder = Folder("unconfirmed", 0755);
  const std::string existing = folder + "/existing.txt", fresh = folder + "/fresh.txt";
  File(existing, "old", 0644);
  for (const std::string& path : {existing, fresh}) {
    iofaults::Scope faults;
    iofaults::FailSyncs(folder);
    std::string error;
    try {
      TFileSaveStream out(path);
      out.WriteBuffer("new", 3);
      out.Commit();
    } catch (const EWriteUnconfirmed& e) {
      error = e.Message();
    }
    EXPECT_EQ(error, "ファイル " + path + " に書き込みましたが、ディスクへの書き込みを確認できません");
    EXPECT_EQ(ReadAll(path), "new");
  }
  EXPECT_EQ(Names(folder), (std::vector<std::string>{"existing.txt", "fresh.txt"}));
}

// A new file's folder is flushed after the rename; a folder the user may
// not read is flushed with its whole file system, any other failure to
// open it is an error.
TEST_F(FileSave, ANewFileInAFolderTheUserMayNotReadIsFlushedWithItsFileSystem) {
  struct Case {
    int error;  // of the folder's open
    bool saved;
  };
  for (const Case& c : {Case{EACCES, true}, Case{EMFILE, false}, Case{ENOMEM, false}}) {
    const std::string folder = Folder(std::string("open fails ") + std::strerror(c.error), 0755);
    const std::string file = folder + "/file.txt";
    iofaults::Scope faults;
    iofaults::FailOpens(folder, c.error);
    iofaults::RecordSyncs();
    EXPECT_EQ(Save(file, "new"), c.saved ? "" : "ストリームの書き込みエラー") << std::strerror(c.error);
    const auto synced = iofaults::Synced();
    const std::pair<dev_t, ino_t> fileSystem{iofaults::InodeOf(folder).first, 0};
    if (c.saved) {
      EXPECT_NE(std::find(synced.begin(), synced.end(), fileSystem), synced.end()) << std::strerror(c.error);
    }
    iofaults::Clear();
    EXPECT_EQ(Names(folder), c.saved ? std::vector<std::string>{"file.txt"} : std::vector<std::string>{})
        << std::strerror(c.error);
  }
}

// The old text is read with pread while it is copied: a read error there
// ends the save with the file as it was.
TEST_F(FileSave, AReadErrorWhileTheOldTextIsKeptLeavesTheFile) {
  const std::string folder = Folder("unreadable copy", 0755);
  const std::string file = folder + "/file.txt", second = folder + "/second.txt";
  const std::string old(5000, 'o');
  File(file, old, 0644);
  ASSERT_EQ(::link(file.c_str(), second.c_str()), 0);
  iofaults::Scope faults;
  iofaults::FailReadsAfter(file, 1000);
  EXPECT_EQ(Save(file, "new"), "ストリームの読み込みエラー");
  iofaults::Clear();
  EXPECT_EQ(ReadAll(file), old);
  EXPECT_EQ(Names(folder), (std::vector<std::string>{"file.txt", "second.txt"}));
}

// A save killed part way leaves its own file behind, named for what it
// holds: ".part" a new text not yet finished, ".old" the whole old text.
TEST_F(FileSave, FilesLeftByAKilledSaveSayWhatTheyHold) {
  struct Case {
    const char* name;
    bool hardLinked;     // written in place after the old text is copied beside it
    const char* suffix;  // of the file left behind
    std::string holds;
    std::string base = "file.txt";  // the file's name; the leftover's begins with as much as fits
  };
  const std::string old(5000, 'o');
  const Case cases[] = {
      {"by rename", false, ".part", std::string(8192, 'n')},
      {"in place", true, ".old", old},
      {"by rename, a name of 254 bytes", false, ".part", std::string(8192, 'n'), std::string(250, 'l') + ".txt"},
  };
  for (const Case& c : cases) {
    const std::string folder = Folder(c.name, 0755);
    const std::string file = folder + "/" + c.base, second = folder + "/second.txt";
    File(file, old, 0644);
    if (c.hardLinked) {
      ASSERT_EQ(::link(file.c_str(), second.c_str()), 0);
    }
    // The write that passes the file size limit ends the process.
    const asuser::Result r = asuser::InChild([&] {
      const rlimit limit{8192, 8192};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      return Save(file, std::string(20000, 'n'));
    });
    EXPECT_NE(r.Failure.find("killed"), std::string::npos) << c.name;
    std::vector<std::string> left;
    for (const std::string& n : Names(folder))
      if (n != c.base && n != "second.txt") left.push_back(n);
    ASSERT_EQ(left.size(), 1u) << c.name;
    const size_t tail = left[0].rfind(".~");
    ASSERT_NE(tail, std::string::npos) << left[0];
    EXPECT_TRUE(std::regex_match(left[0].substr(tail), std::regex(std::string("\\.~[0-9]+\\.0\\") + c.suffix)))
        << c.name << ": " << left[0];
    const std::string kept = left[0].substr(0, tail);
    EXPECT_EQ(kept, c.base.substr(0, std::max<size_t>(kept.size(), 200))) << c.name << ": " << left[0];
    EXPECT_EQ(ReadAll(folder + "/" + left[0]), c.holds) << c.name;
  }
}

}  // namespace
