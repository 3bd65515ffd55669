// The font a value box shows its text in, from the box's stored font properties.
#pragma once

#include <QFont>
#include <QWidget>

#include <string>

namespace tlx {

inline void ApplyBoxFont(QWidget* edit, const std::string& name, double size, bool bold, bool italic) {
  QFont font = edit->font();
  font.setFamily(QString::fromStdString(name));
  if (size > 0) font.setPointSizeF(size);
  font.setBold(bold);
  font.setItalic(italic);
  edit->setFont(font);
}

}  // namespace tlx
