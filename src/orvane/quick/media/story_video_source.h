#pragma once

#include <QtQml/qqmlregistration.h>

#include <QMediaPlayer>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <cstdint>
#include <memory>

#include <orvane/media/video_streams.h>

namespace orvane::quick {

class StoryVideoDevice;

// Feeds a story video to a MediaPlayer through the SDK's own transport, never the media backend's
// network code: only http and https URLs are fetched, certificates are verified as for every other
// download, and no SDK header is sent. The bytes flow in as the video plays, in ranges, within a
// bounded memory (VideoStream), from the one stream every view of the URL and its prefetch share.
// Once the stream has checked the file to be a video container that holds all its media
// (MP4/QuickTime, Matroska/WebM, AVI; never a playlist or manifest the backend would follow), the
// player gets it as its source device, with no URL, and starts playing from the beginning.
// Anything else ends in Error with the reason logged.
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
  // The player waits for bytes still on their way: playback has stalled.
  Q_PROPERTY(bool buffering READ buffering NOTIFY bufferingChanged)

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
  bool buffering() const { return buffering_; }

  // Where the streams come from; the SDK's shared ones unless set (tests).
  void setStreams(std::shared_ptr<VideoStreams> streams);

 signals:
  void urlChanged();
  void playerChanged();
  void statusChanged();
  void bufferingChanged();

 private:
  void load();
  void release();
  void streamChanged(std::uint64_t generation);
  void setStatus(Status status);
  void setBuffering(bool buffering);

  QUrl url_;
  QPointer<QMediaPlayer> player_;
  std::shared_ptr<VideoStreams> streams_;
  std::shared_ptr<VideoStream> stream_;
  int listener_ = -1;
  QPointer<StoryVideoDevice> device_;
  Status status_ = Null;
  bool buffering_ = false;
  // Bumped by every load; news carrying an older number is stale.
  std::uint64_t generation_ = 0;
};

}  // namespace orvane::quick
