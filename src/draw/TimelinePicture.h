// The activity timeline: per session one strip of its seconds coloured by their class (ambulatory,
// stereotypic, resting, lost) and one of the zone they were booked to, with a time scale and a
// legend.
#pragma once

#include "data/ActivityTimeline.h"
#include "setup/Colours.h"

#include <QColor>
#include <QRectF>

#include <vector>

class QPainter;

namespace tlx::draw {

QColor ClassColour(SecondClass c);
// A zone's colour from the colour table; a second without a known zone is grey.
QColor ZoneStripColour(int zone, const ColourTable& colours);

// The rows of a timeline in a box: one per session, then the legend.
struct TimelineLayout {
  double labelWidth = 0;     // "Session n" column
  QRectF strips;             // the area the seconds span, all rows
  double rowHeight = 0;      // one session: class strip, zone strip and a gap
  double stripHeight = 0;
  std::int64_t spanSeconds = 0;  // seconds the width stands for
  QRectF legend;
  static TimelineLayout In(const QRectF& box, std::size_t sessions, std::int64_t spanSeconds);
  QRectF ClassStrip(std::size_t row) const;
  QRectF ZoneStrip(std::size_t row) const;
};

// The height a timeline of `sessions` rows wants at a given width.
double TimelineHeight(double width, std::size_t sessions);

// sessionLength: the width stands for this many seconds (or the longest session, if longer).
void DrawTimeline(QPainter& painter, const QRectF& box, const std::vector<SessionTimeline>& timelines,
                  std::int64_t sessionLength, const ColourTable& colours);

}  // namespace tlx::draw
