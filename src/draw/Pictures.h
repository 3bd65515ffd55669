// One picture of a recording — the trace of a session, the occupancy heatmap or the activity
// timeline — read from the data file once and then drawn at any size onto any painter, or saved
// as PNG, SVG or PDF. The data panel, the printed report and the command line all draw through here.
// Sizes are in points (1/72 inch); text keeps its size in points whatever the picture's size.
#pragma once

#include "common/PositionSample.h"
#include "data/ActivityTimeline.h"
#include "data/Analysis.h"
#include "data/Occupancy.h"
#include "data/Reanalysis.h"
#include "setup/Colours.h"
#include "setup/ZonePalette.h"
#include "zonemap/ZoneMap.h"

#include <QRectF>
#include <QString>
#include <QSizeF>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace tlx::draw {

enum class PictureKind { Trace, Heatmap, Timeline };

// The names used on the command line and in the panel: "trace", "heatmap", "timeline".
const char* PictureKindName(PictureKind kind);
std::optional<PictureKind> PictureKindFromName(const std::string& name);

// Bench: the trace as the data panel shows it (a thick line with a dark edge over the zones in
// their full colours). Print: a thin line without an edge over pale zones, for a journal page.
enum class PictureStyle { Bench, Print };
const char* PictureStyleName(PictureStyle style);  // "bench", "print"
std::optional<PictureStyle> PictureStyleFromName(const std::string& name);

// How a trace's line is drawn. Fastest: on a bitmap its segments are written into the pixels
// directly (square pens, no smoothing of the edges), elsewhere stroked by the painter; Stroked:
// always stroked by the painter (smooth, and slow for long sessions).
enum class TraceDrawing { Fastest, Stroked };

// What to draw from which file. Params carries the session length, rate and thresholds the
// sessions are split and classified with, and the calibration the scale bars are drawn in.
struct PictureRequest {
  PictureKind Kind = PictureKind::Trace;
  PictureStyle Style = PictureStyle::Bench;
  std::string DataPath;
  std::int64_t Session = 1;  // from 1, or kWholeRecording
  int CellSize = 8;          // heatmap cells, picture positions per side
  AnalysisParameters Params;
  ZoneMap Map = ZoneMap::FourQuadrants();
  ColourTable Colours = ZonePaletteTable();  // the desktop passes its own table
  TraceDrawing Drawing = TraceDrawing::Fastest;
};

// The figures of one picture.
struct Picture {
  PictureRequest Request;
  TracePath Trace;
  OccupancyGrid Occupancy;
  std::vector<SessionTimeline> Timelines;
};

SampleRangeStatus LoadPicture(const PictureRequest& request, Picture& out);
// Only the trace's points and times.
SampleRangeStatus LoadTracePath(const PictureRequest& request, TracePath& out);

// The size, in points, a picture is drawn at by default (720 points: 960 pixels on a screen) and
// at another width (the height follows from what the picture holds).
QSizeF NaturalSize(const Picture& picture);
QSizeF SizeForWidth(const Picture& picture, double widthPoints);

// What a picture shows: "RAT1.DAT, session 2", "RAT1.DAT, all sessions".
QString PictureTitle(const PictureRequest& request);
// That title, left-aligned in the row.
void DrawPictureTitle(QPainter& painter, const QRectF& row, const Picture& picture, double unitsPerPoint);

// Draws into the box; text is sized in points by the painter's device resolution.
void DrawPicture(QPainter& painter, const QRectF& box, const Picture& picture);

enum class SaveStatus { Saved, UnknownFormat, WriteFailed };
// The format follows the extension: ".png", ".svg" or ".pdf" (any case).
bool IsPictureFileName(const std::string& path);
// A PDF page of `points`; an SVG of as many CSS pixels (96 per inch); a PNG at `dpi`.
SaveStatus SavePicture(const Picture& picture, const std::string& path, QSizeF points, double dpi = 96);

}  // namespace tlx::draw
