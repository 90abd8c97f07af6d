#pragma once

#include <QByteArray>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/http.h"

namespace orvane::quick::testing {

// The suite's stand-in for the content service, answering on pool threads like a transport:
//   .../placements/home/stories    the fixture groups
//   .../placements/empty/stories   no groups
//   other placements               500
//   any *.png                      a small generated PNG
//   .../vote                       the chosen option with 10 votes (held while holding votes)
//   anything else                  200 with an empty body
class FixtureHttpSession final : public HttpSession {
 public:
  FixtureHttpSession(QByteArray storiesBody, QByteArray pngBytes)
      : storiesBody_(std::move(storiesBody)), pngBytes_(std::move(pngBytes)) {}

  void send(HttpRequest request, std::function<void(HttpResult)> completion) override;

  void setHoldingVotes(bool holding);
  // Answers the votes held so far.
  void releaseVotes();

 private:
  HttpResult answer(const HttpRequest& request) const;

  const QByteArray storiesBody_;
  const QByteArray pngBytes_;
  std::mutex mutex_;
  bool holdingVotes_ = false;
  std::vector<std::function<void()>> heldVotes_;
};

}  // namespace orvane::quick::testing
