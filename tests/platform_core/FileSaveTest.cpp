// Saving keeps a file the file it was: its own permission decides whether it
// can be saved, and its owner, group, mode, ACL, extended attributes and
// links stay. The permission cases run as an ordinary user.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
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
std::string Save(const std::string& name, const std::string& text) {
  try {
    TFileSaveStream out(name);
    out.WriteBuffer(text.data(), static_cast<int>(text.size()));
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
    cache = Folder("cache", 0700, kUser, kUserGroup);
  }

  std::string Folder(const std::string& name, mode_t mode, uid_t uid = 0, gid_t gid = 0) {
    const std::string path = root.Path(name);
    fs::create_directories(path);
    EXPECT_EQ(::chown(path.c_str(), uid, gid), 0);
    EXPECT_EQ(::chmod(path.c_str(), mode), 0);  // after chown, which clears the set-id bits
    return path;
  }
  static void File(const std::string& path, const std::string& bytes, mode_t mode, uid_t uid = 0, gid_t gid = 0) {
    WriteAll(path, bytes);
    EXPECT_EQ(::chown(path.c_str(), uid, gid), 0);
    EXPECT_EQ(::chmod(path.c_str(), mode), 0);
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
  };
  for (const Case& c : cases) {
    const std::string path = c.setup();
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
// the text; written in place, it fits (the safety copy goes to the cache).
TEST_F(FileSave, ANearlyFullDiskStillTakesTheTextInPlace) {
  const std::string small = Folder("small", 0755);
  const asuser::Result r = asuser::InChild([&]() -> std::string {
    // A file system of 80 KiB of its own, in a mount namespace of this child.
    if (::unshare(CLONE_NEWNS) != 0) return std::string("skip: no mount namespace: ") + std::strerror(errno);
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=80k") != 0)
      return std::string("skip: no tmpfs: ") + std::strerror(errno);
    const std::string path = small + "/file.txt";
    WriteAll(path, std::string(60 * 1024, 'o'));
    struct statvfs vfs;
    if (::statvfs(small.c_str(), &vfs) != 0 || vfs.f_bavail * vfs.f_frsize != 20 * 1024)
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
  EXPECT_EQ(r.Failure, "");
  EXPECT_EQ(r.Output, "");
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

}  // namespace
