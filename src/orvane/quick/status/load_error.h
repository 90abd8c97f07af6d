#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QString>
#include <optional>

#include <orvane/api/errors.h>

namespace orvane::quick {

// Why a view's last load failed, in the few kinds a host handles differently (as QMediaPlayer's
// error). The public views repeat these values as their own Error enum, in this order.
namespace LoadError {
Q_NAMESPACE
QML_ELEMENT

enum Code {
  NoError,
  // No connection, a timeout, TLS, or an answer larger than allowed.
  NetworkError,
  // The service refused the SDK key (HTTP 401 or 403).
  AccessDeniedError,
  // Any other HTTP status, or an empty answer.
  ServiceError,
  // An answer (or request) that does not have the expected shape.
  FormatError,
  // Loaded before StorySDK.configure.
  NotConfiguredError,
};
Q_ENUM_NS(Code)

Code code(const std::optional<Error>& error);
// Empty without an error.
QString description(const std::optional<Error>& error);

}  // namespace LoadError
}  // namespace orvane::quick
