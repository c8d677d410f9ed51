// Writes the program's icon into a hicolor theme tree: the scalable SVG and
// PNGs of the usual sizes, all drawn by the program's own art code.
//
//   torvik_icongen OUTPUT_DIR     (OUTPUT_DIR/hicolor/<size>/apps/torviktune.*)
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "app/AppArt.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: torvik_icongen OUTPUT_DIR\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  const QString root = QString::fromLocal8Bit(argv[1]) + "/hicolor";
  auto place = [&](const QString& sizeDir) {
    const QString dir = root + "/" + sizeDir + "/apps";
    return QDir().mkpath(dir) ? dir + "/torviktune" : QString();
  };
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString base = place(QString("%1x%1").arg(size));
    if (base.isEmpty() || !AppIconPicture(size).save(base + ".png", "PNG")) {
      std::fprintf(stderr, "torvik_icongen: cannot write the %dx%d icon\n", size, size);
      return 1;
    }
  }
  const QString base = place("scalable");
  QFile svg(base + ".svg");
  if (base.isEmpty() || !svg.open(QIODevice::WriteOnly | QIODevice::Truncate) || svg.write(AppIconSvg()) < 0 ||
      !svg.flush()) {
    std::fprintf(stderr, "torvik_icongen: cannot write the scalable icon\n");
    return 1;
  }
  return 0;
}
