// The data files opened last, most recent first, as entries "&1 NAME" ... in the File menu above
// Exit. The list belongs to the program home ("RECENT.INI" there), so two homes keep two lists.
#pragma once

#include <QObject>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class QAction;

namespace tlx::gui {

class MainWindow;

// The list itself and its file.
class RecentFiles {
 public:
  static constexpr int kMaxEntries = 6;

  // Reads the list kept in the program home; an empty home keeps the list in memory only.
  explicit RecentFiles(const std::string& home);

  const QStringList& Files() const { return files_; }
  // Puts the file at the front (once, by its absolute path) and drops the oldest beyond the
  // limit; the list is written at once, so a crash later does not lose it.
  void Add(const QString& path);
  void Remove(const QString& path);

 private:
  void Save() const;

  QString file_;
  QStringList files_;
};

// The entries in the window's File menu. Choosing one opens the file through `open`; a file that
// is no longer there is offered for removal from the list instead.
class RecentFilesMenu : public QObject {
  Q_OBJECT

 public:
  using Opener = std::function<void(const std::string& path)>;
  // The menu object is the window's child.
  RecentFilesMenu(MainWindow& window, Opener open);

  const RecentFiles& List() const { return list_; }
  // A data file was opened: it goes to the front of the list.
  void Opened(const QString& path);

 private:
  void Rebuild();
  void Choose(const QString& path);

  MainWindow& window_;
  Opener open_;
  RecentFiles list_;
  std::vector<QAction*> entries_;
  QAction* separator_ = nullptr;
};

// The text of entry `number` (1-based) for a path: "&1 RUN1.DAT"; ampersands in the name are
// doubled so they show instead of marking an access key.
QString RecentEntryText(int number, const QString& path);

}  // namespace tlx::gui
