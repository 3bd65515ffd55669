#include "app/data/SessionView.h"

#include "draw/PictureText.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPainter>
#include <QThread>

#include <algorithm>

namespace tlx::gui {

SessionView::SessionView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("picSquiggle"));
  setMinimumSize(256, 192);
}

SessionView::~SessionView() { StopWorkers(); }

void SessionView::StopWorkers() {
  if (cancel_) cancel_->store(true);
  for (QThread* worker : workers_) {
    worker->wait();
    delete worker;
  }
  workers_.clear();
}

void SessionView::Draw(const draw::PictureRequest& request) {
  last_ = request;
  haveSession_ = true;
  Start(nullptr);
}

// Draws last_ in a worker; `path` is its trace when already read.
void SessionView::Start(std::shared_ptr<const TracePath> path) {
  if (cancel_) cancel_->store(true);
  cancel_ = std::make_shared<std::atomic<bool>>(false);
  path_ = path;
  const int generation = ++generation_;
  ++pending_;
  auto cancel = cancel_;
  // Drawn in the screen's own pixels: sharp on a high-density screen.
  QThread* worker = QThread::create([this, request = last_, size = PictureSize(), ratio = devicePixelRatioF(), path,
                                     cancel, generation] {
    draw::SessionPictureResult result = draw::DrawSessionPicture(request, size, path, cancel.get(), ratio);
    if (cancel->load()) {
      QMetaObject::invokeMethod(this, [this] { --pending_; }, Qt::QueuedConnection);
      return;
    }
    QMetaObject::invokeMethod(
        this, [this, generation, result = std::move(result)]() mutable { Deliver(generation, std::move(result)); },
        Qt::QueuedConnection);
  });
  // Finished workers are collected here, on the window's thread.
  connect(worker, &QThread::finished, this, [this, worker] {
    std::erase(workers_, worker);
    worker->deleteLater();
  });
  workers_.push_back(worker);
  worker->start(QThread::LowPriority);
}

void SessionView::Deliver(int generation, draw::SessionPictureResult result) {
  --pending_;
  if (generation != generation_) return;
  picture_ = std::move(result.image);
  path_ = result.path;
  lastMs_ = result.milliseconds;
  lastCpuMs_ = result.cpuMilliseconds;
  update();
  emit PictureReady();
}

void SessionView::DrawMapOnly(const ZoneMap& map, const ColourTable& colours) {
  if (cancel_) cancel_->store(true);
  ++generation_;
  haveSession_ = false;
  last_ = draw::PictureRequest{};
  last_.Map = map;
  last_.Colours = colours;
  path_.reset();
  QImage image = draw::ScreenImage(PictureSize(), devicePixelRatioF(), QImage::Format_RGB32);
  QPainter painter(&image);
  const QRectF box(QPointF(0, 0), image.deviceIndependentSize());
  draw::DrawZoneMapPicture(painter, box, map, colours);
  draw::DrawZoneLetters(painter, box, map, colours, false, draw::UnitsPerPoint(&image), draw::kBenchLetterPoints);
  painter.end();
  picture_ = image;
  update();
}

bool SessionView::WaitForPicture(int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (pending_ > 0 && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(1);
  }
  QCoreApplication::processEvents();
  return pending_ == 0;
}

QSize SessionView::PictureSize() const {
  // The largest box of the unit's proportions (height 0.75 x width) that fits the view.
  const int w = std::min(width(), height() * 4 / 3);
  return QSize(w, w * 3 / 4);
}

void SessionView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (picture_.isNull()) return;
  const QSize box = PictureSize();
  const QRect target(QPoint((width() - box.width()) / 2, (height() - box.height()) / 2), box);
  painter.drawImage(target, picture_);
}

void SessionView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (haveSession_ && path_) {
    Start(path_);  // the points are kept: only the drawing is done again
  } else if (!haveSession_) {
    DrawMapOnly(last_.Map, last_.Colours);
  }
}

}  // namespace tlx::gui
