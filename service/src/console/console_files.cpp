#include "console/console_files.h"

#include <fstream>
#include <iterator>

namespace orvane::service::console {
namespace {

using http::Request;
using http::Response;

constexpr int maxDepth = 8;
constexpr std::uintmax_t maxFileBytes = 32 * 1024 * 1024;

constexpr std::string_view securityPolicy =
    "default-src 'self'; img-src 'self' blob: data:; media-src 'self' blob:; style-src 'self'; "
    "frame-ancestors 'none'; base-uri 'none'; form-action 'self'; object-src 'none'";

std::string_view contentTypeFor(const std::filesystem::path& file) {
  static constexpr std::pair<std::string_view, std::string_view> types[] = {
      {".html", "text/html; charset=utf-8"},     {".js", "text/javascript; charset=utf-8"},
      {".mjs", "text/javascript; charset=utf-8"}, {".css", "text/css; charset=utf-8"},
      {".json", "application/json"},             {".map", "application/json"},
      {".webmanifest", "application/manifest+json"},
      {".svg", "image/svg+xml"},                 {".png", "image/png"},
      {".jpg", "image/jpeg"},                    {".jpeg", "image/jpeg"},
      {".webp", "image/webp"},                   {".gif", "image/gif"},
      {".ico", "image/x-icon"},                  {".woff2", "font/woff2"},
      {".woff", "font/woff"},                    {".txt", "text/plain; charset=utf-8"},
  };
  const std::string extension = file.extension().string();
  for (const auto& [known, type] : types)
    if (extension == known) return type;
  return "application/octet-stream";
}

// "index-3f9a1c2b.js", "app.BX7q_2Lk.css": a build names a file after its bytes, so it never changes.
bool isHashedName(const std::filesystem::path& file) {
  const std::string stem = file.stem().string();
  const std::size_t cut = stem.find_last_of("-.");
  if (cut == std::string::npos) return false;
  const std::string_view piece = std::string_view(stem).substr(cut + 1);
  bool digit = false;
  for (char c : piece) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!allowed) return false;
    digit = digit || (c >= '0' && c <= '9');
  }
  return piece.size() >= 8 && digit;
}

Response withSecurityHeaders(Response answer) {
  answer.headers["Content-Security-Policy"] = std::string(securityPolicy);
  answer.headers["X-Content-Type-Options"] = "nosniff";
  answer.headers["X-Frame-Options"] = "DENY";
  answer.headers["Referrer-Policy"] = "no-referrer";
  return answer;
}

std::optional<std::string> readWhole(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error) || std::filesystem::file_size(file, error) > maxFileBytes)
    return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Response fileAnswer(const std::filesystem::path& file, std::string bytes, bool cacheForever) {
  Response answer;
  answer.status = 200;
  answer.headers["Content-Type"] = std::string(contentTypeFor(file));
  answer.headers["Cache-Control"] = cacheForever ? "public, max-age=31536000, immutable" : "no-cache";
  answer.body = std::move(bytes);
  return withSecurityHeaders(std::move(answer));
}

Response serve(const std::filesystem::path& folder, const Request& request) {
  // Path parameters are decoded segments: one holding a separator or naming a hidden file or a
  // parent could leave the folder.
  std::filesystem::path file = folder;
  bool underAssets = false;
  for (std::size_t i = 0; i < request.pathParameters.size(); ++i) {
    const std::string& segment = request.pathParameters[i];
    if (segment.front() == '.' || segment.find_first_of("/\\") != std::string::npos ||
        segment.find('\0') != std::string::npos) {
      return withSecurityHeaders(Response::error(404, "not found"));
    }
    if (i == 0 && segment == "assets") underAssets = true;
    file /= segment;
  }
  if (!request.pathParameters.empty()) {
    if (auto bytes = readWhole(file)) return fileAnswer(file, std::move(*bytes), underAssets || isHashedName(file));
    // A missing script or picture is a 404; a page path is the page's to route.
    if (file.has_extension()) return withSecurityHeaders(Response::error(404, "not found"));
  }
  const auto index = folder / "index.html";
  auto bytes = readWhole(index);
  if (!bytes) return withSecurityHeaders(Response::error(404, "the console is not built: no index.html in its folder"));
  return fileAnswer(index, std::move(*bytes), false);
}

}  // namespace

void addConsoleRoutes(http::Router& router, std::optional<std::filesystem::path> folder) {
  router.add("GET", "/console", "console", http::RouteLimits{0}, [](Request&) {
    Response answer = withSecurityHeaders(Response::error(301, "the console is at /console/"));
    answer.headers["Location"] = "/console/";
    return answer;
  });
  const auto handler = [folder](Request& request) {
    if (!folder) {
      return withSecurityHeaders(Response::error(
          404, "the console is not built: build the console, or name its folder with --console-dir"));
    }
    return serve(*folder, request);
  };
  router.add("GET", "/console/", "console", http::RouteLimits{0}, handler);
  std::string pattern = "/console";
  for (int depth = 1; depth <= maxDepth; ++depth) {
    pattern += "/{}";
    router.add("GET", pattern, "console", http::RouteLimits{0}, handler);
  }
}

std::optional<std::filesystem::path> defaultConsoleFolder(const std::filesystem::path& installed,
                                                          const std::filesystem::path& built) {
  std::error_code error;
  for (const auto& folder : {installed, built})
    if (!folder.empty() && std::filesystem::is_regular_file(folder / "index.html", error)) return folder;
  return std::nullopt;
}

}  // namespace orvane::service::console
