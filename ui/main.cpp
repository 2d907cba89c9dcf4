// quarnel: the window.
#include <QApplication>
#include <iostream>

#include "support/app_dir.h"
#include "ui/app.h"

int main(int argc, char* argv[]) {
  if (!quarnel::HasDisplay()) {
    std::cerr << "quarnel: no display found; quarnel-convert converts files without one.\n";
    return 1;
  }
  QApplication app(argc, argv);
  return quarnel::RunQuarnel(app, quarnel::AppDirForThisProcess());
}
