// The data panel's picture (picSquiggle): shows the zone map and a session's trace, drawn by a
// worker thread so that the window stays responsive while a long session is drawn.
#pragma once

#include "draw/SessionPicture.h"

#include <QWidget>

#include <atomic>
#include <memory>
#include <vector>

class QThread;

namespace tlx::gui {

class SessionView : public QWidget {
  Q_OBJECT

 public:
  explicit SessionView(QWidget* parent = nullptr);
  ~SessionView() override;

  // Draws the request's session (the size is the view's own). A drawing still under way for an
  // earlier request is abandoned.
  void Draw(const draw::PictureRequest& request);
  // Only the map, no trace.
  void DrawMapOnly(const ZoneMap& map, const ColourTable& colours);
  bool Drawing() const { return pending_ > 0; }
  // Lets events run until the drawing in progress has arrived; false after `timeoutMs`.
  bool WaitForPicture(int timeoutMs = 10000);

  const QImage& Picture() const { return picture_; }
  // The size the picture is drawn at: the unit's 4:3 proportions, as large as the view allows.
  QSize PictureSize() const;
  // Milliseconds the last drawing took in its worker.
  double LastDrawMilliseconds() const { return lastMs_; }
  double LastDrawCpuMilliseconds() const { return lastCpuMs_; }
  std::size_t LastPointCount() const { return path_ ? path_->Points.size() : 0; }

 signals:
  void PictureReady();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Deliver(int generation, draw::SessionPictureResult result);
  void Start(std::shared_ptr<const TracePath> path);
  void StopWorkers();

  QImage picture_;
  draw::PictureRequest last_;
  std::shared_ptr<const TracePath> path_;  // the trace of last_, once read
  bool haveSession_ = false;
  int generation_ = 0;
  int pending_ = 0;
  double lastMs_ = 0;
  double lastCpuMs_ = 0;
  std::shared_ptr<std::atomic<bool>> cancel_;
  std::vector<QThread*> workers_;
};

}  // namespace tlx::gui
