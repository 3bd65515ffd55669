#include "draw/QtColour.h"

#include "setup/Colours.h"

namespace tlx::gui {

QColor ToQColor(std::int32_t colour) {
  const ColourParts c = DecodeColourWord(colour);
  return QColor(c.Red, c.Green, c.Blue);
}

}  // namespace tlx::gui
