// Choosing where a printout goes: the platform's print dialog, which always offers a PDF file
// even where no printer is installed.
#pragma once

#include <string>

class QPrinter;
class QWidget;

namespace tlx::gui {

// Shows the print dialog for the printer; false when the user cancels. Where no printer is
// installed the dialog starts on a PDF file named after `pdfPath` (when given) that does not
// exist yet, so a printout never replaces an earlier one unasked (the dialog asks about an
// existing file the user picks).
bool AskForPrinter(QPrinter& printer, QWidget* parent, const std::string& pdfPath = {});

// `path` when no such file exists, else the first free "NAME (2).EXT", "NAME (3).EXT", ...
std::string FreeFileName(const std::string& path);

}  // namespace tlx::gui
