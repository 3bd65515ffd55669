// Text shared by the pictures: one font and the way seconds are written on scales.
#pragma once

#include <QFont>
#include <QString>

namespace tlx::draw {

// A sans-serif font of the given pixel size.
QFont PictureFont(double pixelSize);

// "0 s", "2.5 s", "340 s": one decimal below ten seconds, whole seconds above.
QString SecondsText(double seconds);

}  // namespace tlx::draw
