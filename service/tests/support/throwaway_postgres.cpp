#include "support/throwaway_postgres.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "storage/sql_connection.h"

extern char** environ;

namespace orvane::service::test_support {
namespace {

const std::filesystem::path postgresBin = "/usr/lib/postgresql/15/bin";

// Runs a program, its output appended to `log`; the exit status, or -1 when it could not start.
int runProgram(const std::vector<std::string>& arguments, const std::filesystem::path& log) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid = 0;
  int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string tail(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  std::string all = text.str();
  return all.size() > 2000 ? all.substr(all.size() - 2000) : all;
}

// Creates the scratch folder and a watcher process that deletes it (stopping the cluster first)
// once this process is gone: the watcher waits for the end of a pipe only this process holds.
class Scratch {
 public:
  Scratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-service-tests-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    folder_ = pattern;
    // An unprivileged cluster owner must pass through to its own folder inside.
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all |
                                              std::filesystem::perms::group_exec |
                                              std::filesystem::perms::others_exec);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("cannot create a pipe");
    const std::string script =
        "cat >/dev/null; pidfile=\"$0/pg/data/postmaster.pid\"; "
        "if [ -f \"$pidfile\" ]; then pid=$(head -n 1 \"$pidfile\"); kill -QUIT \"$pid\" 2>/dev/null; "
        "for i in $(seq 100); do kill -0 \"$pid\" 2>/dev/null || break; sleep 0.05; done; fi; rm -rf \"$0\"";
    std::vector<std::string> arguments{"/bin/sh", "-c", script, folder_.string()};
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], 0);
    int failed = posix_spawn(&watcher_, "/bin/sh", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[0]);
    if (failed) throw std::runtime_error("cannot start the scratch folder's watcher");
    pipeEnd_ = ends[1];
  }

  ~Scratch() {
    close(pipeEnd_);
    int status = 0;
    while (waitpid(watcher_, &status, 0) < 0 && errno == EINTR) {
    }
  }

  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  pid_t watcher_ = 0;
  int pipeEnd_ = -1;
};

}  // namespace

const std::filesystem::path& scratchFolder() {
  static Scratch scratch;
  return scratch.folder();
}

ThrowawayPostgres& ThrowawayPostgres::instance() {
  static ThrowawayPostgres cluster;
  return cluster;
}

ThrowawayPostgres::ThrowawayPostgres() {
  binariesFound_ = access((postgresBin / "initdb").c_str(), X_OK) == 0 &&
                   access((postgresBin / "pg_ctl").c_str(), X_OK) == 0;
  if (!binariesFound_) {
    unavailableReason_ = "PostgreSQL binaries not found in " + postgresBin.string() +
                         " (Debian's postgresql-15): skipping the PostgreSQL cases";
    return;
  }
  start();
}

void ThrowawayPostgres::start() {
  const std::filesystem::path folder = scratchFolder() / "pg";
  std::filesystem::create_directory(folder);
  // PostgreSQL refuses to run as root, which CI is: the cluster belongs to an unprivileged user.
  if (geteuid() == 0) {
    const passwd* owner = getpwnam("postgres");
    if (!owner) owner = getpwnam("nobody");
    if (!owner || chown(folder.c_str(), owner->pw_uid, owner->pw_gid) != 0) {
      unavailableReason_ = "no unprivileged user to run PostgreSQL as";
      return;
    }
    ownerCommand_ = {"runuser", "-u", owner->pw_name, "--"};
  }
  dataFolder_ = (folder / "data").string();
  serverLog_ = (folder / "server.log").string();
  // No TCP at all; durability is not wanted from a cluster deleted at the end.
  serverOptions_ = "-c listen_addresses='' -k " + folder.string() +
                   " -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=300";
  if (asOwner({(postgresBin / "initdb").string(), "-D", dataFolder_, "-U", "postgres", "--auth=trust", "-E",
               "UTF8", "--no-sync", "--no-instructions"}) != 0) {
    unavailableReason_ = "initdb failed:\n" + tail(scratchFolder() / "postgres.log");
    return;
  }
  if (asOwner({(postgresBin / "pg_ctl").string(), "-D", dataFolder_, "-l", serverLog_, "-w", "-t", "60", "-o",
               serverOptions_, "start"}) != 0) {
    unavailableReason_ =
        "the PostgreSQL cluster did not start:\n" + tail(scratchFolder() / "postgres.log") + tail(serverLog_);
    return;
  }
  socketFolder_ = folder;
}

int ThrowawayPostgres::asOwner(std::vector<std::string> arguments) const {
  arguments.insert(arguments.begin(), ownerCommand_.begin(), ownerCommand_.end());
  return runProgram(arguments, scratchFolder() / "postgres.log");
}

void ThrowawayPostgres::restart() {
  if (!unavailableReason_.empty()) throw std::runtime_error(unavailableReason_);
  if (asOwner({(postgresBin / "pg_ctl").string(), "-D", dataFolder_, "-l", serverLog_, "-w", "-t", "60", "-m",
               "fast", "-o", serverOptions_, "restart"}) != 0) {
    throw std::runtime_error("the PostgreSQL cluster did not restart:\n" + tail(serverLog_));
  }
}

void ThrowawayPostgres::stopServer() {
  if (!unavailableReason_.empty()) throw std::runtime_error(unavailableReason_);
  if (asOwner({(postgresBin / "pg_ctl").string(), "-D", dataFolder_, "-w", "-t", "60", "-m", "fast",
               "stop"}) != 0) {
    throw std::runtime_error("the PostgreSQL cluster did not stop:\n" + tail(serverLog_));
  }
}

void ThrowawayPostgres::startServer() {
  if (!unavailableReason_.empty()) throw std::runtime_error(unavailableReason_);
  if (asOwner({(postgresBin / "pg_ctl").string(), "-D", dataFolder_, "-l", serverLog_, "-w", "-t", "60", "-o",
               serverOptions_, "start"}) != 0) {
    throw std::runtime_error("the PostgreSQL cluster did not start again:\n" + tail(serverLog_));
  }
}

std::string ThrowawayPostgres::createDatabase() {
  if (!unavailableReason_.empty()) throw std::runtime_error(unavailableReason_);
  std::lock_guard lock(mutex_);
  const std::string name = "test_" + std::to_string(++databases_);
  auto admin =
      storage::connectPostgres("postgresql:///postgres?host=" + socketFolder_.string() + "&user=postgres");
  admin->executeScript("CREATE DATABASE " + name);
  return "postgresql:///" + name + "?host=" + socketFolder_.string() + "&user=postgres";
}

std::vector<StoreEngine> storeEnginesForTests() { return {StoreEngine::sqlite, StoreEngine::postgresql}; }

std::string engineName(const ::testing::TestParamInfo<StoreEngine>& info) {
  return info.param == StoreEngine::sqlite ? "SQLite" : "PostgreSQL";
}

std::optional<std::string> freshDatabaseUrl(StoreEngine engine) {
  if (engine == StoreEngine::sqlite) {
    static std::atomic<int> files{0};
    return "sqlite:" + (scratchFolder() / ("store-" + std::to_string(++files) + ".db")).string();
  }
  auto& cluster = ThrowawayPostgres::instance();
  if (!cluster.unavailableReason().empty()) return std::nullopt;
  return cluster.createDatabase();
}

std::vector<std::string> storeUrlsForTests() {
  std::vector<std::string> urls;
  for (auto engine : storeEnginesForTests()) {
    if (auto url = freshDatabaseUrl(engine)) {
      urls.push_back(*url);
    } else {
      static std::once_flag said;
      std::call_once(said, [] { std::cerr << ThrowawayPostgres::instance().unavailableReason() << '\n'; });
      if (ThrowawayPostgres::instance().binariesFound())
        ADD_FAILURE() << ThrowawayPostgres::instance().unavailableReason();
    }
  }
  return urls;
}

void StoreEngineTest::SetUp() {
  auto url = freshDatabaseUrl(GetParam());
  if (!url) {
    const auto& cluster = ThrowawayPostgres::instance();
    if (!cluster.binariesFound()) GTEST_SKIP() << cluster.unavailableReason();
    FAIL() << cluster.unavailableReason();
  }
  databaseUrl_ = *url;
}

}  // namespace orvane::service::test_support
