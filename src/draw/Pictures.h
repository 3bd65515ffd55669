// One picture of a recording — the trace of a session, the occupancy heatmap or the activity
// timeline — read from the data file once and then drawn at any size onto any painter, or saved
// as PNG, SVG or PDF. The data panel, the printed report and the command line all draw through here.
#pragma once

#include "common/PositionSample.h"
#include "data/ActivityTimeline.h"
#include "data/Analysis.h"
#include "data/Occupancy.h"
#include "setup/Colours.h"
#include "zonemap/ZoneMap.h"

#include <QRectF>
#include <QSize>

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

// What to draw from which file. Params carries the session length, rate and thresholds the
// sessions are split and classified with.
struct PictureRequest {
  PictureKind Kind = PictureKind::Trace;
  std::string DataPath;
  std::int64_t Session = 1;  // from 1, or kWholeRecording
  int CellSize = 8;          // heatmap cells, picture positions per side
  AnalysisParameters Params;
  ZoneMap Map = ZoneMap::FourQuadrants();
  ColourTable Colours = DefaultColourTable();
};

// The figures of one picture.
struct Picture {
  PictureRequest Request;
  std::vector<PositionSample> TracePoints;
  OccupancyGrid Occupancy;
  std::vector<SessionTimeline> Timelines;
};

SampleRangeStatus LoadPicture(const PictureRequest& request, Picture& out);

// The size a picture is drawn at by default (and its shape when drawn at another width).
QSize NaturalSize(const Picture& picture);
QSize SizeForWidth(const Picture& picture, int width);

void DrawPicture(QPainter& painter, const QRectF& box, const Picture& picture);

enum class SaveStatus { Saved, UnknownFormat, WriteFailed };
// The format follows the extension: ".png", ".svg" or ".pdf" (any case).
bool IsPictureFileName(const std::string& path);
SaveStatus SavePicture(const Picture& picture, const std::string& path, QSize size);

}  // namespace tlx::draw
