#include "app/dialogs/MeasuringScreen.h"

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
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  help_ = ScreenText(MeasuringHelpText(measuring_.Mode()));
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
  p.fillRect(rect(), Qt::black);
  p.setPen(Qt::white);
  const QStringList lines = help_.split(QLatin1Char('\n'));
  const QFontMetrics fm(font());
  int widest = 0;
  for (const QString& l : lines) widest = std::max(widest, fm.horizontalAdvance(l));
  const int h = fm.height();
  const int top = height() / 2 - h * static_cast<int>(lines.size()) / 2;
  const int left = std::max(0, width() / 2 - widest / 2);
  int y = top + fm.ascent();
  for (const QString& l : lines) {
    p.drawText(left, y, l);
    y += h;
  }
  if (measuring_.FirstSelected()) {
    p.drawText(left, y, QStringLiteral("First Point Selected"));
    const std::string d = DistanceText(measuring_.Distance(), parameters_.UnitsPerPixel,
                                       parameters_.MeasurementUnits);
    p.drawText(left, y + h, QString::fromStdString(d));
  }
  if (lineShown_) {
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(line_);
  }
  // The cross hairs follow the mouse over the whole screen, which stands for the unit's picture
  // (with a real unit its video monitor shows them too; the simulated unit has none), with the
  // picture position the unit is sent.
  const QPoint at = mapFromGlobal(QCursor::pos());
  if (rect().contains(at)) {
    p.setPen(QPen(QColor(255, 220, 0), 1));
    p.drawLine(0, at.y(), width(), at.y());
    p.drawLine(at.x(), 0, at.x(), height());
    p.setPen(QPen(QColor(255, 220, 0), 3));
    p.drawEllipse(at, 12, 12);
    const VideoPoint c = measuring_.Cursor();
    p.drawText(at + QPoint(16, -16), QStringLiteral("x %1  y %2").arg(c.x).arg(c.y));
  }
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
