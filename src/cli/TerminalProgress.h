#pragma once
// The sub-commands' progress bar on stderr.

#include <chrono>
#include <string>

#include "platform/Progress.h"

namespace tf::cli {

// A one-line progress bar on stderr, redrawn at most ten times a second; nothing at all when
// stderr is not a terminal. Cancelled once a stop signal came (TStopSignals).
class TTerminalProgress final : public TProgress {
 public:
  TTerminalProgress();
  ~TTerminalProgress() override { Clear(); }
  TTerminalProgress(const TTerminalProgress&) = delete;
  TTerminalProgress& operator=(const TTerminalProgress&) = delete;

  void Begin(const std::string& caption, int64_t total) override;
  void SetTotal(int64_t total) override { total_ = total; }
  void SetDetail(const std::string& text) override;
  void Advance(int64_t amount) override;
  bool Cancelled() override;
  void End() override { Clear(); }

 private:
  void Draw(bool now);
  void Clear();

  bool shown_;
  bool drawn_ = false;
  std::string caption_, detail_;
  int64_t total_ = 0, done_ = 0;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace tf::cli
