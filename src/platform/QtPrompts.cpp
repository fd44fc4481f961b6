#include "platform/QtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

namespace tf {

std::string MessageLines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      char pair = c == '\r' ? '\n' : '\r';
      if (i + 1 < text.size() && text[i + 1] == pair) ++i;
      out += '\n';
    } else {
      out += c;
    }
  }
  return out;
}

std::string QtFilter(const std::string& filter) {
  // Pairs of description and pattern; the description already names the pattern.
  std::string out;
  std::size_t start = 0;
  int field = 0;
  while (start <= filter.size()) {
    std::size_t bar = filter.find('|', start);
    std::string part = filter.substr(start, bar == std::string::npos ? std::string::npos
                                                                      : bar - start);
    if (field % 2 == 0 && !part.empty()) {
      if (!out.empty()) out += ";;";
      out += part;
    }
    ++field;
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return out;
}

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Keeps the wait window out of the way while a box or a chooser is up.
struct TShowingScope {
  const TQtPrompts& p;
  explicit TShowingScope(const TQtPrompts& prompts) : p(prompts) {
    if (p.BeforeShowing) p.BeforeShowing();
  }
  ~TShowingScope() {
    if (p.AfterShowing) p.AfterShowing();
  }
};

}  // namespace

namespace {

// Where a chooser opens: at the proposed file when it names its folder, else in the folder of
// the last choice (the desktop's own chooser would start in the home folder every time).
void StartIn(QFileDialog& dialog, const std::string& proposed, const std::string& lastFolder) {
  bool hasFolder = proposed.find('/') != std::string::npos;
  if (!hasFolder && !lastFolder.empty()) dialog.setDirectory(Q(lastFolder));
  if (!proposed.empty()) dialog.selectFile(Q(proposed));
}

std::string FolderOf(const QString& path) { return QFileInfo(path).absolutePath().toStdString(); }

}  // namespace

QWidget* TQtPrompts::Parent() const {
  return parent_ ? parent_ : QApplication::activeWindow();
}

TAnswer TQtPrompts::Message(const std::string& title, const std::string& text,
                            TButtons buttons, TIcon icon) {
  TShowingScope scope(*this);
  QMessageBox box(Parent());
  box.setWindowTitle(Q(title));
  box.setText(Q(MessageLines(text)));
  switch (icon) {
    case TIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case TIcon::Information: box.setIcon(QMessageBox::Information); break;
    case TIcon::Question: box.setIcon(QMessageBox::Question); break;
    case TIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case TIcon::Error: box.setIcon(QMessageBox::Critical); break;
  }
  QMessageBox::StandardButtons set;
  QMessageBox::StandardButton escape = QMessageBox::Cancel;
  switch (buttons) {
    case TButtons::Ok: set = QMessageBox::Ok; escape = QMessageBox::Ok; break;
    case TButtons::OkCancel: set = QMessageBox::Ok | QMessageBox::Cancel; break;
    case TButtons::YesNo: set = QMessageBox::Yes | QMessageBox::No; escape = QMessageBox::No; break;
    case TButtons::YesNoCancel:
      set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      break;
    case TButtons::RetryCancel: set = QMessageBox::Retry | QMessageBox::Cancel; break;
  }
  box.setStandardButtons(set);
  box.setEscapeButton(escape);
  switch (box.exec()) {
    case QMessageBox::Ok: return TAnswer::Ok;
    case QMessageBox::Yes: return TAnswer::Yes;
    case QMessageBox::No: return TAnswer::No;
    case QMessageBox::Retry: return TAnswer::Retry;
    default: break;
  }
  // The close box counts as the cautious answer.
  if (buttons == TButtons::Ok) return TAnswer::Ok;
  if (buttons == TButtons::YesNo) return TAnswer::No;
  return TAnswer::Cancel;
}

bool TQtPrompts::OpenFiles(const TFileDialog& d, std::vector<std::string>& paths) {
  TShowingScope scope(*this);
  QFileDialog dialog(Parent(), Q(d.Title));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(d.MultiSelect ? QFileDialog::ExistingFiles
                     : d.MustExist ? QFileDialog::ExistingFile
                                   : QFileDialog::AnyFile);
  dialog.setNameFilter(Q(QtFilter(d.Filter)));
  dialog.setDefaultSuffix(Q(d.DefaultExt));
  StartIn(dialog, d.FileName, lastFolder_);
  if (dialog.exec() != QDialog::Accepted) return false;
  paths.clear();
  for (const QString& f : dialog.selectedFiles()) paths.push_back(f.toStdString());
  if (paths.empty()) return false;
  lastFolder_ = FolderOf(dialog.selectedFiles().first());
  return true;
}

bool TQtPrompts::SaveFile(const TFileDialog& d, std::string& path) {
  TShowingScope scope(*this);
  QFileDialog dialog(Parent(), Q(d.Title));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(Q(QtFilter(d.Filter)));
  dialog.setDefaultSuffix(Q(d.DefaultExt));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !d.PromptOverwrite);
  StartIn(dialog, d.FileName, lastFolder_);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = dialog.selectedFiles().first().toStdString();
  lastFolder_ = FolderOf(dialog.selectedFiles().first());
  return true;
}

}  // namespace tf
