#include "platform/ScriptedPrompts.h"

namespace tf {

static TAnswer CautiousAnswer(TButtons buttons) {
  switch (buttons) {
    case TButtons::Ok: return TAnswer::Ok;
    case TButtons::YesNo: return TAnswer::No;
    case TButtons::OkCancel:
    case TButtons::YesNoCancel:
    case TButtons::RetryCancel: return TAnswer::Cancel;
  }
  return TAnswer::Cancel;
}

TAnswer TScriptedPrompts::Message(const std::string& title, const std::string& text,
                                  TButtons buttons, TIcon icon) {
  TAnswer answer = CautiousAnswer(buttons);
  if (!Answers.empty()) {
    answer = Answers.front();
    Answers.pop_front();
  }
  Log.push_back({TPromptRecord::Message, title, text, buttons, icon, answer});
  return answer;
}

bool TScriptedPrompts::OpenFiles(const TFileDialog& dialog, std::vector<std::string>& paths) {
  std::optional<std::vector<std::string>> choice;
  if (!OpenChoices.empty()) {
    choice = OpenChoices.front();
    OpenChoices.pop_front();
  }
  Log.push_back({TPromptRecord::Open, dialog.Title, dialog.FileName, TButtons::OkCancel,
                 TIcon::None, choice ? TAnswer::Ok : TAnswer::Cancel});
  if (!choice) return false;
  paths = *choice;
  return true;
}

bool TScriptedPrompts::SaveFile(const TFileDialog& dialog, std::string& path) {
  std::optional<std::string> choice;
  if (!SaveChoices.empty()) {
    choice = SaveChoices.front();
    SaveChoices.pop_front();
  }
  Log.push_back({TPromptRecord::Save, dialog.Title, dialog.FileName, TButtons::OkCancel,
                 TIcon::None, choice ? TAnswer::Ok : TAnswer::Cancel});
  if (!choice) return false;
  path = *choice;
  return true;
}

std::vector<std::string> TScriptedPrompts::Texts() const {
  std::vector<std::string> texts;
  for (const auto& r : Log)
    if (r.Kind == TPromptRecord::Message) texts.push_back(r.Text);
  return texts;
}

}  // namespace tf
