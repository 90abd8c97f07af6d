// frame_check FRAME REGION...: each region ("x,y,width,height") of the PNG must be drawn on, that
// is, a good part of its pixels must differ from the frame's background (its top-left pixel).
#include <QCoreApplication>
#include <QImage>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList arguments = QCoreApplication::arguments();
  const QImage frame(arguments.value(1));
  if (frame.isNull() || arguments.size() < 3) {
    std::fprintf(stderr, "usage: frame_check FRAME x,y,width,height...\n");
    return 2;
  }
  const QRgb background = frame.pixel(0, 0);
  bool allDrawn = true;
  for (const QString& region : arguments.mid(2)) {
    const QStringList parts = region.split(',');
    const QRect area =
        QRect(parts.value(0).toInt(), parts.value(1).toInt(), parts.value(2).toInt(), parts.value(3).toInt())
            .intersected(frame.rect());
    int drawn = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x) drawn += frame.pixel(x, y) != background ? 1 : 0;
    const bool enough = area.width() * area.height() > 0 && drawn * 10 >= area.width() * area.height();
    std::printf("%s: %d of %d pixels drawn%s\n", qPrintable(region), drawn, area.width() * area.height(),
                enough ? "" : " (too few)");
    allDrawn = allDrawn && enough;
  }
  return allDrawn ? 0 : 1;
}
