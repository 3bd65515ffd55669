// The progress and delay boxes, and the desktop answers to the core's questions.
#include "app/QtUserAnswers.h"
#include "app/controls/BusyWindows.h"
#include "common/VirtualClock.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tlx;
using namespace tlx::gui;

class BusyWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void progressBoxShowsCaptionAndLimitedPercent() {
    VirtualClock clock;
    BusyWindows busy(clock);
    busy.ShowProgress("Loading Map");
    QVERIFY(busy.Progress() && busy.Progress()->isVisible());
    QCOMPARE(busy.Progress()->CaptionText(), QString("Loading Map ... Please Wait"));
    busy.SetProgress(150);
    QCOMPARE(busy.Progress()->PercentText(), QString("100%"));
    busy.Progress()->resize(300, 100);
    QVERIFY(busy.Progress()->FillWidth() > 0);
    busy.SetProgress(-5);
    QCOMPARE(busy.Progress()->PercentText(), QString("0%"));
    QCOMPARE(busy.Progress()->FillWidth(), 0);
    ProgressBox* first = busy.Progress();
    busy.ShowProgress("Saving");  // showing it again only changes the caption
    QCOMPARE(busy.Progress(), first);
    QCOMPARE(busy.Progress()->CaptionText(), QString("Saving ... Please Wait"));
    busy.HideProgress();
    QVERIFY(!busy.Progress());
  }

  void delayBoxesCloseOnTheirTimeOrWhenDismissed() {
    VirtualClock clock;
    BusyWindows busy(clock);
    QCOMPARE(busy.ShowDelayMessage("Printing ...", false, 2), 0);
    QCOMPARE(busy.ShowDelayMessage("Wait for me", true, 0), 1);
    QCOMPARE(busy.Delay(0)->MessageText(), QString("Printing ..."));
    QVERIFY(!busy.Delay(0)->OkButton()->isVisible());
    QVERIFY(busy.Delay(1)->OkButton()->isVisible());
    QVERIFY(busy.Delay(1)->width() >= 200);  // at least 3000 twips
    clock.RunFor(1999);
    busy.Poll();
    QVERIFY(busy.Delay(0)->isVisible());
    clock.RunFor(1);
    busy.Poll();
    QVERIFY(!busy.Delay(0)->isVisible());
    clock.RunFor(100000);
    busy.Poll();
    QVERIFY(busy.Delay(1)->isVisible());  // seconds 0 waits for OK or Escape
    QTest::keyClick(busy.Delay(1), Qt::Key_Escape);
    QVERIFY(!busy.Delay(1)->isVisible());
    QCOMPARE(busy.VisibleDelayCount(), 0);
  }

  void aTwelfthDelayMessageFindsNoBox() {
    VirtualClock clock;
    BusyWindows busy(clock);
    for (int i = 0; i < 11; ++i) QCOMPARE(busy.ShowDelayMessage(QString::number(i), true, 0), i);
    QCOMPARE(busy.ShowDelayMessage("twelfth", true, 0), -1);
    QTest::mouseClick(busy.Delay(4)->OkButton(), Qt::LeftButton);
    QCOMPARE(busy.ShowDelayMessage("again", true, 0), 4);
    busy.HideDelayMessages();
    QCOMPARE(busy.VisibleDelayCount(), 0);
    for (int i = 0; i < 11; ++i) QVERIFY(!busy.Delay(i)->isVisible());
  }

  void messageBoxHasTheRequestsCaptionLinesAndButtons() {
    QtUserAnswers answers;
    MessageRequest request;
    request.caption = "Confirm Overwrite";
    request.text = "The file \"A.DAT\"\r\nalready exists.";
    request.icon = MsgIcon::Exclamation;
    request.buttons = MsgButtons::YesNoCancel;
    QString seenCaption, seenText;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      seenCaption = box->windowTitle();
      seenText = box->text();
      seenIcon = box->icon();
      QVERIFY(box->button(QMessageBox::Cancel));
      box->button(QMessageBox::No)->click();
    });
    QCOMPARE(answers.ShowMessage(request), MsgAnswer::No);
    QCOMPARE(seenCaption, QString("Confirm Overwrite"));
    QCOMPARE(seenText, QString("The file \"A.DAT\"\nalready exists."));
    QCOMPARE(seenIcon, QMessageBox::Warning);
  }

  void statusTextsGoToTheProgressBox() {
    VirtualClock clock;
    BusyWindows busy(clock);
    QtUserAnswers answers(nullptr, &busy);
    answers.ShowStatus("Resetting", 30);
    QVERIFY(busy.Progress());
    QCOMPARE(busy.Progress()->PercentText(), QString("30%"));
    answers.ShowStatus("", -1);
    QVERIFY(!busy.Progress());
  }
};

QTEST_MAIN(BusyWindowsTest)
#include "BusyWindowsTest.moc"
