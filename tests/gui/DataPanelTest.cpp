// The data panel on data files made by runs of the simulated unit: results, sessions, the trace,
// reanalysis compared with the command line, the threshold boxes, exports and the saved picture.
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

#include <QComboBox>
#include <QFocusEvent>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTimer>

#include <cstdio>

using namespace tlx;
using namespace tlx::gui;

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

// A data file of `samples` samples at 30 per second: sweeps across the picture, jumping back at
// each edge, with a lost sample every 500.
std::string WriteLongRecording(const tlx::test::TempDir& dir, std::int64_t samples) {
  DataFileHeader header;
  header.Block.SessionLength = 86400 / 5;
  header.Block.NumberOfSessions = 1;
  header.Block.SampleRateCode = 2;
  std::string bytes = SerializeHeader(header);
  for (std::int64_t i = 0; i < samples; ++i) {
    const int x = int(i % 256), y = int(i / 256 % 192);
    const std::uint16_t word = EncodeSample(x, i % 500 == 0 ? 255 : y);
    bytes += char(word & 0xFF);
    bytes += char(word >> 8);
  }
  const std::string path = dir.File("DAY.DAT");
  tlx::test::WriteBytes(path, bytes);
  return path;
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
    ZoneMap stripes;
    for (int r = 0; r < 24; ++r)
      for (int c = 0; c < 32; ++c) stripes.Set(r, c, char('a' + c / 8));
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

  void pixelAndUnitBoxesTakeOnlyNumbers() {
    QWidget parent;
    ScriptedAnswers answers;
    CalibrationBoxes boxes(answers, &parent);
    boxes.SetPair(UnitsPerPixel(100, 10));
    boxes.Fill(100, 50, 30, 150);
    boxes.SetEditable(true);
    Retype(boxes.Pixels(CalibrationBoxes::kAmbulatory), "1a2.5");
    QCOMPARE(boxes.Pixels(CalibrationBoxes::kAmbulatory)->text(), QString("125"));
    QCOMPARE(boxes.Units(CalibrationBoxes::kAmbulatory)->text(), QString("12.50"));
    Retype(boxes.Units(CalibrationBoxes::kAmbulatory), "x1.5.2e");
    QCOMPARE(boxes.Units(CalibrationBoxes::kAmbulatory)->text(), QString("1.52"));
    Retype(boxes.Units(CalibrationBoxes::kMaximum), "-3,25");
    QCOMPARE(boxes.Units(CalibrationBoxes::kMaximum)->text(), QString("3,25"));
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

  void exportsMatchTheCommandLineAndStartTheSummaryProgram() {
    const std::string data = tlx::test::RecordRun(*dir_, "RAT5", 40, 2, 5);
    QVERIFY(panel_->OpenDataFileForAnalysis(data));
    Answers().QueueFile(dir_->File("RESULTS.TXT"));
    const std::string results = panel_->ExportResultsCommand();
    QCOMPARE(results, dir_->File("RESULTS.CSV"));
    const tlx::test::CliResult cli = tlx::test::RunCli({"analyze", data, "--format", "export", "--decimal-point"});
    QCOMPARE(cli.exitCode, 0);
    QCOMPARE(tlx::test::ReadBytes(results), cli.out);
    QCOMPARE(launcher_.starts.size(), std::size_t(1));
    QCOMPARE(launcher_.starts[0].second.at(1), results);

    Answers().QueueFile(dir_->File("SAMPLES"));
    const std::string samples = panel_->ExportSamplesCommand();
    QCOMPARE(samples, dir_->File("SAMPLES.CSV"));
    const tlx::test::CliResult cliSamples = tlx::test::RunCli({"export-samples", data, "--decimal-point"});
    QCOMPARE(cliSamples.exitCode, 0);
    QCOMPARE(tlx::test::ReadBytes(samples), cliSamples.out);
    QCOMPARE(launcher_.starts.size(), std::size_t(1));  // only the results export starts it

    // After a reanalysis the export carries the new table and session length.
    panel_->ReanalyzeClicked();
    panel_->SessionLengthBox()->SetValue(25);
    panel_->ReanalyzeClicked();
    Answers().QueueFile(dir_->File("AGAIN.CSV"));
    const std::string again = panel_->ExportResultsCommand();
    const tlx::test::CliResult cliAgain =
        tlx::test::RunCli({"analyze", data, "--format", "export", "--session-length", "25", "--decimal-point"});
    QCOMPARE(tlx::test::ReadBytes(again), cliAgain.out);
  }

  void savedPictureIsABitmapOrAPngByItsName() {
    const std::string data = tlx::test::RecordRun(*dir_, "RAT6", 30, 1, 5);
    QVERIFY(panel_->OpenDataFileForAnalysis(data));
    Answers().QueueFile(dir_->File("TRACE.BMP"));
    QVERIFY(panel_->SavePicture());
    Answers().QueueFile(dir_->File("trace.png"));
    QVERIFY(panel_->SavePicture());
    QCOMPARE(QImageReader(QString::fromStdString(dir_->File("TRACE.BMP"))).format(), QByteArray("bmp"));
    QCOMPARE(QImageReader(QString::fromStdString(dir_->File("trace.png"))).format(), QByteArray("png"));
    QCOMPARE(QImage(QString::fromStdString(dir_->File("trace.png"))).size(), panel_->View()->PictureSize());
    QVERIFY(std::abs(panel_->View()->PictureSize().height() - panel_->View()->PictureSize().width() * 3 / 4) <= 1);
    QVERIFY(!panel_->SavePicture());  // a cancelled dialog saves nothing
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
};

TLX_GUI_TEST(DataPanelTest)
#include "DataPanelTest.moc"
