// The home page (fraTitle): the product name, its version and the supplier's contact lines,
// centred in the window.
#pragma once

#include <QFrame>

class QLabel;

namespace tlx::gui {

class HomePanel : public QFrame {
  Q_OBJECT

 public:
  explicit HomePanel(QWidget* parent = nullptr);
  QLabel* TitleLabel(int index) const { return labels_[index]; }

 private:
  QLabel* labels_[3];
};

}  // namespace tlx::gui
