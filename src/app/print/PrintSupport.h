// Choosing where a printout goes: the platform's print dialog, which always offers a PDF file
// even where no printer is installed.
#pragma once

class QPrinter;
class QWidget;

namespace tlx::gui {

// Shows the print dialog for the printer; false when the user cancels.
bool AskForPrinter(QPrinter& printer, QWidget* parent);

}  // namespace tlx::gui
