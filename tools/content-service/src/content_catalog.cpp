#include "content_catalog.h"

#include <fstream>
#include <regex>
#include <sstream>

namespace orvane::service {
namespace {

using nlohmann::json;

const std::string kStoriesSuffix = ".stories.json";
const std::string kBannersSuffix = ".banners.json";

bool isPresent(const json& parent, const std::string& key) {
  auto found = parent.find(key);
  return found != parent.end() && !found->is_null();
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Walks one file's document and names the first place that breaks the wire shape.
class ShapeCheck {
 public:
  explicit ShapeCheck(std::string file) : file_(std::move(file)) {}

  const json& object(const json& parent, const std::string& key, const std::string& at) const {
    const auto& value = member(parent, key, at);
    if (!value.is_object()) fail(at + key, "is not an object");
    return value;
  }
  const json& array(const json& parent, const std::string& key, const std::string& at) const {
    const auto& value = member(parent, key, at);
    if (!value.is_array()) fail(at + key, "is not an array");
    return value;
  }
  void text(const json& parent, const std::string& key, const std::string& at) const {
    if (!member(parent, key, at).is_string()) fail(at + key, "is not a text");
  }
  void integer(const json& parent, const std::string& key, const std::string& at) const {
    if (!member(parent, key, at).is_number_integer()) fail(at + key, "is not an integer");
  }
  void uuid(const json& parent, const std::string& key, const std::string& at) const {
    static const std::regex pattern("^[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12}$");
    const auto& value = member(parent, key, at);
    if (!value.is_string() || !std::regex_match(value.get_ref<const std::string&>(), pattern))
      fail(at + key, "is not a UUID");
  }
  void optionalInteger(const json& parent, const std::string& key, const std::string& at) const {
    if (isPresent(parent, key) && !parent.at(key).is_number_integer()) fail(at + key, "is not an integer");
  }

  [[noreturn]] void fail(const std::string& at, const std::string& problem) const {
    throw ContentError(file_ + ": " + at + " " + problem);
  }

 private:
  const json& member(const json& parent, const std::string& key, const std::string& at) const {
    auto found = parent.find(key);
    if (found == parent.end() || found->is_null()) fail(at + key, "is missing");
    return *found;
  }

  std::string file_;
};

void checkStories(const json& document, const ShapeCheck& check) {
  if (!document.is_object()) check.fail("the document", "is not an object");
  const auto& groups = check.array(document, "groups", "");
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const auto at = "groups[" + std::to_string(g) + "].";
    if (!groups[g].is_object()) check.fail(at, "is not an object");
    check.uuid(groups[g], "id", at);
    check.text(groups[g], "title", at);
    const auto& items = check.array(groups[g], "items", at);
    for (std::size_t i = 0; i < items.size(); ++i) {
      const auto itemAt = at + "items[" + std::to_string(i) + "].";
      if (!items[i].is_object()) check.fail(itemAt, "is not an object");
      check.uuid(items[i], "id", itemAt);
      check.text(items[i], "type", itemAt);
      check.optionalInteger(items[i], "durationSeconds", itemAt);
      if (isPresent(items[i], "media")) {
        const auto& media = check.object(items[i], "media", itemAt);
        check.text(media, "mediaType", itemAt + "media.");
        check.text(media, "mediaUrl", itemAt + "media.");
      }
      if (!isPresent(items[i], "widgetOptions")) continue;
      const auto& options = check.array(items[i], "widgetOptions", itemAt);
      for (std::size_t o = 0; o < options.size(); ++o) {
        const auto optionAt = itemAt + "widgetOptions[" + std::to_string(o) + "].";
        if (!options[o].is_object()) check.fail(optionAt, "is not an object");
        check.uuid(options[o], "id", optionAt);
        check.text(options[o], "text", optionAt);
        check.integer(options[o], "orderIndex", optionAt);
        check.optionalInteger(options[o], "voteCount", optionAt);
      }
    }
  }
}

void checkBanners(const json& document, const ShapeCheck& check) {
  if (!document.is_object()) check.fail("the document", "is not an object");
  const auto& banners = check.array(document, "banners", "");
  for (std::size_t b = 0; b < banners.size(); ++b) {
    const auto at = "banners[" + std::to_string(b) + "].";
    if (!banners[b].is_object()) check.fail(at, "is not an object");
    check.integer(banners[b], "id", at);
    check.text(banners[b], "type", at);
    check.text(banners[b], "placementKey", at);
    check.integer(banners[b], "viewOrder", at);
    const auto& items = check.array(banners[b], "items", at);
    for (std::size_t i = 0; i < items.size(); ++i) {
      const auto itemAt = at + "items[" + std::to_string(i) + "].";
      if (!items[i].is_object()) check.fail(itemAt, "is not an object");
      check.integer(items[i], "id", itemAt);
      check.text(items[i], "mediaUrl", itemAt);
      check.integer(items[i], "orderIndex", itemAt);
    }
  }
}

json readJson(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw ContentError(path.string() + ": cannot be read");
  std::stringstream text;
  text << file.rdbuf();
  try {
    return json::parse(text.str());
  } catch (const json::parse_error& error) {
    throw ContentError(path.string() + ": " + error.what());
  }
}

}  // namespace

ContentCatalog ContentCatalog::load(const std::filesystem::path& directory) {
  std::error_code error;
  if (!std::filesystem::is_directory(directory, error))
    throw ContentError(directory.string() + ": not a content directory");

  ContentCatalog catalog;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    const auto name = entry.path().filename().string();
    if (endsWith(name, kStoriesSuffix)) {
      auto document = readJson(entry.path());
      checkStories(document, ShapeCheck(name));
      catalog.stories_[name.substr(0, name.size() - kStoriesSuffix.size())] = std::move(document);
    } else if (endsWith(name, kBannersSuffix)) {
      auto document = readJson(entry.path());
      checkBanners(document, ShapeCheck(name));
      catalog.banners_[name.substr(0, name.size() - kBannersSuffix.size())] = std::move(document);
    }
  }
  if (error) throw ContentError(directory.string() + ": " + error.message());
  if (catalog.stories_.empty() && catalog.banners_.empty())
    throw ContentError(directory.string() + ": holds no *" + kStoriesSuffix + " or *" + kBannersSuffix + " file");
  return catalog;
}

const nlohmann::json* ContentCatalog::stories(const std::string& placementKey) const {
  auto found = stories_.find(placementKey);
  return found == stories_.end() ? nullptr : &found->second;
}

const nlohmann::json* ContentCatalog::banners(const std::string& placementKey) const {
  auto found = banners_.find(placementKey);
  return found == banners_.end() ? nullptr : &found->second;
}

void ContentCatalog::registerVotables(VoteLedger& ledger) const {
  for (const auto& [placement, document] : stories_) {
    for (const auto& group : document.at("groups")) {
      for (const auto& item : group.at("items")) {
        auto options = item.find("widgetOptions");
        if (options == item.end() || options->empty()) continue;
        std::vector<std::pair<std::string, std::int64_t>> counts;
        for (const auto& option : *options) {
          auto count = option.find("voteCount");
          counts.emplace_back(option.at("id").get<std::string>(),
                              count != option.end() && count->is_number_integer() ? count->get<std::int64_t>() : 0);
        }
        ledger.addItem(item.at("id").get<std::string>(), counts);
      }
    }
  }
}

}  // namespace orvane::service
