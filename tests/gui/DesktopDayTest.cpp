// The whole desktop as a user meets it over a day at the bench: no two access keys reachable at
// once, the window within the screen and no panel squeezed at the smallest size, a home page
// that says where the user stands, and files dropped on the window.
#include "GuiDriver.h"
#include "PanelRig.h"

#include "app/data/OpenDataPanel.h"
#include "app/data/PanelHookup.h"
#include "app/panels/HomePanel.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QScreen>
#include <QStackedWidget>

#include <map>

using namespace tlx;
using namespace tlx::gui;
using namespace tlx::gui::test;

namespace {

// The access key of a caption ("E&xit" -> 'X'), or 0.
QChar KeyOf(QString text) {
  text.replace(QLatin1String("&&"), QString());
  const int at = text.indexOf(QLatin1Char('&'));
  return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toUpper() : QChar();
}

// Adds each key once; returns the captions that clash.
QStringList Clashes(const std::vector<std::pair<QChar, QString>>& keyed) {
  std::map<QChar, QString> owners;
  QStringList clashes;
  for (const auto& [key, caption] : keyed) {
    if (key.isNull()) continue;
    auto [it, added] = owners.emplace(key, caption);
    if (!added) clashes << it->second + " / " + caption;
  }
  return clashes;
}

}  // namespace

class DesktopDayTest : public QObject {
  Q_OBJECT

  std::unique_ptr<WindowRig> rig;
  MainWindow& W() { return *rig->window; }

 private slots:
  void initTestCase() { rig = std::make_unique<WindowRig>([](const QTemporaryDir&) {}); }
  void cleanupTestCase() { rig.reset(); }

  // Within each menu the items' keys differ; on each panel its controls' keys differ from one
  // another and from the menu bar's (Alt+R must reach the Run menu from every panel).
  void noTwoAccessKeysReachableAtOnceAreTheSame() {
    std::vector<std::pair<QChar, QString>> bar;
    for (QAction* top : W().menuBar()->actions()) {
      bar.emplace_back(KeyOf(top->text()), top->text());
      std::vector<std::pair<QChar, QString>> items;
      for (QAction* a : top->menu()->actions())
        if (a->isVisible() && !a->isSeparator()) items.emplace_back(KeyOf(a->text()), a->text());
      QVERIFY2(Clashes(items).isEmpty(), qPrintable(top->text() + ": " + Clashes(items).join(", ")));
    }
    QVERIFY2(Clashes(bar).isEmpty(), qPrintable(Clashes(bar).join(", ")));
    auto* stack = W().findChild<QStackedWidget*>();
    for (int i = 0; i < stack->count(); ++i) {
      QWidget* page = stack->widget(i);
      std::vector<std::pair<QChar, QString>> keyed = bar;
      for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(page)) continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) keyed.emplace_back(KeyOf(b->text()), b->text());
        if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy()) keyed.emplace_back(KeyOf(l->text()), l->text());
        if (auto* g = qobject_cast<QGroupBox*>(w)) keyed.emplace_back(KeyOf(g->title()), g->title());
      }
      QVERIFY2(Clashes(keyed).isEmpty(), qPrintable(page->objectName() + ": " + Clashes(keyed).join(", ")));
    }
  }

  // Every control on every panel says what it does when the mouse rests on it (its own tip, or
  // that of the composite control it is part of).
  void everyControlHasATip() {
    auto* stack = W().findChild<QStackedWidget*>();
    for (int i = 0; i < stack->count(); ++i) {
      QWidget* page = stack->widget(i);
      for (QWidget* w : page->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractItemView*>(w);
        if (!control || !w->isVisibleTo(page)) continue;
        QWidget* tipped = w;
        while (tipped != page && tipped->toolTip().isEmpty()) tipped = tipped->parentWidget();
        QVERIFY2(tipped != page, qPrintable(page->objectName() + ": " + w->objectName() + " " + w->metaObject()->className()));
      }
    }
  }

  // The window opens within the screen, and at its smallest size no control of the data panel
  // (the reanalysis boxes, the session box, Home) is squeezed below its own smallest size: the
  // panel scrolls instead.
  void theWindowFitsTheScreenAndNothingIsSqueezed() {
    const QRect screen = W().screen()->availableGeometry();
    QVERIFY(W().width() <= screen.width() && W().height() <= screen.height());
    QVERIFY(W().minimumWidth() <= screen.width() && W().minimumHeight() <= screen.height());
    W().resize(W().minimumSize());
    W().EnterMode(kModeOpenData);
    QTest::qWait(50);
    OpenDataPanel* data = rig->desktop->Panels().Data();
    for (QWidget* w : data->findChildren<QWidget*>()) {
      if (!w->isVisibleTo(data) || !(qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w))) continue;
      QVERIFY2(w->height() >= w->minimumSizeHint().height(), qPrintable(w->objectName()));
    }
    W().EnterHome();
  }

  // The home page: the unit's state and port, the experiment in one line, the recordings; a
  // data file dropped on the window opens on the data panel and joins the recordings.
  void theHomePageSaysWhereTheUserStandsAndADroppedFileOpens() {
    HomePanel* home = W().Home();
    QVERIFY2(home->UnitLabel()->text().contains("simulated, ready (COM1"), qPrintable(home->UnitLabel()->text()));
    QVERIFY(home->ExperimentLabel()->text().startsWith("Experiment: "));
    QVERIFY(home->ExperimentLabel()->text().contains(" samples/s, "));
    tlx::test::TempDir dir;
    const std::string data = tlx::test::RecordRun(dir, "DAY", 10, 1, 5);
    QVERIFY(W().OpenDroppedFile(QString::fromStdString(data)));
    QCOMPARE(W().Mode(), int(kModeOpenData));
    QVERIFY(W().StatusText().startsWith("Opened "));
    W().EnterHome();
    QCOMPARE(home->Recordings()->item(0)->toolTip(), QString::fromStdString(data));
    QVERIFY(!W().OpenDroppedFile(QString::fromStdString(dir.File("DAY.EXP.txt"))));
  }
};

TLX_GUI_TEST(DesktopDayTest)
#include "DesktopDayTest.moc"
