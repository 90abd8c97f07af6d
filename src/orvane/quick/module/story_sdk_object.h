#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QString>
#include <QVariantMap>

namespace orvane::quick {

/**
 * The shared SDK from QML, for hosts that configure it and follow sign-in and sign-out there
 * rather than in C++. The calls are StorySDK's own: configure stores the configuration and always
 * starts a new session; updateSession replaces the identity fields it is given and starts a new
 * session only when the identity changed. A key the call does not know, or a value of the wrong
 * type, throws a TypeError and changes nothing.
 *
 * @code
 * Component.onCompleted: StorySDK.configure({ sdkKey: "my-sdk-key", appKey: "my-app",
 *                                             userId: account.id })
 * Connections {
 *     target: account
 *     function onSignedIn() { StorySDK.updateSession({ userId: account.id }) }
 *     function onSignedOut() { StorySDK.updateSession({ userId: "" }) }
 * }
 * @endcode
 */
class StorySDKObject : public QObject {
  Q_OBJECT
  QML_NAMED_ELEMENT(StorySDK)
  QML_SINGLETON
  /** Whether configure was called, here or in C++. */
  Q_PROPERTY(bool configured READ configured NOTIFY sessionChanged)
  /** The current session's id; empty until configured. */
  Q_PROPERTY(QString sessionId READ sessionId NOTIFY sessionChanged)

 public:
  /** Where content comes from, as StoryEnvironment. */
  enum Environment { Production, Staging };
  Q_ENUM(Environment)

  explicit StorySDKObject(QObject* parent = nullptr);

  bool configured() const;
  QString sessionId() const;

  /**
   * Configures the shared SDK: sdkKey and appKey (strings, required); environment
   * (StorySDK.Production unless given); appId, bundleId and userId (strings); previewMode (bool).
   */
  Q_INVOKABLE void configure(const QVariantMap& configuration);
  /**
   * Replaces appId, bundleId or userId where given (null or absent keeps the value). Ignored
   * before configure, as in C++.
   */
  Q_INVOKABLE void updateSession(const QVariantMap& identity);

 signals:
  /** After a call here changed whether the SDK is configured or which session runs. */
  void sessionChanged();

 private:
  // Throws a TypeError into the calling script.
  void refuse(const QString& message);
  void noteSession(const QString& before, bool wasConfigured);
};

}  // namespace orvane::quick
