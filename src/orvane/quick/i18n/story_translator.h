#pragma once

#include <QLocale>
#include <optional>

namespace orvane::quick {

// The language loadStoryTranslations installed; none while the SDK speaks its English sources.
std::optional<QLocale> storyTranslationLanguage();

}  // namespace orvane::quick
