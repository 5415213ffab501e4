#include "cli/Terminal.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>

#include "link/LinkWait.h"

namespace zentra::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) { g_interrupted = 1; }

}  // namespace

void InstallInterruptHandler() {
  // On Windows the C runtime turns Ctrl-C into SIGINT. The first signal is all it takes
  // to end cleanly: waits and transfers look at Interrupted() and stop.
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
}

bool Interrupted() { return g_interrupted != 0; }

void ClearInterrupted() { g_interrupted = 0; }

bool SleepUnlessInterrupted(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!Interrupted()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return true;
    WaitMs(static_cast<int>(std::min<long long>(left.count(), 50)));
  }
  return false;
}

std::string Timestamp() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      now.time_since_epoch()).count() % 1000;
  // One thread writes log lines, so the shared result of localtime is safe here.
  const std::tm local = *std::localtime(&seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                local.tm_sec, static_cast<int>(ms));
  return text;
}

std::string HexBytes(const uint8_t* bytes, int count) {
  std::string out;
  char cell[4];
  for (int i = 0; i < count; ++i) {
    std::snprintf(cell, sizeof cell, i ? " %02X" : "%02X", bytes[i]);
    out += cell;
  }
  return out;
}

ProgressBar::ProgressBar(std::string label, bool enabled)
    : label_(std::move(label)), active_(enabled && isatty(STDERR_FILENO)) {}

ProgressBar::~ProgressBar() { Finish(); }

void ProgressBar::SetMaximum(int maximum) {
  maximum_ = maximum;
  Draw();
}

void ProgressBar::SetPosition(int position) {
  position_ = position;
  Draw();
}

void ProgressBar::Draw() {
  if (!active_ || maximum_ <= 0) return;
  const int percent = static_cast<int>(100LL * std::clamp(position_, 0, maximum_) / maximum_);
  if (percent == lastDrawn_) return;
  lastDrawn_ = percent;
  constexpr int kWidth = 30;
  const int filled = percent * kWidth / 100;
  std::fprintf(stderr, "\r%s [%s%s] %3d%%", label_.c_str(), std::string(filled, '#').c_str(),
               std::string(kWidth - filled, '.').c_str(), percent);
  std::fflush(stderr);
}

void ProgressBar::Finish() {
  if (active_ && lastDrawn_ >= 0) {
    std::fputc('\n', stderr);
    std::fflush(stderr);
  }
  active_ = false;
}

}  // namespace zentra::cli
