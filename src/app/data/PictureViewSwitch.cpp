#include "app/data/PictureViewSwitch.h"

#include "app/data/SessionView.h"
#include "common/Paths.h"
#include "common/Texts.h"
#include "draw/PictureText.h"

#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace tlx::gui {

namespace {

constexpr draw::PictureKind kKinds[] = {draw::PictureKind::Trace, draw::PictureKind::Heatmap,
                                        draw::PictureKind::Timeline};
const char* const kKindTitles[] = {"Trace", "Heatmap", "Timeline"};

}  // namespace

PictureCanvas::PictureCanvas(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("picPicture"));
  setMinimumSize(160, 120);
}

void PictureCanvas::SetPicture(std::optional<draw::Picture> picture) {
  picture_ = std::move(picture);
  update();
}

void PictureCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (!picture_) return;
  // Text keeps its size in points: the picture is laid out for the widget's width.
  const double pointsWide = width() / draw::UnitsPerPoint(this);
  const QSizeF natural = draw::SizeForWidth(*picture_, pointsWide);
  const QSizeF fitted = natural.scaled(QSizeF(size()), Qt::KeepAspectRatio);
  draw::DrawPicture(painter, QRectF(QPointF(0, 0), fitted), *picture_);
}

PictureViewSwitch::PictureViewSwitch(SessionView* trace, QWidget* parent) : QWidget(parent) {
  kinds_ = new QComboBox(this);
  kinds_->setObjectName(QStringLiteral("cboPictureKind"));
  for (const char* title : kKindTitles) kinds_->addItem(QString::fromLatin1(title));
  stack_ = new QStackedWidget(this);
  stack_->addWidget(trace);
  canvas_ = new PictureCanvas(this);
  stack_->addWidget(canvas_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(kinds_, 0, Qt::AlignLeft);
  layout->addWidget(stack_, 1);
  connect(kinds_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
}

draw::PictureKind PictureViewSwitch::Kind() const { return kKinds[std::max(0, kinds_->currentIndex())]; }

void PictureViewSwitch::SetKind(draw::PictureKind kind) {
  for (int i = 0; i < 3; ++i)
    if (kKinds[i] == kind) kinds_->setCurrentIndex(i);
}

void PictureViewSwitch::SetSource(const draw::PictureRequest& request) {
  source_ = request;
  Refresh();
}

std::optional<draw::Picture> PictureViewSwitch::Load(draw::PictureKind kind) const {
  if (!source_) return std::nullopt;
  draw::PictureRequest request = *source_;
  request.Kind = kind;
  draw::Picture picture;
  if (draw::LoadPicture(request, picture) != SampleRangeStatus::Done) return std::nullopt;
  return picture;
}

// The trace stays with the session view, which draws long sessions in the background; the other
// pictures are read when shown (they cost about one analysis of the session).
void PictureViewSwitch::Refresh() {
  const bool trace = Kind() == draw::PictureKind::Trace;
  stack_->setCurrentIndex(trace ? 0 : 1);
  canvas_->SetPicture(trace ? std::nullopt : Load(Kind()));
}

// Every picture, the trace too, as tracelux-plot draws it: with its title, legends, zone key and
// scale bar, as PNG, SVG or PDF (the extension says which).
std::optional<bool> PictureViewSwitch::Save(const std::string& path) {
  if (!draw::IsPictureFileName(path)) return false;
  const bool trace = Kind() == draw::PictureKind::Trace;
  const std::optional<draw::Picture> picture = trace ? Load(Kind()) : canvas_->Picture();
  if (!picture) return false;
  return draw::SavePicture(*picture, path, draw::NaturalSize(*picture)) == draw::SaveStatus::Saved;
}

}  // namespace tlx::gui
