#pragma once
// The Qt backend of TUserPrompts: message boxes and the Open/Save file choosers of the
// desktop. The header stays free of Qt.

#include <functional>
#include <string>

#include "platform/Prompts.h"

class QWidget;

namespace tf {

class TQtPrompts final : public TUserPrompts {
 public:
  // parent: the window the boxes are centred on and modal to (null: the active window).
  explicit TQtPrompts(QWidget* parent = nullptr) : parent_(parent) {}

  TAnswer Message(const std::string& title, const std::string& text, TButtons buttons,
                  TIcon icon) override;
  bool OpenFiles(const TFileDialog& dialog, std::vector<std::string>& paths) override;
  bool SaveFile(const TFileDialog& dialog, std::string& path) override;

  void SetParent(QWidget* parent) { parent_ = parent; }

  // Run around every box and chooser: the wait window hides itself for them and comes back.
  std::function<void()> BeforeShowing;
  std::function<void()> AfterShowing;

 private:
  QWidget* Parent() const;
  QWidget* parent_;
  // The folder of the last file chosen: the next chooser opens there, unless the program
  // proposes a file with a folder of its own.
  std::string lastFolder_;
};

// "\r", "\r\n" and "\n\r" each become one line break.
std::string MessageLines(const std::string& text);
// "Catalog Files (*.ctf)|*.ctf|All (*)|*" as the desktop's filter list
// "Catalog Files (*.ctf);;All (*)".
std::string QtFilter(const std::string& filter);

}  // namespace tf
