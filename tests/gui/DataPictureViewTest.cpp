// The data panel's picture switch on a recorded run: the trace stays the default, the heatmap and
// timeline follow the selected session, and Save Image writes the shown picture.
#include "PanelRig.h"
#include "app/data/OpenDataPanel.h"
#include "app/data/PictureViewSwitch.h"
#include "app/data/SessionView.h"
#include "data/DataFile.h"
#include "data/SummaryProgram.h"

#include <QComboBox>
#include <QImageReader>
#include <QPrinter>
#include <QProcess>
#include <QSvgRenderer>

using namespace tlx;
using namespace tlx::gui;

namespace {

class NoLauncher : public ProcessLauncher {
 public:
  long Start(const std::string&, const std::vector<std::string>&) override { return 0; }
  bool SendKey(long, const std::string&) override { return false; }
};

// Samples with a position in session n of a file with `perSession` samples per session.
std::int64_t TrackedSamples(const std::string& path, std::int64_t n, std::int64_t perSession) {
  const std::string bytes = test::ReadBytes(path);
  std::int64_t tracked = 0;
  for (std::int64_t i = (n - 1) * perSession; i < n * perSession; ++i) {
    const auto at = kDataHeaderSize + std::size_t(i) * 2;
    if (at + 1 >= bytes.size()) break;
    tracked += !IsLostSample(static_cast<unsigned char>(bytes[at + 1]));
  }
  return tracked;
}

QString PrintedText(OpenDataPanel& panel, const std::string& path) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  printer.setPageSize(QPageSize(QPageSize::A4));
  if (!panel.PrintReport(printer)) return {};
  QProcess process;
  process.start(QStringLiteral("pdftotext"), {QString::fromStdString(path), QStringLiteral("-")});
  if (!process.waitForFinished(30000)) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

class DataPictureViewTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::TempDir> dir_;
  std::unique_ptr<test::PanelRig> rig_;
  NoLauncher launcher_;
  std::unique_ptr<SummaryProgram> summary_;
  std::unique_ptr<OpenDataPanel> panel_;

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    rig_ = std::make_unique<test::PanelRig>(dir_->Path());
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

  void theTraceIsTheDefaultAndTheOtherPicturesFollowTheSelectedSession() {
    const std::string data = test::RecordRun(*dir_, "RAT7", 30, 2, 5);
    QVERIFY(panel_->OpenDataFileForAnalysis(data));
    PictureViewSwitch* views = panel_->Views();
    QCOMPARE(views->findChild<QComboBox*>("cboPictureKind")->currentText(), QString("Trace"));
    QVERIFY(panel_->View()->isVisible());
    QVERIFY(!views->Canvas()->Picture());

    views->SetKind(draw::PictureKind::Heatmap);
    QVERIFY(!panel_->View()->isVisible());
    QVERIFY(views->Canvas()->isVisible());
    QVERIFY(views->Canvas()->Picture());
    QCOMPARE(views->Canvas()->Picture()->Occupancy.TrackedSamples, TrackedSamples(data, 1, 150));
    panel_->ShowSession(2);
    QCOMPARE(views->Canvas()->Picture()->Request.Session, std::int64_t(2));
    QCOMPARE(views->Canvas()->Picture()->Occupancy.TrackedSamples, TrackedSamples(data, 2, 150));

    views->SetKind(draw::PictureKind::Timeline);
    const auto& timelines = views->Canvas()->Picture()->Timelines;
    QCOMPARE(timelines.size(), std::size_t(1));
    QCOMPARE(timelines[0].Number, std::int64_t(2));
    QCOMPARE(timelines[0].Seconds.size(), std::size_t(30));

    views->SetKind(draw::PictureKind::Trace);
    QVERIFY(panel_->View()->isVisible());
    QVERIFY(!views->Canvas()->Picture());
  }

  void saveImageWritesTheShownPictureInTheChosenFormat() {
    const std::string data = test::RecordRun(*dir_, "RAT8", 30, 1, 5);
    QVERIFY(panel_->OpenDataFileForAnalysis(data));
    PictureViewSwitch* views = panel_->Views();
    // The trace: SVG through the drawing library, PNG from the view as before.
    rig_->answers.QueueFile(dir_->File("trace.svg"));
    QVERIFY(panel_->SavePicture());
    QVERIFY(QSvgRenderer(QString::fromStdString(dir_->File("trace.svg"))).isValid());
    rig_->answers.QueueFile(dir_->File("trace.png"));
    QVERIFY(panel_->SavePicture());
    QCOMPARE(QImage(QString::fromStdString(dir_->File("trace.png"))).size(), panel_->View()->PictureSize());

    views->SetKind(draw::PictureKind::Timeline);
    rig_->answers.QueueFile(dir_->File("timeline.svg"));
    QVERIFY(panel_->SavePicture());
    QSvgRenderer svg(QString::fromStdString(dir_->File("timeline.svg")));
    QVERIFY(svg.isValid());
    QCOMPARE(svg.viewBoxF().size(), QSizeF(draw::NaturalSize(*views->Canvas()->Picture())));
    views->SetKind(draw::PictureKind::Heatmap);
    rig_->answers.QueueFile(dir_->File("HEAT.BMP"));
    QVERIFY(panel_->SavePicture());
    QCOMPARE(QImageReader(QString::fromStdString(dir_->File("HEAT.BMP"))).format(), QByteArray("bmp"));
    rig_->answers.QueueFile(dir_->File("heat.png"));
    QVERIFY(panel_->SavePicture());
    QCOMPARE(QImage(QString::fromStdString(dir_->File("heat.png"))).size(), draw::NaturalSize(*views->Canvas()->Picture()));
    rig_->answers.QueueFile(dir_->File("missing/heat.png"));
    QVERIFY(!panel_->SavePicture());
  }

  void theReportCarriesTheShownTimelineAfterItsTable() {
    const std::string data = test::RecordRun(*dir_, "RAT9", 30, 1, 5);
    QVERIFY(panel_->OpenDataFileForAnalysis(data));
    QVERIFY(panel_->View()->WaitForPicture());
    const QString plain = PrintedText(*panel_, dir_->File("plain.pdf"));
    QVERIFY2(plain.contains("Session Number : 1"), "pdftotext gave no report");
    QVERIFY(!plain.contains("Stereotypic"));
    panel_->Views()->SetKind(draw::PictureKind::Timeline);
    const QString withTimeline = PrintedText(*panel_, dir_->File("timeline.pdf"));
    for (const char* text : {"Session Number : 1", "Session 1", "Ambulatory", "Stereotypic", "Resting", "Zone "}) {
      QVERIFY2(withTimeline.contains(QString::fromLatin1(text)), text);
    }
  }
};

QTEST_MAIN(DataPictureViewTest)
#include "DataPictureViewTest.moc"
