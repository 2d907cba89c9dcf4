// Quarnel's start-up as a program: the About box, then the main window with its settings.
#pragma once

#include <string>

class QApplication;

namespace quarnel {

// True when a window system can be reached (a display, or a platform chosen explicitly).
bool HasDisplay();

// Shows the About box modally, then the main window over appDir (the program directory, ending
// in "/") with its restored settings, and runs the event loop. Returns the exit code.
int RunQuarnel(QApplication& app, const std::string& appDir);

}  // namespace quarnel
