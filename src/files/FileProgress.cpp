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

WalkReads::WalkReads(Transactor& link, TDeviceData& data, CommandTally& tally,
                     RetryList& retries, FileProgress& progress)
    : tally_(tally),
      retries_(retries),
      reads_(link.health()),
      confirmed_(link, reads_),
      commands_(confirmed_, data) {
  reads_.betweenReads = [&progress] { progress.Pump(); };
}

bool WalkReads::Run(const std::string& gapLine, const std::function<bool()>& first,
                    std::function<bool()> again) {
  items_.push_back({gapLine, again});
  const int self = static_cast<int>(items_.size()) - 1;
  reads_.Step(self);
  const bool ok = tally_(first());
  // A step that failed is on the retry list already, also when an answer of its own was
  // contradicted.
  if (!ok) retries_.Add(gapLine, std::move(again));
  Settle(ok ? -1 : self);
  return ok;
}

void WalkReads::Settle(int skip) {
  for (int step : reads_.TakeContradicted()) {
    if (step == skip) continue;
    const Item& item = items_[static_cast<size_t>(step)];
    if (!tally_(item.again())) retries_.Add(item.gapLine, item.again);
  }
}

void MarkGaps(FileOpResult& result) {
  if (!result.completedWithGaps()) return;
  result.title = kTitleWarning;
  result.message = result.message + "\n" + GapsText(result.gaps.size());
}

void MarkGapsNamed(FileOpResult& result) {
  if (!result.completedWithGaps()) return;
  const size_t count = result.gaps.size();
  result.title = kTitleWarning;
  result.message += std::string("\n") + kMsgCompletedWithGaps + ": " + std::to_string(count) +
                    " item(s) could not be read or written:";
  for (size_t i = 0; i < count && i < kGapsNamed; ++i) result.message += "\n" + result.gaps[i];
  if (count > kGapsNamed) {
    result.message += "\n... and " + std::to_string(count - kGapsNamed) + " more";
  }
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
