#include "ui/program_icon.h"

#include <QImageReader>
#include <QPixmap>

// Resources of a static library are registered by hand; the initialiser must stand outside any
// namespace.
static void InitQuarnelResources() { Q_INIT_RESOURCE(quarnel); }

namespace quarnel {

QIcon ProgramIcon() {
  InitQuarnelResources();
  QIcon icon(QPixmap(QStringLiteral(":/quarnel/quarnel.xpm")));
  if (QImageReader::supportedImageFormats().contains("svg"))
    icon.addFile(QStringLiteral(":/quarnel/quarnel.svg"));
  return icon;
}

}  // namespace quarnel
