// Quarnel's start-up as a program: the About box, then the main window with its settings.
#pragma once

class QApplication;

namespace quarnel {

// True when a window system can be reached (a display, or a platform chosen explicitly).
bool HasDisplay();

// Finds the program directory, shows the About box modally, then shows the main window with
// its restored settings and runs the event loop. Returns the exit code.
int RunQuarnel(QApplication& app);

}  // namespace quarnel
