// Where F1 finds the manual: the installed pages first, then the pages rendered in a build tree
// above the executable, then the Markdown sources of a source tree, and a fixed path otherwise.
#include "app/AppStart.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class ManualLookupTest : public QObject {
  Q_OBJECT

 private slots:
  void PrefersInstalledThenBuiltThenSourcePages_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("executableDir");
    QTest::addColumn<QString>("expected");  // relative to the temporary root, or absolute
    QTest::newRow("installed beats a tree above")
        << QStringList{"usr/share/doc/tracelux/manual/index.html", "usr/docs/manual/index.html"}
        << "usr/bin" << "usr/share/doc/tracelux/manual/index.html";
    QTest::newRow("build tree beats the sources around it")
        << QStringList{"docs/manual/index.md", "build/docs/manual/index.html"}
        << "build/src/app" << "build/docs/manual/index.html";
    QTest::newRow("unrendered sources") << QStringList{"docs/manual/index.md"} << "build/src/app"
                                        << "docs/manual/index.md";
    QTest::newRow("nothing found") << QStringList{} << "build/src/app"
                                   << "/usr/share/doc/tracelux/manual/index.html";
  }

  void PrefersInstalledThenBuiltThenSourcePages() {
    QFETCH(QStringList, files);
    QFETCH(QString, executableDir);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QDir root(dir.path());
    QVERIFY(root.mkpath(executableDir));
    for (const QString& file : files) {
      QVERIFY(root.mkpath(QFileInfo(root.filePath(file)).path()));
      QFile f(root.filePath(file));
      QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const QString found = QString::fromStdString(tlx::gui::FindManual(root.filePath(executableDir)));
    QCOMPARE(found, QDir::isAbsolutePath(expected) ? expected : root.filePath(expected));
  }
};

QTEST_GUILESS_MAIN(ManualLookupTest)
#include "ManualLookupTest.moc"
