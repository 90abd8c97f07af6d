#include "model_printout.h"

namespace {

template <typename T>
std::string orDash(const std::optional<T>& value) {
  if (!value) return "-";
  if constexpr (std::is_same_v<T, orvane::Url>) {
    return value->string();
  } else {
    return *value;
  }
}

}  // namespace

void printStories(std::ostream& out, const std::vector<orvane::StoryGroup>& groups) {
  out << groups.size() << " story groups\n";
  for (const auto& group : groups) {
    out << "  [" << group.id() << "] " << group.title() << "  cover=" << orDash(group.coverImageURL()) << "\n";
    for (const auto& item : group.items()) {
      out << "    page " << item.id() << "  " << item.duration() << " s  " << orvane::rawValue(item.widgetType());
      if (item.title()) out << "  \"" << *item.title() << "\"";
      if (item.ctaURL()) out << "  cta=" << item.ctaURL()->string();
      out << "\n";
      for (const auto& option : item.widgetOptions()) {
        out << "      option " << option.text() << "  votes=" << option.voteCount();
        if (option.isCorrect()) out << (*option.isCorrect() ? "  correct" : "  wrong");
        out << "\n";
      }
    }
  }
}

void printBanners(std::ostream& out, const std::vector<orvane::Banner>& banners) {
  out << banners.size() << (banners.size() == 1 ? " banner\n" : " banners\n");
  for (const auto& banner : banners) {
    out << "  [" << banner.id() << "] " << orvane::rawValue(banner.type()) << "  every "
        << banner.autoplaySeconds() << " s  " << orvane::rawValue(banner.bannerLayoutMode()) << "\n";
    for (const auto& item : banner.items()) {
      out << "    slide " << item.id() << "  #" << item.orderIndex() << "  " << orvane::rawValue(item.ctaType())
          << "  " << item.mediaURL().string() << "\n";
    }
  }
}
