// The data panel's picture switch on a recorded run: the trace stays the default, the heatmap and
// timeline follow the selected session, and Save Image writes the shown picture.
#include "GuiDriver.h"
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
  const std::string bytes = tlx::test::ReadBytes(path);
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

// A data panel shown on a directory of its own, with `sessions` sessions of 30 s at 5 per second
// recorded and opened; `data` is the data file's path, or empty when it did not open.
struct ShownPanel {
  tlx::test::TempDir dir;
  tlx::test::PanelRig rig{dir.Path()};
  NoLauncher launcher;
  SummaryProgram summary{launcher, SummarySearch{dir.Path(), "", ""}};
  OpenDataPanel panel{rig.program, summary};
  std::string data;
  ShownPanel(const std::string& name, int sessions) {
    panel.resize(900, 600);
    panel.show();
    const std::string path = tlx::test::RecordRun(dir, name, 30, sessions, 5);
    if (panel.OpenDataFileForAnalysis(path)) data = path;
  }
};

class DataPictureViewTest : public QObject {
  Q_OBJECT

 private slots:
  void theTraceIsTheDefaultAndTheOtherPicturesFollowTheSelectedSession() {
    ShownPanel shown("RAT7", 2);
    QVERIFY(!shown.data.empty());
    OpenDataPanel& panel = shown.panel;
    PictureViewSwitch* views = panel.Views();
    QCOMPARE(views->findChild<QComboBox*>("cboPictureKind")->currentText(), QString("Trace"));
    QVERIFY(panel.View()->isVisible());
    QVERIFY(!views->Canvas()->Picture());

    views->SetKind(draw::PictureKind::Heatmap);
    QVERIFY(!panel.View()->isVisible());
    QVERIFY(views->Canvas()->isVisible());
    QVERIFY(views->Canvas()->Picture());
    QCOMPARE(views->Canvas()->Picture()->Occupancy.TrackedSamples, TrackedSamples(shown.data, 1, 150));
    panel.ShowSession(2);
    QCOMPARE(views->Canvas()->Picture()->Request.Session, std::int64_t(2));
    QCOMPARE(views->Canvas()->Picture()->Occupancy.TrackedSamples, TrackedSamples(shown.data, 2, 150));

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
    ShownPanel shown("RAT8", 1);
    QVERIFY(!shown.data.empty());
    OpenDataPanel& panel = shown.panel;
    const tlx::test::TempDir& dir = shown.dir;
    PictureViewSwitch* views = panel.Views();
    // The trace as SVG goes through the drawing library (its bitmaps are the view's own).
    shown.rig.answers.QueueFile(dir.File("trace.svg"));
    QVERIFY(panel.SavePicture());
    QVERIFY(QSvgRenderer(QString::fromStdString(dir.File("trace.svg"))).isValid());

    views->SetKind(draw::PictureKind::Timeline);
    shown.rig.answers.QueueFile(dir.File("timeline.svg"));
    QVERIFY(panel.SavePicture());
    QSvgRenderer svg(QString::fromStdString(dir.File("timeline.svg")));
    QVERIFY(svg.isValid());
    // The drawing library's formats are written at the picture's natural size (points; an SVG
    // counts CSS pixels, 96 to the inch).
    QCOMPARE(svg.viewBoxF().size(), QSizeF((draw::NaturalSize(*views->Canvas()->Picture()) * (96.0 / 72)).toSize()));
    views->SetKind(draw::PictureKind::Heatmap);
    shown.rig.answers.QueueFile(dir.File("HEAT.BMP"));
    QVERIFY(panel.SavePicture());
    QCOMPARE(QImageReader(QString::fromStdString(dir.File("HEAT.BMP"))).format(), QByteArray("bmp"));
    shown.rig.answers.QueueFile(dir.File("missing/heat.png"));
    QVERIFY(!panel.SavePicture());
  }

  void theReportCarriesTheShownTimelineAfterItsTable() {
    ShownPanel shown("RAT9", 1);
    QVERIFY(!shown.data.empty());
    OpenDataPanel& panel = shown.panel;
    const tlx::test::TempDir& dir = shown.dir;
    QVERIFY(panel.View()->WaitForPicture());
    const QString plain = PrintedText(panel, dir.File("plain.pdf"));
    QVERIFY2(plain.contains("Session Number : 1"), "pdftotext gave no report");
    QVERIFY(!plain.contains("Stereotypic"));
    panel.Views()->SetKind(draw::PictureKind::Timeline);
    const QString withTimeline = PrintedText(panel, dir.File("timeline.pdf"));
    for (const char* text : {"Session Number : 1", "Session 1", "Ambulatory", "Stereotypic", "Resting", "Zone "}) {
      QVERIFY2(withTimeline.contains(QString::fromLatin1(text)), text);
    }
  }
};

TLX_GUI_TEST(DataPictureViewTest)
#include "DataPictureViewTest.moc"
