// The activity timeline: per session a labelled strip of its seconds coloured by their class
// (a second both ambulatory and stereotypic shows both, one in each half) and a strip of the zone
// each second was booked to, a time axis in round steps, and a legend with the classes and the
// zones under headings of their own. Zones take their colours from the colour table, as on the
// map; a zone whose colour an earlier zone already has is hatched. Letters go wherever a run is
// wide enough.
#pragma once

#include "data/ActivityTimeline.h"
#include "setup/Colours.h"
#include "zonemap/ZoneMap.h"

#include <QBrush>
#include <QColor>
#include <QRectF>

#include <vector>

class QPainter;

namespace tlx::draw {

QColor ClassColour(SecondClass c);
// The fill of a class: its colour; lost seconds hatched, unlike the white of "No zone".
QBrush ClassBrush(SecondClass c);
// The fills of a timeline's zones (codes from 0, as TimelineZones gives them): the colour
// table's colour, hatched when an earlier zone of the list has the same colour.
std::vector<QBrush> ZoneBrushes(const std::vector<int>& zones, const ColourTable& colours);

// The zones a timeline names, in code order (codes 0..95 as the analysis books them): those of
// the map and any other the seconds were booked to. -1 (no zone) is not among them.
std::vector<int> TimelineZones(const std::vector<SessionTimeline>& timelines, const ZoneMap& map);

// Where the parts of a timeline go in a box.
struct TimelineLayout {
  double labelWidth = 0;  // the strip labels' column
  QRectF strips;          // the area the seconds span, all sessions
  double rowHeight = 0;   // one session: its title, two strips and a gap
  double titleHeight = 0;
  double stripHeight = 0;
  std::int64_t spanSeconds = 0;  // seconds the width stands for
  QRectF axis;
  QRectF legend;
  static TimelineLayout In(const QRectF& box, std::size_t sessions, const std::vector<int>& zones,
                           std::int64_t spanSeconds, double unitsPerPoint);
  QRectF ClassStrip(std::size_t row) const;
  QRectF ZoneStrip(std::size_t row) const;
};

// The height, in points, a timeline wants at a width in points.
double TimelineHeight(double width, std::size_t sessions, const std::vector<int>& zones);

// sessionLength: the width stands for this many seconds (or the longest session, if longer).
void DrawTimeline(QPainter& painter, const QRectF& box, const std::vector<SessionTimeline>& timelines,
                  std::int64_t sessionLength, const ZoneMap& map, const ColourTable& colours,
                  double unitsPerPoint);

}  // namespace tlx::draw
