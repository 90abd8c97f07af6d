#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvane::service::cli {

// A program run with pipes on its standard output and error, killed if still running when this
// goes out of scope. Every wait is bounded.
class ChildProcess {
 public:
  // `environment` is added to this process's own.
  ChildProcess(const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& environment = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next line of standard output, without its newline; nullopt at its end or after `timeout`.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  void signal(int number);
  // The exit status once it ends (128 + signal when killed by one); nullopt after `timeout`.
  std::optional<int> wait(std::chrono::milliseconds timeout = std::chrono::seconds(20));

  // Everything left on the outputs (after the process ended).
  std::string remainingOutput();
  std::string errorOutput();

 private:
  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
  std::string outBuffer_, errBuffer_;
  std::optional<int> status_;
  void drain(std::chrono::milliseconds timeout);
};

struct Finished {
  int status = -1;
  std::string out, err;
};
// Runs the program to its end (at most 60 s).
Finished runToEnd(const std::vector<std::string>& arguments,
                  const std::map<std::string, std::string>& environment = {});

}  // namespace orvane::service::cli
