// File > Batch Analyze: files and a folder picked, the batch run off the window's thread into one
// table, a bad file listed with its reason, entries that do not allow a run, and Cancel.
#include "app/dialogs/BatchAnalyzeDialog.h"
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
  return test::DataFileBuilder{.rateCode = 1, .samples = {}}.Walk(seed, samples).Bytes();
}

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
    Write(folder + QStringLiteral("/C.dat"), Recording(3));
    Write(folder + QStringLiteral("/B.DAT"), Recording(2));
    Write(folder + QStringLiteral("/NOTES.TXT"), "not a recording");
    BatchAnalyzeDialog dialog(dir.path().toStdString());
    dialog.AddDataFiles({dir.filePath(QStringLiteral("A.DAT")), dir.filePath(QStringLiteral("BAD.DAT"))});
    dialog.AddFolder(folder);
    dialog.AddDataFiles({dir.filePath(QStringLiteral("A.DAT"))});  // listed once
    QCOMPARE(dialog.DataFiles()->count(), 4);
    QCOMPARE(dialog.DataFiles()->item(2)->text(), folder + QStringLiteral("/B.DAT"));
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
    QVERIFY(lines[1 + 25].startsWith("B.DAT,"));
    QVERIFY(lines[1 + 50].startsWith("C.dat,"));
    QVERIFY(lines[1].contains(",1,30,ALL,"));
    QVERIFY(dialog.findChild<QPushButton*>(QStringLiteral("cmdRun"))->isEnabled());
  }

  void entriesThatDoNotAllowARunAreNamed() {
    QTemporaryDir dir;
    Write(dir.filePath(QStringLiteral("A.DAT")), Recording(1));
    BatchAnalyzeDialog dialog(dir.path().toStdString());
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
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("T.CSV"))));
    QCOMPARE(Read(dir.filePath(QStringLiteral("A.DAT"))).size(), static_cast<qsizetype>(Recording(1).size()));
  }

  void cancelStopsTheBatchAndKeepsTheTableThatWasThere() {
    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i < 300; ++i) {
      files << dir.filePath(QStringLiteral("R%1.DAT").arg(i));
      Write(files.back(), Recording(static_cast<unsigned>(i), 20000));
    }
    const QString table = dir.filePath(QStringLiteral("T.CSV"));
    Write(table, "kept");
    BatchAnalyzeDialog dialog(dir.path().toStdString());
    dialog.AddDataFiles(files);
    dialog.SetOutputPath(table);
    QVERIFY(dialog.Start());
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Running(), 20000);
    QCOMPARE(dialog.Status()->text(), QStringLiteral("Cancelled: no table was written."));
    QVERIFY(dialog.Progress()->value() < 300);
    QCOMPARE(Read(table), QByteArray("kept"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 301);  // no temporary file left

    // Closing the window while a batch runs stops it before the window goes; a new batch then
    // runs to its own end, not taken over by the news of the closed one.
    QVERIFY(dialog.Start());
    dialog.reject();
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
};

QTEST_MAIN(BatchAnalyzeTest)
#include "BatchAnalyzeTest.moc"
