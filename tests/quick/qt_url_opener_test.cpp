#include "quick/platform/qt_url_opener.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvane::quick {
namespace {

bool openable(const char* text) {
  auto url = Url::parse(text);
  return url && isOpenableOutsideApp(*url);
}

TEST(QtUrlOpenerPolicy, WebAndAppLinksPassLocalScriptAndSchemeLessOnesAreRefused) {
  for (const char* text : {"https://example.com/offer?id=7", "HTTP://Example.com", "myapp://offer/7",
                           "mailto:help@example.com", "tel:+15551234"}) {
    EXPECT_TRUE(openable(text)) << text;
  }
  for (const char* text :
       {"file:///etc/passwd", "FILE:///C:/Windows", "file://host/share", "qrc:/OrvaneStories/qmldir",
        "javascript:alert(1)", "JavaScript:alert(1)", "data:text/html,<script>alert(1)</script>",
        "blob:https://example.com/1", "about:blank", "content://media/1", "smb://server/share",
        "example.com/offer", "//example.com/offer", "/offer/7", "offer", "https:offer", "http:///path"}) {
    EXPECT_FALSE(openable(text)) << text;
  }
}

TEST(QtUrlOpener, OnlyLinksThePolicyPassesReachTheSystem) {
  std::vector<QUrl> opened;
  QtUrlOpener opener([&](const QUrl& url) { opened.push_back(url); });
  opener.open(*Url::parse("file:///etc/passwd"));
  opener.open(*Url::parse("javascript:alert(1)"));
  opener.open(*Url::parse("https://example.com/a%20b?x=1"));

  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].toString(QUrl::FullyEncoded), "https://example.com/a%20b?x=1");
}

}  // namespace
}  // namespace orvane::quick
