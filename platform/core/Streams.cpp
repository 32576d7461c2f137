// Streams over file descriptors, memory and strings.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/core/Classes.h"

void TStream::ReadBuffer(void* buffer, int count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError(LibMsg::ReadError);
}

void TStream::WriteBuffer(const void* buffer, int count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError(LibMsg::WriteError);
}

int64_t TStream::GetSize() {
  int64_t pos = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

// ---------------------------------------------------------------------------

int THandleStream::Read(void* buffer, int count) {
  if (count <= 0) return 0;
  int done = 0;
  while (done < count) {
    ssize_t n = ::read(FHandle, static_cast<char*>(buffer) + done, static_cast<size_t>(count - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      // Bytes read before the error are not the whole: a short count would
      // pass for the end of the file.
      return -1;
    }
    if (n == 0) break;
    done += static_cast<int>(n);
  }
  return done;
}

int THandleStream::Write(const void* buffer, int count) {
  if (count <= 0) return 0;
  int done = 0;
  while (done < count) {
    ssize_t n = ::write(FHandle, static_cast<const char*>(buffer) + done, static_cast<size_t>(count - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return done > 0 ? done : -1;
    }
    done += static_cast<int>(n);
  }
  return done;
}

int64_t THandleStream::Seek(int64_t offset, int origin) {
  int whence = origin == soCurrent ? SEEK_CUR : origin == soEnd ? SEEK_END : SEEK_SET;
  off_t r = ::lseek(FHandle, static_cast<off_t>(offset), whence);
  return static_cast<int64_t>(r);
}

void THandleStream::SetSize(int64_t newSize) {
  int64_t pos = GetPosition();
  if (::ftruncate(FHandle, static_cast<off_t>(newSize)) != 0) throw EStreamError(LibMsg::WriteError);
  if (pos > newSize) Seek(newSize, soBeginning);
}

TFileStream::TFileStream(const AnsiString& fileName, unsigned short mode) : THandleStream(-1), FFileName(fileName) {
  if (mode == fmCreate) {
    FHandle = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (FHandle < 0) throw EFCreateError(Format(LibMsg::FCreateError, fileName.c_str()));
  } else {
    int access = mode & 3;
    int flags = access == fmOpenWrite ? O_WRONLY : access == fmOpenReadWrite ? O_RDWR : O_RDONLY;
    // Non-blocking, so that a named pipe without a writer cannot hold the
    // open; only regular files are kept (a pipe or device has no file's end).
    FHandle = ::open(fileName.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
    if (FHandle >= 0) {
      struct stat st;
      if (::fstat(FHandle, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(FHandle);
        FHandle = -1;
      } else {
        ::fcntl(FHandle, F_SETFL, ::fcntl(FHandle, F_GETFL) & ~O_NONBLOCK);
      }
    }
    if (FHandle < 0) throw EFOpenError(Format(LibMsg::FOpenError, fileName.c_str()));
  }
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

// ---------------------------------------------------------------------------

// ---------------------------------------------------------------------------
// A string stream is a byte string and a position that may lie past its
// end (a write there fills the gap with zeros).

namespace {
template <typename Bytes>
int ReadFrom(const Bytes& data, int64_t& pos, void* buffer, int count) {
  if (count <= 0 || pos >= static_cast<int64_t>(data.size())) return 0;
  int n = static_cast<int>(std::min<int64_t>(count, static_cast<int64_t>(data.size()) - pos));
  std::memcpy(buffer, data.data() + pos, static_cast<size_t>(n));
  pos += n;
  return n;
}

template <typename Bytes>
int WriteTo(Bytes& data, int64_t& pos, const void* buffer, int count) {
  if (count <= 0) return 0;
  size_t end = static_cast<size_t>(pos) + static_cast<size_t>(count);
  if (end > data.size()) data.resize(end, '\0');
  std::memcpy(data.data() + pos, buffer, static_cast<size_t>(count));
  pos += count;
  return count;
}

template <typename Bytes>
int64_t SeekIn(const Bytes& data, int64_t& pos, int64_t offset, int origin) {
  int64_t base = origin == soCurrent ? pos : origin == soEnd ? static_cast<int64_t>(data.size()) : 0;
  int64_t p = base + offset;
  if (p < 0) p = 0;  // a position before the start is held at the start
  pos = p;
  return pos;
}

template <typename Bytes>
void ResizeTo(Bytes& data, int64_t& pos, int64_t newSize) {
  if (newSize < 0) newSize = 0;
  data.resize(static_cast<size_t>(newSize), '\0');
  if (pos > newSize) pos = newSize;
}
}  // namespace

int TStringStream::Read(void* buffer, int count) { return ReadFrom(FData, FPosition, buffer, count); }
int TStringStream::Write(const void* buffer, int count) { return WriteTo(FData, FPosition, buffer, count); }
int64_t TStringStream::Seek(int64_t offset, int origin) { return SeekIn(FData, FPosition, offset, origin); }

void TStringStream::SetSize(int64_t newSize) { ResizeTo(FData, FPosition, newSize); }

// The content of a save is gathered as a string stream's is (the saving
// itself is in FileSave.cpp).
int TFileSaveStream::Read(void* buffer, int count) { return ReadFrom(FData, FPosition, buffer, count); }
int TFileSaveStream::Write(const void* buffer, int count) { return WriteTo(FData, FPosition, buffer, count); }
int64_t TFileSaveStream::Seek(int64_t offset, int origin) { return SeekIn(FData, FPosition, offset, origin); }

void TFileSaveStream::SetSize(int64_t newSize) { ResizeTo(FData, FPosition, newSize); }
