#pragma once
// Nobody to ask on the command line: messages go to stderr as "Title: text", every question
// gets the cautious answer (No, or Cancel), every file chooser is cancelled.

#include <string>
#include <vector>

#include "cli/Output.h"
#include "platform/Prompts.h"

namespace tf::cli {

class TTerminalPrompts final : public TUserPrompts {
 public:
  TAnswer Message(const std::string& title, const std::string& text, TButtons buttons,
                  TIcon) override {
    PrintMessage(title + ": " + text);
    return buttons == TButtons::YesNo ? TAnswer::No : TAnswer::Cancel;
  }
  bool OpenFiles(const TFileDialog&, std::vector<std::string>&) override { return false; }
  bool SaveFile(const TFileDialog&, std::string&) override { return false; }
};

}  // namespace tf::cli
