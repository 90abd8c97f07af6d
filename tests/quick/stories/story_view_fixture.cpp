#include "story_view_fixture.h"

#include <QBuffer>
#include <QFile>
#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThreadPool>
#include <map>

#include <orvane/api/wire/story_mapping.h>
#include <orvane/api/wire/story_payloads.h>
#include <orvane/core/story_sdk.h>
#ifdef STORY_FIXTURE_VIDEO
#include "placeholders/avi_video.h"
#endif

namespace orvane::quick::testing {
namespace {

QByteArray fixtureFile(const char* name) {
  QFile file(QStringLiteral(STORY_FIXTURES_DIR "/") + QString::fromLatin1(name));
  if (!file.open(QIODevice::ReadOnly)) qFatal("missing fixture %s", name);
  return file.readAll();
}

QByteArray pngBytes(QColor colour, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

QByteArray videoBytes() {
#ifdef STORY_FIXTURE_VIDEO
  return QByteArray::fromStdString(service::placeholders::placeholderAvi("clip", 36, 64, 1));
#else
  return {};
#endif
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

HttpResult ok(const QByteArray& body) {
  return HttpResult{body.toStdString(), HttpResponse{200, {}}, std::nullopt};
}

std::optional<std::string> word(const QVariantMap& words, const char* key) {
  const QVariant value = words.value(QString::fromLatin1(key));
  return value.isValid() ? std::optional(value.toString().toStdString()) : std::nullopt;
}

}  // namespace

StoryViewFixture::StoryViewFixture()
    : storiesBody_(fixtureFile("home.json")), pngBytes_(pngBytes(QColor(200, 40, 40), QSize(8, 8))),
      whitePngBytes_(pngBytes(Qt::white, QSize(9, 16))), videoBytes_(videoBytes()) {}

HttpResult StoryViewFixture::answer(const HttpRequest& request) const {
  const std::string path = request.url.string().substr(0, request.url.string().find('?'));
  if (endsWith(path, "/placements/home/stories")) return ok(storiesBody_);
  if (endsWith(path, "/placements/empty/stories")) return ok(R"({"groups": []})");
  if (endsWith(path, "/stories")) return HttpResult{std::string(), HttpResponse{500, {}}, std::nullopt};
  if (path.find("/broken-") != std::string::npos)
    return HttpResult{std::string(), HttpResponse{404, {}}, std::nullopt};
  if (endsWith(path, "/white.png")) return ok(whitePngBytes_);
  if (endsWith(path, ".png")) return ok(pngBytes_);
  if (endsWith(path, ".avi") && servesVideo()) return ok(videoBytes_);
  if (endsWith(path, "/vote")) {
    const QJsonObject body =
        QJsonDocument::fromJson(QByteArray::fromStdString(request.body.value_or(""))).object();
    const QJsonObject vote{{"voted", true}, {"optionId", body.value("optionId")}, {"voteCount", 10}};
    return ok(QJsonDocument(vote).toJson(QJsonDocument::Compact));
  }
  return ok(QByteArray());
}

void StoryViewFixture::send(HttpRequest request, std::function<void(HttpResult)> completion) {
  auto reply = [result = answer(request), completion = std::move(completion)] { completion(result); };
  if (endsWith(request.url.string(), "/vote")) {
    std::lock_guard lock(mutex_);
    heldVotes_.push_back(std::move(reply));
    return;
  }
  if (request.url.string().find("/held-") != std::string::npos) {
    std::lock_guard lock(mutex_);
    heldImages_.push_back(std::move(reply));
    return;
  }
  QThreadPool::globalInstance()->start(std::move(reply));
}

void StoryViewFixture::open(const Url& url) {
  QMetaObject::invokeMethod(this, [this, text = QString::fromStdString(url.string())] {
    openedUrls_.append(text);
    emit openedUrlsChanged();
  });
}

void StoryViewFixture::record(const StorySDKEvent& event) {
  using Kind = StorySDKEvent::Kind;
  static const std::map<Kind, QString> names = {{Kind::storyGroupImpression, "impression"},
                                                {Kind::storyClose, "close"},
                                                {Kind::swipeUp, "swipeUp"},
                                                {Kind::pollVoted, "pollVoted"}};
  const auto name = names.find(event.kind());
  if (name == names.end()) return;
  events_.append(name->second + ':' + QString::fromStdString(event.groupId().value_or("")));
  emit eventsChanged();
}

StoryGroupList StoryViewFixture::homeGroups() const { return groupsFrom(QString::fromUtf8(storiesBody_)); }

StoryGroupList StoryViewFixture::groupsFrom(const QString& body) const {
  auto payload = decodeStoriesPayload(body.toStdString());
  if (!payload) qFatal("the fixture stories do not decode");
  return StoryGroupList(mapStoryGroups(payload.value(), StorySDK::shared().platform().clock->now()));
}

StoryThemeValue StoryViewFixture::theme(const QVariantMap& words) const {
  return StoryThemeValue(StoryTheme::fromServiceStrings(
      word(words, "progressStyle"), word(words, "bubbleStyle"), word(words, "fontFamily"),
      word(words, "primaryColor"), word(words, "secondaryColor"), word(words, "ctaStyle")));
}

QString StoryViewFixture::shotsDirectory() const {
  const QString directory = qEnvironmentVariable("ORVANE_LAYOUT_SHOTS");
  if (!directory.isEmpty()) QDir().mkpath(directory);
  return directory;
}

void StoryViewFixture::releaseVotes() {
  std::vector<std::function<void()>> replies;
  {
    std::lock_guard lock(mutex_);
    replies.swap(heldVotes_);
  }
  for (auto& reply : replies) QThreadPool::globalInstance()->start(std::move(reply));
}

void StoryViewFixture::releaseImages() {
  std::vector<std::function<void()>> replies;
  {
    std::lock_guard lock(mutex_);
    replies.swap(heldImages_);
  }
  for (auto& reply : replies) QThreadPool::globalInstance()->start(std::move(reply));
}

void StoryViewFixture::reset() {
  releaseVotes();
  releaseImages();
  openedUrls_.clear();
  events_.clear();
  emit openedUrlsChanged();
  emit eventsChanged();
}

}  // namespace orvane::quick::testing
