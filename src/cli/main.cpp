#include "cli/Cli.h"
#include "cli/Terminal.h"

int main(int argc, char** argv) {
  zentra::cli::InstallInterruptHandler();
  return zentra::cli::RunCli(argc, argv);
}
