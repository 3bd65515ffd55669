// Measuring a distance on the unit's picture: the help texts of the measuring screen, the mouse
// mapped onto the unit's cross-hair cursor, the two points and their distance, and the value
// stored into the experiment record when the user accepts. The black screen itself is a window of
// the desktop program that drives this.
#pragma once

#include "device/CommandSet.h"
#include "setup/ExperimentParameters.h"

#include <string>

namespace tlx {

// 1 Maximum Distance, 2 Ambulatory Threshold, 3 Stereotypic Threshold, 4 Calibrate Scale.
enum MeasuringMode { kMeasureMaxDist = 1, kMeasureAmbul, kMeasureStereo, kMeasureCalScale };

struct VideoPoint {
  int x = 0;
  int y = 0;
  bool operator==(const VideoPoint&) const = default;
};

// The instructions for a mode, lines ended by CR LF; empty text for any other mode.
std::string MeasuringHelpText(int mode);
// The mouse position as fractions of the screen (0..1) on the unit's 256 by 192 picture.
VideoPoint CursorFromFraction(double fractionX, double fractionY);
float MeasuredDistance(VideoPoint a, VideoPoint b);
// "Distance = 50.00 pixels", followed by "  (3.00 Inches)" when the calibration is valid.
std::string DistanceText(float distance, const UnitsPerPixelValue& unitsPerPixel, int unitCode);

class DistanceMeasuring {
 public:
  DistanceMeasuring(CommandSet& commands, ExperimentParameters& parameters)
      : commands_(commands), parameters_(parameters) {}

  // Makes sure the unit responds; false when it does not (nothing to measure with).
  bool Prepare(int comPort);
  // Begins measuring in a mode; false (nothing begun) when the unit is not awake.
  bool Begin(int mode);
  // One cursor update from the mouse.
  void TrackCursorStep(VideoPoint cursor);
  void SelectCurrentPoint();
  // ENTER or the right button: stores the distance when a second point was chosen. True when a
  // field changed. Measuring ends either way.
  bool Accept();
  // ESC: measuring ends without a change.
  void Escape() { active_ = false; }
  // Clears the overlay after the screen has gone.
  void Finish();

  bool Active() const { return active_; }
  int Mode() const { return mode_; }
  int Step() const { return step_; }
  bool FirstSelected() const { return firstSelected_; }
  float Distance() const { return distance_; }
  VideoPoint Cursor() const { return cursor_; }
  // The field the mode measures.
  float StoredValue() const;

 private:
  CommandSet& commands_;
  ExperimentParameters& parameters_;
  int mode_ = 0;
  bool active_ = false;
  int step_ = 1;
  bool firstSelected_ = false;
  bool secondSelected_ = false;
  VideoPoint cursor_, previous_, first_, second_;
  float distance_ = 0;
};

}  // namespace tlx
