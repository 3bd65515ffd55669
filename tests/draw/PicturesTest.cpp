// The pictures checked by what they show: the hot cell of a heatmap, the colours of a timeline's
// seconds, the trace's last position; and the files they are saved to, read back by Qt.
#include "../data/DataFileBuilder.h"
#include "draw/HeatmapPicture.h"
#include "draw/OffscreenGui.h"
#include "draw/Pictures.h"
#include "draw/TimelinePicture.h"
#include "PdfPage.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <set>

#include <sys/stat.h>

namespace tlx::draw {
namespace {

using test::DataFileBuilder;

void NeedApplication() { static const auto app = EnsureGuiApplication(); }

PictureRequest Request(PictureKind kind, const std::string& path, std::int64_t session = 1) {
  PictureRequest r;
  r.Kind = kind;
  r.DataPath = path;
  r.Session = session;
  r.Params.SessionLength = 60;
  r.Params.SampleRate = 1;
  r.Params.MaximumDistance = 50;
  r.Params.AmbulatoryThreshold = 3;
  r.Params.StereotypicThreshold = 2;
  return r;
}

QImage Render(const Picture& picture, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  DrawPicture(painter, QRectF(QPointF(0, 0), QSizeF(size)), picture);
  return image;
}

QPoint At(const QRectF& r, double fx, double fy) {
  return QPointF(r.left() + r.width() * fx, r.top() + r.height() * fy).toPoint();
}

TEST(HeatmapPicture, OneCellRecordingShowsOneHotCellAndTheBarScaledToItsSeconds) {
  NeedApplication();
  test::TempDir dir;
  // 40 samples in the cell of (100, 60) and lost samples at positions that would be other cells.
  DataFileBuilder file;
  file.Repeat(100, 60, 20).Add(8, 255).Add(200, 200).Repeat(100, 60, 20);
  test::WriteBytes(dir.File("ONE.DAT"), file.Bytes());
  Picture picture;
  ASSERT_EQ(LoadPicture(Request(PictureKind::Heatmap, dir.File("ONE.DAT")), picture), SampleRangeStatus::Done);
  EXPECT_DOUBLE_EQ(picture.Occupancy.TrackedSeconds(), 40.0);
  const QSize size = NaturalSize(picture);
  const QImage image = Render(picture, size);
  const HeatmapLayout layout = HeatmapLayout::In(QRectF(QPointF(0, 0), QSizeF(size)));
  // Cells are 8 positions: the hot one spans x 96..104, y 56..64 of 256 x 192.
  const QRgb hot = HeatColour(1.0).rgb();
  EXPECT_EQ(image.pixel(At(layout.map, 100.0 / 256, 60.0 / 192)), hot);
  int hotPixels = 0;
  for (int y = int(layout.map.top()); y < int(layout.map.bottom()); ++y)
    for (int x = int(layout.map.left()); x < int(layout.map.right()); ++x) hotPixels += image.pixel(x, y) == hot;
  const double cellPixels = layout.map.width() / 32 * layout.map.height() / 24;
  EXPECT_NEAR(hotPixels, cellPixels, cellPixels * 0.25);
  // The lost samples' positions stay dark; the top of the bar is the hot colour.
  EXPECT_NE(image.pixel(At(layout.map, 8.5 / 256, 250.0 / 192 * 0.7)), hot);
  EXPECT_NE(image.pixel(At(layout.map, 204.0 / 256, 188.0 / 192)), hot);
  const QColor top = image.pixelColor(At(layout.bar, 0.15, 0.005));
  EXPECT_NEAR(top.red(), HeatColour(1.0).red(), 12);
  EXPECT_NEAR(top.green(), HeatColour(1.0).green(), 12);
}

TEST(TimelinePicture, EverySecondIsDrawnInTheColourOfItsClassAndZone) {
  NeedApplication();
  test::TempDir dir;
  // Thresholds max 50, ambulatory 3, stereotypic 2, 1 per second; A top left, D bottom right.
  DataFileBuilder file;
  file.Add(10, 255).Add(10, 10).Add(12, 12).Add(40, 10).Add(40, 255).Add(250, 180).Add(250, 175).Add(250, 175);
  test::WriteBytes(dir.File("T.DAT"), file.Bytes());
  PictureRequest request = Request(PictureKind::Timeline, dir.File("T.DAT"));
  request.Params.SessionLength = 8;
  Picture picture;
  ASSERT_EQ(LoadPicture(request, picture), SampleRangeStatus::Done);
  ASSERT_EQ(picture.Timelines.size(), 1u);
  const QSize size = NaturalSize(picture);
  const QImage image = Render(picture, size);
  const TimelineLayout layout = TimelineLayout::In(QRectF(QPointF(0, 0), QSizeF(size)), 1, 8);
  // Each second's class and zone are checked against the recording by the timeline's own test;
  // here every class and three zone states (none, A, D) are drawn, each in its own colour.
  const auto& seconds = picture.Timelines[0].Seconds;
  ASSERT_EQ(seconds.size(), 8u);
  std::set<QRgb> classColours, zoneColours;
  for (std::size_t s = 0; s < 8; ++s) {
    const double fx = (double(s) + 0.5) / 8;
    const QRgb zone = ZoneStripColour(seconds[s].Zone, picture.Request.Colours).rgb();
    EXPECT_EQ(image.pixel(At(layout.ClassStrip(0), fx, 0.5)), ClassColour(seconds[s].Class()).rgb()) << s;
    EXPECT_EQ(image.pixel(At(layout.ZoneStrip(0), fx, 0.5)), zone) << s;
    classColours.insert(ClassColour(seconds[s].Class()).rgb());
    zoneColours.insert(zone);
  }
  EXPECT_EQ(classColours.size(), 4u);
  EXPECT_EQ(zoneColours.size(), 3u);
}

TEST(TracePicture, TheWholeRecordingEndsAtItsLastPositionInTheRampsEndColour) {
  NeedApplication();
  test::TempDir dir;
  DataFileBuilder file;
  file.sessionLength5 = 1;  // 5 s sessions
  file.Add({{20, 20}, {60, 20}, {60, 60}, {100, 60}, {100, 100}, {140, 100}, {140, 140}, {180, 140}});
  test::WriteBytes(dir.File("W.DAT"), file.Bytes());
  Picture one, all;
  PictureRequest request = Request(PictureKind::Trace, dir.File("W.DAT"));
  request.Params.SessionLength = 5;
  ASSERT_EQ(LoadPicture(request, one), SampleRangeStatus::Done);
  request.Session = kWholeRecording;
  ASSERT_EQ(LoadPicture(request, all), SampleRangeStatus::Done);
  EXPECT_EQ(one.TracePoints.size(), 5u);
  EXPECT_EQ(all.TracePoints.size(), 8u);
  request.Session = 3;
  Picture none;
  EXPECT_EQ(LoadPicture(request, none), SampleRangeStatus::NoSuchSession);
  const QImage image = Render(all, QSize(512, 384));
  // The last point (180, 140) at two pixels per position.
  EXPECT_EQ(image.pixelColor(360, 280), QColor(40, 40, 255));
  EXPECT_EQ(image.pixelColor(440, 340), QColor(Qt::green));  // zone D, away from the trace
}

TEST(SavePicture, PngSvgAndPdfAreWrittenAtTheirSizeAndOtherNamesAreRefused) {
  NeedApplication();
  test::TempDir dir;
  test::WriteBytes(dir.File("S.DAT"), DataFileBuilder{}.Repeat(30, 30, 90).Bytes());
  for (PictureKind kind : {PictureKind::Trace, PictureKind::Heatmap, PictureKind::Timeline}) {
    Picture picture;
    ASSERT_EQ(LoadPicture(Request(kind, dir.File("S.DAT"), kWholeRecording), picture), SampleRangeStatus::Done);
    const QSize size = SizeForWidth(picture, 640);
    const std::string name = dir.File(std::string(PictureKindName(kind)));
    ASSERT_EQ(SavePicture(picture, name + ".PNG", size), SaveStatus::Saved);
    EXPECT_EQ(QImage(QString::fromStdString(name + ".PNG")).size(), size);
    ASSERT_EQ(SavePicture(picture, name + ".svg", size), SaveStatus::Saved);
    QSvgRenderer svg(QString::fromStdString(name + ".svg"));
    EXPECT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBoxF(), QRectF(QPointF(0, 0), QSizeF(size)));
    ASSERT_EQ(SavePicture(picture, name + ".pdf", size), SaveStatus::Saved);
    const std::string pdf = test::ReadBytes(name + ".pdf");
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
    EXPECT_EQ(test::PdfPageSize(pdf), QSizeF(size)) << PictureKindName(kind);
  }
  Picture picture;
  ASSERT_EQ(LoadPicture(Request(PictureKind::Trace, dir.File("S.DAT")), picture), SampleRangeStatus::Done);
  EXPECT_EQ(SavePicture(picture, dir.File("x.bmp"), QSize(64, 48)), SaveStatus::UnknownFormat);
  EXPECT_EQ(SavePicture(picture, dir.File("png"), QSize(64, 48)), SaveStatus::UnknownFormat);
  EXPECT_EQ(SavePicture(picture, dir.File("none/x.png"), QSize(64, 48)), SaveStatus::WriteFailed);
  EXPECT_EQ(SavePicture(picture, dir.File("none/x.svg"), QSize(64, 48)), SaveStatus::WriteFailed);
  // A failed save leaves an existing picture as it was.
  test::WriteBytes(dir.File("keep.pdf"), "old");
  ASSERT_EQ(::mkdir(dir.File("keep.pdf.part").c_str(), 0700), 0);  // the temporary name is taken
  EXPECT_EQ(SavePicture(picture, dir.File("keep.pdf"), QSize(64, 48)), SaveStatus::WriteFailed);
  EXPECT_EQ(test::ReadBytes(dir.File("keep.pdf")), "old");
}

}  // namespace
}  // namespace tlx::draw
