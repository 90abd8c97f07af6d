// compare_renderings SOFTWARE OPENGL [DIFFERENCES]: every picture of a view state the layout
// suites saved under the software scene graph against the one saved under OpenGL, by name. Fails
// when a picture has no counterpart or the two stray further than anti-aliasing and blur explain;
// the maps of where they stray go to DIFFERENCES.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QSet>
#include <QTextStream>

#include "rendering_difference.h"

using orvane::quick::testing::compareRenderings;
using orvane::quick::testing::kTolerableStrayingPixels;

int main(int argc, char* argv[]) {
  QCoreApplication application(argc, argv);
  const QStringList arguments = application.arguments();
  QTextStream out(stdout);
  if (arguments.size() < 3) {
    out << "usage: compare_renderings SOFTWARE OPENGL [DIFFERENCES]\n";
    return 2;
  }
  const QDir software(arguments[1]), opengl(arguments[2]);
  const QString differences = arguments.size() > 3 ? arguments[3] : QString();
  if (!differences.isEmpty()) QDir().mkpath(differences);

  const QStringList names = software.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
  const QStringList others = opengl.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
  if (names.isEmpty()) {
    out << "no pictures in " << software.path() << "\n";
    return 1;
  }
  int failures = 0;
  for (const QString& name : others)
    if (!names.contains(name)) {
      out << "FAIL " << name << ": drawn only with OpenGL\n";
      ++failures;
    }
  for (const QString& name : names) {
    const auto difference = compareRenderings(QImage(software.filePath(name)), QImage(opengl.filePath(name)));
    if (!difference.problem.isEmpty()) {
      out << "FAIL " << name << ": " << difference.problem << "\n";
      ++failures;
      continue;
    }
    const bool same = difference.strayingPixels <= kTolerableStrayingPixels;
    out << (same ? "ok   " : "FAIL ") << name << ": " << difference.strayingPixels << " pixels stray, by up to "
        << difference.largestDifference << "\n";
    if (!same) {
      ++failures;
      if (!differences.isEmpty()) difference.map.save(QDir(differences).filePath(name));
    }
  }
  out << names.size() << " states compared, " << failures << " differ\n";
  return failures == 0 ? 0 : 1;
}
