#include "device/AreaCalculator.h"

#include "common/Numbers.h"
#include "common/TimeText.h"
#include "setup/Units.h"

namespace tlx {

AreaCalculator::AreaCalculator(CommandSet& commands, const ExperimentParameters& parameters,
                               UserAnswers& answers)
    : commands_(commands), parameters_(parameters), answers_(answers) {}

void AreaCalculator::Open() {
  if (commands_.Link().State().StreamOn) commands_.StopStream();
  DoAllCalcInit();
  DoCalculateArea();
}

void AreaCalculator::Close(bool monitorPanelShown, StreamDecoder& decoder) {
  if (monitorPanelShown) decoder.StartStreamIfAwake();
}

void AreaCalculator::DoAllCalcInit() {
  unitsHeading_ = "Sq. " + UnitName(parameters_.MeasurementUnits);
  ClearAverages();
}

void AreaCalculator::ClearAverages() {
  values_.clear();
  units_.clear();
  averageValue_.clear();
  averageUnit_.clear();
  selected_ = -1;
}

void AreaCalculator::DoCalculateArea() {
  const UnitsPerPixelValue perPixel =
      UnitsPerPixel(parameters_.CalibrateScale, parameters_.CalibrateReference);
  const std::int32_t pixels = commands_.ObjectAreaQuery();
  if (pixels < 0) {
    answers_.ShowMessage(
        {"ERROR", "Unable to calculate area of object", MsgIcon::Critical, MsgButtons::Ok});
    return;
  }
  const double perPixelValue = perPixel.Valid ? perPixel.Value : 0.0;
  AddValueToListBox(pixels, perPixelValue * perPixelValue * pixels);
}

void AreaCalculator::AddValueToListBox(double pixels, double units) {
  values_.push_back(FormatFixed(pixels, 0));
  units_.push_back(FormatFixed(units, 2));
  RecalculateAverage();
  selected_ = static_cast<int>(values_.size()) - 1;
}

void AreaCalculator::RecalculateAverage() {
  const std::size_t n = values_.size();
  if (n == 0) return;
  double pixelSum = 0;
  double unitSum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    pixelSum += TimeTextToSeconds(values_[i]);
    unitSum += TimeTextToSeconds(units_[i]);
  }
  averageValue_ = FormatFixed(pixelSum / static_cast<double>(n), 0);
  averageUnit_ = FormatFixed(unitSum / static_cast<double>(n), 2);
}

}  // namespace tlx
