// The test program's own open, read, pread, pwrite, fsync, syncfs and rename: the code under test is
// linked into the program, so its calls come here; each goes on to the
// kernel by the system call itself unless a fault is armed for its file.
#include "tests/common/IoFaults.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <mutex>

namespace {

struct Fault {
  std::atomic<bool> On{false};
  dev_t Dev = 0;
  ino_t Ino = 0;
  long long Good = 0;
  long long Done = 0;
  int Error = EIO;
};

Fault readFault, writeFault, syncFault;
std::atomic<bool> recording{false};
std::atomic<bool> openFaultOn{false};
std::string openFaultPath;
int openFaultError = EIO;
std::string renameTarget;
std::function<void()> beforeRename;
std::function<void()> beforeWrite;
bool beforeWriteAnyFile = true;
Fault beforeWriteFile;  // the file, where one was given
std::mutex syncedLock;
std::vector<std::pair<dev_t, ino_t>> synced;

bool Hits(const Fault& f, int fd) {
  if (!f.On) return false;
  struct stat st;
  return ::fstat(fd, &st) == 0 && st.st_dev == f.Dev && st.st_ino == f.Ino;
}

void Arm(Fault& f, const std::string& path, long long good, int error) {
  const auto [dev, ino] = iofaults::InodeOf(path);
  f.Dev = dev;
  f.Ino = ino;
  f.Good = good;
  f.Done = 0;
  f.Error = error;
  f.On = true;
}

ssize_t FaultyWrite(int fd, const void* buf, size_t n, off_t offset) {
  if (beforeWrite && (beforeWriteAnyFile || Hits(beforeWriteFile, fd))) {
    const std::function<void()> act = std::move(beforeWrite);
    beforeWrite = nullptr;
    act();
  }
  if (Hits(writeFault, fd)) {
    errno = writeFault.Error;
    return -1;
  }
  return ::syscall(SYS_pwrite64, fd, buf, n, offset);
}

// A read of 'n' bytes by 'call' (read or pread), cut short or failed once
// the armed file has given its good bytes.
template <typename Call>
ssize_t FaultyRead(int fd, size_t n, Call call) {
  if (Hits(readFault, fd)) {
    const long long left = readFault.Good - readFault.Done;
    if (left <= 0) {
      errno = readFault.Error;
      return -1;
    }
    if (static_cast<long long>(n) > left) n = static_cast<size_t>(left);
    const ssize_t got = call(n);
    if (got > 0) readFault.Done += got;
    return got;
  }
  return call(n);
}

ssize_t FaultyPread(int fd, void* buf, size_t n, off_t offset) {
  return FaultyRead(fd, n, [&](size_t k) { return static_cast<ssize_t>(::syscall(SYS_pread64, fd, buf, k, offset)); });
}

}  // namespace

extern "C" ssize_t read(int fd, void* buf, size_t n) {
  return FaultyRead(fd, n, [&](size_t k) { return static_cast<ssize_t>(::syscall(SYS_read, fd, buf, k)); });
}

extern "C" ssize_t pread(int fd, void* buf, size_t n, off_t offset) { return FaultyPread(fd, buf, n, offset); }

extern "C" ssize_t pread64(int fd, void* buf, size_t n, off64_t offset) { return FaultyPread(fd, buf, n, offset); }

extern "C" ssize_t pwrite(int fd, const void* buf, size_t n, off_t offset) { return FaultyWrite(fd, buf, n, offset); }

extern "C" ssize_t pwrite64(int fd, const void* buf, size_t n, off64_t offset) {
  return FaultyWrite(fd, buf, n, offset);
}

extern "C" int fsync(int fd) {
  if (recording) {
    struct stat st;
    if (::fstat(fd, &st) == 0) {
      std::lock_guard<std::mutex> hold(syncedLock);
      synced.emplace_back(st.st_dev, st.st_ino);
    }
  }
  if (Hits(syncFault, fd)) {
    errno = syncFault.Error;
    return -1;
  }
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

extern "C" int syncfs(int fd) {
  if (recording) {
    struct stat st;
    if (::fstat(fd, &st) == 0) {
      std::lock_guard<std::mutex> hold(syncedLock);
      synced.emplace_back(st.st_dev, 0);
    }
  }
  return static_cast<int>(::syscall(SYS_syncfs, fd));
}

namespace {

int FaultyOpen(const char* path, int flags, va_list args) {
  // The mode argument is there only for a file the call may create.
  const mode_t mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, mode_t) : 0;
  if (openFaultOn && openFaultPath == path) {
    errno = openFaultError;
    return -1;
  }
  return static_cast<int>(::syscall(SYS_openat, AT_FDCWD, path, flags, mode));
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const int fd = FaultyOpen(path, flags, args);
  va_end(args);
  return fd;
}

extern "C" int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const int fd = FaultyOpen(path, flags, args);
  va_end(args);
  return fd;
}

extern "C" int rename(const char* from, const char* to) {
  if (beforeRename && renameTarget == to) {
    const std::function<void()> act = std::move(beforeRename);
    beforeRename = nullptr;
    act();
  }
  return static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 0));
}

namespace iofaults {

void FailOpens(const std::string& path, int error) {
  openFaultOn = false;
  openFaultPath = path;
  openFaultError = error;
  openFaultOn = true;
}

void BeforeRenameTo(const std::string& path, std::function<void()> act) {
  renameTarget = path;
  beforeRename = std::move(act);
}

void BeforeWrite(std::function<void()> act, const std::string& path) {
  beforeWriteAnyFile = path.empty();
  if (!path.empty()) Arm(beforeWriteFile, path, 0, 0);
  beforeWrite = std::move(act);
}

std::pair<dev_t, ino_t> InodeOf(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return {0, 0};
  return {st.st_dev, st.st_ino};
}

void FailReadsAfter(const std::string& path, long long goodBytes, int error) {
  Arm(readFault, path, goodBytes, error);
}

void FailWrites(const std::string& path, int error) { Arm(writeFault, path, 0, error); }

void FailSyncs(const std::string& path, int error) { Arm(syncFault, path, 0, error); }

void RecordSyncs() {
  std::lock_guard<std::mutex> hold(syncedLock);
  synced.clear();
  recording = true;
}

std::vector<std::pair<dev_t, ino_t>> Synced() {
  std::lock_guard<std::mutex> hold(syncedLock);
  return synced;
}

void Clear() {
  readFault.On = false;
  writeFault.On = false;
  syncFault.On = false;
  openFaultOn = false;
  beforeRename = nullptr;
  beforeWrite = nullptr;
  recording = false;
  std::lock_guard<std::mutex> hold(syncedLock);
  synced.clear();
}

}  // namespace iofaults
