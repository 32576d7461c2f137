// Runs one test of this same test program again on a real X server: under
// xvfb-run, with the xcb platform, in a clean environment of its own (no
// session bus, a temporary home and runtime folder, no settings of the
// user's desktop, the C.UTF-8 locale), so what it checks does not depend on
// the machine's session.
//
// The test itself is both runs: in the first it calls Run with its own name,
// in the second (InChild) it does the checks on the X server.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace xcbchild {

// Set in the child's environment; a test body that sees it runs the
// checks on the X server instead of starting a child.
inline constexpr const char* kFlag = "SORVELAN_XCB_CHILD";

inline bool InChild() { return std::getenv(kFlag) != nullptr; }

// 'text' quoted for the shell.
inline std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

struct Result {
  int ExitCode = -1;
  std::string Log;  // the child's standard output and error
  // The child ran its one test and it passed (a filter that matched
  // nothing would pass too, with no test run).
  bool Passed() const { return ExitCode == 0 && Log.find("[  PASSED  ] 1 test") != std::string::npos; }
};

// Runs the test 'test' ("Suite.Name") of this program under xvfb-run on a
// screen of 'screen' (width x height x depth) with the extra variables 'env';
// waits for it and returns its exit code and log.
inline Result Run(const std::string& test, const std::map<std::string, std::string>& env = {},
                  const std::string& screen = "1280x800x24") {
  namespace fs = std::filesystem;
  std::string scratch = (fs::temp_directory_path() / "sorvelan-xcb-XXXXXX").string();
  Result r;
  if (!mkdtemp(scratch.data())) {
    r.Log = "no temporary folder";
    return r;
  }
  const std::string home = scratch + "/home", runtime = scratch + "/run", log = scratch + "/log";
  fs::create_directories(home);
  fs::create_directories(runtime);
  chmod(runtime.c_str(), 0700);

  std::map<std::string, std::string> vars = {
      {"PATH", std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin"},
      {"HOME", home},
      {"XDG_RUNTIME_DIR", runtime},
      {"XDG_CONFIG_HOME", home + "/.config"},
      {"XDG_CACHE_HOME", home + "/.cache"},
      {"XDG_DATA_HOME", home + "/.local/share"},
      {"DBUS_SESSION_BUS_ADDRESS", "disabled:"},
      {"LC_ALL", "C.UTF-8"},
      {"QT_QPA_PLATFORM", "xcb"},
      {kFlag, "1"},
  };
  // The sanitizers' settings of the parent run go on to the child.
  for (const char* keep : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "TMPDIR"})
    if (const char* v = std::getenv(keep)) vars[keep] = v;
  for (const auto& [k, v] : env) vars[k] = v;

  std::string cmd = "env -i";
  for (const auto& [k, v] : vars) cmd += " " + k + "=" + Quoted(v);
  const std::string exe = fs::read_symlink("/proc/self/exe").string();
  // A child stuck in a modal loop is ended rather than holding the run.
  cmd += " timeout -k 10 120 xvfb-run -a -s " + Quoted("-screen 0 " + screen) + " " + Quoted(exe) + " " +
         Quoted("--gtest_filter=" + test) + " >" + Quoted(log) + " 2>&1";
  const int status = std::system(cmd.c_str());
  r.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(log);
  std::stringstream ss;
  ss << in.rdbuf();
  r.Log = ss.str();
  std::error_code ignored;
  fs::remove_all(scratch, ignored);
  return r;
}

}  // namespace xcbchild
