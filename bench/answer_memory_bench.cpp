// Peak memory that decoding and mapping a stories answer adds on top of the answer itself,
// against a plain nlohmann DOM of the same bytes: the goal is at most twice the answer's size.
// Each measurement runs in a child process of its own whose peak resident size is reset first,
// so it sees what the decoding touched. The child first decodes a one-group answer, so the code
// it runs is already paged in (as in a running app) and only data is counted, and what the
// measuring itself costs (a run with no work) is taken off.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include <orvane/api/wire/story_mapping.h>
#include "bench/support/stories_answer.h"

namespace {

long statusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return -1;
}

// Bytes by which `work` raises the peak resident size after `prepare`, measured in a child process.
long peakExtraBytes(const std::function<void()>& prepare, const std::function<void()>& work) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    prepare();
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak becomes the current size
    const long before = statusKiB("VmHWM:");
    work();
    const long extra = (statusKiB("VmHWM:") - before) * 1024;
    if (write(pipeEnds[1], &extra, sizeof extra) != sizeof extra) _exit(1);
    _exit(0);
  }
  long extra = -1;
  if (read(pipeEnds[0], &extra, sizeof extra) != sizeof extra) extra = -1;
  waitpid(child, nullptr, 0);
  close(pipeEnds[0]);
  close(pipeEnds[1]);
  return extra;
}

}  // namespace

int main() {
  const std::string oneGroup = orvane::bench::storiesAnswer(1);
  const auto warmUp = [&] {
    auto payload = orvane::decodeStoriesPayload(oneGroup);
    if (orvane::mapStoryGroups(std::move(payload).value(), orvane::Date{}).empty()) _exit(1);
    if (nlohmann::json::parse(oneGroup).empty()) _exit(1);
  };
  const long floor = peakExtraBytes(warmUp, [] {});
  const auto extra = [&](long measured) { return measured < floor ? 0 : measured - floor; };

  std::printf("Peak extra memory while decoding a stories answer (goal: decode+map <= 2x the answer)\n");
  std::printf("%-8s %12s %18s %8s %18s %8s\n", "groups", "answer", "decode+map extra", "ratio",
              "nlohmann DOM extra", "ratio");
  // The largest answer stays just under the content answer cap of 4 MiB.
  for (int groups : {10, 100, 380}) {
    const std::string answer = orvane::bench::storiesAnswer(groups);
    const auto size = static_cast<double>(answer.size());
    // The transport hands its buffer over (with room to spare, as a growing buffer has); only
    // what decoding adds is counted.
    std::string body;
    const long decoded = peakExtraBytes(
        [&] {
          warmUp();
          body = answer;
          body.reserve(body.size() + 64);
        },
        [&] {
          auto payload = orvane::decodeStoriesPayload(std::move(body));
          auto groupsMapped = orvane::mapStoryGroups(std::move(payload).value(), orvane::Date{});
          if (groupsMapped.empty()) _exit(1);
        });
    const long dom = peakExtraBytes(warmUp, [&] {
      auto document = nlohmann::json::parse(answer);
      if (document.empty()) _exit(1);
    });
    std::printf("%-8d %12zu %18ld %7.2fx %18ld %7.2fx\n", groups, answer.size(), extra(decoded),
                static_cast<double>(extra(decoded)) / size, extra(dom),
                static_cast<double>(extra(dom)) / size);
  }
  return 0;
}
