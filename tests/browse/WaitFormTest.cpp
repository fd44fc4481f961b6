// The wait window, the progress that engines report to, and the Qt message boxes around it.

#include <string>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include "browse/WaitForm.h"
#include "platform/QtPrompts.h"

using namespace tf;

namespace {

struct TStatusLog final : TStatusDisplay {
  std::vector<std::pair<std::string, int>> Calls;
  void ShowStatusText(const std::string& text, int mode) override { Calls.emplace_back(text, mode); }
};

// Presses a button of the next message box as soon as it is up; records what it said.
struct TBoxAnswer {
  QString Text, Title;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  bool WaitFormHidden = false;
  void Press(QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [this, button] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      Text = box->text();
      Title = box->windowTitle();
      Icon = box->icon();
      WaitFormHidden = TWaitForm::Current() && !TWaitForm::Current()->isVisible();
      box->button(button)->click();
    });
  }
};

}  // namespace

class WaitFormTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QMainWindow> main_;

 private Q_SLOTS:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init() {
    main_ = std::make_unique<QMainWindow>();
    main_->setGeometry(100, 100, 800, 600);
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
  }
  void cleanup() {
    TWaitForm::Free();
    main_.reset();
  }

  void ShowsTextAndBarCentredAndBlocksTheOtherWindows() {
    TWaitForm* form = TWaitForm::Create(main_.get(), QStringLiteral("Saving catalog, please wait..."), true);
    form->Total = 200;
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QCOMPARE(form->size(), QSize(303, 85));
    QCOMPARE(form->WaitLabel->text(), QStringLiteral("Saving catalog, please wait..."));
    QVERIFY(form->ProgressBar->isVisible());
    QCOMPARE(form->Position(), 0);
    QCOMPARE(form->geometry().center(), main_->frameGeometry().center());
    QCOMPARE(QApplication::activeModalWidget(), form);
    form->Advance(50);
    QCOMPARE(form->Position(), 25);
    form->Advance(25);  // 37.5 percent, rounded
    QCOMPARE(form->Position(), 38);
    form->Advance(500);
    QCOMPARE(form->Position(), 100);
  }

  void WithoutBarTheLineStandsInTheMiddle() {
    TWaitForm* form = TWaitForm::Create(main_.get(), QStringLiteral("Loading catalog..."), false);
    form->show();
    QVERIFY(!form->ProgressBar->isVisible());
    QCOMPARE(form->WaitLabel->geometry().center().y(), form->height() / 2 - 1);
    form->Advance(10);  // no total: the bar stays at 0
    QCOMPARE(form->Position(), 0);
  }

  void AtMostOneExists() {
    QPointer<TWaitForm> first = TWaitForm::Create(main_.get(), QStringLiteral("one"), true);
    TWaitForm* second = TWaitForm::Create(main_.get(), QStringLiteral("two"), true);
    QVERIFY(first.isNull());
    QCOMPARE(TWaitForm::Current(), second);
    TWaitForm::Free();
    QCOMPARE(TWaitForm::Current(), nullptr);
    TWaitForm::Free();  // nothing to free
  }

  void StepsAsideForAMessageAndComesBackInPlace() {
    TWaitForm* form = TWaitForm::Create(main_.get(), QStringLiteral("Working"), true);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QPoint where = form->pos();
    TWaitForm::HideCurrentForMessage();
    QVERIFY(!form->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    main_->move(300, 250);  // showing again does not centre again
    TWaitForm::ShowCurrentAgain();
    QVERIFY(form->isVisible());
    QCOMPARE(form->pos(), where);
    QCOMPARE(QApplication::activeModalWidget(), form);
  }

  void FreedWhileHiddenTheWindowsTakeInputAgain() {
    TWaitForm* form = TWaitForm::Create(main_.get(), QStringLiteral("Working"), true);
    form->show();
    TWaitForm::HideCurrentForMessage();
    TWaitForm::Free();
    QCOMPARE(TWaitForm::Current(), nullptr);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(main_->isEnabled());
    TWaitForm::ShowCurrentAgain();  // nothing to show
  }

  void ProgressReportsToStatusAndWaitWindow() {
    TStatusLog status;
    {
      TWaitProgress progress(status, main_.get());
      progress.SetStatus("Saving catalog...");
      progress.Begin("Saving catalog, please wait...", 1000);
      TWaitForm* form = TWaitForm::Current();
      QVERIFY(form && form->isVisible());
      QVERIFY(form->ProgressBar->isVisible());
      progress.Advance(250);
      QCOMPARE(form->Position(), 25);
      progress.SetTotal(500);
      progress.Advance(0);
      QCOMPARE(form->Position(), 50);
      QVERIFY(!progress.Cancelled());
      progress.End();
      QCOMPARE(TWaitForm::Current(), nullptr);
      progress.SetStatus("");
      progress.Begin("Loading", 0);
      QVERIFY(!TWaitForm::Current()->ProgressBar->isVisible());
    }  // an operation that ends by an exception still takes its window away
    QCOMPARE(TWaitForm::Current(), nullptr);
    QCOMPARE(status.Calls.size(), std::size_t(2));
    QCOMPARE(status.Calls[0], std::make_pair(std::string("Saving catalog..."), 3));
    QCOMPARE(status.Calls[1], std::make_pair(std::string(), 0));
  }

  void MessageBoxesTakeTheProgramsWords() {
    TQtPrompts prompts(main_.get());
    prompts.BeforeShowing = [] { TWaitForm::HideCurrentForMessage(); };
    prompts.AfterShowing = [] { TWaitForm::ShowCurrentAgain(); };
    TWaitForm::Create(main_.get(), QStringLiteral("Loading catalogs, please wait..."), false)->show();
    TBoxAnswer answer;
    answer.Press(QMessageBox::No);
    TAnswer a = prompts.Message("Confirm", "Save changes to catalog \"A\" ?\rSecond line",
                                TButtons::YesNoCancel, TIcon::Question);
    QCOMPARE(a, TAnswer::No);
    QCOMPARE(answer.Title, QStringLiteral("Confirm"));
    QCOMPARE(answer.Text, QStringLiteral("Save changes to catalog \"A\" ?\nSecond line"));
    QCOMPARE(answer.Icon, QMessageBox::Question);
    QVERIFY(answer.WaitFormHidden);
    QVERIFY(TWaitForm::Current()->isVisible());

    answer.Press(QMessageBox::Ok);
    QCOMPARE(prompts.Message("Load error", "x", TButtons::OkCancel, TIcon::Error), TAnswer::Ok);
    QCOMPARE(answer.Icon, QMessageBox::Critical);
    answer.Press(QMessageBox::Cancel);
    QCOMPARE(prompts.Message("t", "x", TButtons::RetryCancel, TIcon::Warning), TAnswer::Cancel);
    QCOMPARE(answer.Icon, QMessageBox::Warning);
  }

  void LineBreaksAndFilters() {
    QCOMPARE(MessageLines("a\rb"), std::string("a\nb"));
    QCOMPARE(MessageLines("a\r\nb\n\rc\nd"), std::string("a\nb\nc\nd"));
    QCOMPARE(MessageLines("path\n\r\rmessage"), std::string("path\n\nmessage"));
    QCOMPARE(QtFilter("Catalog Files (*.ctf)|*.ctf"), std::string("Catalog Files (*.ctf)"));
    QCOMPARE(QtFilter("Catalog Files (*.ctf)|*.ctf|All files (*)|*"),
             std::string("Catalog Files (*.ctf);;All files (*)"));
    QCOMPARE(QtFilter(""), std::string());
  }
};

QTEST_MAIN(WaitFormTest)
#include "WaitFormTest.moc"
