#include "app/print/PrintSupport.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace tlx::gui {

bool AskForPrinter(QPrinter& printer, QWidget* parent, const std::string& pdfPath) {
  if (!pdfPath.empty() && printer.outputFileName().isEmpty() && QPrinterInfo::availablePrinters().isEmpty()) {
    printer.setOutputFileName(QString::fromStdString(pdfPath));
  }
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("Print"));
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace tlx::gui
