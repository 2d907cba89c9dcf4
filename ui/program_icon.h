// Quarnel's own icon, for its windows.
#pragma once

#include <QIcon>

namespace quarnel {

// The icon drawn in resources/quarnel.svg. Its 32-pixel bitmap rendition always serves; the
// drawing itself is added where the platform can read SVG.
QIcon ProgramIcon();

}  // namespace quarnel
