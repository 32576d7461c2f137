// Files for tests: whole contents as bytes, and a temporary folder removed
// with its contents when the test ends.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << data;
}

// A temporary folder whose paths are file-system bytes, made under TMPDIR
// (or /tmp) and removed with its contents when the test ends, folders that a
// test made unreadable or unwritable included.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sorvelan-test-XXXXXX").string();
    if (::mkdtemp(pattern.data())) FRoot = pattern;
  }
  ~TempDir() {
    if (FRoot.empty()) return;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(FRoot, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
    }
    ::chmod(FRoot.c_str(), 0700);
    std::filesystem::remove_all(FRoot, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string Path(const std::string& name) const { return FRoot + "/" + name; }
  std::string Root() const { return FRoot; }

 private:
  std::string FRoot;
};
