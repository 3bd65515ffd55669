// The entry widgets, the file picker and the progress and delay boxes,
// driven by keys and clicks as a user would: what is checked here is how each widget passes the
// user's input to its model and shows the result.
#include "GuiDriver.h"
#include "app/QtUserAnswers.h"
#include "app/controls/BusyWindows.h"
#include "app/controls/QbxPickFile2.h"
#include "app/controls/QbxRangeBox.h"
#include "app/controls/QbxSpinButton2.h"
#include "common/VirtualClock.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace tlx;
using namespace tlx::gui;

class ControlWidgetsTest : public QObject {
  Q_OBJECT

 private slots:
  void rangeBoxTakesTypedKeysOnEnterAndOnLeaving() {
    ScriptedAnswers answers;
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* box = new QbxRangeBox(answers, &window);
    auto* other = new QLineEdit(&window);
    layout->addWidget(box);
    layout->addWidget(other);
    box->SetProperties({.max = 100, .places = 2, .varName = "Sessions", .showWarn = true});
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QStringList order;
    connect(box, &QbxRangeBox::Change, [&] { order << "Change"; });
    connect(box, &QbxRangeBox::Enter, [&] { order << "Enter"; });
    auto type = [&](const QString& text) {
      box->TextBox()->setFocus();
      box->TextBox()->selectAll();
      QTest::keyClicks(box->TextBox(), text);
    };
    type("120");  // out of range: refused, the box keeps the value it had
    QTest::keyClick(box->TextBox(), Qt::Key_Return);
    QCOMPARE(box->Text(), QString("0.00"));
    QCOMPARE(order, QStringList({"Enter"}));
    type("3,5");
    QTest::keyClick(box->TextBox(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(box->Text(), QString("3.50"));
    type("2+3*4");
    QTest::keyClick(box->TextBox(), Qt::Key_Tab);  // leaving the box validates it too
    QVERIFY(other->hasFocus());
    QCOMPARE(box->Value(), 20.0);
    QCOMPARE(box->Text(), QString("20.00"));
    QCOMPARE(order.count("Change"), 2);
    QCOMPARE(answers.Messages().size(), size_t(1));  // only the 120 was out of range
  }

  // A session length typed over the selected text, colons included, is what the box takes.
  void durationBoxTakesWhatIsTypedOverItsText() {
    ScriptedAnswers answers;
    QbxRangeBox box(answers);
    box.SetProperties({.min = 1, .max = 86400, .time = true, .varName = "Session Length", .showWarn = true,
                       .highlight = true, .style = RangeStyle::Duration});
    box.SetValue(1);
    box.show();
    for (const auto& [typed, seconds] : {std::pair{"00:00:25", 25.0}, {"25", 25.0}, {"1:30", 90.0}}) {
      box.SetValue(1);
      box.TextBox()->selectAll();
      QTest::keyClicks(box.TextBox(), QString::fromLatin1(typed));
      QCOMPARE(box.Text(), QString::fromLatin1(typed));
      QTest::keyClick(box.TextBox(), Qt::Key_Return);
      QCOMPARE(box.Value(), seconds);
    }
    QCOMPARE(box.Text(), QString("00:01:30"));
    // Inside the shown time, digits still overwrite and step over the colons.
    box.TextBox()->setCursorPosition(3);
    QTest::keyClicks(box.TextBox(), "45");
    QCOMPARE(box.Text(), QString("00:45:30"));
    QVERIFY(answers.Messages().empty());
  }

  void spinButtonStepsWithKeysAndTheScrollBar() {
    ScriptedAnswers answers;
    QbxSpinButton2 spin(answers);
    spin.SetProperties({.increment = 5, .min = 0, .max = 2, .places = 1, .varName = ""});
    QSignalSpy changes(&spin, &QbxSpinButton2::Change);
    QTest::keyClick(spin.TextBox(), Qt::Key_Up);
    QCOMPARE(spin.Text(), QString("0.5"));
    spin.ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);  // the up arrow
    QCOMPARE(spin.Text(), QString("1.0"));
    for (int i = 0; i < 5; ++i) spin.ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(spin.Value(), 2.0);
    QCOMPARE(changes.count(), 4);
    QCOMPARE(spin.ScrollBar()->maximum(), 4);
    QCOMPARE(spin.ScrollBar()->value(), 0);  // the top of the bar is the maximum
  }

  void filePickerBrowsesClearsAndTicks() {
    QTemporaryDir dir;
    ScriptedAnswers answers;
    QbxPickFile2 picker(answers);
    picker.Model().Props().openOrSave = false;
    picker.Model().Props().showWarn = true;
    picker.Model().Props().hidePath = true;
    picker.Model().Props().noFileMsg = "Data will not be saved";
    picker.SetExtension("DAT");
    picker.SetSaveTitle("Sa&ve Data : ");  // also shows the empty choice's message
    picker.show();
    QSignalSpy changes(&picker, &QbxPickFile2::Change);
    QCOMPARE(picker.FileLabel()->text(), QString("Data will not be saved"));
    QTest::mouseClick(picker.CheckBox(), Qt::LeftButton);  // ticking browses; cancelled here
    QVERIFY(!picker.CheckBox()->isChecked());

    const QString path = dir.filePath("RUN1.DAT");
    answers.QueueFile(path.toStdString());
    QTest::mouseClick(picker.BrowseButton(), Qt::LeftButton);
    QCOMPARE(picker.Filename(), path);
    QCOMPARE(picker.FileLabel()->text(), QString("RUN1.DAT"));
    QVERIFY(picker.CheckBox()->isChecked());
    QCOMPARE(changes.count(), 1);

    QTest::mouseClick(picker.CaptionLabel(), Qt::LeftButton);  // the caption clears the box
    QVERIFY(!picker.CheckBox()->isChecked() && !picker.SaveFile());
    QCOMPARE(picker.FileLabel()->text(), QString("Data will not be saved"));
    QCOMPARE(changes.count(), 2);
    QCOMPARE(answers.FileRequests().size(), size_t(2));
  }

  void progressBoxShowsCaptionAndPercentAndFollowsTheStatus() {
    VirtualClock clock;
    BusyWindows busy(clock);
    QtUserAnswers answers(nullptr, &busy);
    answers.ShowStatus("Loading Map", 30);
    QVERIFY(busy.Progress() && busy.Progress()->isVisible());
    QCOMPARE(busy.Progress()->CaptionText(), QString("Loading Map ... Please Wait"));
    ProgressBox* first = busy.Progress();
    busy.ShowProgress("Saving");  // showing it again only changes the caption
    QCOMPARE(busy.Progress(), first);
    QCOMPARE(busy.Progress()->CaptionText(), QString("Saving ... Please Wait"));
    answers.ShowStatus("", -1);
    QVERIFY(!busy.Progress());
  }

  void delayBoxesCloseOnTheirTimeOrWhenDismissed() {
    VirtualClock clock;
    BusyWindows busy(clock);
    QCOMPARE(busy.ShowDelayMessage("Printing ...", false, 2), 0);
    QCOMPARE(busy.Delay(0)->MessageText(), QString("Printing ..."));
    QVERIFY(!busy.Delay(0)->OkButton()->isVisible());
    for (int i = 1; i < 11; ++i) QCOMPARE(busy.ShowDelayMessage(QString::number(i), true, 0), i);
    QVERIFY(busy.Delay(1)->OkButton()->isVisible());
    clock.RunFor(2000);
    busy.Poll();
    QVERIFY(!busy.Delay(0)->isVisible());
    QVERIFY(busy.Delay(1)->isVisible());  // seconds 0 waits for OK or Escape
    QTest::keyClick(busy.Delay(1), Qt::Key_Escape);
    QVERIFY(!busy.Delay(1)->isVisible());
    QTest::mouseClick(busy.Delay(4)->OkButton(), Qt::LeftButton);
    QCOMPARE(busy.VisibleDelayCount(), 8);
    busy.HideDelayMessages();
    QCOMPARE(busy.VisibleDelayCount(), 0);
  }
};

TLX_GUI_TEST(ControlWidgetsTest)
#include "ControlWidgetsTest.moc"
