#pragma once
// How long operations show what they do: the main window's status text and the wait window
// with its progress bar and Cancel button. Engines call it; windows, the command-line tool
// and tests implement it.

#include <cstdint>
#include <string>

namespace tf {

class TProgress {
 public:
  virtual ~TProgress() = default;
  // The main window's status text; an empty text clears it.
  virtual void SetStatus(const std::string& /*text*/) {}
  // Shows the wait window with a caption and a progress total (0 = no bar).
  virtual void Begin(const std::string& /*caption*/, int64_t /*total*/) {}
  // A second line of the wait window (the folder being scanned, for example).
  virtual void SetDetail(const std::string& /*text*/) {}
  virtual void SetTotal(int64_t /*total*/) {}
  virtual void Advance(int64_t /*amount*/) {}
  // Lets pending events run; true once the user asked to cancel and confirmed it.
  virtual bool Cancelled() { return false; }
  // Hides the wait window.
  virtual void End() {}
};

// For callers that show nothing.
inline TProgress& NoProgress() {
  static TProgress none;
  return none;
}

}  // namespace tf
