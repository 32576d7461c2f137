// Runs part of a test as an ordinary user. The tests run as root on CI, and
// root may write any file, so a permission case forks a child that drops to
// uid 65534 ('nobody') for good, with groups of the test's choosing, and
// hands back what it found as text. Only the kernel's refusal to switch
// (not running as root) makes a case skip.
#pragma once

#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace asuser {

inline constexpr uid_t kUser = 65534;         // the user who saves
inline constexpr gid_t kUserGroup = 65534;    // that user's own group
inline constexpr gid_t kSharedGroup = 65530;  // a group that user belongs to
inline constexpr uid_t kOtherUser = 65531;    // owns the files of other users
inline constexpr gid_t kOtherGroup = 65531;   // a group that user is not in

struct Result {
  std::string Skipped;  // why the child could not become the user; empty when it did
  std::string Output;   // what the body returned
  std::string Failure;  // how the child ended, when not by returning
};

namespace detail {
inline void WriteAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}
}  // namespace detail

// Runs 'body' in a forked child as 'uid' with the primary group 'gid' and
// the supplementary 'groups'. The child leaves with _exit, so nothing of the
// test program (its exit handlers, the sanitizers' leak check) runs there;
// an exception from the body comes back as "exception: <text>".
inline Result Run(const std::function<std::string()>& body, uid_t uid = kUser, gid_t gid = kUserGroup,
                  const std::vector<gid_t>& groups = {kSharedGroup}, bool switchUser = true) {
  Result r;
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) {
    r.Failure = "no pipe";
    return r;
  }
  const pid_t pid = ::fork();
  if (pid < 0) {
    r.Failure = "no fork";
    return r;
  }
  if (pid == 0) {
    ::close(pipeFds[0]);
    const char* step = nullptr;
    if (!switchUser) {
      // the caller's own user
    } else if (::setgroups(groups.size(), groups.data()) != 0) step = "setgroups";
    else if (::setresgid(gid, gid, gid) != 0) step = "setresgid";
    else if (::setresuid(uid, uid, uid) != 0) step = "setresuid";
    else if (::setresuid(0, 0, 0) == 0) step = "dropping root";
    if (step) {
      detail::WriteAll(pipeFds[1], std::string(1, '\1') + step + ": " + std::strerror(errno));
      ::_exit(0);
    }
    std::string out;
    try {
      out = body();
    } catch (const std::exception& e) {
      out = std::string("exception: ") + e.what();
    }
    detail::WriteAll(pipeFds[1], out);
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  std::string got;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
    if (n > 0) got.append(buf, static_cast<size_t>(n));
  ::close(pipeFds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!got.empty() && got[0] == '\1') {
    r.Skipped = "the kernel refused to act as uid " + std::to_string(uid) + " (" + got.substr(1) + ")";
    return r;
  }
  r.Output = got;
  if (WIFSIGNALED(status))
    r.Failure = std::string("the child was killed by signal ") + ::strsignal(WTERMSIG(status));
  else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    r.Failure = "the child ended with status " + std::to_string(status);
  return r;
}

// Runs 'body' in a forked child as this process's own user, for a case that
// changes what belongs to the whole process (limits, mounts, variables).
inline Result InChild(const std::function<std::string()>& body) { return Run(body, 0, 0, {}, false); }

}  // namespace asuser
