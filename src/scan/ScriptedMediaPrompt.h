#pragma once
// The test backend of the insert-media question: answers from a script (Cancel when it runs
// out) and records what it was asked.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "scan/Utils.h"

namespace tf {

class TScriptedMediaPrompt final : public TMediaPrompt {
 public:
  struct TQuestion {
    std::string DiskName;
    uint8_t MediaType = 0;
    bool MayChooseManually = false;
  };

  TMediaAnswer InsertMedia(const std::string& diskName, uint8_t mediaType,
                           bool mayChooseManually) override {
    Asked.push_back({diskName, mediaType, mayChooseManually});
    if (BeforeAnswer) BeforeAnswer();
    if (Answers.empty()) return TMediaAnswer::Cancel;
    TMediaAnswer a = Answers.front();
    Answers.pop_front();
    return a;
  }
  void SetBusy(bool busy) override {
    Busy = busy;
    if (busy) ++BusyCount;
  }

  std::deque<TMediaAnswer> Answers;
  std::vector<TQuestion> Asked;
  // Runs while the window is "shown": a test inserts the medium here.
  std::function<void()> BeforeAnswer;
  bool Busy = false;
  int BusyCount = 0;
};

}  // namespace tf
