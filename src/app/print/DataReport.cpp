#include "app/print/DataReport.h"

#include "draw/PictureText.h"
#include "draw/Pictures.h"
#include "draw/SessionPicture.h"
#include "buildinfo/BuildInfo.h"
#include "common/Paths.h"
#include "common/Sha256.h"
#include "data/ResultsFile.h"
#include "common/TimeText.h"
#include "setup/Units.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace tlx::gui {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Where the next line goes and how the page is laid out, in device units.
struct Page {
  QPainter& painter;
  QPrinter& printer;
  double left = 0, top = 0, width = 0, bottom = 0, line = 0;
  double y = 0;

  void NewPage() {
    printer.newPage();
    y = top;
  }
  void Text(const QString& text) {
    painter.drawText(QPointF(left, y + painter.fontMetrics().ascent()), text);
    y += line;
  }
};

std::vector<double> ColumnWidths(const ResultsTable& table, const std::vector<std::size_t>& rows,
                                 double digit, double usable) {
  std::vector<double> widths(table.Columns.size(), 0);
  for (std::size_t c = 0; c < widths.size(); ++c) {
    std::size_t chars = table.Columns[c].size();
    for (std::size_t r : rows) chars = std::max(chars, table.Rows[r][c].size());
    widths[c] = digit * double(chars + 2);
  }
  double total = 0;
  for (double w : widths) total += w;
  if (total > usable && total > 0) {
    for (double& w : widths) w *= usable / total;
  }
  return widths;
}

void TableRow(Page& page, const std::vector<std::string>& cells, const std::vector<double>& widths) {
  QPainter& p = page.painter;
  double x = page.left;
  const double padding = widths.empty() ? 0 : QFontMetricsF(p.font()).horizontalAdvance(QLatin1Char('9')) / 2;
  for (std::size_t c = 0; c < widths.size() && c < cells.size(); ++c) {
    p.drawText(QRectF(x + padding, page.y, widths[c] - padding, page.line), Qt::AlignLeft | Qt::AlignVCenter,
               Q(cells[c]));
    p.drawLine(QPointF(x, page.y), QPointF(x, page.y + page.line));
    x += widths[c];
  }
  p.drawLine(QPointF(x, page.y), QPointF(x, page.y + page.line));
  p.drawLine(QPointF(page.left, page.y), QPointF(x, page.y));
  page.y += page.line;
  p.drawLine(QPointF(page.left, page.y), QPointF(x, page.y));
}

void PrintTable(Page& page, const ResultsTable& table, std::int64_t session) {
  if (table.Columns.empty()) return;
  const std::vector<std::size_t> rows = SessionRows(table, session);
  const double digit = QFontMetricsF(page.painter.font()).horizontalAdvance(QLatin1Char('9'));
  const std::vector<double> widths = ColumnWidths(table, rows, digit, page.width);
  TableRow(page, table.Columns, widths);
  for (std::size_t r : rows) {
    if (page.y + page.line > page.bottom) {
      // The table goes on at the top of a new page, under its column header again.
      page.NewPage();
      TableRow(page, table.Columns, widths);
    }
    TableRow(page, table.Rows[r], widths);
  }
}

}  // namespace

std::vector<std::string> ReportHeaderLines(const ReportContent& c) {
  std::vector<std::string> lines = {
      "Experiment filename : " + FileNamePart(c.dataPath),
      "Zone map filename : " + (c.mapFile.empty() ? std::string("(the built-in four quadrants)") : FileNamePart(c.mapFile)),
      "Experiment start time : " + FormatIsoTime(c.start),
      "Session Length : " + SecondsToDurationText(c.sessionLength) + "     Experiment Length : " +
          SecondsToDurationText(static_cast<std::int64_t>(std::llround(c.duration))),
      "Distances are in : " + UnitName(c.unitsCode),
      "Times are in seconds.",
  };
  // The map is named once, above: the one the figures were computed with (the parameters' own map
  // line names the path stored in the results file, which may be another copy).
  for (std::string& line : AnalysisParameterLines(c.params))
    if (line.rfind("Zone map : ", 0) != 0) lines.push_back(std::move(line));
  if (c.tracking) {
    lines.push_back("Tracking : " + QualityLine(*c.tracking) + "; " + std::to_string(c.tracking->AnalysedSeconds) +
                    " s analysed");
  }
  const std::string sha = FileSha256Hex(c.dataPath);
  lines.push_back("Data SHA-256 : " + (sha.empty() ? std::string("(the file cannot be read)") : sha));
  lines.push_back("Analysed by : Tracelux-One " + VersionWithBuild());
  return lines;
}

bool PrintDataReport(QPrinter& printer, const ReportContent& content) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setPointSizeF(10);
  painter.setFont(font);
  const QRectF area(QPointF(0, 0), QSizeF(painter.device()->width(), painter.device()->height()));
  Page page{painter, printer};
  page.left = area.width() / 10;
  page.top = area.height() / 10;
  page.width = area.width() - 2 * page.left;
  page.bottom = area.height() - page.top / 2;
  page.line = QFontMetricsF(painter.font()).height() * 1.3;
  page.y = page.top;
  for (const std::string& line : ReportHeaderLines(content)) page.Text(Q(line));
  page.Text(QStringLiteral("Session Number : %1").arg(content.session));
  page.y += page.line / 2;

  // The trace as tracelux-plot draws it for print: title, zone letters, time and zone keys and a
  // scale bar, laid out for the page's width so that its text keeps its size in points.
  const double unitsPerPoint = draw::UnitsPerPoint(painter.device());
  draw::Picture trace;
  trace.Request.Kind = draw::PictureKind::Trace;
  trace.Request.Style = draw::PictureStyle::Print;
  trace.Request.DataPath = content.dataPath;
  trace.Request.Session = content.session;
  trace.Request.Params = content.params;
  trace.Request.Map = content.map;
  trace.Request.Colours = content.colours;
  if (content.trace) trace.Trace = *content.trace;
  auto heightAt = [&](const draw::Picture& picture, double width) {
    const QSizeF natural = draw::SizeForWidth(picture, width / unitsPerPoint);
    return width * natural.height() / natural.width();
  };
  double w = page.width;
  const double room = page.bottom - page.y - 3 * page.line;
  if (heightAt(trace, w) > room && room > 0) w *= room / heightAt(trace, w);
  draw::DrawPicture(painter, QRectF(page.left, page.y, w, heightAt(trace, w)), trace);
  page.y += heightAt(trace, w) + page.line;
  // A heatmap or timeline under its own heading: on this page when it fits, else after the table.
  auto printPicture = [&] {
    const double height = heightAt(*content.picture, page.width);
    if (page.y + page.line + height > page.bottom) page.NewPage();
    const QString heading = QStringLiteral("%1: %2").arg(
        content.picture->Request.Kind == draw::PictureKind::Heatmap ? QStringLiteral("Occupancy heatmap")
                                                                     : QStringLiteral("Activity timeline"),
        draw::PictureTitle(content.picture->Request));
    page.Text(heading);
    draw::DrawPicture(painter, QRectF(page.left, page.y, page.width, height), *content.picture);
    page.y += height + page.line;
  };
  const bool pictureFirst = content.picture && page.y + page.line + heightAt(*content.picture, page.width) <= page.bottom;
  if (pictureFirst) printPicture();
  if (page.y + 2 * page.line > page.bottom) page.NewPage();
  PrintTable(page, content.table, content.session);
  if (content.picture && !pictureFirst) {
    page.y += page.line;
    printPicture();
  }
  return painter.end();
}

}  // namespace tlx::gui
