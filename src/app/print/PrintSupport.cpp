#include "app/print/PrintSupport.h"

#include "common/FileChecks.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace tlx::gui {

std::string FreeFileName(const std::string& path) {
  if (!FileExists(path)) return path;
  // The number goes before the extension; a dot in a directory name is not an extension.
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::string stem = hasExtension ? path.substr(0, dot) : path;
  const std::string extension = hasExtension ? path.substr(dot) : std::string();
  for (int n = 2; n < 10000; ++n) {
    const std::string candidate = stem + " (" + std::to_string(n) + ")" + extension;
    if (!FileExists(candidate)) return candidate;
  }
  return path;  // ten thousand printouts of one file: the dialog asks before replacing
}

bool AskForPrinter(QPrinter& printer, QWidget* parent, const std::string& pdfPath) {
  if (!pdfPath.empty() && printer.outputFileName().isEmpty() && QPrinterInfo::availablePrinters().isEmpty()) {
    printer.setOutputFileName(QString::fromStdString(FreeFileName(pdfPath)));
  }
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("Print"));
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace tlx::gui
