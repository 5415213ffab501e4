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

void Memo(FileProgress& progress, FileOpResult& result, const std::string& line) {
  progress.AddLine(line);
  result.memo.push_back(line);
}

}  // namespace zentra
