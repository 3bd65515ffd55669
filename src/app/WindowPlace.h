// The main window's size and place, kept per program home ("WINDOW.INI" there) and restored at the
// next start: on a screen that still shows it, no larger than that screen, no smaller than the
// window's minimum size.
#pragma once

#include <QRect>
#include <QSize>

#include <string>

class QWidget;

namespace tlx::gui {

// Where a window saved at `saved` goes within the screen's `available` area: its size bounded by
// that area (the minimum size wins over a smaller screen), then moved just far enough to lie
// wholly inside it.
QRect PlaceOnScreen(const QRect& saved, const QRect& available, const QSize& minimum);

// Writes the window's normal (not maximized) geometry and whether it is maximized. Nothing is
// written for an empty home.
void SaveWindowPlace(const QWidget& window, const std::string& home);
// Gives the window its saved place; false (the window untouched) when none is saved or the saved
// values are unusable.
bool RestoreWindowPlace(QWidget& window, const std::string& home);

}  // namespace tlx::gui
