#include <orvane/quick/module/story_sdk_object.h>

#include <QJSEngine>
#include <QStringList>
#include <optional>
#include <string>

#include <orvane/core/story_sdk.h>

namespace orvane::quick {
namespace {

// A string field: absent (or null) is nullopt; `ok` turns false for any other type.
std::optional<std::string> textField(const QVariantMap& map, const QString& key, bool& ok) {
  const auto value = map.value(key);
  if (!value.isValid() || value.isNull()) return std::nullopt;
  if (value.typeId() != QMetaType::QString) {
    ok = false;
    return std::nullopt;
  }
  return value.toString().toStdString();
}

QString unknownKeys(const QVariantMap& map, const QStringList& known) {
  QStringList unknown;
  for (auto key = map.keyBegin(); key != map.keyEnd(); ++key)
    if (!known.contains(*key)) unknown.append(*key);
  return unknown.join(QStringLiteral(", "));
}

}  // namespace

StorySDKObject::StorySDKObject(QObject* parent) : QObject(parent) {}

bool StorySDKObject::configured() const { return StorySDK::shared().configuration().has_value(); }

QString StorySDKObject::sessionId() const { return QString::fromStdString(StorySDK::shared().sessionId()); }

void StorySDKObject::refuse(const QString& message) {
  if (auto* engine = qjsEngine(this)) engine->throwError(QJSValue::TypeError, message);
}

void StorySDKObject::noteSession(const QString& before, bool wasConfigured) {
  if (sessionId() != before || configured() != wasConfigured) emit sessionChanged();
}

void StorySDKObject::configure(const QVariantMap& configuration) {
  static const QStringList known = {QStringLiteral("sdkKey"), QStringLiteral("appKey"),
                                    QStringLiteral("environment"), QStringLiteral("appId"),
                                    QStringLiteral("bundleId"), QStringLiteral("userId"),
                                    QStringLiteral("previewMode")};
  if (const auto unknown = unknownKeys(configuration, known); !unknown.isEmpty()) {
    refuse(QStringLiteral("StorySDK.configure: unknown keys %1").arg(unknown));
    return;
  }
  bool ok = true;
  const auto sdkKey = textField(configuration, QStringLiteral("sdkKey"), ok);
  const auto appKey = textField(configuration, QStringLiteral("appKey"), ok);
  auto appId = textField(configuration, QStringLiteral("appId"), ok);
  auto bundleId = textField(configuration, QStringLiteral("bundleId"), ok);
  auto userId = textField(configuration, QStringLiteral("userId"), ok);
  if (!ok || !sdkKey || !appKey) {
    refuse(QStringLiteral("StorySDK.configure: sdkKey and appKey are required; sdkKey, appKey, appId, "
                          "bundleId and userId are strings"));
    return;
  }
  auto environment = StoryEnvironment::production;
  if (const auto value = configuration.value(QStringLiteral("environment")); value.isValid()) {
    bool isNumber = false;
    const int code = value.toInt(&isNumber);
    if (!isNumber || (code != Production && code != Staging)) {
      refuse(QStringLiteral("StorySDK.configure: environment is StorySDK.Production or StorySDK.Staging"));
      return;
    }
    environment = code == Staging ? StoryEnvironment::staging : StoryEnvironment::production;
  }
  bool previewMode = false;
  if (const auto value = configuration.value(QStringLiteral("previewMode")); value.isValid()) {
    if (value.typeId() != QMetaType::Bool) {
      refuse(QStringLiteral("StorySDK.configure: previewMode is a bool"));
      return;
    }
    previewMode = value.toBool();
  }
  const QString before = sessionId();
  const bool wasConfigured = configured();
  StorySDK::shared().configure(StoryConfiguration(*sdkKey, *appKey, environment, std::move(appId),
                                                  std::move(bundleId), std::move(userId),
                                                  StoryUIStrings::default_(), previewMode));
  noteSession(before, wasConfigured);
}

void StorySDKObject::updateSession(const QVariantMap& identity) {
  static const QStringList known = {QStringLiteral("appId"), QStringLiteral("bundleId"), QStringLiteral("userId")};
  if (const auto unknown = unknownKeys(identity, known); !unknown.isEmpty()) {
    refuse(QStringLiteral("StorySDK.updateSession: unknown keys %1").arg(unknown));
    return;
  }
  bool ok = true;
  auto appId = textField(identity, QStringLiteral("appId"), ok);
  auto bundleId = textField(identity, QStringLiteral("bundleId"), ok);
  auto userId = textField(identity, QStringLiteral("userId"), ok);
  if (!ok) {
    refuse(QStringLiteral("StorySDK.updateSession: appId, bundleId and userId are strings"));
    return;
  }
  const QString before = sessionId();
  const bool wasConfigured = configured();
  StorySDK::shared().updateSession(std::move(appId), std::move(bundleId), std::move(userId));
  noteSession(before, wasConfigured);
}

}  // namespace orvane::quick
