// torviktune: the tuning utility's window.
//
//   torviktune [--machine host|emulated[:BOARD]] [--startup-time]
//
// --startup-time shows the window, prints the milliseconds from the start
// of main to the window painted, and exits (start-up measurements).
#include <QApplication>
#include <QIcon>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "TorvikVersion.h"
#include "app/AppArt.h"
#include "app/AppHelp.h"
#include "app/CTorvikTuneApp.h"
#include "machines/MachineSelect.h"

int main(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
  std::string machine = "host";
  bool startupTime = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--machine") == 0 && i + 1 < argc) {
      machine = argv[++i];
    } else if (std::strncmp(argv[i], "--machine=", 10) == 0) {
      machine = argv[i] + 10;
    } else if (std::strcmp(argv[i], "--startup-time") == 0) {
      startupTime = true;
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(help::HelpText(TorviktuneHelp()).c_str(), stdout);
      return 0;
    }
  }
  std::string error;
  if (!machines::SelectMachine(machine, &error)) {
    std::fprintf(stderr, "torviktune: %s\n", error.c_str());
    return 2;
  }

  QApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("torviktune"));
  QApplication::setApplicationVersion(QStringLiteral(TORVIK_VERSION));
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(AppIconPicture(size));
  QApplication::setWindowIcon(icon);

  CTorvikTuneApp app;
  // A second copy ends here, without a window.
  if (!app.InitInstance()) return 0;
  if (startupTime) {
    QApplication::processEvents();
    const auto shown = std::chrono::steady_clock::now();
    std::printf("window shown after %.1f ms\n",
                std::chrono::duration<double, std::milli>(shown - started).count());
    std::fflush(stdout);
    app.ExitInstance();
    return 0;
  }
  app.Run();
  app.ExitInstance();
  return 0;
}
