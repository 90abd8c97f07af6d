#include <orvane/platform/curl_transfer.h>

#include <orvane/platform/ascii_text.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace orvane {
namespace {

using Code = TransportError::Code;

bool isTokenCharacter(unsigned char c) {
  return isAsciiAlphanumeric(static_cast<char>(c)) ||
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

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Scheme, host and port of the absolute URL held by `url` (the scheme's default port when it
// names none), lower-cased into one comparable text.
std::optional<std::string> originOf(CURLU* url) {
  std::string origin;
  for (auto part : {CURLUPART_SCHEME, CURLUPART_HOST, CURLUPART_PORT}) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, CURLU_DEFAULT_PORT) != CURLUE_OK) return std::nullopt;
    origin += asciiLowercased(text) + "|";
    curl_free(text);
  }
  return origin;
}

}  // namespace

CurlTransfer::CurlTransfer(std::function<void(HttpResult)> completion, Clock::time_point askedAt)
    : completion_(std::move(completion)), handle_(curl_easy_init()), lastActivity_(askedAt) {}

CurlTransfer::~CurlTransfer() {
  if (handle_ != nullptr) curl_easy_cleanup(handle_);
  curl_slist_free_all(headers_);
}

std::optional<TransportError> CurlTransfer::prepare(const HttpRequest& request, const std::string& url,
                                                    const CurlTransferLimits& limits, const NetworkRoute& route) {
  if (handle_ == nullptr) return TransportError{Code::other, "Could not create a transfer."};
  auto* h = handle_;
  maxResponseBytes_ =
      std::min(limits.maxResponseBytes, request.maxResponseBytes.value_or(limits.maxResponseBytes));
  cancellation_ = request.cancellation;

  bool hasContentType = false;
  for (const auto& [name, value] : request.headers) {
    if (!isSendableHeader(name, value))
      return TransportError{Code::other, "Header field '" + name + "' cannot be sent."};
    hasContentType = hasContentType || equalIgnoringAsciiCase(name, "Content-Type");
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
  // Redirects never go from https down to http; those leaving a service origin are stopped by
  // receiveHeader before curl follows them.
  redirects_ = request.redirects;
  const bool toHttpsOnly =
      redirects_ == HttpRequest::Redirects::toHttps || equalIgnoringAsciiCase(scheme, "https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, toHttpsOnly ? "https" : "http");
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_2TLS));
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  if (limits.caBundlePath) curl_easy_setopt(h, CURLOPT_CAINFO, limits.caBundlePath->c_str());
  if (route.trustedAuthorities) {
    trustedAuthorities_ = route.trustedAuthorities;
    curl_blob authorities{const_cast<char*>(trustedAuthorities_->data()), trustedAuthorities_->size(),
                          CURL_BLOB_NOCOPY};
    curl_easy_setopt(h, CURLOPT_CAINFO_BLOB, &authorities);
  }
  if (route.proxy) {
    curl_easy_setopt(h, CURLOPT_PROXY, route.proxy->c_str());
    if (!route.proxyUser.empty()) {
      curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, route.proxyUser.c_str());
      curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, route.proxyPassword.c_str());
      // Whichever scheme the proxy asks for, as Qt would answer it.
      curl_easy_setopt(h, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
    }
  }
  // No total time limit: the session cuts exchanges that fall silent (see lastActivity()).
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CurlTransfer::progress);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxResponseBytes_));
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers_);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer_);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CurlTransfer::receive);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CurlTransfer::receiveHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, this);

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
  transfer.receivedBytes_ += length;
  transfer.lastActivity_ = Clock::now();
  return length;
}

int CurlTransfer::progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded) {
  auto& transfer = *static_cast<CurlTransfer*>(self);
  // Stops reading for nobody even before the session gets round to removing the transfer.
  if (transfer.cancelled()) return 1;
  if (uploaded != transfer.uploaded_) {
    transfer.uploaded_ = uploaded;
    transfer.lastActivity_ = Clock::now();
  }
  return 0;
}

std::size_t CurlTransfer::receiveHeader(char* bytes, std::size_t size, std::size_t count, void* self) {
  auto& transfer = *static_cast<CurlTransfer*>(self);
  const std::size_t length = size * count;
  transfer.lastActivity_ = Clock::now();
  transfer.receivedBytes_ += length;
  const std::string_view line(bytes, length);
  if (startsWith(line, "HTTP/")) {
    // A new answer (the first, or one after a redirect): "HTTP/1.1 302 Found", "HTTP/2 307".
    const auto code = trimmed(line.substr(std::min(line.size(), line.find(' '))));
    transfer.headerStatus_ = std::atoi(std::string(code.substr(0, 3)).c_str());
    transfer.location_.clear();
    transfer.locationCount_ = 0;
    transfer.responseHeaders_.clear();
  } else if (startsWith(line, "Location:")) {
    // Spelled as curl matches it; curl follows the first that is not empty.
    transfer.location_ = trimmed(line.substr(9));
    ++transfer.locationCount_;
  } else if (const auto colon = line.find(':'); colon != std::string_view::npos && colon > 0) {
    transfer.keepHeader(line.substr(0, colon), trimmed(line.substr(colon + 1)));
  } else if (trimmed(line).empty() && transfer.headerStatus_ >= 300 && transfer.headerStatus_ < 400) {
    // Any check of one target among several could be steered past the one curl picks.
    if (transfer.locationCount_ > 1) {
      transfer.refusedRedirect_ = "The answer named more than one redirect target.";
      return 0;  // ends the exchange before curl follows
    }
    if (transfer.redirects_ == HttpRequest::Redirects::sameOrigin && !transfer.location_.empty() &&
        !transfer.staysOnOrigin(transfer.location_)) {
      transfer.refusedRedirect_ = "The service redirected the request to another origin.";
      return 0;
    }
  }
  return length;
}

void CurlTransfer::keepHeader(std::string_view name, std::string_view value) {
  // A hostile server could otherwise grow the list past the body's own cap.
  constexpr std::size_t kMaxHeaders = 100;
  if (responseHeaders_.size() < kMaxHeaders) responseHeaders_.emplace_back(name, value);
}

bool CurlTransfer::staysOnOrigin(const std::string& location) const {
  char* current = nullptr;
  if (curl_easy_getinfo(handle_, CURLINFO_EFFECTIVE_URL, &current) != CURLE_OK || current == nullptr)
    return false;
  CURLU* from = curl_url();
  CURLU* to = curl_url();
  bool same = false;
  if (from != nullptr && to != nullptr && curl_url_set(from, CURLUPART_URL, current, 0) == CURLUE_OK &&
      curl_url_set(to, CURLUPART_URL, current, 0) == CURLUE_OK &&
      curl_url_set(to, CURLUPART_URL, location.c_str(), 0) == CURLUE_OK) {
    const auto origin = originOf(from);
    same = origin && origin == originOf(to);
  }
  curl_url_cleanup(from);
  curl_url_cleanup(to);
  return same;
}

HttpResult CurlTransfer::result(CURLcode code) const {
  if (code == CURLE_OK) {
    long status = 0;
    curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &status);
    return HttpResult{responseBody_, HttpResponse{static_cast<int>(status), responseHeaders_}, std::nullopt};
  }
  if (exceededLimit_ || code == CURLE_FILESIZE_EXCEEDED) {
    return HttpResult{std::nullopt, std::nullopt,
                      TransportError{Code::tooLarge, "The response is larger than " +
                                                         std::to_string(maxResponseBytes_) + " bytes."}};
  }
  if (code == CURLE_ABORTED_BY_CALLBACK && cancelled())
    return HttpResult{std::nullopt, std::nullopt,
                      TransportError{Code::cancelled, "The request was cancelled."}};
  if (!refusedRedirect_.empty())
    return HttpResult{std::nullopt, std::nullopt, TransportError{Code::other, refusedRedirect_}};
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
