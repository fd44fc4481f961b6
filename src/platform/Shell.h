#pragma once
// Launching catalogued files in their programs and opening folders in the file manager.
// The Linux backend uses the desktop's associations (xdg-mime, xdg-open); the test backend
// records what it was asked and answers from a script.

#include <string>
#include <vector>

namespace tf {

// What can go wrong, in the terms the program reports to the user.
enum class TShellResult {
  Ok,
  OutOfMemory,       // the program could not be started for lack of resources
  NotFound,          // the file or its folder does not exist
  AccessDenied,      // no permission to read it
  SharingViolation,  // in use elsewhere (never reported by this platform)
  NoAssociation,     // no program is associated with the file's type
  Failed,            // anything else
};

class TShell {
 public:
  virtual ~TShell() = default;
  // Opens a file with its associated program, in workingFolder.
  virtual TShellResult OpenFile(const std::string& hostPath, const std::string& workingFolder) = 0;
  // Shows a folder in the file manager.
  virtual TShellResult OpenFolder(const std::string& hostFolder) = 0;
};

class TLinuxShell final : public TShell {
 public:
  TShellResult OpenFile(const std::string& hostPath, const std::string& workingFolder) override;
  TShellResult OpenFolder(const std::string& hostFolder) override;
};

class TTestShell final : public TShell {
 public:
  struct TCall {
    bool Folder = false;
    std::string Path;
    std::string WorkingFolder;
  };
  TShellResult OpenFile(const std::string& hostPath, const std::string& workingFolder) override {
    Calls.push_back({false, hostPath, workingFolder});
    return Result;
  }
  TShellResult OpenFolder(const std::string& hostFolder) override {
    Calls.push_back({true, hostFolder, {}});
    return Result;
  }
  TShellResult Result = TShellResult::Ok;
  std::vector<TCall> Calls;
};

}  // namespace tf
