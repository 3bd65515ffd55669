// File > Batch Analyze: files and a folder picked (in natural order), the batch run off the
// window's thread into one table, a bad file listed with its reason, entries that do not allow a
// run, the question before an existing table is replaced, Cancel and Escape, and the choices the
// program keeps, seen through the real window.
#include "GuiDriver.h"
#include "app/dialogs/BatchAnalyzeDialog.h"
#include "common/UserAnswers.h"
#include "data/DataFileBuilder.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tlx;
using namespace tlx::gui;

namespace {

void Write(const QString& path, const std::string& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// 5 samples per second, 60-second sessions: 700 samples make 3 sessions of 5 rows.
std::string Recording(unsigned seed, int samples = 700) {
  return tlx::test::DataFileBuilder{.rateCode = 1, .samples = {}}.Walk(seed, samples).Bytes();
}

// A batch window on its own program home, answering its questions from a script.
struct Rig {
  QTemporaryDir home;
  BatchChoices choices;
  ScriptedAnswers answers;
  BatchAnalyzeDialog dialog{choices, home.path().toStdString(), home.path().toStdString(), answers};
};

}  // namespace

class BatchAnalyzeTest : public QObject {
  Q_OBJECT

 private slots:
  void tableOfPickedFilesAndAFolderWithABadFileListed() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("day2"));
    QVERIFY(QDir().mkpath(folder));
    Write(dir.filePath(QStringLiteral("A.DAT")), Recording(1));
    Write(dir.filePath(QStringLiteral("BAD.DAT")), "\xFE\xAA" + std::string(40, '\0'));
    Write(folder + QStringLiteral("/day10.dat"), Recording(3));
    Write(folder + QStringLiteral("/day2.DAT"), Recording(2));
    Write(folder + QStringLiteral("/NOTES.TXT"), "not a recording");
    Rig rig;
    BatchAnalyzeDialog& dialog = rig.dialog;
    dialog.AddDataFiles({dir.filePath(QStringLiteral("A.DAT")), dir.filePath(QStringLiteral("BAD.DAT"))});
    dialog.AddFolder(folder);
    dialog.AddDataFiles({dir.filePath(QStringLiteral("A.DAT"))});  // listed once
    QCOMPARE(dialog.DataFiles()->count(), 4);
    QCOMPARE(dialog.DataFiles()->item(2)->text(), folder + QStringLiteral("/day2.DAT"));
    const QString table = dir.filePath(QStringLiteral("EXPERIMENT.CSV"));
    dialog.SetOutputPath(table);
    dialog.findChild<QLineEdit*>(QStringLiteral("txtSessionLength"))->setText(QStringLiteral("0:00:30"));

    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdRun")), Qt::LeftButton);
    QVERIFY(!dialog.findChild<QPushButton*>(QStringLiteral("cmdRun"))->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Running(), 20000);
    QCOMPARE(dialog.Failures()->count(), 1);
    QCOMPARE(dialog.Failures()->item(0)->text(), QStringLiteral("The file BAD.DAT is not a valid Tracelux data file."));
    QCOMPARE(dialog.Progress()->value(), 4);
    QVERIFY2(dialog.Status()->text().startsWith(QStringLiteral("3 files analysed")), qPrintable(dialog.Status()->text()));
    const QList<QByteArray> lines = Read(table).split('\n');
    // The header, then 5 sessions of 30 s (the last short) of 5 rows for each of the three files.
    QCOMPARE(lines.size(), 1 + 3 * 5 * 5 + 1);
    QVERIFY(lines[0].startsWith("file,path,start,session,session_length_s,zone,distance_cm,"));
    QVERIFY(lines[1].startsWith("A.DAT,"));
    QVERIFY(lines[1 + 25].startsWith("day2.DAT,"));
    QVERIFY(lines[1 + 50].startsWith("day10.dat,"));
    QVERIFY(lines[1].contains(",1,30,ALL,"));
    QVERIFY(dialog.findChild<QPushButton*>(QStringLiteral("cmdRun"))->isEnabled());
  }

  void entriesThatDoNotAllowARunAreNamedAndATableIsReplacedOnlyWhenAsked() {
    QTemporaryDir dir;
    Write(dir.filePath(QStringLiteral("A.DAT")), Recording(1));
    Rig rig;
    BatchAnalyzeDialog& dialog = rig.dialog;
    QVERIFY(!dialog.Start());
    QCOMPARE(dialog.Status()->text(), QStringLiteral("Add the data files to analyse."));
    dialog.AddDataFiles({dir.filePath(QStringLiteral("A.DAT"))});
    QVERIFY(!dialog.Start());
    QCOMPARE(dialog.Status()->text(), QStringLiteral("Choose the output table."));
    dialog.SetOutputPath(dir.filePath(QStringLiteral("A.DAT")));
    QVERIFY(!dialog.Start());
    QCOMPARE(dialog.Status()->text(), QStringLiteral("The output table would replace a data file."));
    dialog.SetOutputPath(dir.filePath(QStringLiteral("T.CSV")));
    dialog.findChild<QLineEdit*>(QStringLiteral("txtAmbulatory"))->setText(QStringLiteral("three"));
    QVERIFY(!dialog.Start());
    QCOMPARE(dialog.Status()->text(), QStringLiteral("Enter a number, or nothing for each file's own."));
    dialog.findChild<QLineEdit*>(QStringLiteral("txtAmbulatory"))->setText(QStringLiteral(" 2,5 "));
    dialog.findChild<QLineEdit*>(QStringLiteral("txtSessionLength"))->setText(QStringLiteral("-1"));
    QVERIFY(!dialog.Start());
    QCOMPARE(dialog.Status()->text(), QStringLiteral("The session length is not a duration."));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("T.CSV"))));
    QCOMPARE(Read(dir.filePath(QStringLiteral("A.DAT"))).size(), static_cast<qsizetype>(Recording(1).size()));

    // A table that is there is replaced only when the user says so (No is the answer of Escape).
    dialog.findChild<QLineEdit*>(QStringLiteral("txtSessionLength"))->clear();
    Write(dir.filePath(QStringLiteral("T.CSV")), "kept");
    rig.answers.QueueAnswer(MsgAnswer::No);
    QVERIFY(!dialog.Start());
    QCOMPARE(QString::fromStdString(rig.answers.Messages().back().text),
             QStringLiteral("The table %1 already exists.\r\nReplace it?").arg(dir.filePath(QStringLiteral("T.CSV"))));
    QCOMPARE(Read(dir.filePath(QStringLiteral("T.CSV"))), QByteArray("kept"));
    rig.answers.QueueAnswer(MsgAnswer::Yes);
    QVERIFY(dialog.Start());
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Running(), 20000);
    QVERIFY(Read(dir.filePath(QStringLiteral("T.CSV"))).startsWith("file,path,"));
  }

  void cancelStopsTheBatchAndKeepsTheTableThatWasThere() {
    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i < 120; ++i) {
      files << dir.filePath(QStringLiteral("R%1.DAT").arg(i));
      Write(files.back(), Recording(static_cast<unsigned>(i), 20000));
    }
    const QString table = dir.filePath(QStringLiteral("T.CSV"));
    Write(table, "kept");
    Rig rig;
    BatchAnalyzeDialog& dialog = rig.dialog;
    rig.answers.SetFallback(MsgAnswer::Yes);  // the table that was there may be replaced
    dialog.AddDataFiles(files);
    dialog.SetOutputPath(table);
    QVERIFY(dialog.Start());
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Running(), 20000);
    QCOMPARE(dialog.Status()->text(), QStringLiteral("Cancelled: no table was written."));
    QVERIFY(dialog.Progress()->value() < 120);
    QCOMPARE(Read(table), QByteArray("kept"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 121);  // no temporary file left

    // Escape while a batch runs asks first: No goes on; Yes stops it before the window goes. A
    // new batch then runs to its own end, not taken over by the news of the stopped one.
    QVERIFY(dialog.Start());
    rig.answers.QueueAnswer(MsgAnswer::No);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.Running());
    QCOMPARE(rig.answers.Messages().back().text, std::string("A batch is running.\r\nStop it? No table will be written."));
    rig.answers.QueueAnswer(MsgAnswer::Yes);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.Running());
    QCOMPARE(Read(table), QByteArray("kept"));
    dialog.DataFiles()->clear();
    dialog.AddDataFiles(files.mid(0, 2));
    QVERIFY(dialog.Start());
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Running(), 20000);
    QVERIFY2(dialog.Status()->text().startsWith(QStringLiteral("2 files analysed")), qPrintable(dialog.Status()->text()));
    QCOMPARE(dialog.Progress()->value(), 2);
    QVERIFY(Read(table).startsWith("file,path,"));
  }

  // Through the desktop: the window keeps its size and its buttons their place whatever the status
  // says, shows a dozen files, and the next opening, in this program or the next, shows the files,
  // parameters and output of the last.
  void theDesktopKeepsTheChoicesAndTheWindowStaysPut() {
    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i < 3; ++i) {
      files << dir.filePath(QStringLiteral("R%1.DAT").arg(i));
      Write(files.back(), Recording(static_cast<unsigned>(i)));
    }
    const QString table = dir.filePath(QStringLiteral("T.CSV"));
    const auto inBatchWindow = [](tlx::gui::test::WindowRig& rig, const std::function<void(BatchAnalyzeDialog&)>& work) {
      bool seen = false;
      QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<BatchAnalyzeDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        seen = true;
        work(*dialog);
        dialog->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
      });
      rig.window->findChild<QAction*>(QStringLiteral("mnuBatchAnalyze"))->trigger();
      QVERIFY(seen);
    };
    QByteArray kept;
    {
      tlx::gui::test::WindowRig rig;
      inBatchWindow(rig, [&](BatchAnalyzeDialog& d) {
        QVERIFY(d.DataFiles()->height() >= d.DataFiles()->fontMetrics().lineSpacing() * 12);
        d.AddDataFiles(files);
        d.SetOutputPath(table);
        d.findChild<QLineEdit*>(QStringLiteral("txtMaxDistance"))->setText(QStringLiteral("40"));
        const QRect run = d.findChild<QPushButton*>(QStringLiteral("cmdRun"))->geometry();
        const int width = d.width();
        QVERIFY(d.Start());
        QTRY_VERIFY_WITH_TIMEOUT(!d.Running(), 20000);
        QVERIFY(d.Status()->text().size() > 40);
        d.Status()->setText(QString(400, QLatin1Char('x')));
        QTest::qWait(20);
        QCOMPARE(d.width(), width);
        QCOMPARE(d.findChild<QPushButton*>(QStringLiteral("cmdRun"))->geometry(), run);
      });
      inBatchWindow(rig, [&](BatchAnalyzeDialog& d) {
        QCOMPARE(d.DataFiles()->count(), 3);
        QCOMPARE(d.findChild<QLineEdit*>(QStringLiteral("txtMaxDistance"))->text(), QStringLiteral("40"));
      });
      kept = Read(rig.File(QStringLiteral("BATCH.INI")));
    }
    QVERIFY(kept.contains("Output = \"" + table.toUtf8() + "\""));
    tlx::gui::test::WindowRig next([&](const QTemporaryDir& h) { Write(h.filePath(QStringLiteral("BATCH.INI")), kept.toStdString()); });
    inBatchWindow(next, [&](BatchAnalyzeDialog& d) {
      QCOMPARE(d.DataFiles()->item(2)->text(), files[2]);
      QCOMPARE(d.findChild<QLineEdit*>(QStringLiteral("txtOutputFile"))->text(), table);
      QCOMPARE(d.findChild<QLineEdit*>(QStringLiteral("txtMaxDistance"))->text(), QStringLiteral("40"));
    });
  }
};

TLX_GUI_TEST(BatchAnalyzeTest)
#include "BatchAnalyzeTest.moc"
