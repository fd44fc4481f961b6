#pragma once
// How engines ask the user: message boxes and the Open/Save file choosers.
// The Qt backend shows real dialogs; the scripted backend (ScriptedPrompts.h) records every
// message and answers from a script, so that engine tests can assert the exact words.

#include <string>
#include <vector>

namespace tf {

enum class TButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class TAnswer { Ok, Cancel, Yes, No, Retry };
enum class TIcon { None, Information, Question, Warning, Error };

// One file chooser. Filter is in the form "Catalog Files (*.ctf)|*.ctf".
struct TFileDialog {
  std::string Title;
  std::string Filter;
  std::string DefaultExt;    // without the dot
  std::string FileName;      // initial file name or path
  bool MultiSelect = false;  // Open only
  bool MustExist = true;     // Open only: files and paths must exist
  bool PromptOverwrite = true;  // Save only
};

class TUserPrompts {
 public:
  virtual ~TUserPrompts() = default;
  // Text lines are separated by "\r" as in the program's messages; a backend that shows them
  // turns "\r", "\r\n" and "\n\r" into one line break.
  virtual TAnswer Message(const std::string& title, const std::string& text, TButtons buttons,
                          TIcon icon) = 0;
  // False when the user cancelled. Paths are absolute host paths.
  virtual bool OpenFiles(const TFileDialog& dialog, std::vector<std::string>& paths) = 0;
  virtual bool SaveFile(const TFileDialog& dialog, std::string& path) = 0;
};

}  // namespace tf
