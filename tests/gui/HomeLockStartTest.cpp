// The desktop program's start on a program home that another program holds: the user is told
// who holds it and how to run a second unit, and nothing in the home is read or written.
#include "GuiDriver.h"

#include "app/AppStart.h"
#include "common/HomeLock.h"

#include <QDir>

#include <unistd.h>

using namespace tlx;
using namespace tlx::gui;
using namespace tlx::gui::test;

class HomeLockStartTest : public QObject {
  Q_OBJECT

 private slots:
  void aHeldHomeIsRefusedWithAMessageAndLeftAsItWas() {
    QTemporaryDir dir;
    const std::string home = dir.path().toStdString();
    HomeLock running;  // the program already on this home
    QCOMPARE(running.Acquire(home), HomeLock::Result::Locked);

    DialogAnswerer answerer;
    HomeLock second;
    QVERIFY(!ClaimProgramHome(home, second));
    QCOMPARE(answerer.Count(QStringLiteral("Program Home In Use")), 1);
    const SeenBox& box = answerer.Seen().back();
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY2(box.text.contains(QStringLiteral("is already in use by process %1").arg(::getpid())),
             qPrintable(box.text));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
             QStringList{QString::fromLatin1(kHomeLockName)});

    // Once the first program has ended, the home is taken without a word.
    running.Release();
    QVERIFY(ClaimProgramHome(home, second));
    QCOMPARE(answerer.Seen().size(), std::size_t{1});
  }
};

TLX_GUI_TEST(HomeLockStartTest)
#include "HomeLockStartTest.moc"
