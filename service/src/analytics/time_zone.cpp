#include "analytics/time_zone.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace orvane::service::analytics {
namespace {

bool isSafeZoneName(std::string_view name) {
  if (name.empty() || name.size() > 64 || name.front() == '/' || name.back() == '/') return false;
  for (char c : name) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
                         c == '_' || c == '-' || c == '+';
    if (!allowed) return false;
  }
  return name.find("//") == std::string_view::npos && name.find("..") == std::string_view::npos;
}

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool has(std::size_t count) const { return bytes_.size() - at_ >= count; }
  std::int64_t signedBig(std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value = (value << 8) | static_cast<unsigned char>(bytes_[at_ + i]);
    at_ += width;
    if (width == 4) return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return static_cast<std::int64_t>(value);
  }
  unsigned char byte() { return static_cast<unsigned char>(bytes_[at_++]); }
  void skip(std::size_t count) { at_ += count; }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

struct Header {
  char version = 0;
  std::size_t isutcnt = 0, isstdcnt = 0, leapcnt = 0, timecnt = 0, typecnt = 0, charcnt = 0;
};

std::optional<Header> readHeader(Reader& reader) {
  if (!reader.has(44)) return std::nullopt;
  const char magic[4] = {static_cast<char>(reader.byte()), static_cast<char>(reader.byte()),
                         static_cast<char>(reader.byte()), static_cast<char>(reader.byte())};
  if (std::string_view(magic, 4) != "TZif") return std::nullopt;
  Header header;
  header.version = static_cast<char>(reader.byte());
  reader.skip(15);
  std::size_t* counts[] = {&header.isutcnt, &header.isstdcnt, &header.leapcnt,
                           &header.timecnt, &header.typecnt,  &header.charcnt};
  for (std::size_t* count : counts) {
    const std::int64_t value = reader.signedBig(4);
    if (value < 0 || value > 100'000) return std::nullopt;
    *count = static_cast<std::size_t>(value);
  }
  if (header.typecnt == 0) return std::nullopt;
  return header;
}

std::size_t blockSize(const Header& header, std::size_t timeWidth) {
  return header.timecnt * timeWidth + header.timecnt + header.typecnt * 6 + header.charcnt +
         header.leapcnt * (timeWidth + 4) + header.isstdcnt + header.isutcnt;
}

}  // namespace

TimeZone TimeZone::utc() {
  TimeZone zone;
  zone.name_ = "UTC";
  return zone;
}

std::optional<TimeZone> TimeZone::load(std::string_view name, const std::filesystem::path& database) {
  if (name == "UTC") return utc();
  if (!isSafeZoneName(name)) return std::nullopt;
  std::ifstream file(database / std::string(name), std::ios::binary);
  if (!file) return std::nullopt;
  std::string bytes;
  // Zone files are a few KiB; anything far larger is not one.
  bytes.resize(256 * 1024);
  file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(file.gcount()));
  return parse(name, bytes);
}

std::optional<TimeZone> TimeZone::parse(std::string_view name, std::string_view bytes) {
  Reader reader(bytes);
  auto header = readHeader(reader);
  if (!header) return std::nullopt;
  std::size_t timeWidth = 4;
  if (header->version >= '2') {
    // The 64-bit block follows the 32-bit one and has its own header.
    if (!reader.has(blockSize(*header, 4))) return std::nullopt;
    reader.skip(blockSize(*header, 4));
    header = readHeader(reader);
    if (!header) return std::nullopt;
    timeWidth = 8;
  }
  if (!reader.has(blockSize(*header, timeWidth))) return std::nullopt;

  TimeZone zone;
  zone.name_ = std::string(name);
  for (std::size_t i = 0; i < header->timecnt; ++i) zone.transitions_.push_back(reader.signedBig(timeWidth));
  std::vector<std::size_t> typeOfTransition;
  for (std::size_t i = 0; i < header->timecnt; ++i) typeOfTransition.push_back(reader.byte());
  std::vector<std::int32_t> offsets;
  for (std::size_t i = 0; i < header->typecnt; ++i) {
    offsets.push_back(static_cast<std::int32_t>(reader.signedBig(4)));
    reader.skip(2);  // is-DST flag and abbreviation index
  }
  if (!std::is_sorted(zone.transitions_.begin(), zone.transitions_.end())) return std::nullopt;
  for (std::size_t type : typeOfTransition) {
    if (type >= offsets.size()) return std::nullopt;
    zone.offsetAfter_.push_back(offsets[type]);
  }
  zone.initialOffset_ = offsets.front();
  return zone;
}

std::chrono::seconds TimeZone::offsetAt(std::chrono::sys_seconds instant) const {
  const std::int64_t at = instant.time_since_epoch().count();
  const auto after = std::upper_bound(transitions_.begin(), transitions_.end(), at);
  if (after == transitions_.begin()) return std::chrono::seconds(initialOffset_);
  return std::chrono::seconds(offsetAfter_[static_cast<std::size_t>(after - transitions_.begin() - 1)]);
}

std::chrono::sys_seconds TimeZone::startOf(std::chrono::sys_days day) const {
  using std::chrono::hours;
  const std::chrono::sys_seconds local(day.time_since_epoch());  // midnight read as if it were UTC
  // Any offset in force around that midnight is one of those a day either side.
  std::optional<std::chrono::sys_seconds> earliest;
  for (const auto offset : {offsetAt(local - hours(26)), offsetAt(local), offsetAt(local + hours(26))}) {
    const auto candidate = local - offset;
    if (offsetAt(candidate) == offset && (!earliest || candidate < *earliest)) earliest = candidate;
  }
  if (earliest) return *earliest;
  // Midnight falls in a gap: the day starts where the gap ends, the first transition after the
  // latest instant that could still be the previous day.
  const std::int64_t from = (local - hours(26)).time_since_epoch().count();
  const auto next = std::upper_bound(transitions_.begin(), transitions_.end(), from);
  for (auto it = next; it != transitions_.end(); ++it) {
    const std::chrono::sys_seconds transition{std::chrono::seconds(*it)};
    if (transition + offsetAt(transition) >= local) return transition;
  }
  return local - offsetAt(local);
}

}  // namespace orvane::service::analytics
