#pragma once

#include <QtQml/qqmlregistration.h>

#include <QMediaPlayer>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <cstdint>
#include <memory>
#include <stop_token>

#include <orvane/platform/http.h>

class QBuffer;

namespace orvane::quick {

// Feeds a story video to a MediaPlayer through the SDK's own transport, never the media backend's
// network code: only http and https URLs are fetched, certificates are verified as for every other
// download, and no SDK header is sent. Once all the bytes are in, they are checked to be a video
// container that holds all its media (MP4/QuickTime, Matroska/WebM, AVI; never a playlist or
// manifest the backend would follow), and the player gets them as its source device, with no URL,
// and starts playing from the beginning. Anything else ends in Error with the reason logged.
//
//   MediaPlayer { id: player; videoOutput: output }
//   StoryVideoSource { url: root.url; player: player }
//
// Each URL (or player) change loads afresh and drops the outcome of an older load unseen.
class StoryVideoSource : public QObject {
  Q_OBJECT
  QML_ELEMENT
  Q_PROPERTY(QUrl url READ url WRITE setUrl NOTIFY urlChanged)
  Q_PROPERTY(QMediaPlayer* player READ player WRITE setPlayer NOTIFY playerChanged)
  Q_PROPERTY(Status status READ status NOTIFY statusChanged)

 public:
  enum Status { Null, Loading, Ready, Error };
  Q_ENUM(Status)

  explicit StoryVideoSource(QObject* parent = nullptr);
  ~StoryVideoSource() override;

  QUrl url() const { return url_; }
  void setUrl(const QUrl& url);
  QMediaPlayer* player() const { return player_; }
  void setPlayer(QMediaPlayer* player);
  Status status() const { return status_; }

  // The transport the bytes come over; the installed platform's unless set (tests).
  void setSession(std::shared_ptr<HttpSession> session);

 signals:
  void urlChanged();
  void playerChanged();
  void statusChanged();

 private:
  void load();
  void finishLoad(std::uint64_t generation, const HttpResult& result);
  void setStatus(Status status);

  QUrl url_;
  QPointer<QMediaPlayer> player_;
  std::shared_ptr<HttpSession> session_;
  Status status_ = Null;
  QPointer<QBuffer> buffer_;
  // Bumped by every load; an answer carrying an older number is stale.
  std::uint64_t generation_ = 0;
  // Stops the download of the video on show when another replaces it or this object goes.
  std::stop_source download_;
};

}  // namespace orvane::quick
