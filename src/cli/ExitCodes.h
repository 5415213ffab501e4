// Exit status of zentra-cli. Scripts test these numbers; keep them stable.
#pragma once

namespace zentra::cli {

enum ExitCode : int {
  kExitOk = 0,             // the command did what was asked
  kExitFailed = 1,         // the transmitter refused or did not answer a command, a file
                           // could not be read or written, a verify found differences
  kExitUsage = 2,          // bad arguments: unknown option, malformed or refused value
  kExitNoInterface = 3,    // no IR interface found, or it could not be opened
  kExitNoTransmitter = 4,  // no transmitter came in front of the IR window in time
  kExitReadFaulty = 5,     // the full read of the transmitter had read errors
  kExitGaps = 6,           // a table or configuration walk finished, but some items could
                           // not be read or written even when tried again (listed on
                           // stdout as "Not read ..." / "Not written ..." lines);
                           // station run: lines of the list remain or failed
  kExitInterrupted = 130,  // stopped with Ctrl-C before the command finished
};

}  // namespace zentra::cli
