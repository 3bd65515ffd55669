// The data panel's choice of picture: the session trace (the default, drawn by the session view),
// the occupancy heatmap or the activity timeline of the selected session, and saving the shown
// picture as PNG, SVG or PDF.
#pragma once

#include "draw/Pictures.h"

#include <QWidget>

#include <optional>
#include <string>

class QComboBox;
class QStackedWidget;

namespace tlx::gui {

class SessionView;

// Paints a loaded picture, scaled to the widget with its own proportions.
class PictureCanvas : public QWidget {
 public:
  explicit PictureCanvas(QWidget* parent = nullptr);
  void SetPicture(std::optional<draw::Picture> picture);
  const std::optional<draw::Picture>& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<draw::Picture> picture_;
};

class PictureViewSwitch : public QWidget {
  Q_OBJECT

 public:
  // Takes the session view into its own layout.
  PictureViewSwitch(SessionView* trace, QWidget* parent = nullptr);

  draw::PictureKind Kind() const;
  void SetKind(draw::PictureKind kind);
  // What the pictures are drawn from: the selected session with the panel's parameters (the
  // request's kind is the switch's own).
  void SetSource(const draw::PictureRequest& request);
  const PictureCanvas* Canvas() const { return canvas_; }

  // Saves the shown picture: the heatmap and timeline in any format (".png", ".svg", ".pdf", else a
  // bitmap), the trace as SVG or PDF; the result, or nothing when the session view saves it.
  std::optional<bool> Save(const std::string& path);

 private:
  void Refresh();
  std::optional<draw::Picture> Load(draw::PictureKind kind) const;

  QComboBox* kinds_;
  QStackedWidget* stack_;
  PictureCanvas* canvas_;
  std::optional<draw::PictureRequest> source_;
};

}  // namespace tlx::gui
