// The data panel, its pictures and printed report, and Batch Analyze, on recorded runs.
#include "GuiDriver.h"
#include "PanelRig.h"
#include "app/controls/QbxRangeBox.h"
#include "app/controls/QbxSpinButton2.h"
#include "app/data/CalibrationBoxes.h"
#include "app/data/OpenDataPanel.h"
#include "app/data/SessionView.h"
#include "common/Paths.h"
#include "data/DataFile.h"
#include "data/SummaryProgram.h"
#include "setup/Units.h"
#include "zonemap/MapFile.h"
#include "app/data/PanelHookup.h"
#include "app/zone/VidGrid.h"
#include "app/data/PictureViewSwitch.h"
#include "app/print/DataReport.h"
#include "app/print/PrintSupport.h"
#include "common/Sha256.h"
#include "data/ResultsTable.h"
#include "app/dialogs/BatchAnalyzeDialog.h"
#include "common/UserAnswers.h"
#include "data/DataFileBuilder.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <filesystem>

using namespace tlx;
using namespace tlx::gui;
using namespace tlx::gui::test;

// The data panel on data files made by runs of the simulated unit: results, sessions, the trace,
// reanalysis compared with the command line, the threshold boxes, exports and the saved picture.
namespace {

class RecordingLauncher : public ProcessLauncher {
 public:
  long Start(const std::string& program, const std::vector<std::string>& arguments) override {
    starts.push_back({program, arguments});
    return 4242;
  }
  bool SendKey(long, const std::string&) override { return false; }
  std::vector<std::pair<std::string, std::vector<std::string>>> starts;
};

void Leave(QLineEdit* box) {
  QFocusEvent event(QEvent::FocusOut);
  QApplication::sendEvent(box, &event);
}

void Retype(QLineEdit* box, const QString& text) {
  box->setFocus();
  box->selectAll();
  QTest::keyClicks(box, text);
}

std::string Caption(const ScriptedAnswers& answers) {
  return answers.Messages().empty() ? std::string() : answers.Messages().back().caption;
}

ZoneMap Stripes() {
  ZoneMap stripes;
  for (int r = 0; r < kMapRows; ++r)
    for (int c = 0; c < kMapColumns; ++c) stripes.Set(r, c, char('a' + c / 8));
  return stripes;
}

// A day-long session at 30 samples per second: sweeps across the picture, jumping back at each
// edge, with a lost sample every 500.
std::string WriteLongRecording(const tlx::test::TempDir& dir, std::int64_t samples) {
  tlx::test::DataFileBuilder file{.sessionLength5 = 86400 / 5, .rateCode = 2, .samples = {}};
  for (std::int64_t i = 0; i < samples; ++i) file.Add(int(i % 256), i % 500 == 0 ? 255 : int(i / 256 % 192));
  const std::string path = dir.File("DAY.DAT");
  tlx::test::WriteBytes(path, file.Bytes());
  return path;
}

}  // namespace

// The printed report of a session printed to PDF: its lines and every row of the session's table,
// which runs past the first page and continues on the next.
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

class DataPanelTest : public QObject {
  Q_OBJECT

  std::unique_ptr<tlx::test::TempDir> dir_;
  std::unique_ptr<tlx::test::PanelRig> rig_;
  RecordingLauncher launcher_;
  std::unique_ptr<SummaryProgram> summary_;
  std::unique_ptr<OpenDataPanel> panel_;

  ScriptedAnswers& Answers() { return rig_->answers; }
  QLabel* Label(const char* name) { return panel_->findChild<QLabel*>(name); }

  // Opens the file, asks for a reanalysis and puts the given pixel values in the boxes.
  void OpenForEditing(const std::string& data) {
    QVERIFY(panel_->OpenDataFileForAnalysis(data));
    panel_->ReanalyzeClicked();
    QCOMPARE(panel_->Stage(), 1);
    QVERIFY(Label("lblRanalInstr")->text().startsWith("Click 'Reanalyze' to\ndo the reanalysis"));
  }

 private slots:
  void init() {
    dir_ = std::make_unique<tlx::test::TempDir>();
    rig_ = std::make_unique<tlx::test::PanelRig>(dir_->Path());
    tlx::test::WriteBytes(dir_->File("sumbrix"), "#!/bin/sh\n");
    launcher_.starts.clear();
    summary_ = std::make_unique<SummaryProgram>(launcher_, SummarySearch{dir_->Path(), "", ""});
    panel_ = std::make_unique<OpenDataPanel>(rig_->program, *summary_);
    panel_->resize(900, 600);
    panel_->show();
  }
  void cleanup() {
    panel_.reset();
    summary_.reset();
    rig_.reset();
    dir_.reset();
  }

  void openingShowsTheRunsResultsSessionsAndTrace() {
    const std::string data = tlx::test::RecordRun(*dir_, "RAT1", 60, 3, 5);
    QSignalSpy exportable(panel_.get(), &OpenDataPanel::ExportAvailable);
    QVERIFY(panel_->OpenDataFileForAnalysis(data));
    QCOMPARE(exportable.count(), 1);
    QCOMPARE(Label("lblDataParams_5")->text(), QString("3"));
    QCOMPARE(Label("lblAnalWarning")->text(), QString());
    // The grid holds the run's own results: per session one "ALL" line and four quadrant zones.
    QCOMPARE(panel_->Open().Table.Columns.front(), std::string("Sess.#"));
    QCOMPARE(panel_->Open().Table.RowCount(), std::size_t(3 * 5));
    QCOMPARE(panel_->Open().MapFile, dir_->File("RAT1.MAP"));
    QVERIFY(panel_->View()->WaitForPicture());
    QVERIFY(panel_->View()->LastPointCount() > 1);
    // Calibration 120 pixels = 36 cm: the ambulatory 6 pixels are 1.80 cm.
    QCOMPARE(panel_->Boxes()->Units(CalibrationBoxes::kAmbulatory)->text(), QString("1.80"));
    QCOMPARE(Label("lblUnits")->text(), QString("cm"));
    QVERIFY(Answers().Messages().empty());

    panel_->ShowSession(4);
    QCOMPARE(Caption(Answers()), std::string("EOF Reached"));
    QCOMPARE(panel_->SelectedSession(), std::int64_t(1));  // the session shown stays
    panel_->ShowSession(3);
    QVERIFY(panel_->View()->WaitForPicture());
    QCOMPARE(Answers().Messages().size(), std::size_t(1));
    QCOMPARE(panel_->findChild<QbxSpinButton2*>("spDataSessNum")->Value(), 3.0);
  }

  // Every box of the reanalysis and a map chosen for it reach the analysis as the command line
  // reads the same values; a larger ambulatory distance confirmed with Return redraws the trace.
  void reanalysisMatchesTheCommandLineAndWarnsOfAShortLastSession() {
    const std::string data = tlx::test::RecordRun(*dir_, "RAT2", 60, 3, 5);
    const ZoneMap stripes = Stripes();
    QVERIFY(WriteMapFile(dir_->File("STRIPES.MAP"), stripes));
    OpenForEditing(data);
    Answers().QueueFile(dir_->File("STRIPES.MAP"));
    panel_->SelectMapFile();
    QCOMPARE(Label("lblDataParams_4")->text(), QString("STRIPES.MAP"));
    CalibrationBoxes* boxes = panel_->Boxes();
    Retype(boxes->Pixels(CalibrationBoxes::kCalibration), "100");  // 100 pixels: 30.00 cm
    QCOMPARE(boxes->Units(CalibrationBoxes::kCalibration)->text(), QString("30.00"));
    QVERIFY(panel_->View()->WaitForPicture());
    const std::size_t before = panel_->View()->LastPointCount();
    QSignalSpy ready(panel_->View(), &SessionView::PictureReady);
    Retype(boxes->Pixels(CalibrationBoxes::kAmbulatory), "30");
    QTest::keyClick(boxes->Pixels(CalibrationBoxes::kAmbulatory), Qt::Key_Return);
    QVERIFY(panel_->View()->WaitForPicture());
    QCOMPARE(ready.count(), 1);
    QVERIFY(panel_->View()->LastPointCount() < before);
    Retype(boxes->Pixels(CalibrationBoxes::kStereotypic), "4");
    Retype(boxes->Pixels(CalibrationBoxes::kMaximum), "80");
    panel_->SessionLengthBox()->SetValue(50);
    panel_->UnitsList()->setCurrentIndex(5);  // feet
    panel_->ReanalyzeClicked();
    QCOMPARE(panel_->Stage(), 0);
    QCOMPARE(Label("lblRanalInstr")->text(), QString("Reanalysis has\nbeen done."));
    // 180 seconds in sessions of 50: three whole sessions and a short fourth.
    QCOMPARE(panel_->Sessions(), std::int64_t(4));
    QCOMPARE(Label("lblAnalWarning")->text(), QString("-Last Session is short-"));

    const std::string ranal = tlx::test::ReadBytes(JoinPath(dir_->Path(), "~RANAL.CSV"));
    const tlx::test::CliResult cli =
        tlx::test::RunCli({"analyze", data, "--session-length", "50", "--ambulatory", "30", "--stereotypic", "4",
                      "--max-distance", "80", "--scale", "100", "--reference", "30", "--units", "feet",
                      "--map", dir_->File("STRIPES.MAP"), "--decimal-point"});
    QCOMPARE(cli.exitCode, 0);
    QCOMPARE(ranal, cli.out);
    QVERIFY(panel_->Map() == stripes);
    QCOMPARE(panel_->Open().Table.RowCount(), std::size_t(4 * 5));

    // The same file in whole sessions: no warning.
    panel_->ReanalyzeClicked();
    panel_->SessionLengthBox()->SetValue(60);
    panel_->ReanalyzeClicked();
    QCOMPARE(panel_->Sessions(), std::int64_t(3));
    QCOMPARE(Label("lblAnalWarning")->text(), QString());
  }

  void aReanalysisThatCannotRunKeepsTheTableAndSaysSo() {
    const std::string data = tlx::test::RecordRun(*dir_, "GONE", 30, 2, 5);
    // An earlier reanalysis of another file left its results behind.
    tlx::test::WriteBytes(JoinPath(dir_->Path(), "~RANAL.CSV"), "Sess.#,Zone\r\n 9 ,Z\r\n");
    OpenForEditing(data);
    const std::size_t rows = panel_->Open().Table.RowCount();
    QCOMPARE(rows, std::size_t(2 * 5));
    QVERIFY(std::remove(data.c_str()) == 0);
    panel_->SessionLengthBox()->SetValue(10);
    panel_->ReanalyzeClicked();
    QCOMPARE(panel_->Stage(), 0);
    QCOMPARE(panel_->Open().Table.RowCount(), rows);
    QCOMPARE(panel_->Open().Table.Rows[0][0], std::string("1"));
    QCOMPARE(panel_->Sessions(), std::int64_t(2));
    QVERIFY(!Label("lblRanalInstr")->text().startsWith("Reanalysis has"));
  }

  void thresholdBoxesConvertAsTypedAndWarn() {
    QWidget parent;
    ScriptedAnswers answers;
    CalibrationBoxes boxes(answers, &parent);
    boxes.SetPair(UnitsPerPixel(200, 12));
    boxes.SetFileOpen(true);
    boxes.Fill(200, 50, 33, 150);
    QCOMPARE(boxes.Units(CalibrationBoxes::kAmbulatory)->text(), QString("3.00"));

    // Equal distances pass; a smaller ambulatory distance takes the stereotypic values back.
    Retype(boxes.Units(CalibrationBoxes::kStereotypic), "2");
    Retype(boxes.Units(CalibrationBoxes::kAmbulatory), "2");
    Leave(boxes.Units(CalibrationBoxes::kAmbulatory));
    QVERIFY(answers.Messages().empty());
    QCOMPARE(boxes.Units(CalibrationBoxes::kAmbulatory)->text(), QString("2.00"));
    Retype(boxes.Units(CalibrationBoxes::kAmbulatory), "1.5");
    Leave(boxes.Units(CalibrationBoxes::kAmbulatory));
    QCOMPARE(answers.Messages().size(), std::size_t(1));
    QCOMPARE(answers.Messages()[0].caption, std::string("Warning"));
    QCOMPARE(answers.Messages()[0].text,
             std::string("The ambulatory distance\r\nmust be greater than\r\nthe stereotypic distance."));
    QCOMPARE(boxes.Units(CalibrationBoxes::kAmbulatory)->text(), boxes.Units(CalibrationBoxes::kStereotypic)->text());
    QCOMPARE(boxes.Pixels(CalibrationBoxes::kAmbulatory)->text(), boxes.Pixels(CalibrationBoxes::kStereotypic)->text());

    // The maximum must be at least twice the ambulatory distance: 7.99 becomes 8.00, 8.00 passes.
    Retype(boxes.Units(CalibrationBoxes::kAmbulatory), "4");
    Leave(boxes.Units(CalibrationBoxes::kAmbulatory));
    Retype(boxes.Units(CalibrationBoxes::kMaximum), "7.99");
    Leave(boxes.Units(CalibrationBoxes::kMaximum));
    QCOMPARE(answers.Messages().size(), std::size_t(2));
    QCOMPARE(answers.Messages()[1].text,
             std::string("The maximum distance\r\nmust be at least twice\r\nthe ambulatory distance."));
    QCOMPARE(boxes.Units(CalibrationBoxes::kMaximum)->text(), QString("8.00"));
    QCOMPARE(boxes.Pixels(CalibrationBoxes::kMaximum)->text(), QString("133"));
    Leave(boxes.Units(CalibrationBoxes::kMaximum));
    QCOMPARE(answers.Messages().size(), std::size_t(2));
  }

  void refusedFilesLeaveThePanelAloneAndACsvGoesToTheSummaryProgram() {
    std::string header = SerializeHeader(DataFileHeader{});
    header[0] = char(0xFE);  // a binary setup file's tag
    tlx::test::WriteBytes(dir_->File("SETUP.DAT"), header + "xx");
    QVERIFY(!panel_->OpenDataFileForAnalysis(dir_->File("SETUP.DAT")));
    QCOMPARE(Caption(Answers()), std::string("Invalid File Format"));
    QVERIFY(!panel_->Loaded());

    tlx::test::WriteBytes(dir_->File("TABLE.csv"), "Sess.#,Zone\r\n");
    QVERIFY(!panel_->OpenDataFileForAnalysis(dir_->File("TABLE.csv")));
    QCOMPARE(launcher_.starts.size(), std::size_t(1));
    QVERIFY(!panel_->Loaded());

    // A data file without samples opens with the empty-file message.
    tlx::test::WriteBytes(dir_->File("EMPTY.DAT"), SerializeHeader(DataFileHeader{}));
    QVERIFY(panel_->OpenDataFileForAnalysis(dir_->File("EMPTY.DAT")));
    QCOMPARE(Caption(Answers()), std::string("Empty Data File"));
    QCOMPARE(panel_->Sessions(), std::int64_t(0));
  }

  // The export formats are the golden files'; here the summary program started by the results
  // export only, and the export after a reanalysis carrying the new table and session length.
  void exportsStartTheSummaryProgramAndFollowTheReanalysis() {
    const std::string data = tlx::test::RecordRun(*dir_, "RAT5", 40, 2, 5);
    QVERIFY(panel_->OpenDataFileForAnalysis(data));
    Answers().QueueFile(dir_->File("RESULTS.TXT"));
    const std::string results = panel_->ExportResultsCommand();
    QCOMPARE(results, dir_->File("RESULTS.CSV"));
    QCOMPARE(launcher_.starts.size(), std::size_t(1));
    QCOMPARE(launcher_.starts[0].second.at(1), results);
    Answers().QueueFile(dir_->File("SAMPLES"));
    QCOMPARE(panel_->ExportSamplesCommand(), dir_->File("SAMPLES.CSV"));
    QCOMPARE(launcher_.starts.size(), std::size_t(1));

    panel_->ReanalyzeClicked();
    panel_->SessionLengthBox()->SetValue(25);
    panel_->ReanalyzeClicked();
    Answers().QueueFile(dir_->File("AGAIN.CSV"));
    const std::string again = panel_->ExportResultsCommand();
    const tlx::test::CliResult cliAgain =
        tlx::test::RunCli({"analyze", data, "--format", "export", "--session-length", "25", "--decimal-point"});
    QCOMPARE(tlx::test::ReadBytes(again), cliAgain.out);
  }

  void aDayLongSessionDrawsInTheBackgroundWhileTheWindowKeepsRunning() {
    const std::int64_t samples = 24LL * 3600 * 30;
    const std::string data = WriteLongRecording(*dir_, samples);
    QTimer ticker;
    int ticks = 0;
    connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    QVERIFY(panel_->OpenDataFileForAnalysis(data));
    QVERIFY(panel_->View()->Drawing());  // opening returned before the drawing was done
    QVERIFY(panel_->View()->WaitForPicture(20000));
    QVERIFY(ticks > 0);
  }
  void theTraceIsTheDefaultAndTheOtherPicturesFollowTheSelectedSession() {
    const std::string data = tlx::test::RecordRun(*dir_, "RAT7", 30, 2, 5);
    QVERIFY(panel_->OpenDataFileForAnalysis(data));
    OpenDataPanel& panel = *panel_;
    PictureViewSwitch* views = panel.Views();
    QCOMPARE(views->findChild<QComboBox*>("cboPictureKind")->currentText(), QString("Trace"));
    QVERIFY(panel.View()->isVisible());
    QVERIFY(!views->Canvas()->Picture());

    views->SetKind(draw::PictureKind::Heatmap);
    QVERIFY(!panel.View()->isVisible());
    QVERIFY(views->Canvas()->isVisible());
    QVERIFY(views->Canvas()->Picture());
    const auto& occupancy = views->Canvas()->Picture()->Occupancy;
    QCOMPARE(occupancy.TrackedSamples + occupancy.LostSamples, std::int64_t(150));  // one session
    panel.ShowSession(2);
    QCOMPARE(views->Canvas()->Picture()->Request.Session, std::int64_t(2));

    views->SetKind(draw::PictureKind::Timeline);
    const auto& timelines = views->Canvas()->Picture()->Timelines;
    QCOMPARE(timelines.size(), std::size_t(1));
    QCOMPARE(timelines[0].Number, std::int64_t(2));
    QCOMPARE(timelines[0].Seconds.size(), std::size_t(30));

    views->SetKind(draw::PictureKind::Trace);
    QVERIFY(panel.View()->isVisible());
    QVERIFY(!views->Canvas()->Picture());
  }

  void saveImageWritesTheShownPictureInTheChosenFormat() {
    QVERIFY(panel_->OpenDataFileForAnalysis(tlx::test::RecordRun(*dir_, "RAT8", 30, 1, 5)));
    OpenDataPanel& panel = *panel_;
    const tlx::test::TempDir& dir = *dir_;
    PictureViewSwitch* views = panel.Views();
    // The trace as SVG goes through the drawing library (its bitmaps are the view's own; the
    // library's sizes are its own tests').
    Answers().QueueFile(dir.File("trace.svg"));
    QVERIFY(panel.SavePicture());
    QVERIFY(QSvgRenderer(QString::fromStdString(dir.File("trace.svg"))).isValid());

    views->SetKind(draw::PictureKind::Heatmap);
    Answers().QueueFile(dir.File("HEAT.BMP"));
    QVERIFY(panel.SavePicture());
    QCOMPARE(QImageReader(QString::fromStdString(dir.File("HEAT.BMP"))).format(), QByteArray("bmp"));
    Answers().QueueFile(dir.File("missing/heat.png"));
    QVERIFY(!panel.SavePicture());
  }
  void aSessionTableLongerThanAPageContinuesOnTheNextPage() {
    const tlx::test::TempDir& dir = *dir_;
    // Forty zones: every session has 40 table rows (one "ALL" and 39 listed zones, "G" never).
    ZoneMap many;
    for (int p = 0; p < kMapCells; ++p) many.cells[std::size_t(p)] = char('0' + p % 40);
    QVERIFY(WriteMapFile(dir.File("MANY.MAP"), many));
    tlx::test::WriteBytes(dir.File("R.EXP"), tlx::test::SetupText(30, 2, 5));
    const tlx::test::CliResult run = tlx::test::RunCli({"run", "--setup", dir.File("R.EXP"), "--data-file", dir.File("RUN.DAT"),
                                              "--map", dir.File("MANY.MAP"), "--seed", "9", "--home", dir.Path(),
                                              "--sim-start", "2026-05-04 10:00:00", "--yes"});
    QCOMPARE(run.exitCode, 0);

    OpenDataPanel& panel = *panel_;
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
    const tlx::test::TempDir& dir = *dir_;
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

TLX_GUI_TEST(DataPanelTest)

// The data panel inside the real main window, driven through its buttons and dialogs: typing is
// taken at once, and a map chosen for reanalysis stays the map shown and used.
namespace {

// The share of the map's cells whose centre shows the map's colour in the picture (the trace
// covers a few).
double CellsShowing(const QImage& picture, const ZoneMap& map, const ColourTable& colours) {
  int matching = 0;
  for (int r = 0; r < kMapRows; ++r) {
    for (int c = 0; c < kMapColumns; ++c) {
      const QPoint centre(int((c + 0.5) * picture.width() / kMapColumns), int((r + 0.5) * picture.height() / kMapRows));
      matching += picture.pixelColor(centre).rgb() == ToQColor(colours.Of(static_cast<unsigned char>(map.At(r, c)))).rgb();
    }
  }
  return double(matching) / kMapCells;
}

}  // namespace

class DataPanelWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<WindowRig> rig;
  DataZonePanels* panels = nullptr;

  OpenDataPanel* Data() { return panels->Data(); }
  QLabel* Label(const char* name) { return Data()->findChild<QLabel*>(name); }
  void ClickReanalyze() { Data()->findChild<QPushButton*>("cmdRanal_0")->click(); }
  std::string Ranal() { return JoinPath(rig->home.path().toStdString(), "~RANAL.CSV"); }

 private slots:
  void init() {
    rig = std::make_unique<WindowRig>();
    panels = &rig->Panels();
  }
  void cleanup() { rig.reset(); }

  // The parameter boxes take typing as soon as a file is open and nothing on the panel moves; a
  // map chosen for the reanalysis stays the map shown and used by every later one, and a file
  // that is not a map, chosen in its place, changes nothing. (The figures themselves are compared
  // with the command line's in DataPanelTest.)
  void typedParametersAndAChosenMapAreUsedByEveryReanalysis() {
    tlx::test::TempDir dir;
    const std::string data = tlx::test::RecordRun(dir, "TYPE", 60, 2, 5);
    const ZoneMap stripes = Stripes();
    QVERIFY(WriteMapFile(dir.File("STRIPES.MAP"), stripes));
    tlx::test::WriteBytes(dir.File("BROKEN.MAP"), "");
    QVERIFY(Data()->OpenDataFileForAnalysis(data));
    // The panel names the parameters of the table it shows: the run's own at first.
    const QString recorded = Label("lblAnalysisUsed")->text();
    QVERIFY2(recorded.contains("Sample rate : 5 samples per second"), qPrintable(recorded));
    QLineEdit* ambulatory = Data()->findChild<QLineEdit*>("txtPixels_1");
    ambulatory->selectAll();
    QTest::keyClicks(ambulatory, "9");
    QCOMPARE(ambulatory->text(), QString("9"));
    QCOMPARE(Data()->Stage(), 1);
    for (const char* map : {"STRIPES.MAP", "BROKEN.MAP"}) {
      rig->answerer.QueueFile(QString::fromStdString(dir.File(map)));
      QTest::mouseClick(Label("lblDataParams_4"), Qt::LeftButton);
      QCOMPARE(Label("lblDataParams_4")->text(), QString("STRIPES.MAP"));
    }
    auto* reanalyze = Data()->findChild<QPushButton*>("cmdRanal_0");
    const QPoint before = reanalyze->mapTo(Data(), QPoint());
    const tlx::test::CliResult cli = tlx::test::RunCli(
        {"analyze", data, "--ambulatory", "9", "--map", dir.File("STRIPES.MAP"), "--decimal-point"});
    QCOMPARE(cli.exitCode, 0);
    ClickReanalyze();
    QCOMPARE(Data()->Stage(), 0);
    QCOMPARE(tlx::test::ReadBytes(Ranal()), cli.out);
    QVERIFY(Label("lblAnalysisUsed")->text().contains("ambulatory 9, "));
    QVERIFY(!recorded.contains("ambulatory 9, "));
    QCOMPARE(reanalyze->mapTo(Data(), QPoint()), before);
    ClickReanalyze();  // parameters open again: the chosen map stays, and is drawn
    QCOMPARE(Label("lblDataParams_4")->text(), QString("STRIPES.MAP"));
    ClickReanalyze();
    QVERIFY(Data()->View()->WaitForPicture());
    QVERIFY(CellsShowing(Data()->View()->Picture(), stripes, rig->P().colours) > 0.8);
    rig->window->EnterHome();
  }
};

TLX_GUI_TEST(DataPanelWindowTest)




// File > Batch Analyze: files and a folder picked (in natural order), the batch run off the
// window's thread into one table, a bad file listed with its reason, entries that do not allow a
// run, the question before an existing table is replaced, Cancel and Escape, and the choices the
// program keeps, seen through the real window.
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
    // The header, then 5 sessions of 30 s (the last short) of 5 rows for each of the three files
    // (the rows themselves are the batch's own tests).
    const QList<QByteArray> lines = Read(table).split('\n');
    QCOMPARE(lines.size(), 1 + 3 * 5 * 5 + 1);
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
    dialog.SetOutputPath(dir.filePath(QStringLiteral("A.DAT")));
    QVERIFY(!dialog.Start());
    QCOMPARE(dialog.Status()->text(), QStringLiteral("The output table would replace a data file."));
    dialog.SetOutputPath(dir.filePath(QStringLiteral("T.CSV")));
    dialog.findChild<QLineEdit*>(QStringLiteral("txtAmbulatory"))->setText(QStringLiteral("three"));
    QVERIFY(!dialog.Start());
    QCOMPARE(dialog.Status()->text(), QStringLiteral("Enter a number, or nothing for each file's own."));
    dialog.findChild<QLineEdit*>(QStringLiteral("txtAmbulatory"))->setText(QStringLiteral(" 2,5 "));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("T.CSV"))));
    QCOMPARE(Read(dir.filePath(QStringLiteral("A.DAT"))).size(), static_cast<qsizetype>(Recording(1).size()));

    // A table that is there is replaced only when the user says so (No is the answer of Escape).
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

  // Through the desktop: the next opening, in this program or the next, shows the files,
  // parameters and output of the last.
  void theDesktopKeepsTheChoices() {
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
        d.AddDataFiles(files);
        d.SetOutputPath(table);
        d.findChild<QLineEdit*>(QStringLiteral("txtMaxDistance"))->setText(QStringLiteral("40"));
        QVERIFY(d.Start());
        QTRY_VERIFY_WITH_TIMEOUT(!d.Running(), 20000);
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

#include "DataTest.moc"
