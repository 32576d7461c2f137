// Small measuring helpers shared by the bench programs.
#pragma once

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

namespace bench {

// A "kB" field of /proc/self/status (VmHWM, VmRSS...), or -1.
inline long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(key) + ":";
  while (std::getline(in, line))
    if (line.compare(0, prefix.size(), prefix) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
  return -1;
}

inline double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace bench
