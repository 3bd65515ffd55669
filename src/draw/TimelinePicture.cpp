#include "draw/TimelinePicture.h"

#include "draw/MapParts.h"
#include "draw/PictureText.h"
#include "draw/QtColour.h"

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
const QColor kLostHatch{110, 110, 110};

QString ZoneName(int zone) {
  if (zone < 0) return QStringLiteral("No zone");
  if (zone == 0) return QStringLiteral("Blank");
  return QString(QChar::fromLatin1(ZoneLetter(zone)));
}

// A legend entry: its swatch (one or two fills) and its text; a heading has no swatch and
// starts a line of its own group.
struct LegendItem {
  QBrush top, bottom;
  QString text;
  bool heading = false;
};

std::vector<LegendItem> LegendItems(const std::vector<int>& zones, const ColourTable& colours) {
  const QBrush amb = ClassBrush(SecondClass::Ambulatory), ster = ClassBrush(SecondClass::Stereotypic);
  std::vector<LegendItem> items = {
      {{}, {}, QStringLiteral("Activity:"), true},
      {amb, amb, QStringLiteral("Ambulatory")},
      {ster, ster, QStringLiteral("Stereotypic")},
      {amb, ster, QStringLiteral("Both")},
      {ClassBrush(SecondClass::Resting), ClassBrush(SecondClass::Resting), QStringLiteral("Resting")},
      {ClassBrush(SecondClass::Lost), ClassBrush(SecondClass::Lost), QStringLiteral("Lost")},
      {{}, {}, QStringLiteral("Zones:"), true},
  };
  const std::vector<QBrush> brushes = ZoneBrushes(zones, colours);
  for (std::size_t i = 0; i < zones.size(); ++i) items.push_back({brushes[i], brushes[i], ZoneName(zones[i])});
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
    const double w = (items[i].heading ? 0 : swatch + 3 * u) + metrics.horizontalAdvance(items[i].text) + 8 * u;
    if (x > 0 && (items[i].heading || x + w > width)) {
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
              BrushOf brushOf, bool letters, double u) {
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
      painter.setPen(TextColourOn(brush.color()));
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
  // Dark, yellow, grey and white (hatched, for lost): told apart by lightness alone, so in grey
  // print and by readers with any kind of colour blindness, and unlike any zone colour.
  switch (c) {
    case SecondClass::Ambulatory: return {34, 34, 34};
    case SecondClass::Stereotypic: return {240, 228, 66};
    case SecondClass::Resting: return {200, 200, 200};
    case SecondClass::Lost: return {255, 255, 255};
  }
  return Qt::black;
}

QBrush ClassBrush(SecondClass c) {
  if (c == SecondClass::Lost) return QBrush(kLostHatch, Qt::BDiagPattern);
  return QBrush(ClassColour(c));
}

std::vector<QBrush> ZoneBrushes(const std::vector<int>& zones, const ColourTable& colours) {
  static constexpr std::array<Qt::BrushStyle, 4> patterns = {Qt::SolidPattern, Qt::FDiagPattern, Qt::DiagCrossPattern,
                                                             Qt::Dense4Pattern};
  std::vector<QBrush> brushes;
  for (int zone : zones) {
    const QColor colour = gui::ToQColor(colours.Of(static_cast<unsigned char>(zone + 32)));
    const auto earlier = std::size_t(std::count_if(brushes.begin(), brushes.end(),
                                                   [&colour](const QBrush& b) { return b.color() == colour; }));
    brushes.emplace_back(colour, patterns[earlier % patterns.size()]);
  }
  return brushes;
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
  const int legendLines = FlowLegend(LegendItems(zones, ColourTable{}), width, u, [](std::size_t, double, int) {});
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
                  std::int64_t sessionLength, const ZoneMap& map, const ColourTable& colours, double u) {
  painter.save();
  painter.fillRect(box, Qt::white);
  std::int64_t span = sessionLength;
  for (const SessionTimeline& t : timelines) span = std::max<std::int64_t>(span, std::int64_t(t.Seconds.size()));
  const std::vector<int> zones = TimelineZones(timelines, map);
  const TimelineLayout l = TimelineLayout::In(box, timelines.size(), zones, span, u);
  const double secondWidth = l.strips.width() / double(l.spanSeconds);
  const QFont label = PictureFont(kLabelPoints, u), small = PictureFont(kTickPoints, u);
  const std::vector<QBrush> brushes = ZoneBrushes(zones, colours);
  auto zoneBrush = [&](const TimelineSecond& s) {
    if (s.Zone < 0) return QBrush(kNoZone);
    return brushes[std::size_t(std::find(zones.begin(), zones.end(), int(s.Zone)) - zones.begin())];
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
    DrawRuns(painter, upper, t.Seconds, secondWidth, [](const TimelineSecond& s) { return ClassBrush(s.Class()); },
             false, 0);
    DrawRuns(painter, lower, t.Seconds, secondWidth,
             [](const TimelineSecond& s) {
               return ClassBrush(s.Stereotypic ? SecondClass::Stereotypic : s.Class());
             },
             false, 0);
    painter.setPen(QPen(Qt::black, 0.5 * u));
    painter.drawRect(QRectF(classStrip.left(), classStrip.top(), double(t.Seconds.size()) * secondWidth, classStrip.height()));
    painter.setFont(small);
    DrawRuns(painter, zoneStrip, t.Seconds, secondWidth, zoneBrush, true, u);
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
  const std::vector<LegendItem> items = LegendItems(zones, colours);
  const double line = QFontMetricsF(label).height() + 2 * u, swatch = 7 * u;
  FlowLegend(items, l.legend.width(), u, [&](std::size_t i, double x, int row) {
    const double top = l.legend.top() + row * line;
    painter.setPen(Qt::black);
    if (items[i].heading) {
      painter.drawText(QRectF(l.legend.left() + x, top, 200 * u, line), Qt::AlignLeft | Qt::AlignVCenter, items[i].text);
      return;
    }
    const QRectF box(l.legend.left() + x, top + (line - swatch) / 2, swatch, swatch);
    painter.fillRect(box, Qt::white);
    painter.fillRect(QRectF(box.left(), box.top(), swatch, swatch / 2), items[i].top);
    painter.fillRect(QRectF(box.left(), box.top() + swatch / 2, swatch, swatch / 2), items[i].bottom);
    painter.setPen(QPen(Qt::black, 0.5 * u));
    painter.drawRect(box);
    painter.drawText(QRectF(box.right() + 3 * u, top, 200 * u, line), Qt::AlignLeft | Qt::AlignVCenter, items[i].text);
  });
  painter.restore();
}

}  // namespace tlx::draw
