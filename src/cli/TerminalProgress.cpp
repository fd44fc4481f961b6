#include "cli/TerminalProgress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "cli/Signals.h"
#include "scan/AddDisk.h"

namespace tf::cli {

TTerminalProgress::TTerminalProgress() : shown_(::isatty(STDERR_FILENO) == 1) {}

void TTerminalProgress::Begin(const std::string& caption, int64_t total) {
  caption_ = caption;
  total_ = total;
  done_ = 0;
  Draw(true);
}

void TTerminalProgress::SetDetail(const std::string& text) {
  detail_ = text;
  Draw(false);
}

void TTerminalProgress::Advance(int64_t amount) {
  done_ += amount;
  Draw(false);
}

bool TTerminalProgress::Cancelled() { return TStopSignals::Received() != 0; }

void TTerminalProgress::Draw(bool now) {
  if (!shown_) return;
  auto t = std::chrono::steady_clock::now();
  if (!now && t - last_ < std::chrono::milliseconds(100)) return;
  last_ = t;
  std::string line = caption_;
  if (total_ > 0) {
    int64_t pct = std::clamp<int64_t>(done_ * 100 / total_, 0, 100);
    int filled = int(pct / 5);
    line += " [" + std::string(std::size_t(filled), '#') +
            std::string(std::size_t(20 - filled), '.') + "] " + std::to_string(pct) + "%";
  } else if (done_ > 0) {
    line += ' ';
    line += ItemsReadText(done_);
  }
  if (!detail_.empty()) line += " " + detail_;
  if (line.size() > 79) line = line.substr(0, 76) + "...";
  std::fprintf(stderr, "\r%-79s", line.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

void TTerminalProgress::Clear() {
  if (!drawn_) return;
  std::fprintf(stderr, "\r%79s\r", "");
  std::fflush(stderr);
  drawn_ = false;
}

}  // namespace tf::cli
