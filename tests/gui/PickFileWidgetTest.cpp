// The file picker widget driven by clicks, with the dialog's answers scripted.
#include "app/controls/QbxPickFile2.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace tlx;
using namespace tlx::gui;

class PickFileWidgetTest : public QObject {
  Q_OBJECT

  static void SetUp(QbxPickFile2& picker) {
    picker.Model().Props().openOrSave = false;
    picker.Model().Props().showWarn = true;
    picker.Model().Props().hidePath = true;
    picker.Model().Props().noFileMsg = "Data will not be saved";
    picker.SetExtension("DAT");
    picker.SetSaveTitle("Sa&ve Data : ");
  }

 private slots:
  void browseButtonChoosesAFileAndShowsItsName() {
    QTemporaryDir dir;
    ScriptedAnswers answers;
    QbxPickFile2 picker(answers);
    SetUp(picker);
    picker.show();
    QSignalSpy changes(&picker, &QbxPickFile2::Change);
    QSignalSpy clicks(&picker, &QbxPickFile2::Click);
    QCOMPARE(picker.FileLabel()->text(), QString("Data will not be saved"));
    const QString path = dir.filePath("RUN1.DAT");
    answers.QueueFile(path.toStdString());
    QTest::mouseClick(picker.BrowseButton(), Qt::LeftButton);
    QCOMPARE(picker.Filename(), path);
    QCOMPARE(picker.FileLabel()->text(), QString("RUN1.DAT"));
    QVERIFY(picker.CheckBox()->isChecked());
    QCOMPARE(changes.count(), 1);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(answers.FileRequests().size(), size_t(1));
    QCOMPARE(QString::fromStdString(answers.FileRequests()[0].initialName), QString("*.DAT"));
    QVERIFY(!answers.FileRequests()[0].forOpening);
  }

  void clickingTheCaptionClearsTheBox() {
    ScriptedAnswers answers;
    QbxPickFile2 picker(answers);
    SetUp(picker);
    picker.SetFilename("/data/RUN.DAT");
    picker.SetSaveFile(true);
    picker.show();
    QCOMPARE(picker.FileLabel()->text(), QString("RUN.DAT"));
    QSignalSpy changes(&picker, &QbxPickFile2::Change);
    QTest::mouseClick(picker.CaptionLabel(), Qt::LeftButton);
    QVERIFY(!picker.CheckBox()->isChecked());
    QVERIFY(!picker.SaveFile());
    QCOMPARE(picker.FileLabel()->text(), QString("Data will not be saved"));
    QCOMPARE(changes.count(), 1);
    QVERIFY(answers.FileRequests().empty());
  }

  void tickingWithACancelledBrowseLeavesTheBoxClear() {
    ScriptedAnswers answers;
    QbxPickFile2 picker(answers);
    SetUp(picker);
    picker.show();
    QSignalSpy changes(&picker, &QbxPickFile2::Change);
    QTest::mouseClick(picker.CheckBox(), Qt::LeftButton);
    QCOMPARE(answers.FileRequests().size(), size_t(1));
    QVERIFY(!picker.CheckBox()->isChecked());
    QCOMPARE(changes.count(), 0);
  }
};

QTEST_MAIN(PickFileWidgetTest)
#include "PickFileWidgetTest.moc"
