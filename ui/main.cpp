// quarnel: the window.
#include <QApplication>
#include <iostream>

#include "ui/app.h"

int main(int argc, char* argv[]) {
  if (!quarnel::HasDisplay()) {
    std::cerr << "quarnel: no display found; quarnel-convert converts files without one.\n";
    return 1;
  }
  QApplication app(argc, argv);
  return quarnel::RunQuarnel(app);
}
