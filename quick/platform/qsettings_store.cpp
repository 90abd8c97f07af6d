#include "quick/platform/qsettings_store.h"

#include <QSettings>
#include <memory>

namespace orvane::quick {
namespace {

std::unique_ptr<QSettings> openSettings(const std::optional<QString>& iniFile) {
  if (iniFile) return std::make_unique<QSettings>(*iniFile, QSettings::IniFormat);
  return std::make_unique<QSettings>();
}

}  // namespace

QString settingsKey(const std::string& key) {
  QString text = QString::fromStdString(key);
  QString encoded;
  encoded.reserve(text.size());
  for (QChar c : text) {
    if (c == u'%') {
      encoded += u"%25";
    } else if (c == u'/') {
      encoded += u"%2F";
    } else if (c == u'\\') {
      encoded += u"%5C";
    } else {
      encoded += c;
    }
  }
  return encoded;
}

std::optional<std::string> QSettingsStore::string(const std::string& key) const {
  if (key.empty()) return std::nullopt;
  QVariant value = openSettings(iniFile_)->value(settingsKey(key));
  if (value.typeId() != QMetaType::QString) return std::nullopt;
  return value.toString().toStdString();
}

void QSettingsStore::set(const std::string& key, const std::string& value) {
  if (key.empty()) return;  // QSettings refuses an empty key
  auto settings = openSettings(iniFile_);
  settings->setValue(settingsKey(key), QString::fromStdString(value));
  settings->sync();
}

}  // namespace orvane::quick
