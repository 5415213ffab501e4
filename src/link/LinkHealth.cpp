#include "link/LinkHealth.h"

namespace zentra {

std::optional<ReadConfirmation> ParseReadConfirmation(const std::string& text) {
  if (text == "auto") return ReadConfirmation::Auto;
  if (text == "always") return ReadConfirmation::Always;
  if (text == "never") return ReadConfirmation::Never;
  return std::nullopt;
}

const char* ReadConfirmationName(ReadConfirmation mode) {
  switch (mode) {
    case ReadConfirmation::Auto: return "auto";
    case ReadConfirmation::Always: return "always";
    case ReadConfirmation::Never: return "never";
  }
  return "auto";
}

void LinkHealth::Reset() {
  faults_ = 0;
  cleanRun_ = 0;
}

void LinkHealth::NoteFault(bool answered) {
  if (paused() && !answered) return;
  ++faults_;
  cleanRun_ = 0;
}

void LinkHealth::NoteClean() {
  if (faults_ == 0 || cleanRun_ >= kCleanRunToTrust) return;
  ++cleanRun_;
}

bool LinkHealth::ConfirmReads() const {
  switch (mode) {
    case ReadConfirmation::Always: return true;
    case ReadConfirmation::Never: return false;
    case ReadConfirmation::Auto: return faults_ > 0 && cleanRun_ < kCleanRunToTrust;
  }
  return false;
}

}  // namespace zentra
