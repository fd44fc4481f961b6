#pragma once
// The test backend of TUserPrompts: records every message exactly as the engine worded it and
// answers from a script. An unscripted question gets the cautious answer (Cancel, or No when
// there is no Cancel), an unscripted file chooser is cancelled.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/Prompts.h"

namespace tf {

struct TPromptRecord {
  enum Kind { Message, Open, Save } Kind = Message;
  std::string Title;
  std::string Text;
  TButtons Buttons = TButtons::Ok;
  TIcon Icon = TIcon::None;
  TAnswer Answer = TAnswer::Ok;
};

class TScriptedPrompts final : public TUserPrompts {
 public:
  TAnswer Message(const std::string& title, const std::string& text, TButtons buttons,
                  TIcon icon) override;
  bool OpenFiles(const TFileDialog& dialog, std::vector<std::string>& paths) override;
  bool SaveFile(const TFileDialog& dialog, std::string& path) override;

  // The script: answers to messages, and the choices of the file choosers (nullopt = Cancel).
  std::deque<TAnswer> Answers;
  std::deque<std::optional<std::vector<std::string>>> OpenChoices;
  std::deque<std::optional<std::string>> SaveChoices;

  // What was shown, in order.
  std::vector<TPromptRecord> Log;

  // Texts of the messages shown, in order.
  std::vector<std::string> Texts() const;
  const TPromptRecord* Last() const { return Log.empty() ? nullptr : &Log.back(); }
};

}  // namespace tf
