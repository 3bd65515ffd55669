// Where F1 finds the manual: the installed pages first, then the pages rendered in a build tree
// above the executable, then the Markdown sources of a source tree, and a fixed path otherwise.
#include "app/AppStart.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class ManualLookupTest : public QObject {
  Q_OBJECT

  static void Touch(const QDir& root, const QString& file) {
    QVERIFY(root.mkpath(QFileInfo(root.filePath(file)).path()));
    QFile f(root.filePath(file));
    QVERIFY(f.open(QIODevice::WriteOnly));
  }
  static QString Found(const QDir& root, const QString& exeDir) {
    if (!root.mkpath(exeDir)) return QStringLiteral("(no executable directory)");
    return QString::fromStdString(tlx::gui::FindManual(root.filePath(exeDir)));
  }

 private slots:
  void InstalledPagesBeatEverythingAboveTheExecutable() {
    QTemporaryDir dir;
    const QDir root(dir.path());
    Touch(root, QStringLiteral("usr/share/doc/tracelux/manual/index.html"));
    Touch(root, QStringLiteral("usr/docs/manual/index.html"));
    QCOMPARE(Found(root, QStringLiteral("usr/bin")), root.filePath(QStringLiteral("usr/share/doc/tracelux/manual/index.html")));
  }

  void BuildTreePagesBeatTheSourcesOfTheTreeAroundIt() {
    QTemporaryDir dir;
    const QDir root(dir.path());
    Touch(root, QStringLiteral("docs/manual/index.md"));
    Touch(root, QStringLiteral("build/docs/manual/index.html"));
    QCOMPARE(Found(root, QStringLiteral("build/src/app")), root.filePath(QStringLiteral("build/docs/manual/index.html")));
  }

  void UnrenderedSourcesAreTheLastChoiceAndNothingGivesTheSystemPath() {
    QTemporaryDir dir;
    const QDir root(dir.path());
    QCOMPARE(Found(root, QStringLiteral("build/src/app")), QStringLiteral("/usr/share/doc/tracelux/manual/index.html"));
    Touch(root, QStringLiteral("docs/manual/index.md"));
    QCOMPARE(Found(root, QStringLiteral("build/src/app")), root.filePath(QStringLiteral("docs/manual/index.md")));
  }
};

QTEST_GUILESS_MAIN(ManualLookupTest)
#include "ManualLookupTest.moc"
