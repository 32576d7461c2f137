// Faults of the file system for tests: reads of one file that fail after a
// number of bytes, writes to one file that fail, flushes of one file or
// folder that fail, opens of one path that fail, changes made just before a
// write or a rename, and a record of what was flushed. The program's own
// calls of open, read, pread, pwrite, fsync, syncfs and rename reach them
// (IoFaults.cpp defines those functions in the test program, passing every
// other call straight to the kernel); a test program that uses this header
// links the io_faults library.
#pragma once

#include <sys/types.h>

#include <cerrno>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace iofaults {

// Reads of the file at 'path' (by its inode, through any descriptor, read
// and pread alike) give
// 'goodBytes' bytes in all, then fail with 'error'.
void FailReadsAfter(const std::string& path, long long goodBytes, int error = EIO);
// Positioned writes to the file at 'path' fail with 'error'.
void FailWrites(const std::string& path, int error = EIO);
// Flushes (fsync) of the file or folder at 'path' fail with 'error'.
void FailSyncs(const std::string& path, int error = EIO);
// Opens (open) of exactly the path 'path' fail with 'error'.
void FailOpens(const std::string& path, int error);
// Runs 'act' once, just before the program's next rename to 'path' (a
// change another program makes at the last moment).
void BeforeRenameTo(const std::string& path, std::function<void()> act);
// Runs 'act' once, just before the program's next positioned write (to the
// file at 'path', by its inode, where one is given): a change another
// program makes while the text is written.
void BeforeWrite(std::function<void()> act, const std::string& path = "");
// Starts recording the inodes that fsync flushes, and the file systems that
// syncfs flushes (as the device and inode 0).
void RecordSyncs();
// The (device, inode) pairs flushed since RecordSyncs, in order.
std::vector<std::pair<dev_t, ino_t>> Synced();
// The (device, inode) of a path, or a pair of zeros.
std::pair<dev_t, ino_t> InodeOf(const std::string& path);
// Every fault and record off again.
void Clear();

// Clears on leaving the scope, so a failed assertion leaves no fault behind.
struct Scope {
  Scope() = default;
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;
  ~Scope() { Clear(); }
};

}  // namespace iofaults
