// Runs this test program again on a real X server: a fresh Xvfb started by
// xvfb-run, the xcb platform, and one test selected by its gtest filter.
//
// The child gets a small environment of its own, so that what it does cannot
// depend on the machine's session: no session bus (Qt would otherwise reach
// for one, and libdbus leaks on the way), a home folder and runtime folder
// that exist only for the run, a fixed locale, and no desktop settings. Only
// PATH and the sanitizers' options are passed on, plus what the caller adds.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace xvfb_child {

struct Result {
  bool Started = false;  // xvfb-run could be started at all
  int ExitCode = -1;     // the child's exit status; -1 when it did not exit normally
  std::string Log;       // everything the child and xvfb-run printed
};

using EnvList = std::vector<std::pair<std::string, std::string>>;

// True in the second run, the one inside Xvfb.
inline bool InChild() { return std::getenv("SORVELAN_XVFB_CHILD") != nullptr; }

// Where xvfb-run is, or "" when it is not installed.
inline std::string FindXvfbRun() {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    std::string candidate = (dir.empty() ? std::string(".") : dir) + "/xvfb-run";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

// Starts `xvfb-run -a -s "-screen 0 <screen>" <this program> --gtest_filter=<filter>`
// and waits for it. `extra` adds or overrides environment variables.
inline Result Run(const std::string& filter, const EnvList& extra = {},
                  const std::string& screen = "1024x768x24") {
  Result result;
  const std::string xvfbRun = FindXvfbRun();
  if (xvfbRun.empty()) {
    result.Log = "xvfb-run is not installed";
    return result;
  }

  char dirTemplate[] = "/tmp/sorvelan-xvfb-XXXXXX";
  if (!mkdtemp(dirTemplate)) {
    result.Log = "cannot make a temporary folder";
    return result;
  }
  const std::string root = dirTemplate;
  const std::string home = root + "/home", runtime = root + "/run", log = root + "/log";
  mkdir(home.c_str(), 0700);
  mkdir(runtime.c_str(), 0700);

  EnvList env = {
      {"SORVELAN_XVFB_CHILD", "1"},
      {"QT_QPA_PLATFORM", "xcb"},
      {"DBUS_SESSION_BUS_ADDRESS", "disabled:"},
      {"HOME", home},
      {"XDG_RUNTIME_DIR", runtime},
      {"XDG_CONFIG_HOME", home + "/.config"},
      {"XDG_CACHE_HOME", home + "/.cache"},
      {"LC_ALL", "C.UTF-8"},
  };
  for (const char* name : {"PATH", "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "TMPDIR"})
    if (const char* value = std::getenv(name)) env.emplace_back(name, value);
  for (const auto& [name, value] : extra) {
    bool replaced = false;
    for (auto& entry : env)
      if (entry.first == name) entry.second = value, replaced = true;
    if (!replaced) env.emplace_back(name, value);
  }
  std::vector<std::string> envText;
  for (const auto& [name, value] : env) envText.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (auto& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);

  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::vector<std::string> args = {xvfbRun, "-a", "-s", "-screen 0 " + screen, self,
                                   "--gtest_filter=" + filter};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, xvfbRun.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc == 0) {
    result.Started = true;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) result.ExitCode = WEXITSTATUS(status);
  }
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  result.Log = text.str();
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
  return result;
}

}  // namespace xvfb_child
