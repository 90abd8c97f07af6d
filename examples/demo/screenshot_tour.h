#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <functional>
#include <vector>

class QQuickItem;
class QQuickWindow;

// Walks the demo window as a user would (taps on bubbles, tap zones, options and the close
// button) and saves a picture at each stop, so the SDK can be looked at without a display. The
// walk is repeated at each window size, the pictures of one size in a folder named after it
// ("390x844"). Given a way to slow the service's media down, it also stops on a page whose
// video is still on its way.
class ScreenshotTour : public QObject {
  Q_OBJECT

 public:
  using MediaDelay = std::function<void(std::chrono::milliseconds)>;

  ScreenshotTour(QQuickWindow* window, QDir directory, QList<QSize> sizes, MediaDelay slowMedia = {},
                 QObject* parent = nullptr);

  // Adds a stop that opens a story by its ids, as a link or notification would, and expects
  // the page `pageId` on screen (the group's first page when empty).
  void setStoryOpenedById(std::function<void()> open, QString pageId);

  void start();
  QStringList savedFiles() const { return saved_; }

 signals:
  // `error` is empty when every stop was reached and saved.
  void finished(const QString& error);

 private:
  struct Stop {
    QString name;                 // what is shown; also the picture's name, none when empty
    std::function<bool()> act;    // the user's gesture; false when its target is not there
    std::function<bool()> ready;  // the window shows what the stop is for
    int settleMs;                 // for images, animations and a video frame to arrive
  };

  void addStops();
  void advance();
  // Resizes the window to the next size and starts its walk; false when every size is done.
  bool beginNextSize();
  void fail(const QString& why);

  QQuickItem* item(const QString& objectName) const;
  QObject* object(const QString& objectName) const;
  QQuickItem* bubble(int index) const;
  bool tap(QQuickItem* target);
  bool showsContent(const char* bannerName) const;
  bool viewerShowing() const;
  bool viewerAt(int group, int page) const;
  bool viewerShowsPage(const QString& pageId) const;
  // The viewer is on the sample video's page and, where the scene graph draws video, the window
  // shows one of its frames.
  bool videoShown();
  // Whether the streamed video page has moved on from the first frame seen of it.
  bool videoPlays();

  QQuickWindow* window_;
  QDir directory_;
  MediaDelay slowMedia_;
  std::function<void()> openById_;
  QString openedPageId_;
  QList<QSize> sizes_;
  int sizeIndex_ = -1;
  QDir sizeDirectory_;
  std::vector<Stop> stops_;
  std::size_t next_ = 0;
  bool acted_ = false;
  QElapsedTimer waited_;
  QTimer poll_;
  QStringList saved_;
  // The streamed video's picture when first seen playing.
  QImage firstStreamedFrame_;
};
