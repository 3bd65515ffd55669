// The picture of one session: the zone map in its colours, the trace over it in a 256-step colour
// ramp (white at the session's start to blue at its end) with a dark outline, so that every part
// shows on any zone colour, and nine circles round the last position, drawn once per session
// change into an image.
#pragma once

#include "data/DataFile.h"
#include "setup/Colours.h"
#include "zonemap/ZoneMap.h"

#include <QColor>
#include <QImage>
#include <QSize>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QPainter;

namespace tlx::gui {

inline const QColor kTraceStartColour{255, 255, 255};
inline const QColor kTraceEndColour{40, 40, 255};
inline const QColor kTraceOutlineColour{0, 0, 0};
inline constexpr int kTraceSteps = 256;
inline constexpr int kMarkCircles = 9;

// Cells in their zone colours (blank and non-zone cells black), filling the painter's rectangle.
void DrawZoneMapPicture(QPainter& painter, const QRectF& box, const ZoneMap& map, const ColourTable& colours);

// The trace of the points (unit coordinates, 256 x 192 picture) scaled into the box, with lines
// of width 2 (times `unit`) over an outline of width 4, and circles of radii 5, 10, ... 45 (times
// `unit`) round the last point.
// A segment drawn again in the same colour step changes nothing, so repeats within a step are
// drawn once: a long session that wanders over the same ground draws quickly.
void DrawTrace(QPainter& painter, const QRectF& box, const std::vector<PositionSample>& points,
               double unit = 1.0, QColor start = kTraceStartColour, QColor end = kTraceEndColour);

// The same trace written straight into the image's pixels (format RGB32), for the long sessions
// of the data panel.
void RasterTrace(QImage& image, const std::vector<PositionSample>& points, QColor start = kTraceStartColour,
                 QColor end = kTraceEndColour);

// What a drawing of one session needs; copied into the worker that draws it.
struct SessionPictureRequest {
  std::string dataPath;
  std::int64_t session = 0;             // from 1
  std::int64_t samplesPerSession = 0;
  double maxDistance = 0;
  double ambulatoryThreshold = 0;
  ZoneMap map;
  ColourTable colours;
  QSize size;
  // Points of this very session and thresholds from an earlier drawing (skips reading the file).
  std::shared_ptr<const std::vector<PositionSample>> points;
};

struct SessionPictureResult {
  QImage image;
  std::shared_ptr<const std::vector<PositionSample>> points;
  bool read = false;       // the session's samples could be read
  double milliseconds = 0;     // time taken
  double cpuMilliseconds = 0;  // processor time the drawing thread used
};

// Reads the session (unless the request carries its points), finds the trace points and draws the
// picture. Returns early, with an empty image, once `cancel` is set.
SessionPictureResult DrawSessionPicture(const SessionPictureRequest& request, const std::atomic<bool>* cancel = nullptr);

}  // namespace tlx::gui
