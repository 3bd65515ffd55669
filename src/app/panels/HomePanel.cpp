#include "app/panels/HomePanel.h"

#include "run/Program.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tlx::gui {

HomePanel::HomePanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("fraTitle"));
  auto* layout = new QVBoxLayout(this);
  layout->addStretch(1);
  const QString texts[3] = {
      QString::fromLatin1(kProductName),
      QStringLiteral("Version ") + QString::fromLatin1(kVersionText),
      QStringLiteral("Video tracking for the behavioural laboratory\n"
                     "Support: see the manual (F1) for contact details")};
  const int sizes[3] = {28, 14, 10};
  for (int i = 0; i < 3; ++i) {
    labels_[i] = new QLabel(texts[i], this);
    labels_[i]->setObjectName(QStringLiteral("lblTitle_%1").arg(i));
    labels_[i]->setAlignment(Qt::AlignCenter);
    QFont f = labels_[i]->font();
    f.setPointSize(sizes[i]);
    f.setBold(i == 0);
    labels_[i]->setFont(f);
    labels_[i]->setWordWrap(true);
    layout->addWidget(labels_[i]);
    layout->addSpacing(12);
  }
  layout->addStretch(1);
}

}  // namespace tlx::gui
