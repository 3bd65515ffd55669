#include "app/QtUserAnswers.h"

#include "app/controls/BusyWindows.h"
#include "app/controls/QtKeys.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace tlx::gui {
namespace {

// Room for a window manager's buttons and icon beside a message box's title.
constexpr int kTitleButtonsWidth = 140;

QMessageBox::Icon IconOf(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok: return QMessageBox::Ok;
    case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::AbortRetryIgnore:
      return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

// A box closed without a button (Escape, the window's close button) answers as its way out.
MsgAnswer WayOut(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok: return MsgAnswer::Ok;
    case MsgButtons::YesNo: return MsgAnswer::No;
    case MsgButtons::AbortRetryIgnore: return MsgAnswer::Abort;
    default: return MsgAnswer::Cancel;
  }
}

MsgAnswer AnswerOf(int clicked, MsgButtons buttons) {
  switch (clicked) {
    case QMessageBox::Ok: return MsgAnswer::Ok;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Abort: return MsgAnswer::Abort;
    case QMessageBox::Retry: return MsgAnswer::Retry;
    case QMessageBox::Ignore: return MsgAnswer::Ignore;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    default: return WayOut(buttons);
  }
}

QMessageBox::StandardButton ButtonOf(MsgAnswer answer) {
  switch (answer) {
    case MsgAnswer::Ok: return QMessageBox::Ok;
    case MsgAnswer::Cancel: return QMessageBox::Cancel;
    case MsgAnswer::Abort: return QMessageBox::Abort;
    case MsgAnswer::Retry: return QMessageBox::Retry;
    case MsgAnswer::Ignore: return QMessageBox::Ignore;
    case MsgAnswer::Yes: return QMessageBox::Yes;
    case MsgAnswer::No: return QMessageBox::No;
  }
  return QMessageBox::NoButton;
}

// "MAP;*.DAT" offers "*.MAP *.DAT", in upper and lower case (names are case-sensitive here).
QStringList PatternsOf(const std::string& extension) {
  QStringList patterns;
  for (QString part : QString::fromStdString(extension).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    part = part.trimmed();
    if (part.startsWith(QLatin1String("*."))) part = part.mid(2);
    if (part.startsWith(QLatin1Char('.'))) part = part.mid(1);
    if (part.isEmpty()) continue;
    patterns << QStringLiteral("*.") + part.toUpper();
    if (part.toLower() != part.toUpper()) patterns << QStringLiteral("*.") + part.toLower();
  }
  return patterns;
}

}  // namespace

void QtUserAnswers::Prepare(QMessageBox& box, const MessageRequest& request) const {
  box.setIcon(IconOf(request.icon));
  box.setWindowTitle(FromProgramText(request.caption));
  // Shown letter for letter: a file name such as "<b>1.DAT" must not be taken for markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(FromProgramText(request.text));
  box.setStandardButtons(ButtonsOf(request.buttons));
  if (QAbstractButton* ok = box.button(QMessageBox::Ok); ok && !request.okText.empty())
    ok->setText(FromProgramText(request.okText));
  // The caption is read whole: the box is at least as wide as its title with the window
  // manager's buttons beside it.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + kTitleButtonsWidth;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
  }
  if (request.defaultAnswer) {
    if (QAbstractButton* safe = box.button(ButtonOf(*request.defaultAnswer)))
      box.setDefaultButton(qobject_cast<QPushButton*>(safe));
  }
}

MsgAnswer QtUserAnswers::ShowMessage(const MessageRequest& request) {
  QMessageBox box(owner_);
  Prepare(box, request);
  return AnswerOf(box.exec(), request.buttons);
}

void QtUserAnswers::Inform(const MessageRequest& request) {
  auto* box = new QMessageBox(owner_);
  Prepare(*box, request);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(owner_ ? Qt::WindowModal : Qt::ApplicationModal);
  box->show();
}

std::string QtUserAnswers::ChooseFile(const FileDialogRequest& request) {
  // A dialog opens in the folder the same dialog was last left in (kept with the dialogs' own
  // history, in the program home), else where the program proposes.
  QSettings history(QSettings::UserScope, QStringLiteral("QtProject"));
  const QString key = QStringLiteral("LastFolders/") +
                      QString::fromStdString(request.title + " " + request.extension);
  QString folder = history.value(key).toString();
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = FromPathText(request.initialDirectory);
  QFileDialog dialog(owner_, FromProgramText(request.title), folder);
  dialog.setAcceptMode(request.forOpening ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(request.forOpening && request.askFlags ? QFileDialog::ExistingFile
                                                            : QFileDialog::AnyFile);
  if (!request.forOpening && !request.askFlags) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList patterns = PatternsOf(request.extension);
  QStringList filters;
  if (!patterns.isEmpty()) {
    filters << QStringLiteral("%1 files (%2)").arg(patterns.first().mid(2), patterns.join(' '));
    dialog.setDefaultSuffix(patterns.first().mid(2));
  }
  filters << QObject::tr("All files (*)");
  dialog.setNameFilters(filters);
  if (!request.initialName.empty() && request.initialName.front() != '*') {
    dialog.selectFile(FromPathText(request.initialName));
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString chosen = dialog.selectedFiles().first();
  history.setValue(key, QFileInfo(chosen).absolutePath());
  return ToPathText(chosen);
}

void QtUserAnswers::ShowStatus(const std::string& text, int percent) {
  if (!busy_) return;
  if (text.empty()) {
    busy_->HideProgress();
    return;
  }
  busy_->ShowProgress(FromProgramText(text));
  if (percent >= 0) busy_->SetProgress(percent);
}

}  // namespace tlx::gui
