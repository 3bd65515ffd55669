// Choosing where a printout goes: the platform's print dialog, which always offers a PDF file
// even where no printer is installed.
#pragma once

#include <string>

class QPrinter;
class QWidget;

namespace tlx::gui {

// Shows the print dialog for the printer; false when the user cancels. Where no printer is
// installed the dialog starts on a PDF file named `pdfPath` (when given).
bool AskForPrinter(QPrinter& printer, QWidget* parent, const std::string& pdfPath = {});

}  // namespace tlx::gui
