#include "app/RecentFiles.h"

#include "app/MainWindow.h"
#include "common/Paths.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace tlx::gui {
namespace {

constexpr const char* kRecentFileName = "RECENT.INI";
constexpr const char* kGroup = "RecentFiles";
constexpr const char* kMissingCaption = "Recent Files";

QString KeyFor(int index) { return QStringLiteral("File%1").arg(index + 1); }

QString Absolute(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

}  // namespace

RecentFiles::RecentFiles(const std::string& home) {
  if (home.empty()) return;
  file_ = QString::fromStdString(JoinPath(home, kRecentFileName));
  QSettings settings(file_, QSettings::IniFormat);
  settings.beginGroup(QLatin1String(kGroup));
  // Entries are read in their order; empty, repeated and surplus ones (a hand-edited file) are
  // dropped.
  for (int i = 0; i < kMaxEntries; ++i) {
    const QString path = settings.value(KeyFor(i)).toString();
    if (!path.isEmpty() && !files_.contains(path)) files_.append(path);
  }
}

void RecentFiles::Add(const QString& path) {
  const QString absolute = Absolute(path);
  files_.removeAll(absolute);
  files_.prepend(absolute);
  while (files_.size() > kMaxEntries) files_.removeLast();
  Save();
}

void RecentFiles::Remove(const QString& path) {
  if (files_.removeAll(path) > 0) Save();
}

void RecentFiles::Save() const {
  if (file_.isEmpty()) return;
  QSettings settings(file_, QSettings::IniFormat);
  settings.remove(QLatin1String(kGroup));
  settings.beginGroup(QLatin1String(kGroup));
  for (int i = 0; i < files_.size(); ++i) settings.setValue(KeyFor(i), files_[i]);
  settings.endGroup();
  settings.sync();
}

QString RecentEntryText(int number, const QString& path) {
  QString name = QFileInfo(path).fileName();
  name.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return QStringLiteral("&%1 %2").arg(number).arg(name);
}

RecentFilesMenu::RecentFilesMenu(MainWindow& window, Opener open)
    : QObject(&window), window_(window), open_(std::move(open)),
      list_(window.GetProgram().home) {
  QAction* exit = window_.Menu(QStringLiteral("mnuExit"));
  QMenu* file = window_.Menu(QStringLiteral("mnuFile"))->menu();
  for (int i = 0; i < RecentFiles::kMaxEntries; ++i) {
    auto* entry = new QAction(file);
    entry->setObjectName(QStringLiteral("mnuRecent%1").arg(i + 1));
    connect(entry, &QAction::triggered, this, [this, entry] { Choose(entry->data().toString()); });
    file->insertAction(exit, entry);
    entries_.push_back(entry);
  }
  separator_ = file->insertSeparator(exit);
  Rebuild();
}

void RecentFilesMenu::Opened(const QString& path) {
  list_.Add(path);
  Rebuild();
}

void RecentFilesMenu::Rebuild() {
  const QStringList& files = list_.Files();
  for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
    QAction* entry = entries_[i];
    const bool used = i < files.size();
    entry->setVisible(used);
    entry->setText(used ? RecentEntryText(i + 1, files[i]) : QString());
    entry->setData(used ? files[i] : QString());
    entry->setStatusTip(used ? files[i] : QString());
    entry->setToolTip(used ? files[i] : QString());  // the full path; the menu shows the name
  }
  separator_->setVisible(!files.isEmpty());
}

void RecentFilesMenu::Choose(const QString& path) {
  if (path.isEmpty()) return;
  if (QFileInfo::exists(path)) {
    open_(path.toStdString());
    return;
  }
  const std::string text = "The file\r\n" + path.toStdString() +
                           "\r\nis no longer there.\r\n\r\nRemove it from the list?";
  if (window_.Answers().ShowMessage({kMissingCaption, text, MsgIcon::Question, MsgButtons::YesNo}) ==
      MsgAnswer::Yes) {
    list_.Remove(path);
    Rebuild();
  }
}

}  // namespace tlx::gui
