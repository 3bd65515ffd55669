#include "app/dialogs/MeasuringScreen.h"

#include "app/panels/LivePicture.h"
#include "app/panels/PanelKit.h"

#include <QCloseEvent>
#include <QCursor>
#include <QEventLoop>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace tlx::gui {
namespace {
constexpr int kStepMs = 40;
}

MeasuringScreen::MeasuringScreen(DistanceMeasuring& measuring,
                                 const ExperimentParameters& parameters, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      measuring_(measuring),
      parameters_(parameters) {
  setObjectName(QStringLiteral("frmBlack"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  setMouseTracking(true);
  // The screen draws its own cross hairs, in a colour that shows on black; the pointer's own
  // cross is black on black.
  setCursor(Qt::BlankCursor);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);
  setAutoFillBackground(true);
  // Instructions read from a step back from the screen.
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSizeF(font.pointSizeF() * 1.3);
  setFont(font);
  help_ = ScreenText(MeasuringHelpText(measuring_.Mode()));
}

void MeasuringScreen::ShowMapAsPicture(const ZoneMap& map, const ColourTable& colours) {
  map_ = map;
  colours_ = colours;
  mapShown_ = true;
  picture_ = QImage();
  help_ += QStringLiteral("\n\nThe simulated unit has no camera: the zone map stands in for its picture.");
  update();
}

void MeasuringScreen::Run() {
  if (!measuring_.Active()) return;
  showFullScreen();
  activateWindow();
  setFocus();
  QEventLoop loop;
  QTimer steps;
  connect(&steps, &QTimer::timeout, this, [&] {
    if (!measuring_.Active() || !isVisible()) {
      loop.quit();
      return;
    }
    Step();
  });
  steps.start(kStepMs);
  loop.exec();
  hide();
  measuring_.Finish();
}

void MeasuringScreen::Step() {
  const QScreen* s = screen();
  const QRect g = s ? s->geometry() : QRect(0, 0, 1, 1);
  const QPoint p = QCursor::pos();
  const double fx = g.width() > 0 ? static_cast<double>(p.x() - g.x()) / g.width() : 0;
  const double fy = g.height() > 0 ? static_cast<double>(p.y() - g.y()) / g.height() : 0;
  measuring_.TrackCursorStep(CursorFromFraction(fx, fy));
  update();
}

void MeasuringScreen::SelectAt(QPoint pos) {
  if (measuring_.Step() == 1) {
    line_ = QLine(pos, pos);
    lineShown_ = true;
  }
  measuring_.SelectCurrentPoint();
  update();
}

void MeasuringScreen::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (mapShown_) {
    if (picture_.deviceIndependentSize().toSize() != size() || picture_.devicePixelRatio() != devicePixelRatioF())
      picture_ = PaintZoneMap(map_, colours_, size(), devicePixelRatioF());
    p.drawImage(QPointF(0, 0), picture_);
  } else {
    p.fillRect(rect(), Qt::black);
  }
  PaintHelp(p);
  if (lineShown_) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 4));
    p.drawLine(line_);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(line_);
  }
  PaintCrossHairs(p);
}

// The instructions (and the distance once a point is chosen) in the middle of the screen, on a
// dark panel so that the picture does not make them hard to read; the line and the cross hairs
// are drawn over it, always in sight.
void MeasuringScreen::PaintHelp(QPainter& p) {
  QStringList lines = help_.split(QLatin1Char('\n'));
  if (measuring_.FirstSelected()) {
    lines << QString() << QStringLiteral("First Point Selected")
          << QString::fromStdString(DistanceText(measuring_.Distance(), parameters_.UnitsPerPixel,
                                                 parameters_.MeasurementUnits));
  }
  const QFontMetrics fm(font());
  int widest = 0;
  for (const QString& l : lines) widest = std::max(widest, fm.horizontalAdvance(l));
  const int h = fm.height();
  const int margin = h;
  const QRect text((width() - widest) / 2, (height() - h * int(lines.size())) / 2, widest, h * int(lines.size()));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 200));
  p.drawRoundedRect(text.adjusted(-margin, -margin, margin, margin), margin / 2.0, margin / 2.0);
  p.setPen(Qt::white);
  int y = text.top() + fm.ascent();
  for (const QString& l : lines) {
    p.drawText(text.left(), y, l);
    y += h;
  }
}

// The cross hairs follow the mouse over the whole screen, which stands for the unit's picture
// (with a real unit its video monitor shows them too), with the picture position the unit is
// sent. A dark edge keeps them in sight over any zone colour.
void MeasuringScreen::PaintCrossHairs(QPainter& p) {
  const QPoint at = mapFromGlobal(QCursor::pos());
  if (!rect().contains(at)) return;
  const QColor yellow(255, 220, 0);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(Qt::NoBrush);
  for (const QPen& pen : {QPen(Qt::black, 4), QPen(yellow, 2)}) {
    p.setPen(pen);
    p.drawLine(QPointF(0, at.y()), QPointF(width(), at.y()));
    p.drawLine(QPointF(at.x(), 0), QPointF(at.x(), height()));
    p.drawEllipse(QPointF(at), 12, 12);
  }
  const VideoPoint c = measuring_.Cursor();
  const QString where = QStringLiteral("x %1  y %2").arg(c.x).arg(c.y);
  const QFontMetrics fm(font());
  const QRect label(at + QPoint(18, -18 - fm.height()), QSize(fm.horizontalAdvance(where) + 8, fm.height() + 4));
  p.fillRect(label, QColor(0, 0, 0, 200));
  p.setPen(yellow);
  p.drawText(label, Qt::AlignCenter, where);
}

void MeasuringScreen::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape: measuring_.Escape(); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: measuring_.Accept(); break;
    case Qt::Key_Space: SelectAt(mapFromGlobal(QCursor::pos())); break;
    default: QWidget::keyPressEvent(event);
  }
}

void MeasuringScreen::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) SelectAt(event->position().toPoint());
  else if (event->button() == Qt::RightButton) measuring_.Accept();
}

void MeasuringScreen::mouseMoveEvent(QMouseEvent* event) {
  if (measuring_.Step() == 2 && lineShown_) line_.setP2(event->position().toPoint());
  update();
}

void MeasuringScreen::closeEvent(QCloseEvent* event) {
  measuring_.Escape();
  QWidget::closeEvent(event);
}

}  // namespace tlx::gui
