// Build-time tool: writes the program's icon in the sizes of the freedesktop
// icon theme ("hicolor"), scaled from the one icon source.
//   syscode_icon_sizes <source.png> <output folder> <size>...
// writes <output folder>/<size>x<size>/apps/syscode.png for every size.
#include <cstdio>
#include <cstdlib>

#include <QDir>
#include <QImage>
#include <QString>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s <source.png> <output folder> <size>...\n", argv[0]);
    return 2;
  }
  const QImage source(QString::fromLocal8Bit(argv[1]));
  if (source.isNull()) {
    std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
    return 1;
  }
  const QString out = QString::fromLocal8Bit(argv[2]);
  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size <= 0) {
      std::fprintf(stderr, "%s: not a size: %s\n", argv[0], argv[i]);
      return 2;
    }
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
    const QString file = folder + QStringLiteral("/syscode.png");
    const QImage scaled =
        source.convertToFormat(QImage::Format_ARGB32).scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (!QDir().mkpath(folder) || !scaled.save(file, "PNG")) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
      return 1;
    }
  }
  return 0;
}
