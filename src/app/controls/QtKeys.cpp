#include "app/controls/QtKeys.h"

#include "controls/KeyCodes.h"

#include <QFile>
#include <QKeyEvent>

namespace tlx::gui {
namespace {

bool IsValidUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    int follow = 0;
    if (c < 0x80) follow = 0;
    else if ((c & 0xE0) == 0xC0 && c >= 0xC2) follow = 1;
    else if ((c & 0xF0) == 0xE0) follow = 2;
    else if ((c & 0xF8) == 0xF0 && c <= 0xF4) follow = 3;
    else return false;
    if (i + static_cast<std::size_t>(follow) >= text.size() && follow > 0) return false;
    for (int k = 1; k <= follow; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += static_cast<std::size_t>(follow) + 1;
  }
  return true;
}

}  // namespace

int KeyCodeOf(const QKeyEvent* event) {
  const int k = event->key();
  const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return (keypad ? key::Numpad0 : key::Digit0) + (k - Qt::Key_0);
  switch (k) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return key::Return;
    case Qt::Key_Backspace: return key::Back;
    case Qt::Key_Delete: return key::Delete;
    case Qt::Key_Escape: return key::Escape;
    case Qt::Key_Up: return key::Up;
    case Qt::Key_Down: return key::Down;
    case Qt::Key_Left: return key::Left;
    case Qt::Key_Right: return key::Right;
    case Qt::Key_PageUp: return key::PageUp;
    case Qt::Key_PageDown: return key::PageDown;
    case Qt::Key_Minus: return keypad ? key::Subtract : key::Minus;
    case Qt::Key_Colon: return key::Colon;
    default: break;
  }
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return k;  // 65..90 as the letters' codes
  return 0;
}

int ShiftMaskOf(const QKeyEvent* event) {
  const Qt::KeyboardModifiers m = event->modifiers();
  return (m.testFlag(Qt::ShiftModifier) ? shiftmask::Shift : 0) |
         (m.testFlag(Qt::ControlModifier) ? shiftmask::Ctrl : 0) |
         (m.testFlag(Qt::AltModifier) ? shiftmask::Alt : 0);
}

std::string ToEntryText(const QString& text) { return text.toLatin1().toStdString(); }

QString FromEntryText(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString FromProgramText(const std::string& text) {
  QString s = IsValidUtf8(text) ? QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
                                : QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

std::string ToPathText(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString FromPathText(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

}  // namespace tlx::gui
