#include "app/print/PrintSupport.h"

#include <QPrintDialog>
#include <QPrinter>

namespace tlx::gui {

bool AskForPrinter(QPrinter& printer, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("Print"));
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace tlx::gui
