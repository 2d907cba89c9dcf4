// quarnel: the window.
#include <QApplication>
#include <cstring>
#include <iostream>

#include "support/app_dir.h"
#include "ui/app.h"

namespace {

// The application id: the names of the desktop entry, the icon and the AppStream data.
constexpr const char* kDesktopFileName = "io.github.quarnel.Quarnel";

constexpr const char* kHelp =
    "Usage: quarnel [OPTION]\n"
    "Opens the window that converts router G-code files into machining centre G-code, one\n"
    "output file of the same name per source file. It needs a display; without one, use\n"
    "quarnel-convert. The settings are kept in Quarnel.INI and the tool substitution table\n"
    "in ToolTbl.Dat, both in the program's directory.\n"
    "\n"
    "Options:\n"
    "  --help     display this help and exit\n"
    "  --version  output version information and exit\n";

// Answers a lone --help or --version on standard output; true when it did.
bool AnsweredWithoutWindow(int argc, char* argv[]) {
  if (argc != 2) return false;
  if (std::strcmp(argv[1], "--version") == 0)
    std::cout << "quarnel " QUARNEL_VERSION "\n";
  else if (std::strcmp(argv[1], "--help") == 0)
    std::cout << kHelp;
  else
    return false;
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (AnsweredWithoutWindow(argc, argv)) return 0;
  if (!quarnel::HasDisplay()) {
    std::cerr << "quarnel: no display found; quarnel-convert converts files without one.\n";
    return 1;
  }
  QApplication app(argc, argv);
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
  return quarnel::RunQuarnel(app, quarnel::AppDirForThisProcess());
}
