// Text and scales shared by the pictures. Text is sized in points on whatever device draws it (a
// PNG at 96 or 300 dots per inch, a PDF page, a printer), so it reads the same at any picture
// width; scales step by 1, 2 or 5 times a power of ten, as journals expect.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <vector>

class QPainter;
class QPaintDevice;

namespace tlx::draw {

inline constexpr double kLabelPoints = 8;  // titles, legends, zone letters
inline constexpr double kTickPoints = 7;   // numbers on scales
inline constexpr double kTitleRowPoints = 14;  // the line naming the file and the session
inline constexpr double kBenchLetterPoints = 11;  // zone letters on the data panel's picture, read at arm's length

// Drawing units per point on a device: its logical resolution / 72.
double UnitsPerPoint(const QPaintDevice* device);

// A sans-serif font `points` tall on a device of `unitsPerPoint`.
QFont PictureFont(double points, double unitsPerPoint);

// The step of 1, 2 or 5 x 10^n that splits `span` into at most `most` steps.
double NiceStep(double span, int most);
// 0, step, 2 step, ... up to `top` (inclusive, within rounding), in NiceStep(top, most).
std::vector<double> NiceTicks(double top, int most);
// A value on a scale of `step`: as many decimals as the step has ("0", "2.5", "20").
QString TickText(double value, double step);

// The unit a time scale of `seconds` is written in: seconds up to 5 minutes, minutes up to 5
// hours, then hours.
struct TimeUnit {
  double Seconds = 1;  // seconds per unit
  QString Name;        // "s", "min", "h"
};
TimeUnit TimeUnitFor(double seconds);

// Black or white, whichever reads better on `background`.
QColor TextColourOn(const QColor& background);

}  // namespace tlx::draw
