// A test program started by hand, with no platform chosen and no display,
// runs its windows offscreen instead of stopping at the missing display.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/common/TestApp.h"
#include "tests/common/XcbChild.h"

namespace {

constexpr const char* kChildFlag = "SORVELAN_NO_PLATFORM_CHILD";

TEST(TestProgram, RunsOffscreenWhenNoPlatformIsChosen) {
  if (std::getenv(kChildFlag)) {
    TestApp();
    EXPECT_EQ(QGuiApplication::platformName(), "offscreen");
    return;
  }
  const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string cmd = "env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY " + std::string(kChildFlag) + "=1 " +
                          xcbchild::Quoted(exe) + " --gtest_filter=TestProgram.RunsOffscreenWhenNoPlatformIsChosen" +
                          " >/dev/null 2>&1";
  const int status = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

}  // namespace
