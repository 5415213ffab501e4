#include "files/FileProgress.h"

#include "link/LinkWait.h"

namespace zentra {

void FileProgress::Pump() { PumpEvents(); }

bool CommandTally::operator()(bool ok) {
  if (ok) {
    consecutive_ = 0;
  } else {
    ++consecutive_;
    ++result_.failedCommands;
  }
  progress_.Pump();
  return ok;
}

void CommandTally::Retried() {
  if (result_.failedCommands > 0) --result_.failedCommands;
}

void RetryList::Add(std::string gapLine, std::function<bool()> again) {
  items_.push_back({std::move(gapLine), std::move(again)});
}

void RetryList::RunAgain(CommandTally& tally, FileProgress& progress, FileOpResult& result,
                         bool tryAgain) {
  for (auto& item : items_) {
    if (tally.lost()) {
      result.gaps.push_back(item.gapLine);
      continue;
    }
    bool ok = false;
    if (tryAgain) {
      ok = tally(item.again());
      tally.Retried();
    }
    // Two commands of one item (a channel's frequency and flags) make one line.
    if (!ok && (result.gaps.empty() || result.gaps.back() != item.gapLine)) {
      Memo(progress, result, item.gapLine);
      result.gaps.push_back(item.gapLine);
    }
  }
  items_.clear();
}

void MarkGaps(FileOpResult& result) {
  if (!result.completedWithGaps()) return;
  result.title = kTitleWarning;
  result.message = result.message + "\n" + GapsText(result.gaps.size());
}

std::string GapsText(size_t count) {
  return std::string(kMsgCompletedWithGaps) + ": " + std::to_string(count) +
         " item(s) could not be read or written (see the memo).";
}

void Memo(FileProgress& progress, FileOpResult& result, const std::string& line) {
  progress.AddLine(line);
  result.memo.push_back(line);
}

}  // namespace zentra
