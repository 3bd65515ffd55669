// The data panel, its pictures and printed report, and Batch Analyze, on recorded runs.
#include "GuiDriver.h"
#include "PanelRig.h"
#include "app/controls/QbxRangeBox.h"
#include "app/controls/SpinButtonBox.h"
#include "app/data/CalibrationBoxes.h"
#include "app/data/OpenDataPanel.h"
#include "app/data/PictureViewSwitch.h"
#include "app/data/SessionView.h"
#include "app/dialogs/BatchAnalyzeDialog.h"
#include "app/print/PrintSupport.h"
#include "app/zone/VidGrid.h"
#include "common/Paths.h"
#include "common/Sha256.h"
#include "data/DataFileBuilder.h"
#include "setup/Units.h"
#include "zonemap/MapFile.h"

#include <QComboBox>
#include <QImageReader>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QProgressBar>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <cstdio>
#include <filesystem>

using namespace tlx;
using namespace tlx::gui;
using namespace tlx::gui::test;
namespace tt = tlx::test;

// The data panel on data files made by runs of the simulated unit: results, sessions, the trace,
// reanalysis compared with the command line, the threshold boxes, exports, the saved picture and
// the printed report (its lines and every row of a session's table, which runs past the first
// page and continues on the next); then the panel inside the real main window, and File > Batch
// Analyze: files and a folder picked, the batch run off the window's thread into one table, a bad
// file listed with its reason, entries that do not allow a run, the question before an existing
// table is replaced, Cancel and Escape, and the choices the program keeps.
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

// Types the text over the box's own; with `leave`, the focus then leaves the box.
void Retype(QLineEdit* box, const QString& text, bool leave = false) {
  box->setFocus();
  box->selectAll();
  QTest::keyClicks(box, text);
  QFocusEvent out(QEvent::FocusOut);
  if (leave) QApplication::sendEvent(box, &out);
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

QString PdfText(const QString& pdf) {
  QProcess process;
  process.start("pdftotext", {"-layout", pdf, "-"});
  return process.waitForFinished(30000) ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

QRegularExpression RowPattern(const std::vector<std::string>& cells) {
  QStringList parts;
  for (const std::string& cell : cells) parts << QRegularExpression::escape(QString::fromStdString(cell));
  return QRegularExpression("(^|\\s)" + parts.join("\\s+") + "(\\s|$)", QRegularExpression::MultilineOption);
}


// The share of the map's cells whose centre shows the map's colour in the picture (the trace
// covers a few).
double CellsShowing(const QImage& picture, const ZoneMap& map, const ColourTable& colours) {
  int matching = 0;
  for (int r = 0; r < kMapRows; ++r)
    for (int c = 0; c < kMapColumns; ++c)
      matching += picture.pixelColor(int((c + 0.5) * picture.width() / kMapColumns), int((r + 0.5) * picture.height() / kMapRows))
                      .rgb() == ToQColor(colours.Of(static_cast<unsigned char>(map.At(r, c)))).rgb();
  return double(matching) / kMapCells;
}

void Write(const QString& path, const std::string& bytes) { tt::WriteBytes(path.toStdString(), bytes); }
QByteArray Read(const QString& path) { return QByteArray::fromStdString(tt::ReadBytes(path.toStdString())); }

// 5 samples per second, 60-second sessions: 700 samples make 3 sessions of 5 rows.
std::string Recording(unsigned seed, int samples = 700) {
  return tt::DataFileBuilder{.rateCode = 1, .samples = {}}.Walk(seed, samples).Bytes();
}

QLineEdit* Edit(QWidget& dialog, const char* name) { return dialog.findChild<QLineEdit*>(name); }
QPushButton* Button(QWidget& dialog, const char* name) { return dialog.findChild<QPushButton*>(name); }

void WaitForTheEnd(BatchAnalyzeDialog& dialog) { QTRY_VERIFY_WITH_TIMEOUT(!dialog.Running(), 20000); }

// A batch window on its own program home, answering its questions from a script.
struct Rig {
  QTemporaryDir home;
  BatchChoices choices;
  ScriptedAnswers answers;
  BatchAnalyzeDialog dialog{choices, home.path().toStdString(), home.path().toStdString(), answers};
};

}  // namespace

class DataPanelTest : public QObject {
  Q_OBJECT

  // The panel over the program object in a folder of its own, handing tables to a summary program.
  struct Fixture {
    tt::TempDir dir;
    tt::PanelRig rig{dir.Path()};
    RecordingLauncher launcher;
    SummaryProgram summary{launcher, SummarySearch{dir.Path(), "", ""}};
    OpenDataPanel panel{rig.program, summary};
  };
  std::unique_ptr<Fixture> f_;
  OpenDataPanel* panel_ = nullptr;

  ScriptedAnswers& Answers() { return f_->rig.answers; }
  QLabel* Label(const char* name) { return panel_->findChild<QLabel*>(name); }
  std::string File(const std::string& name) { return f_->dir.File(name); }
  QString F(const QString& name) { return QString::fromStdString(File(name.toStdString())); }

 private slots:
  void init() {
    f_ = std::make_unique<Fixture>();
    tt::WriteBytes(File("sumbrix"), "#!/bin/sh\n");
    panel_ = &f_->panel;
    panel_->resize(900, 600);
    panel_->show();
  }
  void cleanup() { f_.reset(); }

  void openingShowsTheRunsResultsSessionsAndTraceAndADayDrawsInTheBackground() {
    const std::string data = tt::RecordRun(f_->dir, "RAT1", 60, 3, 5);
    QSignalSpy exportable(panel_, &OpenDataPanel::ExportAvailable);
    QVERIFY(panel_->OpenDataFileForAnalysis(data));
    QCOMPARE(exportable.count(), 1);
    QCOMPARE(Label("lblDataParams_5")->text(), QString("3"));
    QCOMPARE(Label("lblAnalWarning")->text(), QString());
    // The grid holds the run's own results: per session one "ALL" line and four quadrant zones.
    QCOMPARE(panel_->Open().Table.RowCount(), std::size_t(3 * 5));
    QCOMPARE(panel_->Open().MapFile, File("RAT1.MAP"));
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
    QCOMPARE(panel_->findChild<SpinButtonBox*>("spDataSessNum")->Value(), 3.0);
    // A day-long session at 30 samples per second (sweeps across the picture, jumping back at each
    // edge, with a lost sample every 500) draws while the window's timers keep running.
    tt::DataFileBuilder file{.sessionLength5 = 86400 / 5, .rateCode = 2, .samples = {}};
    for (std::int64_t i = 0; i < 24LL * 3600 * 30; ++i) file.Add(int(i % 256), i % 500 == 0 ? 255 : int(i / 256 % 192));
    tt::WriteBytes(File("DAY.DAT"), file.Bytes());
    QTimer ticker;
    int ticks = 0;
    connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    QVERIFY(panel_->OpenDataFileForAnalysis(File("DAY.DAT")));
    QVERIFY(panel_->View()->Drawing());  // opening returned before the drawing was done
    QVERIFY(panel_->View()->WaitForPicture(20000));
    QVERIFY(ticks > 0);
  }

  // Every box of the reanalysis and a map chosen for it reach the analysis as the command line
  // reads the same values; a larger ambulatory distance confirmed with Return redraws the trace.
  void reanalysisMatchesTheCommandLineAndWarnsOfAShortLastSession() {
    const std::string data = tt::RecordRun(f_->dir, "RAT2", 60, 3, 5);
    const ZoneMap stripes = Stripes();
    QVERIFY(WriteMapFile(File("STRIPES.MAP"), stripes));
    QVERIFY(panel_->OpenDataFileForAnalysis(data));
    panel_->ReanalyzeClicked();
    QCOMPARE(panel_->Stage(), 1);
    QVERIFY(Label("lblRanalInstr")->text().startsWith("Click 'Reanalyze' to\ndo the reanalysis"));
    Answers().QueueFile(File("STRIPES.MAP"));
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
    const tt::CliResult cli = tt::RunCli({"analyze", data, "--session-length", "50", "--ambulatory", "30",
                                          "--stereotypic", "4", "--max-distance", "80", "--scale", "100",
                                          "--reference", "30", "--units", "feet", "--map", File("STRIPES.MAP"),
                                          "--decimal-point"});
    QCOMPARE(cli.exitCode, 0);
    QCOMPARE(tt::ReadBytes(JoinPath(f_->dir.Path(), "~RANAL.CSV")), cli.out);
    QVERIFY(panel_->Map() == stripes);
    QCOMPARE(panel_->Open().Table.RowCount(), std::size_t(4 * 5));

    // The same file in whole sessions: no warning.
    panel_->ReanalyzeClicked();
    panel_->SessionLengthBox()->SetValue(60);
    panel_->ReanalyzeClicked();
    QCOMPARE(panel_->Sessions(), std::int64_t(3));
    QCOMPARE(Label("lblAnalWarning")->text(), QString());

    // A reanalysis that cannot run (the file is gone) keeps the table and says so; results an
    // earlier reanalysis left behind are not taken for its own.
    tt::WriteBytes(JoinPath(f_->dir.Path(), "~RANAL.CSV"), "Sess.#,Zone\r\n 9 ,Z\r\n");
    QVERIFY(std::remove(data.c_str()) == 0);
    panel_->ReanalyzeClicked();
    panel_->SessionLengthBox()->SetValue(10);
    panel_->ReanalyzeClicked();
    QCOMPARE(panel_->Stage(), 0);
    QCOMPARE(panel_->Open().Table.RowCount(), std::size_t(3 * 5));
    QCOMPARE(panel_->Sessions(), std::int64_t(3));
    QVERIFY(!Label("lblRanalInstr")->text().startsWith("Reanalysis has"));
  }

  void thresholdBoxesConvertAsTypedAndWarn() {
    QWidget parent;
    ScriptedAnswers answers;
    CalibrationBoxes boxes(answers, &parent);
    boxes.SetPair(UnitsPerPixel(200, 12));
    boxes.SetFileOpen(true);
    boxes.Fill(200, 50, 33, 150);
    QLineEdit* ambulatory = boxes.Units(CalibrationBoxes::kAmbulatory);
    QLineEdit* stereotypic = boxes.Units(CalibrationBoxes::kStereotypic);
    QLineEdit* maximum = boxes.Units(CalibrationBoxes::kMaximum);
    QCOMPARE(ambulatory->text(), QString("3.00"));

    // A smaller ambulatory distance takes the stereotypic values back (where the limits lie:
    // UnitsTest).
    Retype(stereotypic, "2");
    Retype(ambulatory, "1.5", true);
    QCOMPARE(answers.Messages().size(), std::size_t(1));
    QCOMPARE(answers.Messages()[0].caption, std::string(kThresholdWarningCaption));
    QCOMPARE(answers.Messages()[0].text, std::string(kAmbulatoryWarningText));
    QCOMPARE(ambulatory->text(), stereotypic->text());
    QCOMPARE(boxes.Pixels(CalibrationBoxes::kAmbulatory)->text(), boxes.Pixels(CalibrationBoxes::kStereotypic)->text());

    // The maximum must be at least twice the ambulatory distance: 7.99 becomes 8.00, 8.00 passes.
    Retype(ambulatory, "4", true);
    Retype(maximum, "7.99", true);
    QCOMPARE(answers.Messages().size(), std::size_t(2));
    QCOMPARE(answers.Messages()[1].text, std::string(kMaximumWarningText));
    QCOMPARE(maximum->text(), QString("8.00"));
    QCOMPARE(boxes.Pixels(CalibrationBoxes::kMaximum)->text(), QString("133"));
    Retype(maximum, "8.00", true);
    QCOMPARE(answers.Messages().size(), std::size_t(2));
  }

  // Refused files leave the panel alone, a table goes to the summary program.
  void refusedFilesAndExportsAndTheSummaryProgram() {
    std::string header = SerializeHeader(DataFileHeader{});
    header[0] = char(0xFE);  // a binary setup file's tag
    tt::WriteBytes(File("SETUP.DAT"), header + "xx");
    QVERIFY(!panel_->OpenDataFileForAnalysis(File("SETUP.DAT")));
    QCOMPARE(Caption(Answers()), std::string("Invalid File Format"));
    QVERIFY(!panel_->Loaded());

    tt::WriteBytes(File("TABLE.csv"), "Sess.#,Zone\r\n");
    QVERIFY(!panel_->OpenDataFileForAnalysis(File("TABLE.csv")));
    QCOMPARE(f_->launcher.starts.size(), std::size_t(1));
    QVERIFY(!panel_->Loaded());

    // A data file without samples opens with the empty-file message.
    tt::WriteBytes(File("EMPTY.DAT"), SerializeHeader(DataFileHeader{}));
    QVERIFY(panel_->OpenDataFileForAnalysis(File("EMPTY.DAT")));
    QCOMPARE(Caption(Answers()), std::string("Empty Data File"));
    QCOMPARE(panel_->Sessions(), std::int64_t(0));

    // The export formats are the golden files'; here the summary program started by the results
    // export only, and the export after a reanalysis carrying the new table and session length.
    const std::string data = tt::RecordRun(f_->dir, "RAT5", 40, 2, 5);
    QVERIFY(panel_->OpenDataFileForAnalysis(data));
    Answers().QueueFile(File("RESULTS.TXT"));
    const std::string results = panel_->ExportResultsCommand();
    QCOMPARE(results, File("RESULTS.CSV"));
    QCOMPARE(f_->launcher.starts.size(), std::size_t(2));
    QCOMPARE(f_->launcher.starts[1].second.at(1), results);
    Answers().QueueFile(File("SAMPLES"));
    QCOMPARE(panel_->ExportSamplesCommand(), File("SAMPLES.CSV"));
    QCOMPARE(f_->launcher.starts.size(), std::size_t(2));

    panel_->ReanalyzeClicked();
    panel_->SessionLengthBox()->SetValue(25);
    panel_->ReanalyzeClicked();
    // The table and the five header lines are those of `analyze`; between them the export says
    // that it is a reanalysis and with which parameters, as the report does.
    Answers().QueueFile(File("AGAIN.CSV"));
    const std::string exported = tt::ReadBytes(panel_->ExportResultsCommand());
    const std::string cli =
        tt::RunCli({"analyze", data, "--format", "export", "--session-length", "25", "--decimal-point"}).out;
    std::size_t head = 0;
    for (int i = 0; i < 5; ++i) head = cli.find("\r\n", head) + 2;
    QCOMPARE(exported.substr(0, head), cli.substr(0, head));
    QVERIFY(exported.size() > cli.size());
    QCOMPARE(exported.substr(exported.size() - (cli.size() - head)), cli.substr(head));
    const QStringList added = QString::fromStdString(exported.substr(head, exported.size() - cli.size()))
                                  .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(added.size(), 5);
    QCOMPARE(added[0], QString("Analysis,Reanalysis"));
    const char* captions[] = {"Thresholds used,", "Calibration,", "Sample rate,", "Zone map,"};
    for (int i = 0; i < 4; ++i) QVERIFY2(added[i + 1].startsWith(captions[i]), qPrintable(added[i + 1]));
    QVERIFY2(added[1].contains("maximum distance"), qPrintable(added[1]));
  }

  void theTraceIsTheDefaultTheOtherPicturesFollowTheSessionAndEachIsSaved() {
    QVERIFY(panel_->OpenDataFileForAnalysis(tt::RecordRun(f_->dir, "RAT7", 30, 2, 5)));
    PictureViewSwitch* views = panel_->Views();
    QCOMPARE(views->findChild<QComboBox*>("cboPictureKind")->currentText(), QString("Trace"));
    QVERIFY(panel_->View()->isVisible() && !views->Canvas()->Picture());

    views->SetKind(draw::PictureKind::Heatmap);
    QVERIFY(!panel_->View()->isVisible() && views->Canvas()->isVisible() && views->Canvas()->Picture());
    const auto& occupancy = views->Canvas()->Picture()->Occupancy;
    QCOMPARE(occupancy.TrackedSamples + occupancy.LostSamples, std::int64_t(150));  // one session
    panel_->ShowSession(2);
    QCOMPARE(views->Canvas()->Picture()->Request.Session, std::int64_t(2));

    views->SetKind(draw::PictureKind::Timeline);
    const auto& timelines = views->Canvas()->Picture()->Timelines;
    QCOMPARE(timelines.size(), std::size_t(1));
    QCOMPARE(timelines[0].Number, std::int64_t(2));
    QCOMPARE(timelines[0].Seconds.size(), std::size_t(30));

    views->SetKind(draw::PictureKind::Trace);
    QVERIFY(panel_->View()->isVisible() && !views->Canvas()->Picture());

    // The picture shown is saved in the chosen format through the drawing library, as plot draws
    // it: the trace as PNG is the whole figure (legends, zone key, scale bar) at 960 pixels, not
    // the view's bitmap; other formats than PNG, SVG and PDF and a folder that is not there are
    // refused.
    Answers().QueueFile(File("trace.svg"));
    QVERIFY(panel_->SavePicture());
    QVERIFY(QSvgRenderer(QString::fromStdString(File("trace.svg"))).isValid());
    Answers().QueueFile(File("trace.png"));
    QVERIFY(panel_->SavePicture());
    QCOMPARE(QImageReader(QString::fromStdString(File("trace.png"))).size().width(), 960);
    panel_->Views()->SetKind(draw::PictureKind::Heatmap);
    Answers().QueueFile(File("HEAT.BMP"));
    QVERIFY(!panel_->SavePicture());
    QVERIFY(!std::filesystem::exists(File("HEAT.BMP")));
    Answers().QueueFile(File("missing/heat.png"));
    QVERIFY(!panel_->SavePicture());
  }

  void aSessionTableLongerThanAPageContinuesOnTheNextPageAndNoPrintoutReplacesAFile() {
    // Forty zones: every session has 40 table rows (one "ALL" and 39 listed zones, "G" never).
    ZoneMap many;
    for (int p = 0; p < kMapCells; ++p) many.cells[std::size_t(p)] = char('0' + p % 40);
    QVERIFY(WriteMapFile(File("MANY.MAP"), many));
    QVERIFY(panel_->OpenDataFileForAnalysis(tt::RecordRun(f_->dir, "RUN", 30, 2, 5, 9, {"--map", File("MANY.MAP")})));
    panel_->ShowSession(2);
    QVERIFY(panel_->View()->WaitForPicture());
    const auto& table = panel_->Open().Table;
    const std::vector<std::size_t> rows = SessionRows(table, 2);
    QCOMPARE(rows.size(), std::size_t(40));

    const QString report = QString::fromStdString(File("REPORT.pdf"));
    QPrinter toPdf(QPrinter::HighResolution);
    toPdf.setOutputFileName(report);
    toPdf.setPageSize(QPageSize(QPageSize::A4));
    QVERIFY(panel_->PrintReport(toPdf));

    const QString text = PdfText(report);
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
    QVERIFY(firstPage.contains(QString::fromStdString("Data SHA-256 : " + FileSha256Hex(File("RUN.DAT")))));
    for (std::size_t r : rows) QVERIFY2(RowPattern(table.Rows[r]).match(text).hasMatch(), table.Rows[r][1].c_str());
    // The table goes on under its column header on the next page; session 1 is not printed.
    const QString secondPage = text.section(QChar('\f'), 1, 1);
    QVERIFY(RowPattern({"Sess.#", "Zone", "Dist"}).match(secondPage).hasMatch());
    QVERIFY(RowPattern(table.Rows[rows.back()]).match(secondPage).hasMatch());
    QVERIFY(!RowPattern({"1", "ALL"}).match(text).hasMatch());

    // The PDF name the print dialog starts on is never a file that exists.
    const std::string pdf = File("RUN.PDF");
    QCOMPARE(FreeFileName(pdf), pdf);
    tt::WriteBytes(pdf, "earlier");
    tt::WriteBytes(File("RUN (2).PDF"), "earlier");
    QCOMPARE(FreeFileName(pdf), File("RUN (3).PDF"));
    std::filesystem::create_directory(File("a.b"));
    tt::WriteBytes(File("a.b/RUN"), "");
    QCOMPARE(FreeFileName(File("a.b/RUN")), File("a.b/RUN (2)"));
    if (!QPrinterInfo::availablePrinters().isEmpty()) QSKIP("a printer is installed: the dialog starts on it");
    QTimer cancel;  // the dialog is only looked at, then cancelled
    connect(&cancel, &QTimer::timeout, [] {
      if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) dialog->reject();
    });
    cancel.start(20);
    QPrinter printer;
    QVERIFY(!AskForPrinter(printer, nullptr, pdf));
    QCOMPARE(printer.outputFileName().toStdString(), File("RUN (3).PDF"));
  }

  // In the real main window: the parameter boxes take typing as soon as a file is open and
  // nothing on the panel moves; a map chosen for the reanalysis stays the map shown and used by
  // every later one, and a file that is not a map, chosen in its place, changes nothing.
  void typedParametersAndAChosenMapAreUsedByEveryReanalysis() {
    WindowRig rig;
    OpenDataPanel* data = rig.Panels().Data();
    auto label = [&](const char* name) { return data->findChild<QLabel*>(name); };
    const std::string recording = tt::RecordRun(f_->dir, "TYPE", 60, 2, 5);
    const ZoneMap stripes = Stripes();
    QVERIFY(WriteMapFile(File("STRIPES.MAP"), stripes));
    tt::WriteBytes(File("BROKEN.MAP"), "");
    QVERIFY(data->OpenDataFileForAnalysis(recording));
    // The panel names the parameters of the table it shows: the run's own at first.
    const QString recorded = label("lblAnalysisUsed")->text();
    QVERIFY2(recorded.contains("Sample rate : 5 samples per second"), qPrintable(recorded));
    QLineEdit* ambulatory = data->findChild<QLineEdit*>("txtPixels_1");
    Retype(ambulatory, "9");
    QCOMPARE(ambulatory->text(), QString("9"));
    QCOMPARE(data->Stage(), 1);
    for (const char* map : {"STRIPES.MAP", "BROKEN.MAP"}) {
      rig.answerer.QueueFile(F(map));
      QTest::mouseClick(label("lblDataParams_4"), Qt::LeftButton);
      QCOMPARE(label("lblDataParams_4")->text(), QString("STRIPES.MAP"));
    }
    QPushButton* reanalyze = Button(*data, "cmdRanal_0");
    const QPoint before = reanalyze->mapTo(data, QPoint());
    const tt::CliResult cli =
        tt::RunCli({"analyze", recording, "--ambulatory", "9", "--map", File("STRIPES.MAP"), "--decimal-point"});
    QCOMPARE(cli.exitCode, 0);
    reanalyze->click();
    QCOMPARE(data->Stage(), 0);
    QCOMPARE(tt::ReadBytes(JoinPath(rig.homePath.toStdString(), "~RANAL.CSV")), cli.out);
    QVERIFY(label("lblAnalysisUsed")->text().contains("ambulatory 9, "));
    QVERIFY(!recorded.contains("ambulatory 9, "));
    QCOMPARE(reanalyze->mapTo(data, QPoint()), before);
    reanalyze->click();  // parameters open again: the chosen map stays, and is drawn
    QCOMPARE(label("lblDataParams_4")->text(), QString("STRIPES.MAP"));
    reanalyze->click();
    QVERIFY(data->View()->WaitForPicture());
    QVERIFY(CellsShowing(data->View()->Picture(), stripes, rig.P().colours) > 0.8);
    rig.window->EnterHome();
  }

  void batchTableOfPickedFilesAndAFolderWithABadFileListed() {
    const QString folder = F("day2");
    QVERIFY(QDir().mkpath(folder));
    Write(F("A.DAT"), Recording(1));
    Write(F("BAD.DAT"), "\xFE\xAA" + std::string(40, '\0'));
    Write(folder + "/day10.dat", Recording(3));
    Write(folder + "/day2.DAT", Recording(2));
    Write(folder + "/NOTES.TXT", "not a recording");
    Rig rig;
    BatchAnalyzeDialog& dialog = rig.dialog;
    dialog.AddDataFiles({F("A.DAT"), F("BAD.DAT")});
    dialog.AddFolder(folder);
    dialog.AddDataFiles({F("A.DAT")});  // listed once
    QCOMPARE(dialog.DataFiles()->count(), 4);
    dialog.SetOutputPath(F("EXPERIMENT.CSV"));
    Edit(dialog, "txtSessionLength")->setText("0:00:30");

    QTest::mouseClick(Button(dialog, "cmdRun"), Qt::LeftButton);
    QVERIFY(!Button(dialog, "cmdRun")->isEnabled());
    WaitForTheEnd(dialog);
    QCOMPARE(dialog.Failures()->count(), 1);
    QCOMPARE(dialog.Failures()->item(0)->text(), QString("The file BAD.DAT is not a valid Tracelux data file."));
    QCOMPARE(dialog.Progress()->value(), 4);
    QVERIFY2(dialog.Status()->text().startsWith("3 files analysed"), qPrintable(dialog.Status()->text()));
    // The header, then 5 sessions of 30 s (the last short) of 5 rows for each of the three files
    // (the rows themselves are the batch's own tests).
    const QList<QByteArray> lines = Read(F("EXPERIMENT.CSV")).split('\n');
    QCOMPARE(lines.size(), 1 + 3 * 5 * 5 + 1);
    QVERIFY(lines[1].contains(",1,30,ALL,"));
    QVERIFY(Button(dialog, "cmdRun")->isEnabled());
  }

  void batchEntriesThatDoNotAllowARunAreNamedAndATableIsReplacedOnlyWhenAsked() {
    Write(F("A.DAT"), Recording(1));
    Rig rig;
    BatchAnalyzeDialog& dialog = rig.dialog;
    auto refused = [&](const char* reason) {
      QVERIFY(!dialog.Start());
      QCOMPARE(dialog.Status()->text(), QString(reason));
    };
    refused("Add the data files to analyse.");
    dialog.AddDataFiles({F("A.DAT")});
    dialog.SetOutputPath(F("A.DAT"));
    refused(qPrintable("The file " + F("A.DAT") + " cannot be written: it is a data file being analysed."));
    dialog.SetOutputPath(F("T.CSV"));
    Edit(dialog, "txtAmbulatory")->setText("three");
    refused("Ambulatory Threshold: 'three' is not a number");
    Edit(dialog, "txtAmbulatory")->setText("-3");  // the reading's own reason, not "Enter a number"
    refused("Ambulatory Threshold: a distance cannot be negative");
    Edit(dialog, "txtAmbulatory")->setText(" 2,5 ");
    QVERIFY(!QFile::exists(F("T.CSV")));

    // A table that is there is replaced only when the user says so (No is the answer of Escape).
    Write(F("T.CSV"), "kept");
    rig.answers.QueueAnswer(MsgAnswer::No);
    QVERIFY(!dialog.Start());
    QCOMPARE(QString::fromStdString(rig.answers.Messages().back().text),
             QString("The table %1 already exists.\r\nReplace it?").arg(F("T.CSV")));
    QCOMPARE(Read(F("T.CSV")), QByteArray("kept"));
    rig.answers.QueueAnswer(MsgAnswer::Yes);
    QVERIFY(dialog.Start());
    WaitForTheEnd(dialog);
    QVERIFY(Read(F("T.CSV")).startsWith("file,path,"));
  }

  void batchCancelStopsTheBatchAndKeepsTheTableThatWasThere() {
    QStringList files;
    for (int i = 0; i < 120; ++i) Write(files.emplace_back(F(QString("R%1.DAT").arg(i))), Recording(unsigned(i), 20000));
    const QString table = F("T.CSV");
    Write(table, "kept");
    const QDir folder(QString::fromStdString(f_->dir.Path()));
    const qsizetype filesThere = folder.entryList(QDir::Files).size();
    Rig rig;
    BatchAnalyzeDialog& dialog = rig.dialog;
    rig.answers.SetFallback(MsgAnswer::Yes);  // the table that was there may be replaced
    dialog.AddDataFiles(files);
    dialog.SetOutputPath(table);
    QVERIFY(dialog.Start());
    QTest::mouseClick(Button(dialog, "cmdCancel"), Qt::LeftButton);
    WaitForTheEnd(dialog);
    QCOMPARE(dialog.Status()->text(), QString("Cancelled: no table was written."));
    QVERIFY(dialog.Progress()->value() < 120);
    QCOMPARE(Read(table), QByteArray("kept"));
    QCOMPARE(folder.entryList(QDir::Files).size(), filesThere);  // no temporary file left

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
    WaitForTheEnd(dialog);
    QVERIFY2(dialog.Status()->text().startsWith("2 files analysed"), qPrintable(dialog.Status()->text()));
    QCOMPARE(dialog.Progress()->value(), 2);
    QVERIFY(Read(table).startsWith("file,path,"));
  }

  // Through the desktop: the next opening, in this program or the next, shows the files,
  // parameters and output of the last.
  void theDesktopKeepsTheBatchChoices() {
    QStringList files;
    for (int i = 0; i < 3; ++i) Write(files.emplace_back(F(QString("R%1.DAT").arg(i))), Recording(unsigned(i)));
    const QString table = F("T.CSV");
    const auto inBatchWindow = [](WindowRig& rig, const std::function<void(BatchAnalyzeDialog&)>& work) {
      bool seen = false;
      QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<BatchAnalyzeDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        seen = true;
        work(*dialog);
        Button(*dialog, "cmdClose")->click();
      });
      rig.Menu("mnuBatchAnalyze")->trigger();
      QVERIFY(seen);
    };
    QByteArray kept;
    {
      WindowRig rig;
      inBatchWindow(rig, [&](BatchAnalyzeDialog& d) {
        d.AddDataFiles(files);
        d.SetOutputPath(table);
        Edit(d, "txtMaxDistance")->setText("40");
        QVERIFY(d.Start());
        WaitForTheEnd(d);
      });
      inBatchWindow(rig, [&](BatchAnalyzeDialog& d) {
        QCOMPARE(d.DataFiles()->count(), 3);
        QCOMPARE(Edit(d, "txtMaxDistance")->text(), QString("40"));
      });
      kept = Read(rig.File("BATCH.INI"));
    }
    QVERIFY(kept.contains("Output = \"" + table.toUtf8() + "\""));
    WindowRig next([&](const QTemporaryDir& h) { Write(h.filePath("BATCH.INI"), kept.toStdString()); });
    inBatchWindow(next, [&](BatchAnalyzeDialog& d) {
      QCOMPARE(d.DataFiles()->item(2)->text(), files[2]);
      QCOMPARE(Edit(d, "txtOutputFile")->text(), table);
      QCOMPARE(Edit(d, "txtMaxDistance")->text(), QString("40"));
    });
  }
};

TLX_GUI_TEST(DataPanelTest)

#include "DataTest.moc"
