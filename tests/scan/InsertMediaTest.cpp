// The insert-media and disk-selection windows, answered like a user.

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/ScriptedPrompts.h"
#include "scan/InsertMedia.h"
#include "support/Screenshot.h"
#include "support/TestSupport.h"

using namespace tf;

class InsertMediaTest : public QObject {
  Q_OBJECT

  static void ClickLater(QWidget* window, const char* button) {
    QTimer::singleShot(0, window, [window, button] {
      QTest::mouseClick(window->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
    });
  }

 private Q_SLOTS:
  void ShowsTheDiskAndAnswers() {
    TMediaForm form;
    form.Prepare("Shareware 1", 7, true);
    QCOMPARE(form.windowTitle(), QStringLiteral("Insert Media"));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("DiskNameLabel"))->text(),
             QStringLiteral("Shareware 1"));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("MediaTypeLabel"))->text(),
             QStringLiteral("(Media type: Floppy 3.5\" HD)"));
    form.show();
    test::Screenshot(&form, QStringLiteral("insert-media"));
    form.hide();
    ClickLater(&form, "OKBtn");
    QCOMPARE(form.InsertMedia("Shareware 1", 7, true), TMediaAnswer::Ok);
    ClickLater(&form, "ManualBtn");
    QCOMPARE(form.InsertMedia("Shareware 1", 7, true), TMediaAnswer::Manual);
    ClickLater(&form, "CancelBtn");
    QCOMPARE(form.InsertMedia("Shareware 1", 7, true), TMediaAnswer::Cancel);
  }

  void ManualSelectOnlyWhenAllowed() {
    TMediaForm form;
    form.Prepare("D", 10, false);
    form.show();
    QVERIFY(!form.findChild<QPushButton*>(QStringLiteral("ManualBtn"))->isVisible());
    form.Prepare("D", 10, true);
    QVERIFY(form.findChild<QPushButton*>(QStringLiteral("ManualBtn"))->isVisible());
  }

  void SelectDiskChoosesUpdatesOrAdds() {
    TCatalogTree tree;
    TNode* cat = test::AddCatalog(tree, "C");
    TNode* a = test::AddDisk(cat, "Backup");
    TNode* b = test::AddDisk(cat, "Backup (2)");
    TScriptedPrompts prompts;
    TDiskSelectForm form(prompts);
    form.SetDisks({a, b});
    form.show();
    test::Screenshot(&form, QStringLiteral("select-disk"));
    auto* list = form.findChild<QListWidget*>(QStringLiteral("DisksList"));
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentRow(), 0);
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("HintBtn")), Qt::LeftButton);
    QCOMPARE(prompts.Log.at(0).Title, std::string("Hint on updating disks"));
    QCOMPARE(prompts.Log.at(0).Text, std::string(DiskSelectHintText));
    form.hide();

    QTimer::singleShot(0, &form, [&] {
      list->setCurrentRow(1);
      QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
    });
    QCOMPARE(form.Choose({a, b}), TDiskSelectForm::TResult::Update);
    QCOMPARE(form.Selected(), b);
    ClickLater(&form, "AddNewBtn");
    QCOMPARE(form.Choose({a, b}), TDiskSelectForm::TResult::AddNew);
    ClickLater(&form, "CancelBtn");
    QCOMPARE(form.Choose({a, b}), TDiskSelectForm::TResult::Cancel);
  }
};

QTEST_MAIN(InsertMediaTest)
#include "InsertMediaTest.moc"
