// Saving a file so that it stays the file it was. An existing file is
// replaced by a fresh one only when the fresh one can take everything the
// old one had (one link, owner, group, mode, ACL, extended attributes, file
// flags); otherwise the new bytes are written into the same file, after the
// old bytes are kept in a safety copy that puts them back if the write fails.
// The text is made after the open, so the save follows the name again when
// it writes, and goes to what the name leads to then.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <linux/magic.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/Classes.h"

namespace {

// A file descriptor, closed with its holder.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : FFd(fd) {}
  Fd(Fd&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    Reset(std::exchange(other.FFd, -1));
    return *this;
  }
  ~Fd() { Reset(); }
  int Get() const { return FFd; }
  bool Valid() const { return FFd >= 0; }
  void Reset(int fd = -1) {
    if (FFd >= 0) ::close(FFd);
    FFd = fd;
  }
  // Closes now; false when the close reports an error (a late write error).
  bool Close() {
    const int fd = std::exchange(FFd, -1);
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int FFd = -1;
};

// A file this save made for itself, removed unless kept.
class OwnFile {
 public:
  OwnFile() = default;
  OwnFile(Fd fd, std::string path) : FFd(std::move(fd)), FPath(std::move(path)) {}
  OwnFile(OwnFile&& other) noexcept
      : FFd(std::move(other.FFd)), FPath(std::exchange(other.FPath, std::string())) {}
  OwnFile& operator=(OwnFile&& other) noexcept {
    Remove();
    FFd = std::move(other.FFd);
    FPath = std::exchange(other.FPath, std::string());
    return *this;
  }
  ~OwnFile() { Remove(); }
  int Get() const { return FFd.Get(); }
  bool Valid() const { return FFd.Valid(); }
  bool Close() { return FFd.Close(); }
  const std::string& Path() const { return FPath; }
  void Remove() {
    FFd.Reset();
    if (!FPath.empty()) ::unlink(FPath.c_str());
    FPath.clear();
  }
  // The file stays where it is, under its name.
  void Keep() { FPath.clear(); }

 private:
  Fd FFd;
  std::string FPath;
};

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The budgets of the loops below, each spent only while another program
// keeps changing what a loop looks at:
// - kLinkHops: links followed for one name, as many as the kernel follows;
//   a name that needs more (a loop of links) is refused;
// - kUniqueNames: numbers tried for a file of the save's own before the
//   folder is taken to be unable to hold one;
// - kTries: reads of something that changed while it was read (an
//   attribute list that grew, a name that became a link, a file whose mode
//   or links changed while the fresh file was written);
// - kRounds: saves started over because the name led elsewhere by the end.
constexpr int kLinkHops = 40;
constexpr int kUniqueNames = 100;
constexpr int kTries = 8;
constexpr int kRounds = 4;

// Whether the link 'path' (lstat in 'link') may be followed: one in a sticky
// folder that everyone may write is followed only when it belongs to this
// user or to the folder's owner, so that no other user's link there can
// steer a save. The kernel's own protection of links does the same for the
// last link of a path only, and only where the machine enables it; this
// rule is applied to every link met.
bool MayFollow(const std::string& path, const struct stat& link) {
  if (link.st_uid == ::geteuid()) return true;
  struct stat folder;
  if (::stat(FolderOf(path).c_str(), &folder) != 0) return false;
  const mode_t shared = S_ISVTX | S_IWOTH;
  return (folder.st_mode & shared) != shared || link.st_uid == folder.st_uid;
}

// Whether the link 'link' leads where its text 'target' says. A link of
// /proc (/proc/self/fd/3) leads to an open file, whose name it only shows:
// a removed file's ("c.txt (deleted)"), a pipe's, or one the name no
// longer leads to, is none to follow.
bool LeadsToItsText(const std::string& link, const std::string& target) {
  struct statfs fs;
  if (::statfs(FolderOf(link).c_str(), &fs) != 0) return false;
  if (fs.f_type != static_cast<decltype(fs.f_type)>(PROC_SUPER_MAGIC)) return true;
  const std::string named = target[0] == '/' ? target : Join(FolderOf(link), target);
  struct stat via, to;
  return ::stat(link.c_str(), &via) == 0 && ::stat(named.c_str(), &to) == 0 && via.st_dev == to.st_dev &&
         via.st_ino == to.st_ino;
}

// The names of 'path' in reverse order, "" and "." left out, onto 'names'.
void PushNames(const std::string& path, std::vector<std::string>& names) {
  for (size_t end = path.size(); end != std::string::npos && end > 0;) {
    const size_t slash = path.rfind('/', end - 1);
    const size_t begin = slash == std::string::npos ? 0 : slash + 1;
    std::string name = path.substr(begin, end - begin);
    if (!name.empty() && name != ".") names.push_back(std::move(name));
    end = slash;
  }
}

// The name that 'name' leads to, taken one name of the path at a time so
// that the rule above holds for every link met: of a folder on the way, of
// the name itself, and of a folder inside a link's own text. A dangling
// link leads to the name it holds; a name that does not exist ends the
// walk, the rest appended as written. False when a link may not be
// followed, or more than kLinkHops are met.
bool FollowLinks(const std::string& name, std::string& result) {
  if (name.empty()) return false;
  std::string path = name[0] == '/' ? "/" : "";  // no links in it; "" is the working folder
  std::vector<std::string> left;                  // the names still to take, the next last
  PushNames(name, left);
  int hops = 0;
  while (!left.empty()) {
    std::string next = std::move(left.back());
    left.pop_back();
    if (next == "..") {
      // 'path' holds no link, so its last folder's ".." is the folder before it.
      if (path.empty() || BaseOf(path) == "..") path = Join(path, "..");
      else if (path.find('/') == std::string::npos) path.clear();
      else path = FolderOf(path);
      continue;
    }
    const std::string candidate = Join(path, next);
    struct stat st;
    const bool found = ::lstat(candidate.c_str(), &st) == 0;
    if (!found || !S_ISLNK(st.st_mode)) {
      path = candidate;
      if (!found || !S_ISDIR(st.st_mode)) {
        // Missing, or no folder: the open that follows fails on it.
        while (!left.empty()) {
          path = Join(path, left.back());
          left.pop_back();
        }
      }
      continue;
    }
    if (++hops > kLinkHops || !MayFollow(candidate, st)) return false;
    std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    ssize_t n;
    while ((n = ::readlink(candidate.c_str(), buf.data(), buf.size())) >= static_cast<ssize_t>(buf.size()))
      buf.resize(buf.size() * 2);
    if (n <= 0) return false;
    const std::string target(buf.data(), static_cast<size_t>(n));
    if (!LeadsToItsText(candidate, target)) return false;
    if (target[0] == '/') path = "/";
    PushNames(target, left);
  }
  result = path.empty() ? "." : path;
  return true;
}

bool Sync(int fd) {
  // EINVAL: the file system has nothing it could flush.
  return ::fsync(fd) == 0 || errno == EINVAL;
}

bool SyncFolder(const std::string& folder) {
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return dir.Valid() && Sync(dir.Get());
}

// Writes every byte at offset; false, with errno, when a write fails.
bool WriteAt(int fd, const char* data, size_t size, off_t offset) {
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, data, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

enum class CopyResult { Done, ReadFailed, WriteFailed };

// Copies all of 'from' to the start of 'to'; the byte count in 'copied'.
CopyResult CopyBytes(int from, int to, off_t& copied) {
  std::vector<char> buf(65536);
  off_t offset = 0;
  for (;;) {
    const ssize_t n = ::pread(from, buf.data(), buf.size(), offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return CopyResult::ReadFailed;
    if (n == 0) break;
    if (!WriteAt(to, buf.data(), static_cast<size_t>(n), offset)) return CopyResult::WriteFailed;
    offset += n;
  }
  copied = offset;
  return CopyResult::Done;
}

// A failure that another place may not have: the file system is full, or
// the name is too long for it.
bool NoRoomOrName(int error) { return error == ENOSPC || error == EDQUOT || error == ENAMETOOLONG; }

// The longest name 'folder' takes; 255 where it does not say.
size_t LongestName(const std::string& folder) {
  const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  return longest > 0 ? static_cast<size_t>(longest) : 255;
}

// 'name' cut to at most 'size' bytes, not inside a UTF-8 character.
std::string CutName(const std::string& name, size_t size) {
  if (name.size() <= size) return name;
  while (size > 0 && (static_cast<unsigned char>(name[size]) & 0xC0) == 0x80) --size;
  return name.substr(0, size);
}

// A new file in 'folder' that no other file has (O_EXCL refuses a name that
// exists, links included): "<base>.~<pid>.<n><suffix>". The suffix says what
// a file left behind by a killed save holds. Where that name is too long for
// the folder, 'base' is cut short to fit; where even the path is too long,
// it is left out. Invalid, with errno, when none could be made.
OwnFile CreateUnique(const std::string& folder, const std::string& base, const char* suffix, mode_t mode) {
  const std::string pid = std::to_string(static_cast<long>(::getpid()));
  std::string kept = base;
  for (int n = 0; n < kUniqueNames; ++n) {
    std::string name = Join(folder, kept + ".~" + pid + "." + std::to_string(n) + suffix);
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) return OwnFile(Fd(fd), std::move(name));
    if (errno == ENAMETOOLONG && !kept.empty()) {
      const size_t tail = (".~" + pid + "." + std::to_string(kUniqueNames - 1)).size() + std::strlen(suffix);
      const size_t longest = LongestName(folder);
      const std::string shorter = CutName(kept, longest > tail ? longest - tail : 0);
      kept = shorter.size() < kept.size() ? shorter : std::string();  // it fitted: the path is too long
      n = -1;  // count again under the shorter name
    } else if (errno != EEXIST) {
      break;
    }
  }
  const int error = errno;
  OwnFile none;
  errno = error;
  return none;
}

// A file being written that is to take the name: unfinished until renamed.
constexpr const char* kFreshSuffix = ".part";
// A complete copy of the old text, kept while the file is written in place.
constexpr const char* kOldTextSuffix = ".old";

std::vector<std::string> AttributeNames(int fd, bool& ok) {
  ok = true;
  for (int tries = 0; tries < kTries; ++tries) {
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0) {
      // A file system without extended attributes: the file has none.
      ok = errno == ENOTSUP;
      return {};
    }
    std::vector<char> list(static_cast<size_t>(size) + 1);
    const ssize_t got = ::flistxattr(fd, list.data(), list.size());
    if (got < 0 && errno == ERANGE) continue;  // grew meanwhile
    if (got < 0) break;
    std::vector<std::string> names;
    for (size_t i = 0; i < static_cast<size_t>(got);) {
      names.emplace_back(list.data() + i);
      i += names.back().size() + 1;
    }
    return names;
  }
  ok = false;
  return {};
}

bool AttributeValue(int fd, const std::string& name, std::vector<char>& value) {
  for (int tries = 0; tries < kTries; ++tries) {
    const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
    if (size < 0) return false;
    value.resize(static_cast<size_t>(size));
    const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
    if (got >= 0) {
      value.resize(static_cast<size_t>(got));
      return true;
    }
    if (errno != ERANGE) return false;
  }
  return false;
}

using Attributes = std::vector<std::pair<std::string, std::vector<char>>>;

// The extended attributes of 'fd' (the POSIX ACL is one of them), by name.
bool ReadAttributes(int fd, Attributes& attributes) {
  bool ok;
  std::vector<std::string> names = AttributeNames(fd, ok);
  if (!ok) return false;
  std::sort(names.begin(), names.end());
  attributes.clear();
  for (std::string& name : names) {
    attributes.emplace_back(std::move(name), std::vector<char>());
    if (!AttributeValue(fd, attributes.back().first, attributes.back().second)) return false;
  }
  return true;
}

// Gives 'to' exactly the extended attributes 'wanted': the missing ones
// set, the ones not wanted (such as an ACL taken from the folder's default)
// removed.
bool CopyAttributes(const Attributes& wanted, int to) {
  bool ok;
  const std::vector<std::string> present = AttributeNames(to, ok);
  if (!ok) return false;
  for (const std::string& name : present) {
    bool keep = false;
    for (const auto& w : wanted) keep = keep || w.first == name;
    if (!keep && ::fremovexattr(to, name.c_str()) != 0) return false;
  }
  std::vector<char> current;
  for (const auto& [name, value] : wanted) {
    // One the fresh file has already (a security label) need not be set.
    if (AttributeValue(to, name, current) && current == value) continue;
    if (::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0) return false;
  }
  return true;
}

// The file flags that can be changed on a file (no dump, append only,
// immutable, ...), or 0 where the file system has none. Its owner may set
// some of them; append only and immutable take a capability, which a fresh
// file cannot be given without. The call takes an int, whatever its name
// says.
int FileFlags(int fd) {
  int flags = 0;
  if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) return 0;
  return flags & FS_FL_USER_MODIFIABLE;
}

// What a fresh file takes over from the file it is to replace.
struct FileFacts {
  uid_t Owner = 0;
  gid_t Group = 0;
  mode_t Mode = 0;
  nlink_t Links = 0;
  int Flags = 0;
  Attributes Extended;
  bool operator==(const FileFacts& o) const {
    return Owner == o.Owner && Group == o.Group && Mode == o.Mode && Links == o.Links && Flags == o.Flags &&
           Extended == o.Extended;
  }
};

bool ReadFacts(int fd, FileFacts& facts) {
  struct stat st;
  if (::fstat(fd, &st) != 0 || !ReadAttributes(fd, facts.Extended)) return false;
  facts.Owner = st.st_uid;
  facts.Group = st.st_gid;
  facts.Mode = st.st_mode & 07777;
  facts.Links = st.st_nlink;
  facts.Flags = FileFlags(fd);
  return true;
}

// Gives the fresh file 'to' everything of 'from' but its bytes: owner and
// group (the group alone where the owner cannot be given), ACL and extended
// attributes, mode; what was given in 'taken'. False when anything differs
// afterwards.
bool TakeOver(int from, int to, FileFacts& taken) {
  if (!ReadFacts(from, taken)) return false;
  if (::fchown(to, taken.Owner, taken.Group) != 0) {
    // Another user's file: the group alone may still be given, and the
    // check below then sends the save in place.
    if (::fchown(to, static_cast<uid_t>(-1), taken.Group) != 0) return false;
  }
  if (!CopyAttributes(taken.Extended, to)) return false;
  // After the ACL: the mode's group bits are the ACL's mask.
  if (::fchmod(to, taken.Mode) != 0) return false;
  struct stat now;
  return ::fstat(to, &now) == 0 && now.st_uid == taken.Owner && now.st_gid == taken.Group &&
         (now.st_mode & 07777) == taken.Mode && FileFlags(to) == taken.Flags;
}

// The user's cache folder; "" where neither $XDG_CACHE_HOME nor $HOME names one.
std::string CacheFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  if (cache && cache[0] == '/') return cache;
  if (home && home[0] == '/') return Join(home, ".cache");
  return "";
}

// Makes the folders of 'path' that are missing, private to the user (as a
// cache folder is made); one that exists stays as it is.
void MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0700);
    if (slash == std::string::npos) break;
  }
}

// Whether 'folder' is the user's own folder, no link.
bool OwnFolder(const std::string& folder) {
  struct stat st;
  return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

// Whether 'folder', or where it would be made, is a file system in memory.
bool InMemory(std::string folder) {
  struct statfs fs;
  for (;;) {
    if (::statfs(folder.c_str(), &fs) == 0) break;
    if (errno != ENOENT || folder == "/" || folder == ".") return false;
    folder = FolderOf(folder);
  }
  return fs.f_type == static_cast<decltype(fs.f_type)>(TMPFS_MAGIC) ||
         fs.f_type == static_cast<decltype(fs.f_type)>(RAMFS_MAGIC);
}

// Folders for the safety copy of a file of 'oldSize' bytes that is to take
// 'newSize', best first: beside the file, the user's cache folder, the
// temporary folders. A copy on a file system in memory is lost with the
// power, so those come last; the file's own folder goes after the others
// where its disk cannot hold the copy and the grown text together.
std::vector<std::string> SafetyCopyFolders(const std::string& fileFolder, off_t oldSize, off_t newSize) {
  std::vector<std::string> folders = {fileFolder};
  const std::string cache = CacheFolder();
  if (!cache.empty()) folders.push_back(cache);
  const char* tmp = std::getenv("TMPDIR");
  if (tmp && tmp[0] == '/') folders.emplace_back(tmp);
  folders.emplace_back("/tmp");
  std::vector<std::pair<int, std::string>> ranked;
  for (const std::string& folder : folders) {
    bool seen = false;
    for (const auto& r : ranked) seen = seen || r.second == folder;
    if (seen) continue;
    int rank = InMemory(folder) ? 2 : 0;
    struct statvfs vfs;
    if (folder == fileFolder && ::statvfs(folder.c_str(), &vfs) == 0 &&
        static_cast<unsigned long long>(vfs.f_bavail) * vfs.f_frsize <
            static_cast<unsigned long long>(oldSize + std::max<off_t>(0, newSize - oldSize)))
      rank += 1;
    ranked.emplace_back(rank, folder);
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> best;
  for (auto& r : ranked) best.push_back(std::move(r.second));
  return best;
}

// A rename failure that means the folder cannot take the fresh file, where
// the text may still be written into the file itself.
bool FolderRefuses(int error) {
  switch (error) {
    case EACCES: case EPERM: case EBUSY: case EXDEV: case ENOSPC: case EDQUOT: case ENAMETOOLONG:
      return true;
    default:
      return false;
  }
}

// Renames 'from' to 'to' unless 'to' exists (EEXIST); where the file system
// cannot tell, a plain rename.
bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

class TFileSaveStream::TTarget {
 public:
  explicit TTarget(const AnsiString& fileName);
  ~TTarget();
  void Save(const std::string& data);

 private:
  void Open();
  void DropNew();
  bool StillOpen() const;
  bool Creating() const { return !FNew.Path().empty(); }
  bool SaveNew(const std::string& data);  // false: a file took the name meanwhile
  bool Replace(const std::string& data);  // false: write in place instead
  OwnFile WriteInPlace(const std::string& data);
  void PutOldBytesBack(OwnFile& copy);
  OwnFile KeepOldBytes(off_t newSize);
  EFCreateError Refused() const { return EFCreateError(Format(LibMsg::FCreateError, FName.c_str())); }
  EWriteUnconfirmed Unconfirmed() const {
    return EWriteUnconfirmed(Format(LibMsg::WriteUnconfirmed, FName.c_str()));
  }

  AnsiString FName;   // as given, for messages
  std::string FPath;  // links followed
  Fd FFile;           // the existing file
  struct stat FStat {};
  bool FReadable = true;
  OwnFile FNew;  // where no file was: the fresh file, removed unless saved
  struct stat FNewStat {};
};

TFileSaveStream::TTarget::TTarget(const AnsiString& fileName) : FName(fileName) { Open(); }

TFileSaveStream::TTarget::~TTarget() { DropNew(); }

// Removes the fresh file; one made under the name itself only while the
// name still holds it, so that a file put there meanwhile stays.
void TFileSaveStream::TTarget::DropNew() {
  struct stat st;
  if (Creating() && FNew.Path() == FPath &&
      (::lstat(FPath.c_str(), &st) != 0 || st.st_dev != FNewStat.st_dev || st.st_ino != FNewStat.st_ino))
    FNew.Keep();
  FNew.Remove();
}

// Opens what the name leads to now: the existing file, or a fresh file
// beside the name where there is none.
void TFileSaveStream::TTarget::Open() {
  FFile.Reset();
  DropNew();
  FReadable = true;
  for (int tries = 0; tries < kTries; ++tries) {
    if (!FollowLinks(FName, FPath)) throw Refused();
    struct stat st;
    if (::lstat(FPath.c_str(), &st) == 0) {
      if (S_ISLNK(st.st_mode)) continue;  // a link made meanwhile: followed by the rule
      // A device or pipe has no file's end to write to; it is not opened.
      if (!S_ISREG(st.st_mode)) throw Refused();
      // Without blocking, in case the name became a pipe meanwhile; the
      // links were followed above, so a link now is one planted meanwhile.
      const int flags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW;
      FFile.Reset(::open(FPath.c_str(), O_RDWR | flags));
      if (!FFile.Valid() && errno == EACCES) {
        FFile.Reset(::open(FPath.c_str(), O_WRONLY | flags));
        FReadable = false;
      }
      if (!FFile.Valid() && errno == ELOOP) continue;
      if (!FFile.Valid() || ::fstat(FFile.Get(), &FStat) != 0 || !S_ISREG(FStat.st_mode)) throw Refused();
      ::fcntl(FFile.Get(), F_SETFL, ::fcntl(FFile.Get(), F_GETFL) & ~O_NONBLOCK);
      return;
    }
    // The name appears only once the whole text is written; the fresh file
    // beside it gets the mode any new file gets. Where that name would be
    // too long, the file itself is made at once.
    if (errno != ENOENT) throw Refused();
    FNew = CreateUnique(FolderOf(FPath), BaseOf(FPath), kFreshSuffix, 0666);
    if (!FNew.Valid() && errno == ENAMETOOLONG) {
      const int fd = ::open(FPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0 && errno == EEXIST) continue;  // made meanwhile
      if (fd >= 0) FNew = OwnFile(Fd(fd), FPath);
    }
    if (!FNew.Valid() || ::fstat(FNew.Get(), &FNewStat) != 0) throw Refused();
    return;
  }
  throw Refused();
}

// Whether the name, through its links, still leads to what Open found.
bool TFileSaveStream::TTarget::StillOpen() const {
  std::string path;
  if (!FollowLinks(FName, path)) throw Refused();
  if (path != FPath) return false;
  struct stat st;
  if (::lstat(FPath.c_str(), &st) != 0) return errno == ENOENT && Creating() && FNew.Path() != FPath;
  if (Creating() && FNew.Path() != FPath) return false;  // a file took the name
  const struct stat& was = Creating() ? FNewStat : FStat;
  return S_ISREG(st.st_mode) && st.st_dev == was.st_dev && st.st_ino == was.st_ino;
}

void TFileSaveStream::TTarget::Save(const std::string& data) {
  // The text was made after the open: by now the name may lead elsewhere or
  // nowhere, and the file's owner, group, mode and links may have changed.
  // The save starts over on what the name leads to now.
  for (int round = 0; round < kRounds; ++round) {
    if (!StillOpen()) Open();
    if (Creating()) {
      if (SaveNew(data)) return;
      continue;
    }
    if (::fstat(FFile.Get(), &FStat) != 0) throw EWriteError(LibMsg::WriteError);
    if (Replace(data)) return;
    OwnFile copy = WriteInPlace(data);
    bool still;
    try {
      still = StillOpen();
    } catch (...) {
      PutOldBytesBack(copy);
      throw;
    }
    if (still) return;  // the copy goes with its holder
    // The name changed during the write: the file written is no longer the
    // one saved, and gets its old bytes back before the save starts over.
    PutOldBytesBack(copy);
  }
  throw EWriteError(LibMsg::WriteError);
}

bool TFileSaveStream::TTarget::SaveNew(const std::string& data) {
  // A folder the user may not read cannot be flushed itself; its file
  // system is flushed instead, through the file. Any other failure to open
  // it is an error.
  Fd folder(::open(FolderOf(FPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.Valid() && errno != EACCES) throw EWriteError(LibMsg::WriteError);
  if (!WriteAt(FNew.Get(), data.data(), data.size(), 0) || !Sync(FNew.Get()))
    throw EWriteError(LibMsg::WriteError);  // FNew removes the file
  Fd file(folder.Valid() ? -1 : ::dup(FNew.Get()));
  if (!FNew.Close()) throw EWriteError(LibMsg::WriteError);
  if (FNew.Path() != FPath && !RenameNoReplace(FNew.Path(), FPath)) {
    if (errno == EEXIST) return false;
    throw EWriteError(LibMsg::WriteError);
  }
  FNew.Keep();
  if (folder.Valid() ? !Sync(folder.Get()) : !file.Valid() || ::syncfs(file.Get()) != 0) throw Unconfirmed();
  return true;
}

bool TFileSaveStream::TTarget::Replace(const std::string& data) {
  if (FStat.st_nlink != 1) return false;  // the other names must keep sharing the file
  const std::string folderName = FolderOf(FPath);
  Fd folder(::open(folderName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.Valid()) return false;  // a rename that cannot be flushed is not made
  OwnFile fresh = CreateUnique(folderName, BaseOf(FPath), kFreshSuffix, 0600);
  if (!fresh.Valid()) return false;  // the folder cannot be written, is full, or the name too long
  FileFacts taken;
  if (!TakeOver(FFile.Get(), fresh.Get(), taken)) return false;
  if (!WriteAt(fresh.Get(), data.data(), data.size(), 0) || !Sync(fresh.Get())) {
    // Written in place, the text may still fit.
    if (NoRoomOrName(errno)) return false;
    throw EWriteError(LibMsg::WriteError);
  }
  // The file may have changed while the text was written (a new mode,
  // owner, ACL, or link): the fresh file takes it over again, and where the
  // file gained a name, the text goes into the file itself.
  for (int tries = 0;; ++tries) {
    FileFacts now;
    if (!ReadFacts(FFile.Get(), now)) return false;
    if (now.Links != 1) return false;
    if (now == taken) break;
    if (tries == kTries || !TakeOver(FFile.Get(), fresh.Get(), taken) || !Sync(fresh.Get())) return false;
  }
  if (!fresh.Close()) {
    if (NoRoomOrName(errno)) return false;
    throw EWriteError(LibMsg::WriteError);
  }
  if (::rename(fresh.Path().c_str(), FPath.c_str()) != 0) {
    // Only a folder that cannot take the fresh file sends the text into the
    // file itself; any other failure (the name became a folder) is an error.
    if (FolderRefuses(errno)) return false;
    throw EWriteError(LibMsg::WriteError);
  }
  fresh.Keep();
  // The name holds the text now; only the disk's word on it is missing.
  if (!Sync(folder.Get())) throw Unconfirmed();
  return true;
}

OwnFile TFileSaveStream::TTarget::KeepOldBytes(off_t newSize) {
  const std::string cache = CacheFolder();
  for (const std::string& listed : SafetyCopyFolders(FolderOf(FPath), FStat.st_size, newSize)) {
    // The copy's folder is followed by the same rule as the file's name;
    // the cache folder, which the user's variables name, must be the user's.
    std::string folder;
    if (!FollowLinks(listed, folder)) continue;
    if (listed == cache) {
      MakeFolders(folder);
      if (!OwnFolder(folder)) continue;
    }
    OwnFile copy = CreateUnique(folder, BaseOf(FPath), kOldTextSuffix, 0600);
    if (!copy.Valid()) continue;
    off_t copied = 0;
    const CopyResult result = CopyBytes(FFile.Get(), copy.Get(), copied);
    if (result == CopyResult::ReadFailed) throw EReadError(LibMsg::ReadError);
    if (result == CopyResult::Done && Sync(copy.Get()) && SyncFolder(FolderOf(copy.Path()))) return copy;
  }
  throw EWriteError(LibMsg::WriteError);
}

// Writes the text into the file, its old bytes kept in a safety copy that
// is handed back; a write that fails puts them back.
OwnFile TFileSaveStream::TTarget::WriteInPlace(const std::string& data) {
  // Without reading the old bytes nothing could put them back.
  if (!FReadable) throw Refused();
  OwnFile copy = KeepOldBytes(static_cast<off_t>(data.size()));
  const int fd = FFile.Get();
  if (WriteAt(fd, data.data(), data.size(), 0) && ::ftruncate(fd, static_cast<off_t>(data.size())) == 0 &&
      Sync(fd))
    return copy;
  PutOldBytesBack(copy);
  throw EWriteError(LibMsg::WriteError);
}

// Puts the old bytes from 'copy' back into the file written in place;
// where that fails, the copy stays and the error names it.
void TFileSaveStream::TTarget::PutOldBytesBack(OwnFile& copy) {
  const int fd = FFile.Get();
  off_t old = 0;
  if (CopyBytes(copy.Get(), fd, old) == CopyResult::Done && ::ftruncate(fd, old) == 0 && Sync(fd)) return;
  const std::string kept = copy.Path();
  copy.Keep();
  throw ESafetyCopyKept(kept);
}

// ---------------------------------------------------------------------------

TFileSaveStream::TFileSaveStream(const AnsiString& fileName) : FTarget(std::make_unique<TTarget>(fileName)) {}

TFileSaveStream::~TFileSaveStream() = default;

void TFileSaveStream::Commit() {
  if (!FTarget) throw EWriteError(LibMsg::WriteError);
  const std::unique_ptr<TTarget> target = std::move(FTarget);
  target->Save(FData);
}

ESafetyCopyKept::ESafetyCopyKept(const AnsiString& copyPath)
    : EWriteError(Format(LibMsg::WriteErrorCopyKept, copyPath.c_str())), FCopyPath(copyPath) {}

void IgnoreFileSizeSignal() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGXFSZ, &ignore, nullptr);
}
