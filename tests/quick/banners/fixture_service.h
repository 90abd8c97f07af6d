#pragma once

#include <QImage>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/http.h"

namespace orvane::quick::testing {

// The content service and the image host of the QML tests, in process. Answers on a pool thread,
// like a real session:
// - ".../placements/<key>/banners": the JSON served for that key, else no banners;
// - https://images.test/<w>x<h>/<name>.png: a PNG of that size, made with QImage;
// - https://images.test/broken/<name>: 404 with an HTML body;
// - anything else (events, analytics): 200 "{}".
// A held URL's answer waits until it is released.
class FixtureService final : public HttpSession {
 public:
  void send(HttpRequest request, std::function<void(HttpResult)> completion) override;

  void serveBanners(const std::string& placementKey, std::string json);
  void hold(const std::string& url);
  void release(const std::string& url);
  // Requests whose URL contains the text.
  int requestCount(const std::string& urlPart) const;

  static std::string imageUrl(int width, int height, const std::string& name);
  static std::string brokenImageUrl(const std::string& name);

 private:
  struct Exchange {
    HttpRequest request;
    std::function<void(HttpResult)> completion;
  };

  HttpResult answer(const HttpRequest& request) const;
  static void complete(Exchange exchange, HttpResult result);

  mutable std::mutex mutex_;
  std::map<std::string, std::string> banners_;
  std::set<std::string> held_;
  std::vector<Exchange> waiting_;
  std::vector<std::string> requested_;
};

}  // namespace orvane::quick::testing
