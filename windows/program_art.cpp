#include "windows/program_art.h"

#include <QDir>

namespace kelvara {

QIcon ProgramIcon() {
  QIcon icon;
  const QDir sizes(QStringLiteral(":/kelvara/icons"));
  for (const QFileInfo& file : sizes.entryInfoList(QDir::Files)) icon.addFile(file.filePath());
  return icon;
}

QPixmap BannerPixmap(qreal devicePixelRatio) {
  const bool dense = devicePixelRatio > 1.0;
  QPixmap banner(dense ? QStringLiteral(":/kelvara/banner@2x.png")
                       : QStringLiteral(":/kelvara/banner.png"));
  banner.setDevicePixelRatio(dense ? 2.0 : 1.0);
  return banner;
}

}  // namespace kelvara
