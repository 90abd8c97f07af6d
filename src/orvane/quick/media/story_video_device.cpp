#include <orvane/quick/media/story_video_device.h>

#include <chrono>

namespace orvane::quick {
namespace {

// Longer than the transport takes to give up on a silent connection and retry it.
constexpr std::chrono::milliseconds kPatience{90'000};

}  // namespace

StoryVideoDevice::StoryVideoDevice(std::shared_ptr<VideoStream> stream, QObject* parent)
    : QIODevice(parent), stream_(std::move(stream)) {}

StoryVideoDevice::~StoryVideoDevice() { abandon(); }

qint64 StoryVideoDevice::size() const { return static_cast<qint64>(stream_->size().value_or(0)); }

qint64 StoryVideoDevice::readData(char* data, qint64 maxSize) {
  if (maxSize <= 0) return 0;
  const auto position = static_cast<std::uint64_t>(pos());
  const auto got = stream_->read(position, data, static_cast<std::size_t>(maxSize), abandon_.get_token(), kPatience);
  // Nothing although the file goes on: the wait ran out, which the backend must not take for its end.
  if (got == 0 && position < stream_->size().value_or(0)) return -1;
  return got;
}

qint64 StoryVideoDevice::writeData(const char*, qint64) { return -1; }

}  // namespace orvane::quick
