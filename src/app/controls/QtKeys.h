// Translation between Qt's keys and texts and the key codes and byte texts of the controls.
#pragma once

#include <QString>

#include <string>

class QKeyEvent;

namespace tlx::gui {

// The control key code of a key event (digits of the keypad and its minus kept apart), 0 when
// the key has none.
int KeyCodeOf(const QKeyEvent* event);
// Shift 1, Ctrl 2, Alt 4.
int ShiftMaskOf(const QKeyEvent* event);

// Entry texts are single-byte (Latin-1) texts in the models.
std::string ToEntryText(const QString& text);
QString FromEntryText(const std::string& text);

// Program texts: UTF-8 when they are valid UTF-8 (file names), else Latin-1. CR LF becomes a
// line break.
QString FromProgramText(const std::string& text);

// File names as the system spells them.
std::string ToPathText(const QString& path);
QString FromPathText(const std::string& path);

}  // namespace tlx::gui
