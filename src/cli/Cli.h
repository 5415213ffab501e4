// zentra-cli: every transmitter operation from the command line, for scripts and
// batches. RunCli parses the arguments, runs the chosen command and returns the exit
// status (ExitCodes.h).
#pragma once

namespace zentra::cli {

int RunCli(int argc, char** argv);

}  // namespace zentra::cli
