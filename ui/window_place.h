// Where windows open: wholly on the screen that holds the main window, at a size that fits it,
// and where the user left them last (kept in the settings in twips, as every position there).
#pragma once

#include <QPoint>
#include <QRect>
#include <string_view>

class QWidget;

namespace quarnel {

class IniStore;

// frame moved, and shrunk where it must, to lie wholly inside available.
QRect FitInside(QRect frame, const QRect& available);

// The room for windows (panels aside) of the screen that holds point; the primary screen's
// when none does.
QRect ScreenRoomAt(QPoint point);

// Moves and shrinks the top-level window so that its frame lies wholly on the screen that
// holds anchor (the main window), or that holds the window itself without one.
void KeepOnScreen(QWidget& window, const QWidget* anchor);

// Restores window's place from the section's Top, Left, Width and Height (a missing one
// leaves that value as it is), keeps it on anchor's screen whenever it is shown, and writes
// the place back whenever it closes.
void RememberPlace(QWidget& window, IniStore& settings, std::string_view section,
                   const QWidget* anchor);

}  // namespace quarnel
