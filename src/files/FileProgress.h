// What a long file operation tells its front end while it runs, and how the front end
// stops it: the progress dialog of the window and the command line both implement this.
// Also the common outcome of the file operations.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "device/CommandSet.h"
#include "device/ConfirmedReads.h"

namespace zentra {

class FileProgress {
 public:
  virtual ~FileProgress() = default;
  // The operation starts: show caption, a bar from 0 to maximum at 0 and an empty memo,
  // and clear the abort flag.
  virtual void Begin(const std::string& caption, int maximum) = 0;
  virtual void SetPosition(int position) = 0;
  // One memo line ("" is an empty line).
  virtual void AddLine(const std::string& line) = 0;
  // True once the user asked to stop (the dialog's Close button, Ctrl-C ...).
  virtual bool AbortRequested() = 0;
  // Runs after every transmitter command so that the dialog stays live; by default lets
  // pending events run (user input excluded).
  virtual void Pump();
};

// A progress that shows nothing and is never aborted.
class NullProgress : public FileProgress {
 public:
  void Begin(const std::string&, int) override {}
  void SetPosition(int) override {}
  void AddLine(const std::string&) override {}
  bool AbortRequested() override { return false; }
  void Pump() override {}
};

enum class FileOpStatus {
  Done,         // finished; message is the final message
  Interrupted,  // the user stopped it; what was done so far stays (and is saved)
  DeviceLost,   // the transmitter stopped answering; a save leaves the old file
  FileError,    // the file could not be read or written
  NoDevice,     // no transmitter identified ("Connect a device!")
  Cancelled,    // the caller's choice dialog was cancelled: nothing done, no message
};

struct FileOpResult {
  FileOpStatus status = FileOpStatus::Done;
  std::string title;    // "OPERATION COMPLETED", "WARNING" or "ERROR"
  std::string message;  // the final message to show; empty when none is shown
  // Further messages shown before the final one (e.g. "Preset loaded!").
  std::vector<std::string> earlierMessages;
  std::vector<std::string> memo;  // every memo line added, in order
  int failedCommands = 0;         // commands that failed and were passed over
  // What a walk could not do even when its failed commands were tried once more at the
  // end (one line each, as in the memo). A finished operation with gaps ends with a
  // warning, not "OPERATION COMPLETED".
  std::vector<std::string> gaps;
  bool ok() const { return status == FileOpStatus::Done; }
  bool completedWithGaps() const { return status == FileOpStatus::Done && !gaps.empty(); }
};

inline constexpr const char* kTitleCompleted = "OPERATION COMPLETED";
inline constexpr const char* kTitleWarning = "WARNING";
inline constexpr const char* kTitleError = "ERROR";
inline constexpr const char* kMsgConnectDevice = "Connect a device!";
inline constexpr const char* kMsgFileSaved = "File saved!";
inline constexpr const char* kMsgFileLoaded = "File loaded!";
// Shown when the transmitter stops answering in the middle of a file operation.
inline constexpr const char* kMsgDeviceLost = "Device not responding!";

// Counts the commands of a file operation: pumps events after each, records failures,
// and decides that the transmitter has gone after kLostAfter failures in a row (single
// failures are passed over, as a lost reply now and then is normal over IR).
class CommandTally {
 public:
  static constexpr int kLostAfter = 5;
  CommandTally(FileProgress& progress, FileOpResult& result)
      : progress_(progress), result_(result) {}
  // Records one command's outcome and returns it.
  bool operator()(bool ok);
  // A command already counted as failed ran once more: whatever its outcome now, it
  // counts once (failedCommands ends as the commands that still failed).
  void Retried();
  bool lost() const { return consecutive_ >= kLostAfter; }

 private:
  FileProgress& progress_;
  FileOpResult& result_;
  int consecutive_ = 0;
};

// Adds a memo line to the progress and the result.
void Memo(FileProgress& progress, FileOpResult& result, const std::string& line);

// The commands of a walk that failed after the link's own retries. A reply lost over IR
// now and then is normal; trying such a command once more when the walk has run through
// recovers most of them, and what still fails is reported instead of passed over.
class RetryList {
 public:
  // again() repeats the failed step (and stores what it read); gapLine is the memo line
  // when it fails once more.
  void Add(std::string gapLine, std::function<bool()> again);
  bool empty() const { return items_.empty(); }
  // Runs each step once more through the tally (a step that succeeds no longer counts
  // as failed) and adds a memo line and a gap for each that fails again. Stops when the
  // transmitter has gone. With tryAgain false (the user stopped the walk) nothing is
  // sent: each step is only reported.
  void RunAgain(CommandTally& tally, FileProgress& progress, FileOpResult& result,
                bool tryAgain = true);

 private:
  struct Item {
    std::string gapLine;
    std::function<bool()> again;
  };
  std::vector<Item> items_;
};

// The reads of a walk, confirmed where the link has shown trouble (ConfirmedReads): a
// read whose first answer a later one contradicts runs again, as does one that failed
// (at the end of the walk, through the retry list).
class WalkReads {
 public:
  WalkReads(Transactor& link, TDeviceData& data, CommandTally& tally, RetryList& retries,
            FileProgress& progress);
  WalkReads(const WalkReads&) = delete;
  WalkReads& operator=(const WalkReads&) = delete;

  // The reading commands of the walk (writes go over the link itself).
  CommandSet& commands() { return commands_; }
  Transactor& transactor() { return confirmed_; }
  // Runs first() as a step of the walk and counts it. When it fails, again() goes on the
  // retry list with gapLine; when a later read contradicts what it read, again() runs at
  // once. again reads the item afresh and puts right whatever first() did with it.
  bool Run(const std::string& gapLine, const std::function<bool()>& first,
           std::function<bool()> again);
  bool Run(const std::string& gapLine, std::function<bool()> read) {
    return Run(gapLine, read, read);
  }
  // Reads again what later reads contradicted (Run does this after every step), but for
  // the step skip.
  void Settle(int skip = -1);

 private:
  struct Item {
    std::string gapLine;
    std::function<bool()> again;
  };
  CommandTally& tally_;
  RetryList& retries_;
  ConfirmedReads reads_;
  ConfirmingTransactor confirmed_;
  CommandSet commands_;
  std::vector<Item> items_;
};

// A finished walk that left gaps: the final message becomes a warning naming how many
// items are missing, so neither the window nor a script takes it for a clean run.
void MarkGaps(FileOpResult& result);
// The same for an operation that shows no memo (a configuration save or load): the
// message names the gaps themselves, one a line ("Not read (preset=02)"), the first
// kGapsNamed of them and how many more.
void MarkGapsNamed(FileOpResult& result);
inline constexpr size_t kGapsNamed = 12;
inline constexpr const char* kMsgCompletedWithGaps = "Completed with gaps";
// "Completed with gaps: 3 item(s) could not be read or written (see the memo)."
std::string GapsText(size_t count);

}  // namespace zentra
