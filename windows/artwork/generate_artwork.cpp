// Draws the banner, the program icon file and the desktop icons into a folder:
//   kelvara_artwork OUTPUT_FOLDER
// Run by hand (scripts/artwork) after changing a picture; its output is committed.
#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>
#include <cstdio>

#include "windows/artwork/banner.h"
#include "windows/artwork/ico_file.h"
#include "windows/artwork/icon_picture.h"

namespace {

using namespace kelvara::artwork;

bool Fail(const QString& message) {
  std::fprintf(stderr, "kelvara_artwork: %s\n", qPrintable(message));
  return false;
}

bool WritePng(const QImage& image, const QString& path) {
  QSaveFile file(path);  // a failed run leaves the previous picture in place
  if (!file.open(QIODevice::WriteOnly)) return Fail(path + ": " + file.errorString());
  QImageWriter writer(&file, "png");
  if (!writer.write(image)) return Fail(path + ": " + writer.errorString());
  if (!file.commit()) return Fail(path + ": " + file.errorString());
  return true;
}

bool WriteBytes(const QByteArray& bytes, const QString& path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    return Fail(path + ": " + file.errorString());
  }
  return true;
}

bool FontsPresent() {
  const QStringList installed = QFontDatabase::families();
  for (const QString& family : BannerFamilies()) {
    if (!installed.contains(family)) {
      return Fail(QStringLiteral("the font \"%1\" is missing (fonts-ipafont-gothic, "
                                 "fonts-dejavu-core)")
                      .arg(family));
    }
  }
  return true;
}

bool Generate(const QDir& out) {
  if (!FontsPresent()) return false;
  if (!out.mkpath(QStringLiteral("icons"))) return Fail(out.path() + ": cannot create icons/");

  bool written = WritePng(DrawBanner(1), out.filePath(QStringLiteral("banner.png"))) &&
                 WritePng(DrawBanner(2), out.filePath(QStringLiteral("banner@2x.png")));

  const QList<IcoImage> icoImages = {
      {DrawPaletteIcon(32, TwoColours()), TwoColours()},
      {DrawPaletteIcon(32, SixteenColours()), SixteenColours()},
      {DrawPaletteIcon(16, SixteenColours()), SixteenColours()},
  };
  written = written && WriteBytes(IcoFile(icoImages), out.filePath(QStringLiteral("kelvara.ico")));

  for (int size : {16, 32, 48, 64, 128, 256}) {
    written = written && WritePng(DrawIcon(size),
                                  out.filePath(QStringLiteral("icons/kelvara-%1.png").arg(size)));
  }
  return written;
}

}  // namespace

int main(int argc, char* argv[]) {
  // A drawing tool: it needs fonts but no screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: kelvara_artwork OUTPUT_FOLDER\n");
    return 2;
  }
  return Generate(QDir(QString::fromLocal8Bit(argv[1]))) ? 0 : 1;
}
