// The printed report of a session printed to PDF: its lines and every row of the session's table,
// which runs past the first page and continues on the next.
#include "GuiDriver.h"
#include "PanelRig.h"
#include "app/data/OpenDataPanel.h"
#include "app/data/SessionView.h"
#include "app/print/DataReport.h"
#include "app/print/PrintSupport.h"
#include "common/Sha256.h"
#include "data/ResultsTable.h"
#include "data/SummaryProgram.h"
#include "zonemap/MapFile.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTimer>
#include <QProcess>
#include <QRegularExpression>

#include <filesystem>

using namespace tlx;
using namespace tlx::gui;

namespace {

QString PdfText(const QString& pdf) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!process.waitForFinished(30000)) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

QRegularExpression RowPattern(const std::vector<std::string>& cells) {
  QStringList parts;
  for (const std::string& cell : cells) parts << QRegularExpression::escape(QString::fromStdString(cell));
  return QRegularExpression(QStringLiteral("(^|\\s)") + parts.join(QStringLiteral("\\s+")) + QStringLiteral("(\\s|$)"),
                            QRegularExpression::MultilineOption);
}

}  // namespace

class PrintReportTest : public QObject {
  Q_OBJECT

 private slots:
  void aSessionTableLongerThanAPageContinuesOnTheNextPage() {
    tlx::test::TempDir dir;
    // Forty zones: every session has 40 table rows (one "ALL" and 39 listed zones, "G" never).
    ZoneMap many;
    for (int p = 0; p < kMapCells; ++p) many.cells[std::size_t(p)] = char('0' + p % 40);
    QVERIFY(WriteMapFile(dir.File("MANY.MAP"), many));
    tlx::test::WriteBytes(dir.File("R.EXP"), tlx::test::SetupText(30, 2, 5));
    const tlx::test::CliResult run = tlx::test::RunCli({"run", "--setup", dir.File("R.EXP"), "--data-file", dir.File("RUN.DAT"),
                                              "--map", dir.File("MANY.MAP"), "--seed", "9", "--home", dir.Path(),
                                              "--sim-start", "2026-05-04 10:00:00", "--yes"});
    QCOMPARE(run.exitCode, 0);

    tlx::test::PanelRig rig(dir.Path());
    SpawnLauncher launcher;
    SummaryProgram summary(launcher, SummarySearch{});
    OpenDataPanel panel(rig.program, summary);
    panel.resize(800, 600);
    QVERIFY(panel.OpenDataFileForAnalysis(dir.File("RUN.DAT")));
    panel.ShowSession(2);
    QVERIFY(panel.View()->WaitForPicture());
    const std::vector<std::size_t> rows = SessionRows(panel.Open().Table, 2);
    QCOMPARE(rows.size(), std::size_t(40));

    const QString pdf = QString::fromStdString(dir.File("REPORT.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QVERIFY(panel.PrintReport(printer));

    const QString text = PdfText(pdf);
    QVERIFY2(!text.isEmpty(), "pdftotext gave no text");
    const QString firstPage = text.section(QChar('\f'), 0, 0);
    for (const char* line : {"Experiment filename : RUN.DAT", "Zone map filename : RUN.MAP",
                             "Experiment start time : 2026-05-04 10:00:0", "Session Length : 00:00:30",
                             "Experiment Length : 00:01:00", "Distances are in : cm", "Times are in seconds.",
                             "Session Number : 2", "Thresholds used : maximum distance ", "Calibration : ",
                             "Sample rate : ", "Analysed by : Tracelux-One "}) {
      QVERIFY2(firstPage.contains(QString::fromLatin1(line)), line);
    }
    // The figures can be traced to the recording they were computed from.
    QVERIFY(firstPage.contains(QString::fromStdString("Data SHA-256 : " + FileSha256Hex(dir.File("RUN.DAT")))));
    const auto& table = panel.Open().Table;
    for (std::size_t r : rows) {
      QVERIFY2(RowPattern(table.Rows[r]).match(text).hasMatch(), table.Rows[r][1].c_str());
    }
    // The table goes on under its column header on the next page; session 1 is not printed.
    const QString secondPage = text.section(QChar('\f'), 1, 1);
    QVERIFY(RowPattern({"Sess.#", "Zone", "Dist"}).match(secondPage).hasMatch());
    QVERIFY(RowPattern(table.Rows[rows.back()]).match(secondPage).hasMatch());
    QVERIFY(!RowPattern({"1", "ALL"}).match(text).hasMatch());
  }

  // The PDF name the print dialog starts on is never a file that exists.
  void aPrintoutNeverReplacesAnEarlierFileUnasked() {
    tlx::test::TempDir dir;
    const std::string pdf = dir.File("RUN.PDF");
    QCOMPARE(FreeFileName(pdf), pdf);
    tlx::test::WriteBytes(pdf, "earlier");
    tlx::test::WriteBytes(dir.File("RUN (2).PDF"), "earlier");
    QCOMPARE(FreeFileName(pdf), dir.File("RUN (3).PDF"));
    std::filesystem::create_directory(dir.File("a.b"));
    tlx::test::WriteBytes(dir.File("a.b/RUN"), "");
    QCOMPARE(FreeFileName(dir.File("a.b/RUN")), dir.File("a.b/RUN (2)"));
    if (!QPrinterInfo::availablePrinters().isEmpty()) QSKIP("a printer is installed: the dialog starts on it");
    QTimer cancel;  // the dialog is only looked at, then cancelled
    connect(&cancel, &QTimer::timeout, [] {
      if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) dialog->reject();
    });
    cancel.start(20);
    QPrinter printer;
    QVERIFY(!AskForPrinter(printer, nullptr, pdf));
    QCOMPARE(printer.outputFileName().toStdString(), dir.File("RUN (3).PDF"));
  }
};

TLX_GUI_TEST(PrintReportTest)
#include "PrintReportTest.moc"
