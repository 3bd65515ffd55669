// The pictures checked by what they show: round scale steps, zone colours that colour-blind
// readers tell apart and that every picture shares, a trace whose colour tells when a walk was
// walked (drawn fast on a bitmap and looking as when stroked), the viridis scale and the hot cell
// of a heatmap, both classes of a second and distinct zones in a timeline; the files they are
// saved to, read back by Qt; and tracelux-cli plot run as a separate process: the files it
// writes, its exit codes and messages.
#include "../data/DataFileBuilder.h"
#include "draw/HeatmapPicture.h"
#include "draw/MapParts.h"
#include "draw/OffscreenGui.h"
#include "draw/PictureText.h"
#include "draw/Pictures.h"
#include "draw/SessionPicture.h"
#include "draw/QtColour.h"
#include "draw/TimelinePicture.h"
#include "draw/TracePicture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QBuffer>
#include <QSvgGenerator>
#include <QSvgRenderer>

#include <array>
#include <regex>

#include <cmath>
#include <cstdio>
#include <functional>
#include <set>
#include <tuple>

#include <sys/stat.h>
#include <unistd.h>

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

// A colour as CIE L*a*b* (D65) as seen with normal vision or, given one of the matrices of
// Machado, Oliveira and Fernandes (2009, severity 1) applied to linear RGB, with a colour-vision
// deficiency.
using Matrix = std::array<std::array<double, 3>, 3>;
constexpr Matrix kNormal = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
constexpr Matrix kProtanopia = {{{0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}}};
constexpr Matrix kDeuteranopia = {{{0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}}};
constexpr Matrix kTritanopia = {{{1.255528, -0.076749, -0.178779}, {-0.078411, 0.930809, 0.147602}, {0.004733, 0.691367, 0.303900}}};

std::array<double, 3> Lab(const QColor& colour, const Matrix& vision) {
  auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
  const std::array<double, 3> rgb = {linear(colour.redF()), linear(colour.greenF()), linear(colour.blueF())};
  std::array<double, 3> seen{};
  for (int i = 0; i < 3; ++i)
    seen[i] = std::clamp(vision[i][0] * rgb[0] + vision[i][1] * rgb[1] + vision[i][2] * rgb[2], 0.0, 1.0);
  const double x = (0.4124564 * seen[0] + 0.3575761 * seen[1] + 0.1804375 * seen[2]) / 0.95047;
  const double y = 0.2126729 * seen[0] + 0.7151522 * seen[1] + 0.0721750 * seen[2];
  const double z = (0.0193339 * seen[0] + 0.1191920 * seen[1] + 0.9503041 * seen[2]) / 1.08883;
  auto f = [](double t) { return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116; };
  return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

// The least CIE 1976 colour difference between two of the colours, under each kind of vision.
double LeastDifference(const std::vector<QColor>& colours) {
  double least = 1e9;
  for (const Matrix* vision : {&kNormal, &kProtanopia, &kDeuteranopia, &kTritanopia})
    for (std::size_t i = 0; i < colours.size(); ++i)
      for (std::size_t j = 0; j < i; ++j) {
        const auto a = Lab(colours[i], *vision), b = Lab(colours[j], *vision);
        least = std::min(least, std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]));
      }
  return least;
}

TEST(ZonePalette, TwelveZonesStayApartForColourBlindReadersFullAndPaleAndEveryPictureSharesThem) {
  NeedApplication();
  const ColourTable table = ZonePaletteTable();
  std::vector<QColor> full, pale;
  for (unsigned char code = 'A'; code < 'A' + kZonePalette.size(); ++code) {
    full.push_back(ZoneFill(code, table, false));
    pale.push_back(ZoneFill(code, table, true));
  }
  // The simulation itself: red and green, far apart in normal vision, nearly meet without green cones.
  EXPECT_LT(LeastDifference({QColor(0xD5, 0x5E, 0x00), QColor(0x5E, 0x8C, 0x31)}), 12);
  EXPECT_GT(LeastDifference(full), 15);
  EXPECT_GT(LeastDifference(pale), 8);  // the print look's zones
  // The zone characters take the palette in turn from 'A'; the thirteenth repeats the first; the blank is black.
  EXPECT_EQ(std::tuple(table.Of('A'), table.Of('B'), table.Of(' ')), std::tuple(0x009FE6, 0xB27200, 0));
  EXPECT_EQ(table.Of('M'), table.Of('A'));
  EXPECT_NE(table.Of('a'), table.Of('A'));
  // One zone, one colour: the trace's cell of A and the timeline's A are the table's A.
  ZoneMap map;
  for (int r = 0; r < kMapRows; ++r)
    for (int c = 0; c < kMapColumns; ++c) map.Set(r, c, c < 16 ? 'A' : 'D');
  const QImage trace = Paint(QSize(256, 192), [&](QPainter& p, const QRectF& r) { DrawZoneMapPicture(p, r, map, table); });
  const QImage timeline = Paint(QSize(480, 160), [&](QPainter& p, const QRectF& r) {
    DrawTimeline(p, r, {SessionTimeline{1, {{false, false, true, false, 'A' - 32}, {false, false, true, false, 'D' - 32}}}},
                 2, map, table, 1.0);
  });
  const TimelineLayout l = TimelineLayout::In(QRectF(0, 0, 480, 160), 1, {'A' - 32, 'D' - 32}, 2, 1.0);
  const QRectF zones = l.ZoneStrip(0);
  for (const auto& [code, x, second] : {std::tuple('A', 40, 0), std::tuple('D', 200, 1)}) {
    const QColor expected = gui::ToQColor(table.Of(code));
    EXPECT_EQ(trace.pixelColor(x, 100), expected) << code;
    EXPECT_EQ(timeline.pixelColor(QPointF(zones.left() + zones.width() * (second + 0.25) / 2, zones.center().y()).toPoint()),
              expected) << code;
  }
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

// A day-long trace is written into the pixels of a bitmap; on a short walk it looks as the
// painter's stroked line does, in both looks. The frame is inside the picture, not on its edge,
// and nothing marks the last position (no rings).
TEST(TracePicture, DrawnFastOnABitmapItLooksAsWhenStrokedAndStaysInsideThePicture) {
  NeedApplication();
  test::TempDir dir;
  DataFileBuilder file;
  for (int k = 0; k < 40; ++k) file.Add(20 + (k * 37) % 220, 20 + (k * 53) % 150);
  file.Repeat(128, 96, 20);  // still at the end
  test::WriteBytes(dir.File("WALK.DAT"), file.Bytes());
  for (PictureStyle style : {PictureStyle::Bench, PictureStyle::Print}) {
    PictureRequest request = Request(PictureKind::Trace, dir.File("WALK.DAT"));
    request.Style = style;
    Picture picture;
    ASSERT_EQ(LoadPicture(request, picture), SampleRangeStatus::Done);
    std::array<QImage, 2> images;
    for (TraceDrawing how : {TraceDrawing::Fastest, TraceDrawing::Stroked}) {
      picture.Request.Drawing = how;
      images[how == TraceDrawing::Stroked] =
          Paint(QSize(1280, 960), [&](QPainter& p, const QRectF& r) { DrawPicture(p, r, picture); });
    }
    const TraceLayout l = TraceLayout::In(QRectF(0, 0, 1280, 960), 96.0 / 72);
    // Pixels of the map that differ clearly (by more than a third of the range in a channel), as a
    // share of those the stroked line covers.
    int differing = 0, line = 0;
    for (int y = int(l.map.top()) + 2; y < int(l.map.bottom()) - 2; ++y)
      for (int x = int(l.map.left()) + 2; x < int(l.map.right()) - 2; ++x) {
        const QColor a = images[0].pixelColor(x, y), b = images[1].pixelColor(x, y);
        differing += std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())}) > 85;
        line += Distance(b, images[1].pixelColor(int(l.map.left()) + 3, y)) > 30;
      }
    ASSERT_GT(line, 2000) << PictureStyleName(style);
    EXPECT_LT(differing, line / 4) << PictureStyleName(style);
    for (const QImage& image : images) {
      // The picture's left column is white; the frame lies just inside it.
      int dark = 0;
      for (int y = 0; y < image.height(); ++y) dark += image.pixelColor(0, y).lightness() < 200;
      EXPECT_EQ(dark, 0) << PictureStyleName(style);
    }
  }
  // A still animal leaves its zone's colour untouched round its one position (no rings or other
  // marks that the legend does not name).
  test::WriteBytes(dir.File("STILL.DAT"), DataFileBuilder{}.Repeat(128, 96, 60).Bytes());
  Picture still;
  ASSERT_EQ(LoadPicture(Request(PictureKind::Trace, dir.File("STILL.DAT")), still), SampleRangeStatus::Done);
  const QImage image = Paint(QSize(1280, 960), [&](QPainter& p, const QRectF& r) { DrawPicture(p, r, still); });
  const TraceLayout l = TraceLayout::In(QRectF(0, 0, 1280, 960), 96.0 / 72);
  const double perPosition = l.map.width() / 256;
  const QColor zoneA = ZoneFill('A', still.Request.Colours, false);
  int marked = 0;
  for (double d = 8; d < 46; d += 0.5)
    marked += image.pixelColor(QPointF(l.map.left() + (128 - d * 0.7) * perPosition, l.map.top() + (96 - d * 0.7) * perPosition).toPoint()) != zoneA;
  EXPECT_EQ(marked, 0);
}

// On a page (SVG, PDF, a printer) the zone cells have their exact size; on a bitmap their edges
// fall on whole pixels.
TEST(TracePicture, ZoneCellsKeepTheirExactSizeOnAPage) {
  NeedApplication();
  ZoneMap map;
  for (int c = 0; c < kMapColumns; c += 2) map.Set(0, c, 'A');
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(QSize(200, 150));
  svg.setViewBox(QRect(0, 0, 200, 150));
  {
    QPainter painter(&svg);
    DrawZoneMapPicture(painter, QRectF(0, 0, 170.88, 128.16), map, ZonePaletteTable());  // cells 5.34 wide
  }
  const std::string text = buffer.data().toStdString();
  const std::regex cell(R"re(width="([0-9.]+)")re");
  std::set<std::string> widths;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), cell); it != std::sregex_iterator(); ++it)
    widths.insert((*it)[1]);
  EXPECT_TRUE(widths.count("5.34")) << text.substr(0, 2000);
  EXPECT_FALSE(widths.count("5") || widths.count("6"));
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
  // The cell size is written under the map, in the recording's units when it has them.
  EXPECT_EQ(CellSizeText(8, picture.Request.Params), "Cells 8 px");
  EXPECT_EQ(CellSizeText(8, test::Params(60, 1, 50, 3, 2, 100, 30)), "Cells 2.4 cm (8 px)");
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
  const QImage image =
      Paint(size, [&](QPainter& p, const QRectF& r) { DrawTimeline(p, r, {t}, 5, map, ZonePaletteTable(), 96.0 / 72); });
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
  // A zone sharing its colour with an earlier one ('M' comes round to 'A' again) is hatched.
  const std::vector<QBrush> brushes = ZoneBrushes({'A' - 32, 'B' - 32, 'M' - 32}, ZonePaletteTable());
  EXPECT_EQ(brushes[0].color(), brushes[2].color());
  EXPECT_EQ(std::tuple(brushes[0].style(), brushes[1].style()), std::tuple(Qt::SolidPattern, Qt::SolidPattern));
  EXPECT_NE(brushes[2].style(), Qt::SolidPattern);
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
  // A picture that cannot be written whole is reported as failed, never as saved.
  if (::access("/dev/full", W_OK) == 0) {
    ASSERT_EQ(::symlink("/dev/full", dir.File("full.pdf").c_str()), 0);
    EXPECT_EQ(SavePicture(picture, dir.File("full.pdf"), QSizeF(64, 48)), SaveStatus::WriteFailed);
  }
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
