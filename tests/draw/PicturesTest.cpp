// The pictures checked by what they show: round scale steps, a trace whose colour tells when a
// walk was walked, the viridis scale and the hot cell of a heatmap, both classes of a second and
// distinct zones in a timeline; the files they are saved to, read back by Qt; and tracelux-cli plot
// run as a separate process: the files it writes, its exit codes and messages.
#include "../data/DataFileBuilder.h"
#include "draw/HeatmapPicture.h"
#include "draw/MapParts.h"
#include "draw/OffscreenGui.h"
#include "draw/PictureText.h"
#include "draw/Pictures.h"
#include "draw/SessionPicture.h"
#include "draw/TimelinePicture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>
#include <cstdio>
#include <functional>
#include <set>
#include <tuple>

#include <sys/stat.h>

namespace tlx::draw {
namespace {

using test::DataFileBuilder;
using test::RunCli;

void NeedApplication() { static const auto app = EnsureGuiApplication(); }

// One session of a 1-per-second recording, thresholds max 50, ambulatory 3, stereotypic 2, uncalibrated.
PictureRequest Request(PictureKind kind, const std::string& path, std::int64_t session = 1) {
  return {.Kind = kind, .DataPath = path, .Session = session, .Params = test::Params(60, 1, 50, 3, 2, 0, 0)};
}

// A white image of `size` with `draw` painted over all of it.
QImage Paint(QSize size, const std::function<void(QPainter&, const QRectF&)>& draw) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  draw(painter, QRectF(QPointF(0, 0), QSizeF(size)));
  return image;
}

// The width and height in points of a PDF file's first media box; empty when it has none.
QSizeF PdfPageSize(const std::string& pdf) {
  const auto at = pdf.find("/MediaBox [");
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  if (at == std::string::npos || std::sscanf(pdf.c_str() + at, "/MediaBox [%lf %lf %lf %lf", &x0, &y0, &x1, &y1) != 4) {
    return {};
  }
  return {x1 - x0, y1 - y0};
}

double Distance(const QColor& a, const QColor& b) {
  return std::hypot(a.red() - b.red(), a.green() - b.green(), a.blue() - b.blue());
}

TEST(PictureScales, StepsAreOneTwoOrFiveTimesAPowerOfTenAndWrittenWithTheStepsDecimals) {
  struct Case {
    double top;
    int most;
    std::vector<double> ticks;
  };
  for (const Case& c : {Case{22.5, 5, {0, 5, 10, 15, 20}}, Case{2.25, 5, {0, 0.5, 1, 1.5, 2}}, Case{2.25, 4, {0, 1, 2}},
                        Case{7.5, 4, {0, 2, 4, 6}}, Case{120, 5, {0, 50, 100}}, Case{0.3, 3, {0, 0.1, 0.2, 0.3}}}) {
    const std::vector<double> ticks = NiceTicks(c.top, c.most);
    ASSERT_EQ(ticks.size(), c.ticks.size()) << c.top;
    for (std::size_t i = 0; i < ticks.size(); ++i) EXPECT_NEAR(ticks[i], c.ticks[i], 1e-9) << c.top;
  }
  EXPECT_EQ(TickText(1.5, 0.5) + " " + TickText(20, 5) + " " + TickText(0.2, 0.1), "1.5 20 0.2");
  EXPECT_EQ(NiceBelow(64.0 / 4), 10);  // the scale bar of a 64 cm wide picture
  EXPECT_EQ(NiceBelow(0.7), 0.5);
  EXPECT_EQ(TimeUnitFor(120).Name + " " + TimeUnitFor(3600).Name, "s min");
}

TEST(TracePicture, TheColourTellsWhetherAWalkCameEarlyOrLate) {
  NeedApplication();
  test::TempDir dir;
  // The same walk along y = 40 and then y = 120, at the start of one session and at the end of the other.
  const std::vector<std::pair<int, int>> walk = {{20, 40}, {60, 40}, {100, 40}, {120, 40}, {120, 80}, {120, 120}, {160, 120}};
  DataFileBuilder early, late;
  early.Add(walk).Repeat(220, 120, 53);
  late.Repeat(20, 40, 53).Add(walk);
  test::WriteBytes(dir.File("EARLY.DAT"), early.Bytes());
  test::WriteBytes(dir.File("LATE.DAT"), late.Bytes());
  std::vector<std::vector<QColor>> seen;  // per file: bench raster, bench painted, print painted
  for (const char* name : {"EARLY.DAT", "LATE.DAT"}) {
    PictureRequest request = Request(PictureKind::Trace, dir.File(name));
    request.Map = ZoneMap{};  // no zones: a black field
    const SessionPictureResult raster = DrawSessionPicture(request, QSize(512, 384));
    ASSERT_TRUE(raster.read);
    EXPECT_EQ(raster.path->Points.size(), 7u);
    std::vector<QColor> colours{raster.image.pixelColor(80 * 2, 40 * 2)};
    // The bench line has a black edge on either side; the print line has none.
    int edge = 0;
    for (int dy = -5; dy <= 5; ++dy) edge += raster.image.pixelColor(140 * 2, 120 * 2 + dy) == kTraceOutlineColour;
    EXPECT_GE(edge, 2) << name;
    for (PictureStyle style : {PictureStyle::Bench, PictureStyle::Print}) {
      request.Style = style;
      Picture picture;
      ASSERT_EQ(LoadPicture(request, picture), SampleRangeStatus::Done);
      const QImage image = Paint(QSize(1024, 768), [&](QPainter& p, const QRectF& map) {
        DrawTrace(p, map, picture.Trace, TraceLook::For(style, 4, 1));
      });
      colours.push_back(image.pixelColor(80 * 4, 40 * 4));
    }
    seen.push_back(colours);
  }
  const std::vector<QColor> starts = {kTraceStartColour, kTraceStartColour, kPrintTraceStartColour};
  const std::vector<QColor> ends = {kTraceEndColour, kTraceEndColour, kPrintTraceEndColour};
  for (std::size_t k = 0; k < starts.size(); ++k) {
    // Walked first: near the start colour; walked last: near the end colour.
    EXPECT_LT(Distance(seen[0][k], starts[k]), Distance(seen[0][k], ends[k]) / 3) << k;
    EXPECT_LT(Distance(seen[1][k], ends[k]), Distance(seen[1][k], starts[k]) / 3) << k;
  }
}

TEST(HeatmapPicture, ViridisFromDarkPurpleToYellowGrowingLighterAndTheHotCellShows) {
  NeedApplication();
  EXPECT_EQ(HeatColour(0).name(), "#440154");
  EXPECT_EQ(HeatColour(1).name(), "#fde725");
  auto luma = [](const QColor& c) { return 0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue(); };
  for (int k = 1; k <= 20; ++k) EXPECT_GT(luma(HeatColour(k / 20.0)), luma(HeatColour((k - 1) / 20.0))) << k;
  test::TempDir dir;
  // 40 samples in the cell of (100, 60) and lost samples at positions that would be other cells.
  DataFileBuilder file;
  file.Repeat(100, 60, 20).Add(8, 255).Add(200, 200).Repeat(100, 60, 20);
  test::WriteBytes(dir.File("ONE.DAT"), file.Bytes());
  Picture picture;
  ASSERT_EQ(LoadPicture(Request(PictureKind::Heatmap, dir.File("ONE.DAT")), picture), SampleRangeStatus::Done);
  EXPECT_DOUBLE_EQ(picture.Occupancy.TrackedSeconds(), 40.0);
  const QSize size(960, 720);
  const QImage image = Paint(size, [&](QPainter& p, const QRectF& r) { DrawPicture(p, r, picture); });
  const HeatmapLayout layout = HeatmapLayout::In(QRectF(QPointF(0, 0), QSizeF(size)), 96.0 / 72);
  const QRgb hot = HeatColour(1.0).rgb();
  int hotPixels = 0;
  for (int y = int(layout.map.top()); y < int(layout.map.bottom()); ++y)
    for (int x = int(layout.map.left()); x < int(layout.map.right()); ++x) hotPixels += image.pixel(x, y) == hot;
  const double cellPixels = layout.map.width() / 32 * layout.map.height() / 24;
  EXPECT_NEAR(hotPixels, cellPixels, cellPixels * 0.25);
}

TEST(TimelinePicture, ASecondBothAmbulatoryAndStereotypicShowsBothAndZonesGetDistinctColours) {
  NeedApplication();
  // Seconds: ambulatory, both, stereotypic, resting, lost; in zones A, G, a (one red in the
  // default colour table) and none.
  SessionTimeline t{1, {{true, false, false, false, 'A' - 32},
                        {true, true, false, false, 'G' - 32},
                        {false, true, false, false, 'a' - 32},
                        {false, false, true, false, 'a' - 32},
                        {false, false, false, true, -1}}};
  ZoneMap map;
  for (int column = 0; column < 3; ++column) map.Set(0, column, "AGa"[column]);
  const QSize size(960, 400);
  const QImage image = Paint(size, [&](QPainter& p, const QRectF& r) { DrawTimeline(p, r, {t}, 5, map, 96.0 / 72); });
  const std::vector<int> zones = TimelineZones({t}, map);
  const TimelineLayout l = TimelineLayout::In(QRectF(QPointF(0, 0), QSizeF(size)), 1, zones, 5, 96.0 / 72);
  auto at = [&](const QRectF& strip, int second, double fy) {
    return image.pixelColor(QPointF(strip.left() + strip.width() * (second + 0.5) / 5, strip.top() + strip.height() * fy).toPoint());
  };
  const QColor amb = ClassColour(SecondClass::Ambulatory), ster = ClassColour(SecondClass::Stereotypic);
  EXPECT_EQ(at(l.ClassStrip(0), 0, 0.25), amb);
  EXPECT_EQ(at(l.ClassStrip(0), 0, 0.75), amb);
  EXPECT_EQ(at(l.ClassStrip(0), 1, 0.25), amb);   // both: ambulatory above ...
  EXPECT_EQ(at(l.ClassStrip(0), 1, 0.75), ster);  // ... and stereotypic below
  EXPECT_EQ(at(l.ClassStrip(0), 2, 0.75), ster);
  std::set<QRgb> classColours, zoneColours;
  for (int s = 0; s < 5; ++s) {
    classColours.insert(at(l.ClassStrip(0), s, 0.25).rgb());
    zoneColours.insert(at(l.ZoneStrip(0), s, 0.1).rgb());
  }
  EXPECT_EQ(classColours.size(), 4u);  // ambulatory (twice), stereotypic, resting, lost
  EXPECT_EQ(zoneColours.size(), 4u);   // A, G, a, none
  // Twelve zones in twelve clearly different colours; the next ones hatched.
  for (std::size_t i = 0; i < 12; ++i)
    for (std::size_t j = 0; j < i; ++j) EXPECT_GT(Distance(ZonePaletteColour(i), ZonePaletteColour(j)), 60) << i << " " << j;
  EXPECT_EQ(ZoneBrush(11).style(), Qt::SolidPattern);
  EXPECT_NE(ZoneBrush(12).style(), Qt::SolidPattern);
}

TEST(SavePicture, PngSvgAndPdfAreWrittenAtTheirSizeAndOtherNamesAreRefused) {
  NeedApplication();
  test::TempDir dir;
  test::WriteBytes(dir.File("S.DAT"), DataFileBuilder{}.Repeat(30, 30, 90).Bytes());
  for (PictureKind kind : {PictureKind::Trace, PictureKind::Heatmap, PictureKind::Timeline}) {
    Picture picture;
    ASSERT_EQ(LoadPicture(Request(kind, dir.File("S.DAT"), kWholeRecording), picture), SampleRangeStatus::Done);
    const QSizeF points(480, 360);
    const std::string name = dir.File(std::string(PictureKindName(kind)));
    ASSERT_EQ(SavePicture(picture, name + ".PNG", points, 144), SaveStatus::Saved);
    EXPECT_EQ(QImage(QString::fromStdString(name + ".PNG")).size(), QSize(960, 720));
    ASSERT_EQ(SavePicture(picture, name + ".svg", points), SaveStatus::Saved);
    QSvgRenderer svg(QString::fromStdString(name + ".svg"));
    EXPECT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBoxF(), QRectF(0, 0, 640, 480));
    ASSERT_EQ(SavePicture(picture, name + ".pdf", points), SaveStatus::Saved);
    const std::string pdf = test::ReadBytes(name + ".pdf");
    EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
    EXPECT_EQ(PdfPageSize(pdf), points) << PictureKindName(kind);
  }
  Picture picture;
  ASSERT_EQ(LoadPicture(Request(PictureKind::Trace, dir.File("S.DAT")), picture), SampleRangeStatus::Done);
  EXPECT_EQ(SavePicture(picture, dir.File("x.bmp"), QSizeF(64, 48)), SaveStatus::UnknownFormat);
  EXPECT_EQ(SavePicture(picture, dir.File("png"), QSizeF(64, 48)), SaveStatus::UnknownFormat);
  EXPECT_EQ(SavePicture(picture, dir.File("none/x.png"), QSizeF(64, 48)), SaveStatus::WriteFailed);
  EXPECT_EQ(SavePicture(picture, dir.File("none/x.svg"), QSizeF(64, 48)), SaveStatus::WriteFailed);
  // A failed save leaves an existing picture as it was.
  test::WriteBytes(dir.File("keep.pdf"), "old");
  ASSERT_EQ(::mkdir(dir.File("keep.pdf.part").c_str(), 0700), 0);  // the temporary name is taken
  EXPECT_EQ(SavePicture(picture, dir.File("keep.pdf"), QSizeF(64, 48)), SaveStatus::WriteFailed);
  EXPECT_EQ(test::ReadBytes(dir.File("keep.pdf")), "old");
}

TEST(CliPlot, WritesEachKindAndTheWidthSetsTheSize) {
  test::TempDir dir;
  test::WriteBytes(dir.File("RAT1.DAT"), test::DataFileBuilder{}.Repeat(30, 30, 50).Repeat(200, 150, 40).Bytes());
  for (const char* out : {"trace.png", "heatmap.svg", "timeline.pdf"}) {
    const std::string kind = std::string(out).substr(0, std::string(out).find('.'));
    const auto r = RunCli({"plot", "RAT1.DAT", "--kind", kind, "--session", "all", "-o", out}, dir.Path());
    EXPECT_EQ(std::tuple(r.exitCode, r.out, r.err), std::tuple(0, std::string(), std::string())) << out;
  }
  EXPECT_EQ(test::ReadBytes(dir.File("trace.png")).substr(1, 3), "PNG");
  EXPECT_NE(test::ReadBytes(dir.File("heatmap.svg")).find("<svg"), std::string::npos);
  EXPECT_EQ(test::ReadBytes(dir.File("timeline.pdf")).substr(0, 5), "%PDF-");
  // --width in pixels at 96 per inch (a PDF page in points), --size at a journal's column width.
  ASSERT_EQ(RunCli({"plot", "RAT1.DAT", "--kind", "trace", "--width", "400", "-o", "w.pdf"}, dir.Path()).exitCode, 0);
  EXPECT_EQ(PdfPageSize(test::ReadBytes(dir.File("w.pdf"))).width(), 300);
  const auto column = RunCli({"plot", "RAT1.DAT", "--kind", "heatmap", "--size", "85x60mm", "--style", "bench", "-o", "c.pdf"}, dir.Path());
  ASSERT_EQ(column.exitCode, 0) << column.err;
  const QSizeF page = PdfPageSize(test::ReadBytes(dir.File("c.pdf")));
  EXPECT_NEAR(page.width(), 85 / 25.4 * 72, 0.5);
  EXPECT_NEAR(page.height(), 60 / 25.4 * 72, 0.5);
}

TEST(CliPlot, BadFilesFailWithOneLineAndUsageErrorsExitWithTwo) {
  test::TempDir dir;
  test::WriteBytes(dir.File("RAT1.DAT"), test::DataFileBuilder{}.Repeat(30, 30, 90).Bytes());  // 2 sessions of 60 s
  test::WriteBytes(dir.File("BAD.DAT"), std::string(100, 'x'));
  const std::pair<std::vector<std::string>, std::string> failures[] = {
      {{"BAD.DAT", "--kind", "trace", "-o", "a.png"}, "The file BAD.DAT is not a valid Tracelux data file.\n"},
      {{"NONE.DAT", "--kind", "trace", "-o", "a.png"}, "The file " + dir.File("NONE.DAT") + " does not exist.\n"},
      {{"RAT1.DAT", "--kind", "heatmap", "--session", "3", "-o", "a.png"},
       "The file " + dir.File("RAT1.DAT") + " has no session 3.\n"},
      {{"RAT1.DAT", "--kind", "trace", "-o", "no/a.png"}, "The file " + dir.File("no/a.png") + " cannot be written: No such file or directory.\n"}};
  for (const auto& [args, message] : failures) {
    std::vector<std::string> plot = {"plot"};
    plot.insert(plot.end(), args.begin(), args.end());
    const auto r = RunCli(plot, dir.Path());
    EXPECT_EQ(std::tuple(r.exitCode, r.err), std::tuple(1, message));
  }
  EXPECT_FALSE(test::PathExists(dir.File("a.png")));
  EXPECT_EQ(RunCli({"plot", "RAT1.DAT", "--kind", "heatmap", "--session", "2", "-o", "a.png"}, dir.Path()).exitCode, 0);

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"plot", "RAT1.DAT", "--kind", "bars", "-o", "a.png"},
        {"plot", "RAT1.DAT", "--kind", "trace", "-o", "a.bmp"},
        {"plot", "RAT1.DAT", "--kind", "trace"},
        {"plot", "RAT1.DAT", "-o", "a.png"},
        {"plot", "RAT1.DAT", "--kind", "trace", "--session", "0", "-o", "a.png"},
        {"plot", "RAT1.DAT", "--kind", "trace", "--session", "two", "-o", "a.png"},
        {"plot", "RAT1.DAT", "--kind", "heatmap", "--cell", "0", "-o", "a.png"},
        {"plot", "RAT1.DAT", "--kind", "heatmap", "--size", "85x60", "-o", "a.pdf"},
        {"plot", "RAT1.DAT", "--kind", "heatmap", "--size", "85x60mm", "--width", "400", "-o", "a.pdf"},
        {"plot", "RAT1.DAT", "--kind", "trace", "--style", "neon", "-o", "a.png"}}) {
    const auto r = RunCli(args, dir.Path());
    EXPECT_EQ(r.exitCode, 2) << args[2] << " " << args.back();
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
}  // namespace tlx::draw
