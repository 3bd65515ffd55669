#include "draw/QtColour.h"

namespace tlx::gui {

QColor ToQColor(std::int32_t colour) {
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

}  // namespace tlx::gui
