#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane::service::http {

enum class BodyDecoding { decoded, tooLarge, malformed, unsupported };

// Undoes a request's Content-Encoding (gzip, deflate, identity) in place. Inflating stops as soon
// as the output passes `maxBytes`, so a small bomb never grows into the memory it asks for.
BodyDecoding decodeBody(std::string& body, std::string_view contentEncoding, std::size_t maxBytes);

// Whether `contentEncoding` names a coding decodeBody knows, and whether that is no coding at all.
bool knownContentEncoding(std::string_view contentEncoding);
bool identityEncoding(std::string_view contentEncoding);

// Whether an Accept-Encoding value lets the answer be gzip-compressed.
bool acceptsGzip(std::string_view acceptEncoding);

std::string gzipCompress(std::string_view data);

}  // namespace orvane::service::http
