#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <utility>

#include <boost/asio/buffer.hpp>
#include <boost/beast/core/error.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/optional.hpp>
#include <boost/system/errc.hpp>

namespace orvane::service::http {

// A Beast body sending part of a file in 64 KiB reads, so a large video never sits in memory.
struct FileSliceBody {
  class value_type {
   public:
    value_type() = default;
    value_type(value_type&& other) noexcept
        : descriptor_(std::exchange(other.descriptor_, -1)), offset_(other.offset_), length_(other.length_) {}
    value_type& operator=(value_type&& other) noexcept {
      std::swap(descriptor_, other.descriptor_);
      offset_ = other.offset_;
      length_ = other.length_;
      return *this;
    }
    ~value_type() {
      if (descriptor_ >= 0) ::close(descriptor_);
    }

    // False when the file cannot be opened.
    bool open(const std::filesystem::path& path, std::uint64_t offset, std::uint64_t length) {
      descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      offset_ = offset;
      length_ = length;
      return descriptor_ >= 0;
    }
    std::uint64_t length() const { return length_; }

   private:
    friend struct FileSliceBody;
    int descriptor_ = -1;
    std::uint64_t offset_ = 0;
    std::uint64_t length_ = 0;
  };

  static std::uint64_t size(const value_type& body) { return body.length_; }

  class writer {
   public:
    using const_buffers_type = boost::asio::const_buffer;

    template <bool isRequest, class Fields>
    writer(boost::beast::http::header<isRequest, Fields>&, const value_type& body) : body_(body) {}

    void init(boost::beast::error_code& error) {
      error = {};
      if (!buffer_) buffer_ = std::make_unique<std::array<char, 64 * 1024>>();
      position_ = body_.offset_;
      remaining_ = body_.length_;
    }

    boost::optional<std::pair<const_buffers_type, bool>> get(boost::beast::error_code& error) {
      error = {};
      if (remaining_ == 0) return boost::none;
      std::size_t wanted = remaining_ < buffer_->size() ? static_cast<std::size_t>(remaining_) : buffer_->size();
      ssize_t got = ::pread(body_.descriptor_, buffer_->data(), wanted, static_cast<off_t>(position_));
      // A file cut short since its size was taken ends the answer early rather than padding it.
      if (got <= 0) {
        error = boost::system::errc::make_error_code(boost::system::errc::io_error);
        return boost::none;
      }
      position_ += static_cast<std::uint64_t>(got);
      remaining_ -= static_cast<std::uint64_t>(got);
      return std::make_pair(const_buffers_type(buffer_->data(), static_cast<std::size_t>(got)), remaining_ > 0);
    }

   private:
    const value_type& body_;
    std::uint64_t position_ = 0;
    std::uint64_t remaining_ = 0;
    std::unique_ptr<std::array<char, 64 * 1024>> buffer_;  // on the heap: serializers sit in every connection
  };
};

}  // namespace orvane::service::http
