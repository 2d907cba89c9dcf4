// Runs a command and records what it cost:
//   measure_run OUTFILE COMMAND [ARG...]
// writes "WALL_S USER_S SYS_S MAXRSS_KIB STATUS" (one line) to OUTFILE. Wall time comes from the
// monotonic clock, CPU time and peak resident memory from the child's rusage, which /usr/bin/time
// reports only to the hundredth of a second.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>

namespace {

double Seconds(const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; }

// The command's exit status, 128 + signal when a signal ended it.
int StatusOf(int waitStatus) {
  if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
  return 128 + WTERMSIG(waitStatus);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: measure_run OUTFILE COMMAND [ARG...]\n";
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child < 0) return 127;
  if (child == 0) {
    ::execvp(argv[2], argv + 2);
    std::perror(argv[2]);
    ::_exit(127);
  }
  int waitStatus = 0;
  rusage usage{};
  while (::wait4(child, &waitStatus, 0, &usage) < 0) {
    if (errno != EINTR) return 127;
  }
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  std::ofstream out(argv[1], std::ios::trunc);
  char line[160];
  std::snprintf(line, sizeof line, "%.6f %.6f %.6f %ld %d\n", wall.count(), Seconds(usage.ru_utime),
                Seconds(usage.ru_stime), usage.ru_maxrss, StatusOf(waitStatus));
  out << line;
  return out ? StatusOf(waitStatus) : 127;
}
