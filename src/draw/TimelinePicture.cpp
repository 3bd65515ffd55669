#include "draw/TimelinePicture.h"

#include "draw/MapParts.h"
#include "draw/PictureText.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <set>

namespace tlx::draw {

namespace {

constexpr double kPadPoints = 4;
constexpr double kStripPoints = 11;
constexpr double kRightPoints = 10;  // room for the last time on the axis
constexpr double kGapPoints = 5;
const QColor kNoZone{255, 255, 255};

constexpr std::array<QRgb, 12> kZonePalette = {0x0077BB, 0xEE7733, 0x009988, 0xCC3311, 0x33BBEE, 0xEE3377,
                                               0x332288, 0xBBBB99, 0x117733, 0xAA4499, 0x999933, 0x882255};

QString ZoneName(int zone) {
  if (zone < 0) return QStringLiteral("No zone");
  if (zone == 0) return QStringLiteral("Blank");
  return QString(QChar::fromLatin1(ZoneLetter(zone)));
}

// A legend entry: its swatch (one or two colours) and its text.
struct LegendItem {
  QBrush top, bottom;
  QString text;
};

std::vector<LegendItem> LegendItems(const std::vector<int>& zones) {
  std::vector<LegendItem> items = {
      {ClassColour(SecondClass::Ambulatory), ClassColour(SecondClass::Ambulatory), QStringLiteral("Ambulatory")},
      {ClassColour(SecondClass::Stereotypic), ClassColour(SecondClass::Stereotypic), QStringLiteral("Stereotypic")},
      {ClassColour(SecondClass::Ambulatory), ClassColour(SecondClass::Stereotypic), QStringLiteral("Both")},
      {ClassColour(SecondClass::Resting), ClassColour(SecondClass::Resting), QStringLiteral("Resting")},
      {ClassColour(SecondClass::Lost), ClassColour(SecondClass::Lost), QStringLiteral("Lost")},
  };
  for (std::size_t i = 0; i < zones.size(); ++i) items.push_back({ZoneBrush(i), ZoneBrush(i), ZoneName(zones[i])});
  items.push_back({kNoZone, kNoZone, ZoneName(-1)});
  return items;
}

// Lays the legend's entries out in lines across `width`; hands each entry's left edge and line
// to `place` and returns the number of lines.
template <typename Place>
int FlowLegend(const std::vector<LegendItem>& items, double width, double u, Place place) {
  const QFontMetricsF metrics(PictureFont(kLabelPoints, u));
  const double swatch = 7 * u;
  double x = 0;
  int line = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const double w = swatch + 3 * u + metrics.horizontalAdvance(items[i].text) + 8 * u;
    if (x > 0 && x + w > width) {
      x = 0;
      ++line;
    }
    place(i, x, line);
    x += w;
  }
  return line + 1;
}

// The strip labels' column; the session's title stands above its strips.
double LabelWidth(double u) {
  return QFontMetricsF(PictureFont(kLabelPoints, u)).horizontalAdvance(QStringLiteral("Activity")) + 6 * u;
}

// Runs of equal fill drawn as one rectangle each, so long sessions stay small in SVG and PDF.
template <typename BrushOf>
void DrawRuns(QPainter& painter, const QRectF& strip, const std::vector<TimelineSecond>& seconds, double secondWidth,
              BrushOf brushOf, bool letters, const std::vector<int>& zones, double u) {
  const QFontMetricsF metrics(painter.font());
  std::size_t i = 0;
  while (i < seconds.size()) {
    const QBrush brush = brushOf(seconds[i]);
    std::size_t j = i + 1;
    while (j < seconds.size() && brushOf(seconds[j]) == brush) ++j;
    const QRectF run(strip.left() + double(i) * secondWidth, strip.top(), double(j - i) * secondWidth, strip.height());
    if (brush.style() != Qt::SolidPattern) painter.fillRect(run, Qt::white);
    painter.fillRect(run, brush);
    const int zone = seconds[i].Zone;
    if (letters && zone > 0 && run.width() > metrics.horizontalAdvance(QLatin1Char('W')) * 1.4 &&
        strip.height() > metrics.ascent() * 0.9) {
      const auto at = std::find(zones.begin(), zones.end(), zone) - zones.begin();
      painter.setPen(TextColourOn(ZonePaletteColour(std::size_t(at))));
      painter.drawText(run, Qt::AlignCenter, ZoneName(zone));
    }
    i = j;
  }
  painter.setPen(QPen(Qt::black, 0.5 * u));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(strip.left(), strip.top(), double(seconds.size()) * secondWidth, strip.height()));
}

}  // namespace

QColor ClassColour(SecondClass c) {
  // Dark, yellow, grey and white: told apart by lightness alone, so in grey print and by readers
  // with any kind of colour blindness, and unlike any zone colour.
  switch (c) {
    case SecondClass::Ambulatory: return {34, 34, 34};
    case SecondClass::Stereotypic: return {240, 228, 66};
    case SecondClass::Resting: return {200, 200, 200};
    case SecondClass::Lost: return {255, 255, 255};
  }
  return Qt::black;
}

QColor ZonePaletteColour(std::size_t index) { return QColor::fromRgb(kZonePalette[index % kZonePalette.size()]); }

QBrush ZoneBrush(std::size_t index) {
  static constexpr std::array<Qt::BrushStyle, 4> patterns = {Qt::SolidPattern, Qt::BDiagPattern, Qt::FDiagPattern,
                                                             Qt::DiagCrossPattern};
  return QBrush(ZonePaletteColour(index), patterns[(index / kZonePalette.size()) % patterns.size()]);
}

std::vector<int> TimelineZones(const std::vector<SessionTimeline>& timelines, const ZoneMap& map) {
  std::set<int> zones;
  for (unsigned char code : ZonesOf(map)) zones.insert(int(code) - 32);
  for (const SessionTimeline& t : timelines)
    for (const TimelineSecond& s : t.Seconds)
      if (s.Zone >= 0) zones.insert(s.Zone);
  return {zones.begin(), zones.end()};
}

TimelineLayout TimelineLayout::In(const QRectF& box, std::size_t sessions, const std::vector<int>& zones,
                                  std::int64_t spanSeconds, double u) {
  TimelineLayout l;
  const std::size_t rows = std::max<std::size_t>(sessions, 1);
  const double label = QFontMetricsF(PictureFont(kLabelPoints, u)).height();
  const double tick = QFontMetricsF(PictureFont(kTickPoints, u)).height();
  l.labelWidth = LabelWidth(u);
  l.titleHeight = label;
  l.spanSeconds = std::max<std::int64_t>(spanSeconds, 1);
  const double pad = kPadPoints * u, gap = kGapPoints * u;
  const double width = box.width() - 2 * pad - l.labelWidth - kRightPoints * u;
  const int legendLines = FlowLegend(LegendItems(zones), width, u, [](std::size_t, double, int) {});
  const double axisHeight = 3 * u + tick + label;
  const double legendHeight = legendLines * (label + 2 * u) + 4 * u;
  const double fixed = 2 * pad + double(rows) * (label + gap) + axisHeight + legendHeight;
  l.stripHeight = std::clamp((box.height() - fixed) / (2.0 * double(rows)), 2 * u, 30 * u);
  l.rowHeight = label + 2 * l.stripHeight + gap;
  l.strips = QRectF(box.left() + pad + l.labelWidth, box.top() + pad, width, l.rowHeight * double(rows));
  l.axis = QRectF(l.strips.left(), l.strips.bottom() - gap, width, axisHeight);
  l.legend = QRectF(l.strips.left(), l.axis.bottom() + 4 * u, width, legendHeight);
  return l;
}

QRectF TimelineLayout::ClassStrip(std::size_t row) const {
  return QRectF(strips.left(), strips.top() + double(row) * rowHeight + titleHeight, strips.width(), stripHeight);
}

QRectF TimelineLayout::ZoneStrip(std::size_t row) const { return ClassStrip(row).translated(0, stripHeight); }

double TimelineHeight(double width, std::size_t sessions, const std::vector<int>& zones) {
  // Laid out in no height, the strips take their least height; they are wanted kStripPoints high.
  const TimelineLayout l = TimelineLayout::In(QRectF(0, 0, width, 0), sessions, zones, 1, 1.0);
  const std::size_t rows = std::max<std::size_t>(sessions, 1);
  return l.legend.bottom() + kPadPoints + double(rows) * 2 * (kStripPoints - l.stripHeight);
}

void DrawTimeline(QPainter& painter, const QRectF& box, const std::vector<SessionTimeline>& timelines,
                  std::int64_t sessionLength, const ZoneMap& map, double u) {
  painter.save();
  painter.fillRect(box, Qt::white);
  std::int64_t span = sessionLength;
  for (const SessionTimeline& t : timelines) span = std::max<std::int64_t>(span, std::int64_t(t.Seconds.size()));
  const std::vector<int> zones = TimelineZones(timelines, map);
  const TimelineLayout l = TimelineLayout::In(box, timelines.size(), zones, span, u);
  const double secondWidth = l.strips.width() / double(l.spanSeconds);
  const QFont label = PictureFont(kLabelPoints, u), small = PictureFont(kTickPoints, u);
  auto zoneBrush = [&zones](const TimelineSecond& s) {
    if (s.Zone < 0) return QBrush(kNoZone);
    return ZoneBrush(std::size_t(std::find(zones.begin(), zones.end(), int(s.Zone)) - zones.begin()));
  };
  for (std::size_t row = 0; row < timelines.size(); ++row) {
    const SessionTimeline& t = timelines[row];
    const QRectF classStrip = l.ClassStrip(row), zoneStrip = l.ZoneStrip(row);
    painter.setFont(label);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(l.strips.left(), classStrip.top() - l.titleHeight, l.strips.width(), l.titleHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Session %1").arg(t.Number));
    const double labelLeft = l.strips.left() - l.labelWidth;
    painter.drawText(QRectF(labelLeft, classStrip.top(), l.labelWidth - 4 * u, classStrip.height()),
                     Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip, QStringLiteral("Activity"));
    painter.drawText(QRectF(labelLeft, zoneStrip.top(), l.labelWidth - 4 * u, zoneStrip.height()),
                     Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip, QStringLiteral("Zone"));
    // The class strip in two halves: a second both ambulatory and stereotypic shows each.
    const QRectF upper(classStrip.left(), classStrip.top(), classStrip.width(), classStrip.height() / 2);
    const QRectF lower = upper.translated(0, classStrip.height() / 2);
    DrawRuns(painter, upper, t.Seconds, secondWidth, [](const TimelineSecond& s) { return QBrush(ClassColour(s.Class())); },
             false, zones, 0);
    DrawRuns(painter, lower, t.Seconds, secondWidth,
             [](const TimelineSecond& s) {
               return QBrush(ClassColour(s.Stereotypic ? SecondClass::Stereotypic : s.Class()));
             },
             false, zones, 0);
    painter.setPen(QPen(Qt::black, 0.5 * u));
    painter.drawRect(QRectF(classStrip.left(), classStrip.top(), double(t.Seconds.size()) * secondWidth, classStrip.height()));
    painter.setFont(small);
    DrawRuns(painter, zoneStrip, t.Seconds, secondWidth, zoneBrush, true, zones, u);
  }
  // The time axis under the last session.
  const TimeUnit unit = TimeUnitFor(double(l.spanSeconds));
  const double top = double(l.spanSeconds) / unit.Seconds;
  const int most = std::max(2, int(l.strips.width() / (45 * u)));
  const double step = NiceStep(top, most);
  const double tick = QFontMetricsF(small).height();
  const double y = l.axis.top();
  painter.setPen(QPen(Qt::black, 0.5 * u));
  painter.setFont(small);
  painter.drawLine(QPointF(l.strips.left(), y), QPointF(l.strips.right(), y));
  for (double t : NiceTicks(top, most)) {
    const double x = l.strips.left() + l.strips.width() * t / top;
    painter.drawLine(QPointF(x, y), QPointF(x, y + 2.5 * u));
    painter.drawText(QRectF(x - 30 * u, y + 3 * u, 60 * u, tick), Qt::AlignHCenter | Qt::AlignTop, TickText(t, step));
  }
  painter.setFont(label);
  painter.drawText(QRectF(l.strips.left(), y + 3 * u + tick, l.strips.width(), l.axis.bottom() - y - 3 * u - tick),
                   Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Time (%1)").arg(unit.Name));
  // The legend.
  const std::vector<LegendItem> items = LegendItems(zones);
  const double line = QFontMetricsF(label).height() + 2 * u, swatch = 7 * u;
  FlowLegend(items, l.legend.width(), u, [&](std::size_t i, double x, int row) {
    const QRectF box(l.legend.left() + x, l.legend.top() + row * line + (line - swatch) / 2, swatch, swatch);
    painter.fillRect(box, Qt::white);
    painter.fillRect(QRectF(box.left(), box.top(), swatch, swatch / 2), items[i].top);
    painter.fillRect(QRectF(box.left(), box.top() + swatch / 2, swatch, swatch / 2), items[i].bottom);
    painter.setPen(QPen(Qt::black, 0.5 * u));
    painter.drawRect(box);
    painter.drawText(QRectF(box.right() + 3 * u, l.legend.top() + row * line, 200 * u, line),
                     Qt::AlignLeft | Qt::AlignVCenter, items[i].text);
  });
  painter.restore();
}

}  // namespace tlx::draw
