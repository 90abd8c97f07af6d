#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <utility>

extern char** environ;

namespace orvane::service::cli {
namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

// Reads what is there from each open descriptor until `until` says stop, both close, or the deadline.
template <typename Until>
void pump(int& out, std::string& outBuffer, int& err, std::string& errBuffer, Clock::time_point deadline,
          Until until) {
  while (!until() && (out >= 0 || err >= 0)) {
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    const int ready = ::poll(fds, 2, remainingMs(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return;
    char buffer[4096];
    for (int i = 0; i < 2; ++i) {
      int& fd = i == 0 ? out : err;
      if (fd < 0 || fds[i].revents == 0) continue;
      const ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got > 0) {
        (i == 0 ? outBuffer : errBuffer).append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        ::close(fd);
        fd = -1;
      }
    }
  }
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& environment) {
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (environment.count(text.substr(0, text.find('='))) == 0) variables.push_back(text);
  }
  for (const auto& [name, value] : environment) variables.push_back(name + "=" + value);
  std::vector<char*> envp, argv;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  std::vector<std::string> copies = arguments;
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);

  int outPipe[2], errPipe[2];
  if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
  const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  out_ = outPipe[0];
  err_ = errPipe[0];
  if (spawned != 0) {
    pid_ = -1;
    throw std::runtime_error("cannot start " + arguments.front());
  }
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !status_) {
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  if (out_ >= 0) ::close(out_);
  if (err_ >= 0) ::close(err_);
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
  pump(out_, outBuffer_, err_, errBuffer_, Clock::now() + timeout,
       [&] { return outBuffer_.find('\n') != std::string::npos; });
  const std::size_t end = outBuffer_.find('\n');
  if (end == std::string::npos) return std::nullopt;
  std::string line = outBuffer_.substr(0, end);
  outBuffer_.erase(0, end + 1);
  return line;
}

void ChildProcess::signal(int number) {
  if (pid_ > 0 && !status_) ::kill(pid_, number);
}

void ChildProcess::drain(std::chrono::milliseconds timeout) {
  pump(out_, outBuffer_, err_, errBuffer_, Clock::now() + timeout, [] { return false; });
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!status_) {
    // The outputs are read meanwhile, so a chatty child never blocks on a full pipe.
    drain(std::chrono::milliseconds(std::min(50, remainingMs(deadline))));
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    } else if (Clock::now() >= deadline) {
      return std::nullopt;
    }
  }
  return status_;
}

std::string ChildProcess::remainingOutput() {
  drain(std::chrono::seconds(5));
  return std::exchange(outBuffer_, {});
}

std::string ChildProcess::errorOutput() {
  drain(std::chrono::seconds(5));
  return std::exchange(errBuffer_, {});
}

Finished runToEnd(const std::vector<std::string>& arguments,
                  const std::map<std::string, std::string>& environment) {
  ChildProcess child(arguments, environment);
  const std::optional<int> status = child.wait(std::chrono::seconds(60));
  Finished finished;
  finished.status = status.value_or(-1);
  finished.out = child.remainingOutput();
  finished.err = child.errorOutput();
  return finished;
}

}  // namespace orvane::service::cli
