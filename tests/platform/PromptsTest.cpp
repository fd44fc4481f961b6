// The desktop's file choosers as the program shows them: where each one opens.

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <optional>
#include <string>
#include <vector>

#include "platform/QtPrompts.h"
#include "support/TestSupport.h"

using namespace tf;

class PromptsTest : public QObject {
  Q_OBJECT

  // Answers the next chooser: notes the folder it opened in, then chooses the path (none:
  // Cancel).
  static void Answer(QString& openedIn, std::optional<std::string> choice) {
    QTimer::singleShot(0, [&openedIn, choice] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) qFatal("no file chooser");
      openedIn = QDir(dialog->directory()).canonicalPath();
      if (!choice) {
        dialog->reject();
        return;
      }
      dialog->selectFile(QString::fromStdString(*choice));
      QMetaObject::invokeMethod(dialog, "accept");  // as the chooser's own button does
    });
  }

 private Q_SLOTS:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }  // the chooser's own memory

  void ChoosersOpenWhereTheLastChoiceWasOrAtTheProposedFile() {
    test::TTempDir dir;
    std::string a = dir.File("a"), b = dir.File("b");
    QDir().mkpath(QString::fromStdString(a));
    QDir().mkpath(QString::fromStdString(b));
    test::WriteBytes(a + "/one.ctf", "x");
    test::WriteBytes(b + "/two.ctf", "x");
    auto canonical = [](const std::string& p) {
      return QDir(QString::fromStdString(p)).canonicalPath();
    };
    TQtPrompts prompts;
    QString start = QDir::currentPath();
    struct {
      bool Save;
      std::string Proposed;  // the file name the program proposes
      std::optional<std::string> Choice;
      QString OpensIn;
    } steps[] = {
        {false, "", a + "/one.ctf", QDir(start).canonicalPath()},
        {false, "", std::nullopt, canonical(a)},  // where the last file was chosen
        {true, "", b + "/new.ctf", canonical(a)},  // a cancelled chooser changes nothing
        {false, "", std::nullopt, canonical(b)},  // a save counts too
        {true, a + "/one.ctf", std::nullopt, canonical(a)},  // a proposed path is its own folder
        {true, "Catalog1.ctf", std::nullopt, canonical(b)},  // a bare name opens as ever
    };
    for (const auto& s : steps) {
      TFileDialog d;
      d.Title = "Chooser";
      d.Filter = "Catalog Files (*.ctf)|*.ctf";
      d.DefaultExt = "ctf";
      d.FileName = s.Proposed;
      QString openedIn;
      Answer(openedIn, s.Choice);
      bool chosen;
      if (s.Save) {
        std::string path;
        chosen = prompts.SaveFile(d, path);
        if (chosen) QCOMPARE(path, *s.Choice);
      } else {
        std::vector<std::string> paths;
        chosen = prompts.OpenFiles(d, paths);
        if (chosen) QCOMPARE(paths, std::vector<std::string>{*s.Choice});
      }
      QCOMPARE(chosen, s.Choice.has_value());
      QCOMPARE(openedIn, s.OpensIn);
    }
  }
};

QTEST_MAIN(PromptsTest)
#include "PromptsTest.moc"
