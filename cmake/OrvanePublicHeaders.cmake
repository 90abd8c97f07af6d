# The SDK's public headers, the only ones installed; all live under include/. Anything a host
# does not call, implement or name stays under src/.
set(ORVANE_PUBLIC_HEADERS
  # The facade, its configuration and the events it reports.
  orvane/core/story_sdk.h
  orvane/core/story_configuration.h
  orvane/core/story_sdk_event.h
  orvane/core/sdk_version.h
  # The content model.
  orvane/model/story.h
  orvane/model/banner.h
  orvane/model/theme.h
  orvane/model/color.h
  orvane/model/font.h
  # The content client and its errors.
  orvane/api/story_api.h
  orvane/api/errors.h
  orvane/api/vote_response.h
  # Opening, steering and sharing stories from the host.
  orvane/stories/story_link.h
  orvane/stories/story_navigation.h
  # The platform interfaces a host implements, and the run loop a host without a toolkit uses.
  orvane/platform/platform.h
  orvane/platform/http.h
  orvane/platform/main_queue.h
  orvane/platform/key_value_store.h
  orvane/platform/clock.h
  orvane/platform/uuid.h
  orvane/platform/locale.h
  orvane/platform/device.h
  orvane/platform/bundle.h
  orvane/platform/console.h
  orvane/platform/image.h
  orvane/platform/url_opener.h
  orvane/platform/fonts.h
  orvane/platform/url.h
  orvane/platform/run_loop.h)

# The Qt binding's: how a host installs the Qt platform and picks the views' language. Its QML
# types are the module's.
set(ORVANE_QUICK_PUBLIC_HEADERS
  orvane/quick/platform/qt_platform.h
  orvane/quick/i18n/story_translations.h)
