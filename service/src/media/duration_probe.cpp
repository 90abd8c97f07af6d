#include "duration_probe.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

extern char** environ;

namespace orvane::service::media {
namespace {

constexpr std::size_t kMaxOutputBytes = 4096;

class Pipe {
 public:
  Pipe() {
    if (::pipe2(fds_, O_CLOEXEC) != 0) fds_[0] = fds_[1] = -1;
  }
  ~Pipe() {
    closeRead();
    closeWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  bool ok() const { return fds_[0] >= 0; }
  int read() const { return fds_[0]; }
  int write() const { return fds_[1]; }
  void closeRead() { closeFd(fds_[0]); }
  void closeWrite() { closeFd(fds_[1]); }

 private:
  static void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  int fds_[2];
};

// Reads the child's output until it closes it or the deadline passes; false on the deadline.
bool readUntil(int fd, std::chrono::steady_clock::time_point deadline, std::string& output) {
  char buffer[512];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd waiting{fd, POLLIN, 0};
    const int ready = ::poll(&waiting, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return ready == 0 ? false : true;
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return true;
    if (output.size() < kMaxOutputBytes) output.append(buffer, static_cast<std::size_t>(got));
  }
}

std::optional<double> parseSeconds(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.remove_suffix(1);
  double seconds = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds) || seconds <= 0) {
    return std::nullopt;
  }
  return seconds;
}

}  // namespace

ProbeResult probeDuration(const std::filesystem::path& file, std::string_view demuxer,
                          const ProbeOptions& options) {
  // "file:" keeps a name from being read as another protocol; the whitelist keeps the file's own
  // references (playlists, external tracks) from reaching anything but local files.
  std::vector<std::string> arguments{options.ffprobe.string(),
                                     "-v",
                                     "error",
                                     "-protocol_whitelist",
                                     "file",
                                     "-f",
                                     std::string(demuxer),
                                     "-show_entries",
                                     "format=duration",
                                     "-of",
                                     "default=nw=1:nk=1",
                                     "file:" + std::filesystem::absolute(file).string()};
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  Pipe output;
  if (!output.ok()) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, output.write(), STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int spawned = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  output.closeWrite();
  if (spawned != 0) return {};

  std::string text;
  const bool finished = readUntil(output.read(), std::chrono::steady_clock::now() + options.timeout, text);
  if (!finished) ::kill(child, SIGKILL);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!finished) return {};
  // 127: the executable was not there (posix_spawn may report it only through the exit status).
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return {};
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {ProbeResult::Status::unreadable, std::nullopt};
  return {ProbeResult::Status::measured, parseSeconds(text)};
}

}  // namespace orvane::service::media
