// The range box and spin button widgets driven by keys, as a user types into them.
#include "app/controls/QbxRangeBox.h"
#include "app/controls/QbxSpinButton2.h"
#include "controls/KeyCodes.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace tlx;
using namespace tlx::gui;

class EntryWidgetsTest : public QObject {
  Q_OBJECT

 private slots:
  void enterAboveTheLimitWarnsClampsAndRaisesChangeThenEnter() {
    ScriptedAnswers answers;
    QbxRangeBox box(answers);
    RangeBoxProperties p;
    p.showWarn = true;
    box.SetProperties(p);
    QStringList order;
    connect(&box, &QbxRangeBox::Change, [&] { order << "Change"; });
    connect(&box, &QbxRangeBox::Enter, [&] { order << "Enter"; });
    box.TextBox()->clear();
    QTest::keyClicks(box.TextBox(), "12");
    QCOMPARE(box.Text(), QString("12"));
    QTest::keyClick(box.TextBox(), Qt::Key_Return);
    QCOMPARE(box.Text(), QString("10"));
    QCOMPARE(box.Value(), 10.0);
    QCOMPARE(order, QStringList({"Change", "Enter"}));
    QCOMPARE(answers.Messages().size(), size_t(1));
    QCOMPARE(QString::fromStdString(answers.Messages()[0].caption), QString("Range Error"));
  }

  void commaIsADecimalPointAndArithmeticIsWorkedOut() {
    ScriptedAnswers answers;
    QbxRangeBox box(answers);
    RangeBoxProperties p;
    p.places = 2;
    p.max = 100;
    box.SetProperties(p);
    box.TextBox()->clear();
    QTest::keyClicks(box.TextBox(), "3,5");
    QTest::keyClick(box.TextBox(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(box.Text(), QString("3.50"));
    box.TextBox()->clear();
    QTest::keyClicks(box.TextBox(), "2+3*4");
    QTest::keyClick(box.TextBox(), Qt::Key_Return);
    QCOMPARE(box.Value(), 20.0);
    QCOMPARE(box.Text(), QString("20.00"));
    QVERIFY(answers.Messages().empty());
  }

  void durationTypingOverwritesDigitsAndStepsOverColons() {
    ScriptedAnswers answers;
    QbxRangeBox box(answers);
    RangeBoxProperties p;
    p.style = RangeStyle::Duration;
    p.time = true;
    p.min = 5;
    p.max = 86400;
    p.numOnly = true;
    box.SetProperties(p);
    box.SetValue(600);
    QCOMPARE(box.Text(), QString("00:10:00"));
    QSignalSpy keys(&box, &QbxRangeBox::KeyDown);
    box.TextBox()->setCursorPosition(0);
    QTest::keyClicks(box.TextBox(), "0130x");  // the letter is refused (digits only)
    QCOMPARE(box.Text(), QString("01:30:00"));
    QCOMPARE(box.TextBox()->cursorPosition(), 5);
    QTest::keyClick(box.TextBox(), Qt::Key_Backspace);
    QTest::keyClick(box.TextBox(), Qt::Key_Backspace);
    QCOMPARE(box.Text(), QString("01:00:00"));
    QTest::keyClick(box.TextBox(), Qt::Key_Return);
    QCOMPARE(box.Value(), 3600.0);
    QCOMPARE(keys.count(), 7);  // every key but the plain Enter is passed on
    QCOMPARE(keys.at(0).at(0).toInt(), int(key::Digit0));
  }

  void leavingTheBoxValidatesIt() {
    ScriptedAnswers answers;
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* box = new QbxRangeBox(answers, &window);
    auto* other = new QLineEdit(&window);
    layout->addWidget(box);
    layout->addWidget(other);
    RangeBoxProperties p;
    p.min = 1;
    p.max = 5;
    p.showWarn = true;
    p.varName = "Sessions";
    box->SetProperties(p);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy changes(box, &QbxRangeBox::Change);
    box->TextBox()->setFocus();
    box->TextBox()->selectAll();
    QTest::keyClicks(box->TextBox(), "9");
    QTest::keyClick(box->TextBox(), Qt::Key_Tab);
    QCOMPARE(box->Text(), QString("5"));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(answers.Messages().size(), size_t(1));
    QVERIFY(QString::fromStdString(answers.Messages()[0].text).startsWith("\"Sessions\""));
  }

  void spinButtonStepsWithKeysAndTheScrollBar() {
    ScriptedAnswers answers;
    QbxSpinButton2 spin(answers);
    SpinButtonProperties p;
    p.min = 0;
    p.max = 2;
    p.places = 1;
    p.increment = 5;
    spin.SetProperties(p);
    QSignalSpy changes(&spin, &QbxSpinButton2::Change);
    QTest::keyClick(spin.TextBox(), Qt::Key_Up);
    QCOMPARE(spin.Text(), QString("0.5"));
    spin.ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);  // the up arrow
    QCOMPARE(spin.Text(), QString("1.0"));
    for (int i = 0; i < 5; ++i) spin.ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(spin.Value(), 2.0);
    QCOMPARE(changes.count(), 4);
    QTest::keyClick(spin.TextBox(), Qt::Key_Down);
    QCOMPARE(spin.Text(), QString("1.5"));
    spin.TextBox()->clear();
    QTest::keyClicks(spin.TextBox(), "-1");  // no minus without AllowMinus
    QCOMPARE(spin.Text(), QString("1"));
    QTest::keyClick(spin.TextBox(), Qt::Key_Return);
    QCOMPARE(spin.Value(), 1.0);
    QCOMPARE(spin.ScrollBar()->maximum(), 4);
    QCOMPARE(spin.ScrollBar()->value(), 2);  // position 2 of 4, counted from the top
  }
};

QTEST_MAIN(EntryWidgetsTest)
#include "EntryWidgetsTest.moc"
