// The page size of a PDF file, read from its first media box.
#pragma once

#include <QSizeF>

#include <cstdio>
#include <string>

namespace tlx::test {

// Width and height in points; empty when the file has no media box.
inline QSizeF PdfPageSize(const std::string& pdf) {
  const auto at = pdf.find("/MediaBox [");
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  if (at == std::string::npos ||
      std::sscanf(pdf.c_str() + at, "/MediaBox [%lf %lf %lf %lf", &x0, &y0, &x1, &y1) != 4) {
    return {};
  }
  return {x1 - x0, y1 - y0};
}

}  // namespace tlx::test
