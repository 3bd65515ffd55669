#include "device/DistanceMeasuring.h"

#include "common/Numbers.h"
#include "setup/Units.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tlx {
namespace {

const std::vector<std::string> kShared = {
    "cross hairs to one end of the object and select that point.  Then, move the",
    "cross hairs to the other end of the object and select that point.  A white line",
    "will be drawn between the two points.  You may then either press ENTER to",
    "accept this distance, or reenter the two end points."};

std::vector<std::string> BodyLines(int mode) {
  std::vector<std::string> body;
  switch (mode) {
    case kMeasureMaxDist:
      body = {"The maximum distance is the largest distance an animal can travel between",
              "consecutive video frames.  Any distance greater than this that occurs in a",
              "single frame (.033-.040 seconds) will be considered an artifact.  A movement",
              "that is this quick can only be caused by the system jumping from one object",
              "to another when the Object Filter is enabled.",
              "",
              "ALWAYS SET THE MAXIMUM GREATER (2x OR 3x) THAN THE",
              "AMBULATORY DISTANCE!",
              "",
              "To set the maximum distance, put something in the camera's field of vision",
              "which is the length you plan to use for the maximum distance.  Move the"};
      break;
    case kMeasureAmbul:
      body = {"The ambulatory threshold is the minimum distance an animal can travel.  Any",
              "distance less than this will be considered either a stereotypic movement or",
              "resting.",
              "",
              "To set the ambulatory threshold, put something in the camera's field of vision",
              "which is the length you plan to use for the ambulatory threshold.  Move the"};
      break;
    case kMeasureStereo:
      body = {"The stereotypic threshold is the minimum distance the animal can move while",
              "performing any action.  Movements smaller than this are considered resting.",
              "This threshold allows you to differentiate between such things as grooming and",
              "breathing.",
              "",
              "To set the stereotypic threshold, put something in the camera's field of vision",
              "which is the length you plan to use for the stereotypic threshold.  Move the"};
      break;
    case kMeasureCalScale:
      return {"To calibrate the scale, place an object which is an integer multiple of units",
              "long in the camera's field of vision.  Move the cross hairs to one end of the",
              "object and select that point.  Then, move the cross hairs to the other end of",
              "the object and select that point.  A white line will be drawn between the two",
              "points.  You may then either press ENTER to accept this distance, or reenter",
              "the two end points."};
    default:
      return {};
  }
  body.insert(body.end(), kShared.begin(), kShared.end());
  return body;
}

const char* TitleLine(int mode) {
  switch (mode) {
    case kMeasureMaxDist: return "                             Maximum Distance";
    case kMeasureAmbul: return "                          Ambulatory Threshold";
    case kMeasureStereo: return "                          Stereotypic Threshold";
    default: return "                             Calibrate Scale";
  }
}

const char* LastLine(int mode) {
  switch (mode) {
    case kMeasureMaxDist: return "Press ESC to exit without modifying the maximum distance.";
    case kMeasureAmbul: return "Press ESC to exit without modifying the ambulatory threshold.";
    case kMeasureStereo: return "Press ESC to exit without modifying the stereotypic threshold.";
    default: return "Press ESC to exit without modifying the scale calibration value.";
  }
}

}  // namespace

std::string MeasuringHelpText(int mode) {
  if (mode < kMeasureMaxDist || mode > kMeasureCalScale) return {};
  std::vector<std::string> lines = {std::string(31, ' ') + "Tracelux-One", TitleLine(mode), ""};
  if (mode != kMeasureMaxDist) lines.push_back("");
  for (auto& l : BodyLines(mode)) lines.push_back(l);
  lines.insert(lines.end(), {"", "To move the cross hairs, use the mouse.",
                             "To select a point, use either the left mouse button or the space bar.",
                             ""});
  lines.push_back(LastLine(mode));
  if (mode == kMeasureMaxDist) lines.push_back("");
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  return text;
}

VideoPoint CursorFromFraction(double fx, double fy) {
  auto scaled = [](double f, int size, int max) {
    const double v = std::isfinite(f) ? std::round(f * size) : 0.0;
    return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(max)));
  };
  return {scaled(fx, 256, 255), scaled(fy, 192, 191)};
}

float MeasuredDistance(VideoPoint a, VideoPoint b) {
  const int dx = a.x - b.x;
  const int dy = a.y - b.y;
  return static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
}

std::string DistanceText(float distance, const UnitsPerPixelValue& upp, int unitCode) {
  std::string text = "Distance = " + FormatFixed(distance, 2) + " pixels";
  if (upp.Valid) {
    text += "  (" + FormatFixed(static_cast<double>(distance) * upp.Value, 2) + " " +
            UnitName(unitCode) + ")";
  }
  return text;
}

bool DistanceMeasuring::Prepare(int comPort) {
  if (!commands_.State().UnitResponding) return commands_.ResetAndInitialize(comPort);
  return true;
}

bool DistanceMeasuring::Begin(int mode) {
  mode_ = mode;
  parameters_.UnitsPerPixel = UnitsPerPixel(parameters_.CalibrateScale, parameters_.CalibrateReference);
  if (!commands_.Link().State().UnitAwake) return false;
  active_ = true;
  secondSelected_ = false;
  firstSelected_ = false;
  step_ = 1;
  distance_ = 0;
  return true;
}

void DistanceMeasuring::TrackCursorStep(VideoPoint cursor) {
  cursor_ = cursor;
  const bool moved = step_ == 2 && cursor_ != previous_;
  previous_ = cursor_;
  if (moved) {
    commands_.ClearOverlay();
    commands_.OverlayLine(first_.x, first_.y, cursor_.x, cursor_.y);
    second_ = cursor_;
    distance_ = MeasuredDistance(first_, second_);
  }
  commands_.OverlayCursor(cursor_.x, cursor_.y);
}

void DistanceMeasuring::SelectCurrentPoint() {
  if (step_ == 1) {
    commands_.ClearOverlay();
    firstSelected_ = true;
    first_ = cursor_;
    distance_ = 0;
    step_ = 2;
    return;
  }
  second_ = cursor_;
  distance_ = MeasuredDistance(first_, second_);
  secondSelected_ = true;
  step_ = 1;
}

float DistanceMeasuring::StoredValue() const {
  switch (mode_) {
    case kMeasureMaxDist: return parameters_.MaximumDistance;
    case kMeasureAmbul: return parameters_.AmbulatoryThreshold;
    case kMeasureStereo: return parameters_.StereotypicThreshold;
    case kMeasureCalScale: return parameters_.CalibrateScale;
    default: return 0;
  }
}

bool DistanceMeasuring::Accept() {
  active_ = false;
  if (!secondSelected_) return false;
  const float d = MeasuredDistance(first_, second_);
  switch (mode_) {
    case kMeasureMaxDist: parameters_.MaximumDistance = d; break;
    case kMeasureAmbul: parameters_.AmbulatoryThreshold = d; break;
    case kMeasureStereo: parameters_.StereotypicThreshold = d; break;
    case kMeasureCalScale: parameters_.CalibrateScale = d; break;
    default: return false;
  }
  return true;
}

void DistanceMeasuring::Finish() {
  commands_.ClearOverlay();
  commands_.Link().WaitMilliseconds(30);
  commands_.EndOverlay();
}

}  // namespace tlx
