// The File menu's recent data files: the list's order, limit and file, the menu entries, opening
// through them after a restart, files that are gone, and one list per program home.
#include "GuiDriver.h"
#include "app/RecentFiles.h"
#include "app/data/OpenDataPanel.h"
#include "data/DataFileBuilder.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSettings>

using namespace tlx;
using namespace tlx::gui;
using namespace tlx::gui::test;

namespace {

// A small recording: one session of 60 samples at one per second.
QString WriteRecording(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return {};
  const std::string bytes = tlx::test::DataFileBuilder{}.Repeat(40, 40, 30).Repeat(200, 150, 30).Bytes();
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  return path;
}

}  // namespace

class RecentFilesTest : public QObject {
  Q_OBJECT

  QTemporaryDir files;
  QString F(const QString& name) const { return files.filePath(name); }

  // The visible recent entries of the File menu, in menu order, by their texts.
  static QStringList Entries(const WindowRig& w) {
    QStringList texts;
    for (QAction* a : w.Menu("mnuFile")->menu()->actions()) {
      if (a->objectName().startsWith("mnuRecent") && a->isVisible()) texts << a->text();
    }
    return texts;
  }
  // The menu item just above Exit: the recent entries' own separator.
  static QAction* AboveExit(const WindowRig& w) {
    const QList<QAction*> menu = w.Menu("mnuFile")->menu()->actions();
    return menu[menu.indexOf(w.Menu("mnuExit")) - 1];
  }

 private slots:
  // Newest first, each file once however its path was spelt, at most six, kept in the home.
  void theListKeepsOrderWithoutDuplicatesUpToSixAndIsStored() {
    QTemporaryDir home;
    {
      RecentFiles list(home.path().toStdString());
      for (int i = 1; i <= 7; ++i) list.Add(F(QString("R%1.DAT").arg(i)));
      list.Add(files.path() + "/./sub/../R5.DAT");
      QCOMPARE(list.Files(), QStringList({F("R5.DAT"), F("R7.DAT"), F("R6.DAT"), F("R4.DAT"),
                                          F("R3.DAT"), F("R2.DAT")}));
      list.Remove(F("R4.DAT"));
    }
    RecentFiles again(home.path().toStdString());
    QCOMPARE(again.Files(), QStringList({F("R5.DAT"), F("R7.DAT"), F("R6.DAT"), F("R3.DAT"),
                                         F("R2.DAT")}));
  }

  // A hand-edited file: gaps and repeats are dropped, nothing beyond six is read.
  void aHandEditedFileIsReadSafely() {
    QTemporaryDir home;
    {
      QSettings s(home.filePath("RECENT.INI"), QSettings::IniFormat);
      s.setValue("RecentFiles/File1", "/d/A.DAT");
      s.setValue("RecentFiles/File2", "");
      s.setValue("RecentFiles/File3", "/d/A.DAT");
      s.setValue("RecentFiles/File4", "/d/B.DAT");
      s.setValue("RecentFiles/File7", "/d/C.DAT");
    }
    QCOMPARE(RecentFiles(home.path().toStdString()).Files(), QStringList({"/d/A.DAT", "/d/B.DAT"}));
  }

  // Files opened on the data panel are listed after a restart, newest first, each once; a file
  // that could not be opened is not listed; choosing an entry opens that file.
  void openedFilesAreOfferedAfterARestartAndOpenFromTheMenu() {
    QTemporaryDir home;
    const QString a = WriteRecording(F("A.DAT")), b = WriteRecording(F("B&C.DAT"));
    QFile bad(F("BAD.DAT"));
    QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("not a recording") > 0);
    bad.close();
    {
      WindowRig w({}, 4.0, home.path());
      QVERIFY(Entries(w).isEmpty());
      OpenDataPanel* data = w.Panels().Data();
      QVERIFY(data->OpenDataFileForAnalysis(a.toStdString()));
      QVERIFY(data->OpenDataFileForAnalysis(b.toStdString()));
      QVERIFY(data->OpenDataFileForAnalysis(a.toStdString()));
      QVERIFY(!data->OpenDataFileForAnalysis(F("BAD.DAT").toStdString()));
      QCOMPARE(Entries(w), QStringList({"&1 A.DAT", "&2 B&&C.DAT"}));
      w.Close();
    }
    WindowRig w({}, 4.0, home.path());
    QCOMPARE(Entries(w), QStringList({"&1 A.DAT", "&2 B&&C.DAT"}));
    // The entries sit above Exit, after a separator of their own.
    const QList<QAction*> menu = w.Menu("mnuFile")->menu()->actions();
    QVERIFY(AboveExit(w)->isSeparator() && AboveExit(w)->isVisible());
    QCOMPARE(menu[menu.indexOf(AboveExit(w)) - 1]->objectName(), QString("mnuRecent6"));
    w.Menu("mnuRecent2")->trigger();
    QCOMPARE(w.window->Mode(), int(kModeOpenData));
    QCOMPARE(QString::fromStdString(w.Panels().Data()->Open().Info.Path), b);
    QCOMPARE(Entries(w), QStringList({"&1 B&&C.DAT", "&2 A.DAT"}));
  }

  // A file that is gone is not opened; the entry goes only when the user says so, and stays gone
  // at the next start. The list belongs to its program home.
  void aMissingFileIsOfferedForRemovalAndEachHomeHasItsOwnList() {
    QTemporaryDir home;
    const QString a = WriteRecording(F("GONE.DAT")), b = WriteRecording(F("STAYS.DAT"));
    {
      WindowRig w({}, 4.0, home.path());
      QVERIFY(w.Panels().Data()->OpenDataFileForAnalysis(a.toStdString()));
      QVERIFY(w.Panels().Data()->OpenDataFileForAnalysis(b.toStdString()));
      w.window->EnterHome();
      QVERIFY(QFile::remove(a));
      w.answerer.Queue(QMessageBox::No);
      w.Menu("mnuRecent2")->trigger();
      QCOMPARE(w.answerer.Count("Recent Files"), 1);
      QVERIFY(w.answerer.Seen().back().text.contains(a));
      QCOMPARE(w.answerer.Seen().back().buttons, QMessageBox::Yes | QMessageBox::No);
      QCOMPARE(w.window->Mode(), int(kModeHome));
      QCOMPARE(Entries(w), QStringList({"&1 STAYS.DAT", "&2 GONE.DAT"}));
      w.answerer.Queue(QMessageBox::Yes);
      w.Menu("mnuRecent2")->trigger();
      QCOMPARE(Entries(w), QStringList({"&1 STAYS.DAT"}));
      QVERIFY(!w.Menu("mnuRecent2")->isVisible());
      w.Close();
    }
    {
      WindowRig w({}, 4.0, home.path());
      QCOMPARE(Entries(w), QStringList({"&1 STAYS.DAT"}));
    }
    // Another program home (a second unit on this computer) keeps a list of its own.
    QTemporaryDir other;
    WindowRig w({}, 4.0, other.path());
    QVERIFY(Entries(w).isEmpty());
    QVERIFY(!AboveExit(w)->isVisible());
  }
};

TLX_GUI_TEST(RecentFilesTest)
#include "RecentFilesTest.moc"
