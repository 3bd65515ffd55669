#include "draw/TimelinePicture.h"

#include "draw/PictureText.h"
#include "draw/QtColour.h"
#include "zonemap/ZoneMap.h"

#include <QPainter>

#include <algorithm>
#include <set>

namespace tlx::draw {

namespace {

constexpr double kRowShare = 0.045;     // a session row's height per unit of width
constexpr double kLegendShare = 0.075;  // the legend's height per unit of width
const QColor kUnknownZone{150, 150, 150};

// Runs of equal colour drawn as one rectangle each, so long sessions stay small in SVG and PDF.
template <typename ColourOf>
void DrawStrip(QPainter& painter, const QRectF& strip, const std::vector<TimelineSecond>& seconds,
               double secondWidth, ColourOf colourOf) {
  std::size_t i = 0;
  while (i < seconds.size()) {
    const QColor colour = colourOf(seconds[i]);
    std::size_t j = i + 1;
    while (j < seconds.size() && colourOf(seconds[j]) == colour) ++j;
    painter.fillRect(QRectF(strip.left() + double(i) * secondWidth, strip.top(), double(j - i) * secondWidth, strip.height()),
                     colour);
    i = j;
  }
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(strip.left(), strip.top(), double(seconds.size()) * secondWidth, strip.height()));
}

void DrawSwatch(QPainter& painter, QPointF& at, double size, const QColor& colour, const QString& text) {
  painter.fillRect(QRectF(at.x(), at.y(), size, size), colour);
  painter.setPen(QPen(Qt::black, 1));
  painter.drawRect(QRectF(at.x(), at.y(), size, size));
  const double width = painter.fontMetrics().horizontalAdvance(text) + size * 0.6;
  painter.drawText(QRectF(at.x() + size * 1.3, at.y() - size, width, 3 * size), Qt::AlignLeft | Qt::AlignVCenter, text);
  at.rx() += size * 1.3 + width + size;
}

void DrawLegend(QPainter& painter, const TimelineLayout& layout, const std::vector<SessionTimeline>& timelines,
                const ColourTable& colours) {
  const double size = layout.legend.height() * 0.22;
  painter.setFont(PictureFont(size * 1.1));
  QPointF at(layout.legend.left(), layout.legend.top() + size * 0.8);
  for (const auto& [c, name] : {std::pair{SecondClass::Ambulatory, "Ambulatory"}, std::pair{SecondClass::Stereotypic, "Stereotypic"},
                                std::pair{SecondClass::Resting, "Resting"}, std::pair{SecondClass::Lost, "Lost"}}) {
    DrawSwatch(painter, at, size, ClassColour(c), QString::fromLatin1(name));
  }
  std::set<int> zones;
  for (const SessionTimeline& t : timelines)
    for (const TimelineSecond& s : t.Seconds) zones.insert(s.Zone);
  at = QPointF(layout.legend.left(), layout.legend.top() + size * 2.6);
  for (int zone : zones) {
    const QString name = zone < 0 ? QStringLiteral("No zone") : QStringLiteral("Zone ") + QChar::fromLatin1(ZoneLetter(zone));
    DrawSwatch(painter, at, size, ZoneStripColour(zone, colours), name);
  }
}

}  // namespace

QColor ClassColour(SecondClass c) {
  switch (c) {
    case SecondClass::Ambulatory: return {170, 40, 170};
    case SecondClass::Stereotypic: return {240, 170, 0};
    case SecondClass::Resting: return {40, 110, 200};
    case SecondClass::Lost: return {190, 190, 190};
  }
  return Qt::black;
}

QColor ZoneStripColour(int zone, const ColourTable& colours) {
  if (zone < 0) return kUnknownZone;
  return gui::ToQColor(colours.Of(static_cast<unsigned char>(zone + 32)));
}

double TimelineHeight(double width, std::size_t sessions) {
  return width * (kRowShare * double(std::max<std::size_t>(sessions, 1)) + kLegendShare + 0.03);
}

TimelineLayout TimelineLayout::In(const QRectF& box, std::size_t sessions, std::int64_t spanSeconds) {
  TimelineLayout l;
  const std::size_t rows = std::max<std::size_t>(sessions, 1);
  const double scale = box.height() / TimelineHeight(box.width(), rows);  // shrinks rows in a short box
  l.labelWidth = box.width() * 0.12;
  l.rowHeight = box.width() * kRowShare * scale;
  l.stripHeight = l.rowHeight * 0.36;
  l.spanSeconds = std::max<std::int64_t>(spanSeconds, 1);
  l.strips = QRectF(box.left() + l.labelWidth, box.top() + box.width() * 0.03 * scale,
                    box.width() - l.labelWidth - box.width() * 0.02, l.rowHeight * double(rows));
  l.legend = QRectF(box.left() + l.labelWidth, l.strips.bottom(), l.strips.width(), box.width() * kLegendShare * scale);
  return l;
}

QRectF TimelineLayout::ClassStrip(std::size_t row) const {
  return QRectF(strips.left(), strips.top() + double(row) * rowHeight, strips.width(), stripHeight);
}

QRectF TimelineLayout::ZoneStrip(std::size_t row) const {
  return ClassStrip(row).translated(0, stripHeight);
}

void DrawTimeline(QPainter& painter, const QRectF& box, const std::vector<SessionTimeline>& timelines,
                  std::int64_t sessionLength, const ColourTable& colours) {
  painter.save();
  painter.fillRect(box, Qt::white);
  std::int64_t span = sessionLength;
  for (const SessionTimeline& t : timelines) span = std::max<std::int64_t>(span, std::int64_t(t.Seconds.size()));
  const TimelineLayout l = TimelineLayout::In(box, timelines.size(), span);
  const double secondWidth = l.strips.width() / double(l.spanSeconds);
  const double fontSize = l.stripHeight * 0.8;
  painter.setFont(PictureFont(fontSize));
  // Time scale above the first row.
  painter.setPen(QPen(Qt::black, 1));
  for (int k = 0; k <= 4; ++k) {
    const double x = l.strips.left() + l.strips.width() * k / 4;
    painter.drawText(QRectF(x - 4 * fontSize, l.strips.top() - 1.6 * fontSize, 8 * fontSize, 1.4 * fontSize),
                     Qt::AlignCenter, SecondsText(double(l.spanSeconds) * k / 4));
  }
  for (std::size_t row = 0; row < timelines.size(); ++row) {
    const SessionTimeline& t = timelines[row];
    painter.setPen(QPen(Qt::black, 1));
    painter.drawText(QRectF(box.left(), l.ClassStrip(row).top(), l.labelWidth * 0.95, 2 * l.stripHeight),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Session %1").arg(t.Number));
    DrawStrip(painter, l.ClassStrip(row), t.Seconds, secondWidth,
              [](const TimelineSecond& s) { return ClassColour(s.Class()); });
    DrawStrip(painter, l.ZoneStrip(row), t.Seconds, secondWidth,
              [&colours](const TimelineSecond& s) { return ZoneStripColour(s.Zone, colours); });
  }
  DrawLegend(painter, l, timelines, colours);
  painter.restore();
}

}  // namespace tlx::draw
