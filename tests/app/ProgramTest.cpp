// The program's start-up, run as main() runs it in a process of its own.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/Program.h"
#include "app/Unit1.h"
#include "tests/common/TempFiles.h"

namespace {

const char* const kChildFlag = "SORVELAN_STARTUP_CHILD";

// Runs the test 'test' of this program again in a child process with
// 'folder' in its environment; the child's wait status and its output.
int RunChild(const std::string& test, const std::string& folder, std::string& log) {
  const std::string logPath = folder + "/child.log";
  const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string filter = "--gtest_filter=" + test;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv(kChildFlag, folder.c_str(), 1);
    if (FILE* out = std::freopen(logPath.c_str(), "w", stdout)) ::dup2(::fileno(out), 2);
    ::execl(exe.c_str(), exe.c_str(), filter.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  log = ReadAll(logPath);
  return status;
}

// A process whose file size limit lies below the text is sent SIGXFSZ,
// which would end it; the program ignores it from start-up, so the save is
// an ordinary write error that leaves the text edited and nothing behind.
TEST(Program, AFileSizeLimitMakesASaveFailInsteadOfEndingTheProgram) {
  if (const char* folder = std::getenv(kChildFlag)) {
    // The signal at its default, as a fresh process has it.
    std::signal(SIGXFSZ, SIG_DFL);
    const rlimit limit{4096, RLIM_INFINITY};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const std::string out = std::string(folder) + "/out.txt";
    static char name[] = "sorvelan";
    static char* argv[] = {name, nullptr};
    std::vector<std::string> boxes;
    bool edited = false;
    RunSorvelan(1, argv, [&] {
      MessageBoxHook = [&](const TMessageBoxRequest& r) {
        boxes.push_back(r.Text.toStdString());
        return mrNo;  // also the close question
      };
      Form1->SaveDialog1->ExecuteHook = [&](AnsiString& n) {
        n = out;
        return true;
      };
      Form1->AFEdit2->SetLine(0, std::string(10000, 'x'));
      Form1->FileSaveAs1->trigger();
      edited = Form1->AFEdit2->isEdited();
      Form1->close();
    });
    MessageBoxHook = nullptr;
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "ストリームの書き込みエラー");
    EXPECT_TRUE(edited);
    EXPECT_FALSE(std::filesystem::exists(out));
    return;
  }
  TempDir dir;
  std::string log;
  const int status =
      RunChild("Program.AFileSizeLimitMakesASaveFailInsteadOfEndingTheProgram", dir.Root(), log);
  ASSERT_FALSE(WIFSIGNALED(status)) << "ended by " << ::strsignal(WTERMSIG(status)) << "\n" << log;
  EXPECT_EQ(WEXITSTATUS(status), 0) << log;
  EXPECT_NE(log.find("[  PASSED  ] 1 test"), std::string::npos) << log;
  // Only the child's log is in the folder: no fresh file was left.
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.Root())) names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"child.log"});
}

}  // namespace
