// The data panel inside the real main window, driven through its buttons and dialogs: a map chosen
// for reanalysis stays the map shown and used, and the busy texts are on the screen while the
// work runs and gone before any message.
#include "GuiDriver.h"
#include "PanelRig.h"
#include "app/data/OpenDataPanel.h"
#include "app/data/PanelHookup.h"
#include "app/data/SessionView.h"
#include "app/zone/VidGrid.h"
#include "common/Paths.h"
#include "data/DataFile.h"
#include "zonemap/MapFile.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

using namespace tlx;
using namespace tlx::gui;
using namespace tlx::gui::test;

namespace {

// The texts a label of the given name had each time it was painted, and whether the file
// `watched` existed then.
class PaintRecorder : public QObject {
 public:
  PaintRecorder(QString name, std::string watched) : name_(std::move(name)), watched_(std::move(watched)) {
    qApp->installEventFilter(this);
  }
  ~PaintRecorder() override { qApp->removeEventFilter(this); }
  std::vector<std::pair<QString, bool>> seen;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* label = qobject_cast<QLabel*>(object);
    if (event->type() == QEvent::Paint && label && label->objectName() == name_) {
      seen.emplace_back(label->text(), std::filesystem::exists(watched_));
    }
    return false;
  }

 private:
  QString name_;
  std::string watched_;
};

ZoneMap Stripes() {
  ZoneMap stripes;
  for (int r = 0; r < kMapRows; ++r)
    for (int c = 0; c < kMapColumns; ++c) stripes.Set(r, c, char('a' + c / 8));
  return stripes;
}

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
  void initTestCase() {
    rig = std::make_unique<WindowRig>();
    panels = &rig->Panels();
  }
  void cleanupTestCase() { rig.reset(); }

  // The parameter boxes take typing as soon as a file is open; what is typed is what the next
  // Reanalyze uses, and nothing on the panel moves.
  void typedParametersAreUsedAndThePanelStaysPut() {
    tlx::test::TempDir dir;
    const std::string data = tlx::test::RecordRun(dir, "TYPE", 60, 2, 5);
    QVERIFY(Data()->OpenDataFileForAnalysis(data));
    // The panel names the parameters of the table it shows: the run's own at first.
    const QString recorded = Label("lblAnalysisUsed")->text();
    QVERIFY2(recorded.contains("Thresholds used : ") && recorded.contains("Sample rate : 5 samples per second"),
             qPrintable(recorded));
    auto* reanalyze = Data()->findChild<QPushButton*>("cmdRanal_0");
    const QPoint before = reanalyze->mapTo(Data(), QPoint());
    QLineEdit* ambulatory = Data()->findChild<QLineEdit*>("txtPixels_1");
    ambulatory->selectAll();
    QTest::keyClicks(ambulatory, "9");
    QCOMPARE(ambulatory->text(), QString("9"));
    QCOMPARE(Data()->Stage(), 1);
    ClickReanalyze();
    QCOMPARE(Data()->Stage(), 0);
    const tlx::test::CliResult cli = tlx::test::RunCli(
        {"analyze", data, "--ambulatory", "9", "--map", dir.File("TYPE.MAP"), "--decimal-point"});
    QCOMPARE(cli.exitCode, 0);
    QCOMPARE(tlx::test::ReadBytes(Ranal()), cli.out);
    QVERIFY(Label("lblAnalysisUsed")->text().contains("ambulatory 9, "));
    QVERIFY(!recorded.contains("ambulatory 9, "));
    QCOMPARE(reanalyze->mapTo(Data(), QPoint()), before);
  }

  void aChosenMapIsShownAndUsedByEveryReanalysis() {
    tlx::test::TempDir dir;
    const std::string data = tlx::test::RecordRun(dir, "RAT", 60, 3, 5);
    const ZoneMap stripes = Stripes();
    QVERIFY(WriteMapFile(dir.File("STRIPES.MAP"), stripes));
    QVERIFY(Data()->OpenDataFileForAnalysis(data));
    QCOMPARE(Label("lblDataParams_4")->text(), QString("RAT.MAP"));

    ClickReanalyze();
    QCOMPARE(Data()->Stage(), 1);
    rig->answerer.QueueFile(QString::fromStdString(dir.File("STRIPES.MAP")));
    QTest::mouseClick(Label("lblDataParams_4"), Qt::LeftButton);
    QCOMPARE(Label("lblDataParams_4")->text(), QString("STRIPES.MAP"));

    const tlx::test::CliResult cli =
        tlx::test::RunCli({"analyze", data, "--map", dir.File("STRIPES.MAP"), "--decimal-point"});
    QCOMPARE(cli.exitCode, 0);
    for (int round = 1; round <= 2; ++round) {
      if (round == 2) {
        ClickReanalyze();  // parameters open again: the chosen map stays
        QCOMPARE(Data()->Stage(), 1);
        QCOMPARE(Label("lblDataParams_4")->text(), QString("STRIPES.MAP"));
      }
      ClickReanalyze();
      QCOMPARE(Data()->Stage(), 0);
      QCOMPARE(tlx::test::ReadBytes(Ranal()), cli.out);
      QCOMPARE(Label("lblDataParams_4")->text(), QString("STRIPES.MAP"));
      QVERIFY(Data()->View()->WaitForPicture());
      QVERIFY(CellsShowing(Data()->View()->Picture(), stripes, rig->P().colours) > 0.8);
    }
    // A file that is not a map, chosen in its place, changes nothing.
    ClickReanalyze();
    tlx::test::WriteBytes(dir.File("BROKEN.MAP"), "");
    rig->answerer.QueueFile(QString::fromStdString(dir.File("BROKEN.MAP")));
    QTest::mouseClick(Label("lblDataParams_4"), Qt::LeftButton);
    QCOMPARE(Label("lblDataParams_4")->text(), QString("STRIPES.MAP"));
    ClickReanalyze();
    QCOMPARE(tlx::test::ReadBytes(Ranal()), cli.out);
    rig->window->EnterHome();
  }

  void busyTextsArePaintedBeforeTheWorkAndGoneBeforeAMessage() {
    tlx::test::TempDir dir;
    const std::string data = tlx::test::RecordRun(dir, "MOUSE", 30, 2, 5);
    {
      PaintRecorder loading(QStringLiteral("lblCaption"), {});
      QVERIFY(Data()->OpenDataFileForAnalysis(data));
      QVERIFY(!loading.seen.empty() && loading.seen[0].first == "Loading ... Please Wait");
    }
    ClickReanalyze();
    std::filesystem::remove(Ranal());
    PaintRecorder instruction(QStringLiteral("lblRanalInstr"), Ranal());
    ClickReanalyze();
    QVERIFY(std::filesystem::exists(Ranal()));
    // On the screen before the results were written.
    const auto& seen = instruction.seen;
    QVERIFY(std::find(seen.begin(), seen.end(), std::pair(QString("Reanalyzing\nPlease wait."), false)) != seen.end());

    // A file without samples: the message comes after the loading box has gone.
    tlx::test::WriteBytes(dir.File("EMPTY.DAT"), SerializeHeader(DataFileHeader{}));
    rig->answerer.Clear();
    QVERIFY(Data()->OpenDataFileForAnalysis(dir.File("EMPTY.DAT")));
    QCOMPARE(rig->answerer.Count("Empty Data File"), 1);
    QVERIFY(!rig->answerer.Seen().back().progressShown);
    rig->window->EnterHome();
  }
};

TLX_GUI_TEST(DataPanelWindowTest)
#include "DataPanelWindowTest.moc"
