// What zentra-cli shows on the terminal besides its results: the progress bar of long
// transfers (stderr, only when stderr is a terminal), the request/answer log of
// --verbose, and Ctrl-C, which ends waits and transfers cleanly.
#pragma once

#include <cstdint>
#include <string>

namespace zentra::cli {

// Installs the SIGINT/SIGTERM handlers; afterwards Interrupted() turns true once the
// user pressed Ctrl-C (or the process was asked to terminate).
void InstallInterruptHandler();
bool Interrupted();
void ClearInterrupted();  // for tests that run several commands in one process

// Waits ms milliseconds in short slices; returns false early when interrupted.
bool SleepUnlessInterrupted(int ms);

// "HH:MM:SS.mmm" of the wall clock, for log lines.
std::string Timestamp();

// Bytes as "4D 49 ..." (upper-case hex, blank separated).
std::string HexBytes(const uint8_t* bytes, int count);

// A one-line progress bar on stderr. Nothing is drawn when stderr is not a terminal
// (or when disabled), so pipes and logs stay clean.
class ProgressBar {
 public:
  explicit ProgressBar(std::string label, bool enabled = true);
  ~ProgressBar();
  void SetMaximum(int maximum);
  void SetPosition(int position);
  void Finish();  // ends the line

 private:
  void Draw();
  std::string label_;
  bool active_;
  int maximum_ = 0;
  int position_ = 0;
  int lastDrawn_ = -1;
};

}  // namespace zentra::cli
