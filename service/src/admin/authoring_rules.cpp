#include "authoring_rules.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace orvane::service::admin {
namespace {

using nlohmann::json;

constexpr std::size_t minOptions = 2, maxOptions = 10;
constexpr std::int64_t maxPageSeconds = 600;

std::string asciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string asciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// The scheme of "scheme:rest", empty when the text has none.
std::string schemeOf(std::string_view link) {
  const std::size_t colon = link.find(':');
  if (colon == std::string_view::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(link.front())))
    return {};
  for (char c : link.substr(0, colon))
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return {};
  return asciiLower(link.substr(0, colon));
}

bool hasControlOrSpace(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f) return true;
  return false;
}

// "//host[:port]/..." with a host and no user:password@ that would hide the real host.
std::string webLinkProblem(std::string_view afterScheme) {
  if (!afterScheme.starts_with("//")) return "has no host";
  std::string_view authority = afterScheme.substr(2);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  if (authority.find('@') != std::string_view::npos) return "hides its host behind a user name";
  std::string_view host = authority;
  if (!host.empty() && host.front() == '[') {
    host = host.substr(0, std::min(host.find(']'), host.size() - 1) + 1);  // an IPv6 address keeps its colons
  } else if (const std::size_t colon = host.rfind(':'); colon != std::string_view::npos) {
    host = host.substr(0, colon);
  }
  if (host.empty()) return "has no host";
  const bool bracketed = host.front() == '[';
  if (bracketed && (host.size() < 3 || host.back() != ']')) return "has no valid host";
  for (char c : bracketed ? host.substr(1, host.size() - 2) : host) {
    const bool allowed = std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_' ||
                         c == '~' || c == '%' || (bracketed && c == ':');
    if (!allowed) return "has no valid host";
  }
  return {};
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string percentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Mail clients told to attach a file may attach any the user can read; they differ in how they
// split fields, so every piece that could be read as one is checked, decoded until it settles.
bool mailtoAsksForAttachment(std::string_view link) {
  std::string decoded(link);
  for (std::string previous; decoded != previous;) {
    previous = decoded;
    decoded = percentDecoded(previous);
  }
  std::size_t start = 0;
  while (start <= decoded.size()) {
    const std::size_t end = std::min(decoded.find_first_of("?&;", start), decoded.size());
    const std::string field = decoded.substr(start, end - start);
    const std::size_t equals = field.find('=');
    if (equals != std::string::npos) {
      const std::string name = asciiLower(trimmed(field.substr(0, equals)));
      if (name.find("attach") != std::string::npos || name == "file" || name == "files") return true;
    }
    start = end + 1;
  }
  return false;
}

std::string mediaUrlProblem(std::string_view url) {
  if (url.empty()) return "is empty";
  if (hasControlOrSpace(url)) return "holds spaces or control characters";
  if (url.starts_with("{{origin}}/")) return {};
  const std::string scheme = schemeOf(url);
  if (scheme != "http" && scheme != "https") return "is neither an uploaded medium ({{origin}}/media/...) nor an http(s) link";
  return webLinkProblem(url.substr(scheme.size() + 1));
}

bool isAspectRatio(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  const auto positiveNumber = [](std::string_view part) {
    if (part.empty() || part.size() > 12) return false;
    bool digit = false, dot = false, nonZero = false;
    for (char c : part) {
      if (c == '.' && !dot) {
        dot = true;
      } else if (c >= '0' && c <= '9') {
        digit = true;
        nonZero = nonZero || c != '0';
      } else {
        return false;
      }
    }
    return digit && nonZero;
  };
  return positiveNumber(text.substr(0, colon)) && positiveNumber(text.substr(colon + 1));
}

class Problems {
 public:
  explicit Problems(const std::vector<std::string>& appSchemes) : appSchemes_(appSchemes) {}
  void add(std::string path, std::string message) { list_.push_back({std::move(path), std::move(message)}); }
  std::vector<ContentProblem> take() && { return std::move(list_); }

  const std::string* text(const json& record, const char* key) {
    auto found = record.find(key);
    return found != record.end() && found->is_string() ? &found->get_ref<const std::string&>() : nullptr;
  }

  void link(const json& record, const char* key, const std::string& at) {
    if (const std::string* value = text(record, key)) {
      if (auto problem = linkProblem(*value, appSchemes_); !problem.empty()) add(at + key, problem);
    }
  }
  void media(const json& record, const char* key, const std::string& at) {
    if (const std::string* value = text(record, key)) {
      if (auto problem = mediaUrlProblem(*value); !problem.empty()) add(at + key, problem);
    }
  }

 private:
  const std::vector<std::string>& appSchemes_;
  std::vector<ContentProblem> list_;
};

std::string indexed(const std::string& at, const char* list, std::size_t index) {
  return at + list + "[" + std::to_string(index) + "].";
}

void checkWidget(const json& item, const std::string& at, Problems& problems) {
  const std::string* widget = problems.text(item, "widgetType");
  if (widget == nullptr) return;
  if (*widget != "POLL" && *widget != "QUIZ" && *widget != "SWIPE" && *widget != "NONE") {
    problems.add(at + "widgetType", "is not POLL, QUIZ, SWIPE or NONE (in capitals): the SDK would show no widget");
    return;
  }
  if (*widget == "SWIPE" && problems.text(item, "swipeCallbackUrl") == nullptr)
    problems.add(at + "swipeCallbackUrl", "is missing: a swipe-up needs a link");
  if (*widget != "POLL" && *widget != "QUIZ") return;
  const json options = item.value("widgetOptions", json::array());
  if (options.size() < minOptions || options.size() > maxOptions) {
    problems.add(at + "widgetOptions", "a " + asciiLower(*widget) + " needs " + std::to_string(minOptions) + " to " +
                                           std::to_string(maxOptions) + " options");
  }
  std::size_t correct = 0;
  for (std::size_t o = 0; o < options.size(); ++o) {
    const json& option = options[o];
    if (!option.is_object()) continue;
    const std::string* text = problems.text(option, "text");
    if (text != nullptr && trimmed(*text).empty())
      problems.add(indexed(at, "widgetOptions", o) + "text", "is empty");
    if (option.value("isCorrect", false) == true) ++correct;
  }
  if (*widget == "QUIZ" && correct != 1) problems.add(at + "widgetOptions", "a quiz needs exactly one correct option");
  if (*widget == "POLL" && correct != 0) problems.add(at + "widgetOptions", "a poll has no correct option");
}

void checkStories(const json& document, Problems& problems) {
  const json& groups = document.at("groups");
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const std::string at = indexed("", "groups", g);
    const json& group = groups[g];
    if (const std::string* title = problems.text(group, "title"); title && trimmed(*title).empty())
      problems.add(at + "title", "is empty");
    if (group.contains("coverUrl") && !group["coverUrl"].is_null() && !group["coverUrl"].is_string())
      problems.add(at + "coverUrl", "is not a text");
    problems.media(group, "coverUrl", at);
    const json& items = group.at("items");
    for (std::size_t i = 0; i < items.size(); ++i) {
      const std::string itemAt = indexed(at, "items", i);
      const json& item = items[i];
      if (auto media = item.find("media"); media != item.end() && media->is_object()) {
        const std::string type = asciiUpper(media->value("mediaType", ""));
        if (type != "IMAGE" && type != "VIDEO") problems.add(itemAt + "media.mediaType", "is not IMAGE or VIDEO");
        problems.media(*media, "mediaUrl", itemAt + "media.");
      }
      if (auto seconds = item.find("durationSeconds"); seconds != item.end() && seconds->is_number_integer()) {
        const auto value = seconds->get<std::int64_t>();
        if (value < 1 || value > maxPageSeconds)
          problems.add(itemAt + "durationSeconds", "is not 1 to " + std::to_string(maxPageSeconds) + " seconds");
      }
      problems.link(item, "ctaUrl", itemAt);
      if (const std::string* cta = problems.text(item, "ctaText");
          cta && !trimmed(*cta).empty() && problems.text(item, "ctaUrl") == nullptr) {
        problems.add(itemAt + "ctaUrl", "is missing: a call to action needs a link");
      }
      problems.link(item, "swipeCallbackUrl", itemAt);
      checkWidget(item, itemAt, problems);
    }
  }
}

void checkBanners(const json& document, const std::string& placementKey, Problems& problems) {
  const json& banners = document.at("banners");
  std::set<std::string> bannerIds, slideIds;
  for (std::size_t b = 0; b < banners.size(); ++b) {
    const std::string at = indexed("", "banners", b);
    const json& banner = banners[b];
    if (!bannerIds.insert(banner.at("id").dump()).second) problems.add(at + "id", "appears twice in the document");
    const std::string type = asciiUpper(banner.value("type", ""));
    if (type != "STATIC" && type != "CAROUSEL" && type != "STORY")
      problems.add(at + "type", "is not STATIC, CAROUSEL or STORY");
    if (banner.value("placementKey", "") != placementKey)
      problems.add(at + "placementKey", "is not this placement's key (" + placementKey + ")");
    const json& items = banner.at("items");
    if (items.empty()) problems.add(at + "items", "is empty: the SDK drops a banner without slides");
    if (type == "STATIC" && items.size() > 1) problems.add(at + "items", "a static banner has one slide");
    for (const char* key : {"bannerAspectRatio", "aspectRatio"}) {
      if (const std::string* ratio = problems.text(banner, key); ratio && !isAspectRatio(*ratio))
        problems.add(at + key, "is not a ratio such as 16:9");
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
      const std::string itemAt = indexed(at, "items", i);
      const json& item = items[i];
      if (!slideIds.insert(item.at("id").dump()).second) problems.add(itemAt + "id", "appears twice in the document");
      problems.media(item, "mediaUrl", itemAt);
      // Deep links, routes and custom events are the host app's to read; web links must open.
      const std::string ctaType = asciiUpper(item.value("ctaType", "EXTERNAL_URL"));
      if (ctaType == "EXTERNAL_URL") problems.link(item, "ctaUrl", itemAt);
    }
  }
}

}  // namespace

std::string linkProblem(std::string_view link, const std::vector<std::string>& appSchemes) {
  const std::string_view text = trimmed(link);
  if (text.empty()) return "is blank";
  if (hasControlOrSpace(text)) return "holds spaces or control characters";
  std::string scheme = schemeOf(text);
  // Without a scheme the SDK reads it as an https link.
  std::string absolute = scheme.empty() ? "https://" + std::string(text) : std::string(text);
  if (scheme.empty()) scheme = "https";
  const std::string_view rest = std::string_view(absolute).substr(scheme.size() + 1);
  if (scheme == "http" || scheme == "https") {
    if (auto problem = webLinkProblem(rest); !problem.empty()) return problem;
    return {};
  }
  if (scheme == "mailto") return mailtoAsksForAttachment(rest) ? "asks the mail client to attach a file" : "";
  if (scheme == "tel") return {};
  for (const std::string& listed : appSchemes)
    if (asciiLower(listed) == scheme) return {};
  std::string allowed = "http, https, mailto, tel";
  for (const std::string& listed : appSchemes) allowed += ", " + listed;
  return "is not a link the SDK opens (" + allowed + ")";
}

std::vector<ContentProblem> authoringProblems(const nlohmann::json& document, storage::ContentKind kind,
                                              const std::string& placementKey,
                                              const std::vector<std::string>& appSchemes) {
  Problems problems(appSchemes);
  if (kind == storage::ContentKind::stories) {
    checkStories(document, problems);
  } else {
    checkBanners(document, placementKey, problems);
  }
  return std::move(problems).take();
}

}  // namespace orvane::service::admin
