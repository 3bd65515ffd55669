// The main window's size and place, kept per program home ("WINDOW.INI" there) and restored at the
// next start: on a screen that still shows it, no larger than that screen, no smaller than the
// window's minimum size, with its whole frame (the title bar above all) on the screen, whatever
// the scale the program ran at when the place was saved.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

#include <string>

class QWidget;

namespace tlx::gui {

// Where a window saved at `saved` goes within the screen's `available` area: its size bounded by
// that area (the minimum size wins over a smaller screen), then moved just far enough to lie
// wholly inside it.
QRect PlaceOnScreen(const QRect& saved, const QRect& available, const QSize& minimum);

// The part of a screen's available area a window may cover. At a fractional scale (1.5) the
// area's last logical pixel row and column lie partly past the screen's edge, so they are left out.
QRect UsableArea(const QRect& available, double devicePixelRatio);

// Where a window's contents go so that its frame (the window manager's title bar and borders,
// `frame` around the contents) lies wholly within `usable`: PlaceOnScreen of the whole frame.
QRect PlaceContents(const QRect& contents, const QMargins& frame, const QRect& usable,
                    const QSize& minimumContents);

// Writes the window's normal (not maximized) geometry, placed so that its frame is on its screen,
// the frame's margins and whether it is maximized. Nothing is written for an empty home.
void SaveWindowPlace(const QWidget& window, const std::string& home);
// Gives the window its saved place; false (the window untouched) when none is saved or the saved
// values are unusable.
bool RestoreWindowPlace(QWidget& window, const std::string& home);
// Moves (and shrinks) a shown window just enough that its whole frame is on its screen; the
// window manager's frame is known only once the window is shown.
void KeepOnScreen(QWidget& window);

}  // namespace tlx::gui
