#pragma once

#include <QIODevice>
#include <memory>
#include <stop_token>

#include <orvane/media/video_stream.h>

namespace orvane::quick {

// A video stream as the media backend reads it: random access, its size known, each read waiting
// (on the backend's own thread) for bytes still on their way. The backend takes a read that fails
// for the stream's failure, and one that waited too long for a broken stream.
class StoryVideoDevice final : public QIODevice {
  Q_OBJECT

 public:
  explicit StoryVideoDevice(std::shared_ptr<VideoStream> stream, QObject* parent = nullptr);
  ~StoryVideoDevice() override;

  // Ends every read, the one waiting now included; call before the player lets go of the device.
  void abandon() { abandon_.request_stop(); }

  bool isSequential() const override { return false; }
  qint64 size() const override;

 protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char* data, qint64 maxSize) override;

 private:
  std::shared_ptr<VideoStream> stream_;
  std::stop_source abandon_;
};

}  // namespace orvane::quick
