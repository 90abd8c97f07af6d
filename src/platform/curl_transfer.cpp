#include "platform/curl_transfer.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace orvane {
namespace {

using Code = TransportError::Code;

bool isTokenCharacter(unsigned char c) {
  return std::isalnum(c) != 0 ||
         std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

// A name or value that would end the header line early could smuggle extra headers or a
// second request onto the connection.
bool isSendableHeader(const std::string& name, const std::string& value) {
  if (name.empty() || !std::all_of(name.begin(), name.end(),
                                   [](char c) { return isTokenCharacter(static_cast<unsigned char>(c)); }))
    return false;
  return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

bool sameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

Code codeFor(CURLcode code) {
  switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
      return Code::timeout;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
      return Code::connection;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_USE_SSL_FAILED:
      return Code::tls;
    case CURLE_FILESIZE_EXCEEDED:
      return Code::tooLarge;
    default:
      return Code::other;
  }
}

}  // namespace

CurlTransfer::CurlTransfer(std::function<void(HttpResult)> completion)
    : completion_(std::move(completion)), handle_(curl_easy_init()) {}

CurlTransfer::~CurlTransfer() {
  if (handle_ != nullptr) curl_easy_cleanup(handle_);
  curl_slist_free_all(headers_);
}

std::optional<TransportError> CurlTransfer::prepare(const HttpRequest& request, const std::string& url,
                                                    const CurlTransferLimits& limits) {
  if (handle_ == nullptr) return TransportError{Code::other, "Could not create a transfer."};
  auto* h = handle_;
  maxResponseBytes_ =
      std::min(limits.maxResponseBytes, request.maxResponseBytes.value_or(limits.maxResponseBytes));

  bool hasContentType = false;
  for (const auto& [name, value] : request.headers) {
    if (!isSendableHeader(name, value))
      return TransportError{Code::other, "Header field '" + name + "' cannot be sent."};
    hasContentType = hasContentType || sameName(name, "Content-Type");
    // "Name;" is curl's spelling of a header with an empty value; "Name:" would remove it.
    auto line = value.empty() ? name + ";" : name + ": " + value;
    headers_ = curl_slist_append(headers_, line.c_str());
  }
  // Headers go out as set: no 100-continue round trip, no form content type made up by curl.
  headers_ = curl_slist_append(headers_, "Expect:");
  if (request.body && !hasContentType) headers_ = curl_slist_append(headers_, "Content-Type:");
  if (headers_ == nullptr) return TransportError{Code::other, "Could not build the request headers."};

  const std::string scheme = url.substr(0, url.find(':'));
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  // Redirects are followed, but never from https down to http (or anywhere else).
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, sameName(scheme, "https") ? "https" : "http,https");
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_2TLS));
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  if (limits.caBundlePath) curl_easy_setopt(h, CURLOPT_CAINFO, limits.caBundlePath->c_str());
  // Zero would mean no limit at all to curl.
  const long timeoutSeconds = std::max(1L, static_cast<long>(request.timeout.count()));
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, timeoutSeconds * 1000L);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxResponseBytes_));
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers_);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer_);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CurlTransfer::receive);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, this);

  if (request.body) {
    requestBody_ = *request.body;
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(requestBody_.size()));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, requestBody_.data());
    if (request.method != "POST") curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  } else if (request.method == "HEAD") {
    curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  } else if (request.method == "POST") {
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(0));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, "");
  } else if (request.method != "GET") {
    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  }
  return std::nullopt;
}

std::size_t CurlTransfer::receive(char* bytes, std::size_t size, std::size_t count, void* self) {
  auto& transfer = *static_cast<CurlTransfer*>(self);
  const std::size_t length = size * count;
  if (length >
      transfer.maxResponseBytes_ - std::min(transfer.maxResponseBytes_, transfer.responseBody_.size())) {
    transfer.exceededLimit_ = true;
    return 0;  // anything but `length` makes curl abort the transfer
  }
  transfer.responseBody_.append(bytes, length);
  return length;
}

HttpResult CurlTransfer::result(CURLcode code) const {
  if (code == CURLE_OK) {
    long status = 0;
    curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &status);
    return HttpResult{responseBody_, HttpResponse{static_cast<int>(status)}, std::nullopt};
  }
  if (exceededLimit_ || code == CURLE_FILESIZE_EXCEEDED) {
    return HttpResult{std::nullopt, std::nullopt,
                      TransportError{Code::tooLarge, "The response is larger than " +
                                                         std::to_string(maxResponseBytes_) + " bytes."}};
  }
  std::string message =
      errorBuffer_[0] != '\0' ? std::string(errorBuffer_) : std::string(curl_easy_strerror(code));
  return HttpResult{std::nullopt, std::nullopt, TransportError{codeFor(code), std::move(message)}};
}

void CurlTransfer::complete(HttpResult result) {
  auto completion = std::move(completion_);
  completion_ = nullptr;
  if (completion) completion(std::move(result));
}

}  // namespace orvane
