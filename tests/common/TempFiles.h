// Files for tests: whole contents as bytes, and a temporary folder removed
// with its contents when the test ends.
#pragma once

#include <QTemporaryDir>
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

// A temporary folder whose paths are file-system bytes.
class TempDir {
 public:
  std::string Path(const std::string& name) const { return FDir.path().toStdString() + "/" + name; }
  std::string Root() const { return FDir.path().toStdString(); }

 private:
  QTemporaryDir FDir;
};
