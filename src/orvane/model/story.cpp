#include <orvane/model/story.h>

#include <orvane/model/raw_value_table.h>

namespace orvane {
namespace {

constexpr RawValueTable<StoryMediaType, 2> kMediaTypes({{
    {StoryMediaType::image, "IMAGE"},
    {StoryMediaType::video, "VIDEO"},
}});

constexpr RawValueTable<WidgetType, 4> kWidgetTypes({{
    {WidgetType::none, "NONE"},
    {WidgetType::poll, "POLL"},
    {WidgetType::quiz, "QUIZ"},
    {WidgetType::swipe, "SWIPE"},
}});

}  // namespace

std::string_view rawValue(StoryMediaType type) { return kMediaTypes.rawValue(type); }
std::string_view rawValue(WidgetType type) { return kWidgetTypes.rawValue(type); }
std::optional<StoryMediaType> storyMediaTypeFromRawValue(std::string_view raw) {
  return kMediaTypes.fromRawValue(raw);
}
std::optional<WidgetType> widgetTypeFromRawValue(std::string_view raw) {
  return kWidgetTypes.fromRawValue(raw);
}

}  // namespace orvane
