// Small helpers the panels and dialogs share: named buttons and labels, and the row that puts a
// panel's Home button in the bottom-right corner.
#pragma once

#include <QBoxLayout>
#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QString>

namespace tlx::gui {

inline QPushButton* NamedButton(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QLatin1String(name));
  b->setAutoDefault(false);
  return b;
}

// The program's labels show their texts letter for letter, file names included: never as markup.
inline QLabel* NamedLabel(QWidget* parent, const char* name, const QString& text = {}) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QLatin1String(name));
  l->setTextFormat(Qt::PlainText);
  return l;
}

// Program texts join their lines with CR LF; a label shows them as line breaks.
inline QString ScreenText(const std::string& text) {
  QString s = QString::fromLatin1(text.data(), static_cast<int>(text.size()));
  s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return s;
}

// The colour of a warning text, chosen against the palette: a deep red on a light window, a light
// red on a dark one, so that it reads under the desktop's dark palette too.
inline QColor WarningColour(const QPalette& palette) {
  return palette.color(QPalette::Window).lightness() < 128 ? QColor(255, 130, 120) : QColor(176, 0, 0);
}

// A caption written "Name :" as a label shows it: "Name:".
inline QString FieldCaption(const char* caption) {
  QString text = QString::fromLatin1(caption);
  if (text.endsWith(QLatin1String(" :"))) text.replace(text.size() - 2, 2, QStringLiteral(":"));
  return text;
}

// A row holding the given button at its right end.
inline QHBoxLayout* BottomRightRow(QPushButton* button) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(button);
  return row;
}

}  // namespace tlx::gui
