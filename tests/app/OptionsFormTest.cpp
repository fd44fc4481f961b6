// The Settings window driven like a user: pages, OK, Apply, Cancel, the auto-load list.

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/OptionsForm.h"
#include "platform/MemorySettings.h"
#include "platform/ScriptedPrompts.h"
#include "support/Screenshot.h"
#include "support/TestSupport.h"

using namespace tf;

class OptionsFormTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TMemorySettings> store_;
  std::unique_ptr<TScriptedPrompts> prompts_;
  std::unique_ptr<TOptionsForm> form_;

  // Runs `inside` while the modal window is open, then presses the named button.
  bool OpenAndPress(TOptionsForm& form, TOptionsForm::TPage page, std::function<void()> inside,
                    const char* button) {
    QTimer::singleShot(0, &form, [&form, inside, button] {
      inside();
      QTest::mouseClick(form.findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
    });
    return form.MenuSettingsClick(page);
  }
  template <class T>
  T* Find(TOptionsForm& form, const char* name) {
    T* w = form.findChild<T*>(QLatin1String(name));
    if (!w) qFatal("no control %s", name);
    return w;
  }

 private Q_SLOTS:
  void init() {
    store_ = std::make_unique<TMemorySettings>();
    prompts_ = std::make_unique<TScriptedPrompts>();
    form_ = std::make_unique<TOptionsForm>(*store_, *prompts_, TFontDefaults{});
  }
  void cleanup() { form_.reset(); }

  void LooksTidyOnEveryPage() {
    TOptionsForm& form = *form_;
    form.show();
    auto* pages = Find<QTabWidget>(form, "");
    for (int i = 0; i < pages->count(); ++i) {
      pages->setCurrentIndex(i);
      test::Screenshot(&form, QStringLiteral("settings-%1").arg(i));
    }
    QCOMPARE(form.windowTitle(), QStringLiteral("Settings"));
    QCOMPARE(pages->count(), 5);
  }

  void OpensOnTheChosenPageAndCancelRestores() {
    TOptionsForm& form = *form_;
    QSignalSpy applied(&form, &TOptionsForm::SettingsApplied);
    int page = -1;
    bool accepted = OpenAndPress(form, TOptionsForm::PageAutoLoad, [&] {
      page = Find<QTabWidget>(form, "")->currentIndex();
      Find<QCheckBox>(form, "AutoloadCheck")->setChecked(true);
      Find<QCheckBox>(form, "ShowPrevCheck")->setChecked(false);
    }, "CancelBtn");
    QVERIFY(!accepted);
    QCOMPARE(page, int(TOptionsForm::PageAutoLoad));
    QCOMPARE(applied.count(), 0);
    QVERIFY(!form.Options().AutoloadCheck);
    QVERIFY(form.Options().ShowPrevCheck);
    QVERIFY(!Find<QCheckBox>(form, "AutoloadCheck")->isChecked());
    // Opening wrote the settings first.
    QVERIFY(store_->ReadBinary("Settings").has_value());
  }

  void OkAppliesOnlyWhatChanged() {
    TOptionsForm& form = *form_;
    QSignalSpy applied(&form, &TOptionsForm::SettingsApplied);
    QVERIFY(OpenAndPress(form, TOptionsForm::PageGeneral, [] {}, "OKBtn"));
    QCOMPARE(applied.count(), 0);
    QVERIFY(OpenAndPress(form, TOptionsForm::PageDiskImage, [&] {
      Find<QCheckBox>(form, "IgnoreRecycleCheck")->setChecked(false);
      Find<QSpinBox>(form, "DescTruncEdit")->setValue(99);  // clamped by the control
    }, "OKBtn"));
    QCOMPARE(applied.count(), 1);
    QVERIFY(!form.Options().IgnoreRecycleCheck);
    QCOMPARE(form.Options().DescTruncEdit, 15);
  }

  void ApplyWritesAndCancelKeepsWhatWasApplied() {
    TOptionsForm& form = *form_;
    QSignalSpy applied(&form, &TOptionsForm::SettingsApplied);
    OpenAndPress(form, TOptionsForm::PageGeneral, [&] {
      Find<QSpinBox>(form, "AutoSaveEdit")->setValue(240);
      QTest::mouseClick(Find<QPushButton>(form, "ApplyBtn"), Qt::LeftButton);
      Find<QSpinBox>(form, "AutoSaveEdit")->setValue(30);  // not applied
    }, "CancelBtn");
    QCOMPARE(applied.count(), 1);
    QCOMPARE(form.Options().AutoSaveEdit, 240);
    QCOMPARE(LoadSettings(*store_).Options.AutoSaveEdit, 240);
  }

  void AutoloadListRefusesAFileListedTwice() {
    test::TTempDir dir;
    test::WriteBytes(dir.File("a.ctf"), "x");
    std::filesystem::create_directory(dir.File("sub"));
    TOptionsForm& form = *form_;
    TScriptedPrompts& prompts = *prompts_;
    prompts.OpenChoices.push_back(std::vector<std::string>{dir.File("a.ctf")});
    prompts.OpenChoices.push_back(std::vector<std::string>{dir.File("sub/../a.ctf")});
    OpenAndPress(form, TOptionsForm::PageAutoLoad, [&] {
      auto* add = Find<QPushButton>(form, "AutoloadAddBtn");
      QTest::mouseClick(add, Qt::LeftButton);
      QTest::mouseClick(add, Qt::LeftButton);
    }, "OKBtn");
    QCOMPARE(form.Options().AutoloadList, std::vector<std::string>{dir.File("a.ctf")});
    QCOMPARE(prompts.Texts(),
             std::vector<std::string>{"Selected catalog is already listed for autoloading."});
    QCOMPARE(prompts.Log.back().Title, std::string("Notice"));
    QCOMPARE(prompts.Log[0].Title, std::string("Open Catalog"));
  }

  void MaskListMovesAndDeletes() {
    TOptionsForm& form = *form_;
    OpenAndPress(form, TOptionsForm::PageDescriptions, [&] {
      auto* list = Find<QListWidget>(form, "DescList");
      list->setCurrentRow(3);  // *.TXT
      QTest::mouseClick(Find<QPushButton>(form, "DescUpBtn"), Qt::LeftButton);
      QTest::mouseClick(Find<QPushButton>(form, "DescUpBtn"), Qt::LeftButton);
      list->setCurrentRow(0);
      QTest::mouseClick(Find<QPushButton>(form, "DescDeleteBtn"), Qt::LeftButton);
    }, "OKBtn");
    QCOMPARE(form.Options().DescList,
             (std::vector<std::string>{"*.TXT", "DESCRIPT.ION", "*.NFO"}));
  }

  void FontSlotsKeepTheirOwnChoice() {
    TOptionsForm& form = *form_;
    QVERIFY(form.Options().Fonts[FontProperties].UseCustom);
    QVERIFY(!form.Options().Fonts[FontCatalogTree].UseCustom);
    OpenAndPress(form, TOptionsForm::PageFonts, [&] {
      auto* combo = Find<QComboBox>(form, "FontSlotCombo");
      combo->setCurrentIndex(FontProperties);
      QVERIFY(Find<QRadioButton>(form, "CustomFontRadio")->isChecked());
      Find<QRadioButton>(form, "SystemFontRadio")->setChecked(true);
      combo->setCurrentIndex(FontCatalogTree);
      QVERIFY(Find<QRadioButton>(form, "SystemFontRadio")->isChecked());
    }, "OKBtn");
    QVERIFY(!form.Options().Fonts[FontProperties].UseCustom);
    QCOMPARE(form.Options().Fonts[FontProperties].Custom.Name, std::string("Courier New"));
  }
};

QTEST_MAIN(OptionsFormTest)
#include "OptionsFormTest.moc"
