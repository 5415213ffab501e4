#include <QCoreApplication>

#include "cli/Cli.h"
#include "cli/Terminal.h"

int main(int argc, char** argv) {
  // The link's bounded waits run a local event loop, which needs an application object.
  QCoreApplication app(argc, argv);
  zentra::cli::InstallInterruptHandler();
  return zentra::cli::RunCli(argc, argv);
}
