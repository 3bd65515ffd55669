// Colours of the colour table as Qt colours.
#pragma once

#include <QColor>

#include <cstdint>

namespace tlx::gui {

// A colour-table entry (red in the low byte, then green, then blue).
QColor ToQColor(std::int32_t colour);

}  // namespace tlx::gui
