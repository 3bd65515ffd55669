// The picture of one session: the zone map in its colours with the zones' letters, the trace over
// it coloured by time (a 256-step ramp from the session's first sample to its last). The bench look (the data panel's) gives the
// line a dark edge so that every part shows on any zone colour; the print look is a thin line
// over pale zones.
#pragma once

#include "data/Reanalysis.h"
#include "draw/PictureText.h"
#include "draw/Pictures.h"
#include "setup/Colours.h"
#include "zonemap/ZoneMap.h"

#include <QColor>
#include <QImage>
#include <QSize>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class QPainter;

namespace tlx::draw {

inline const QColor kTraceStartColour{255, 255, 255};
inline const QColor kTraceEndColour{40, 40, 255};
inline const QColor kPrintTraceStartColour{150, 185, 255};
inline const QColor kPrintTraceEndColour{10, 20, 130};
inline const QColor kTraceOutlineColour{0, 0, 0};
inline constexpr int kTraceSteps = 256;
inline constexpr double kPaleWhite = 0.4;  // the share of white in a pale (print) zone colour

// How a trace is drawn, in the painter's units.
struct TraceLook {
  QColor Start = kTraceStartColour, End = kTraceEndColour;
  double LineWidth = 2;  // the edge, when there is one, is twice as wide
  bool Edge = true;
  double Unit = 1;       // drawing units per position of the 256-wide picture
  static TraceLook For(PictureStyle style, double unit, double unitsPerPoint);
};

// The colour of the ramp at a share (0..1) of the session's time.
QColor TraceColourAt(const TraceLook& look, double share);

// A zone's colour; pale (for print) is mixed with white, so that a thin line shows on every zone.
QColor ZoneFill(unsigned char code, const ColourTable& colours, bool pale);

// Cells in their zone colours (blank and non-zone cells black), filling the painter's rectangle;
// `pale` mixes the colours with white and leaves the blank cells white.
void DrawZoneMapPicture(QPainter& painter, const QRectF& box, const ZoneMap& map, const ColourTable& colours,
                        bool pale = false);
// Each zone's letter, `points` tall, at the cell nearest its centre, in black or white by the cell's
// colour.
void DrawZoneLetters(QPainter& painter, const QRectF& box, const ZoneMap& map, const ColourTable& colours,
                     bool pale, double unitsPerPoint, double points = kLabelPoints);

// True when the painter draws into a bitmap (an image, a pixmap or a window), whose pixels it can
// be given straight.
bool DrawsPixels(const QPainter& painter);

// The trace (unit coordinates, 256 x 192 picture) scaled into the box. A segment drawn again in the same colour step
// changes nothing, so repeats within a step are drawn once: a long session that wanders over the
// same ground draws quickly.
void DrawTrace(QPainter& painter, const QRectF& box, const TracePath& path, const TraceLook& look,
               TraceDrawing how = TraceDrawing::Fastest);

// The same trace in the bench look written straight into the image's pixels (format RGB32), for
// the long sessions of the data panel.
void RasterTrace(QImage& image, const TracePath& path);

// An image of `size` logical pixels (at least one) holding `pixelRatio` device pixels to each, for
// a picture drawn at the screen's own density: sharp on a high-density screen.
QImage ScreenImage(QSize size, double pixelRatio, QImage::Format format);

struct SessionPictureResult {
  QImage image;
  std::shared_ptr<const TracePath> path;
  bool read = false;           // the session's samples could be read
  double milliseconds = 0;     // time taken
  double cpuMilliseconds = 0;  // processor time the drawing thread used
};

// Reads the request's session (unless `path` already holds its trace) and draws it in the bench
// look at `size` (logical pixels; the image has `pixelRatio` times as many device pixels each way,
// for a high-density screen). Returns early, with an empty image, once `cancel` is set.
SessionPictureResult DrawSessionPicture(const PictureRequest& request, QSize size,
                                        std::shared_ptr<const TracePath> path = nullptr,
                                        const std::atomic<bool>* cancel = nullptr, double pixelRatio = 1.0);

}  // namespace tlx::draw
