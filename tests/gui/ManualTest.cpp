// Where F1 finds the manual: the installed pages first, then the pages rendered in a build tree
// above the executable, then the Markdown sources of a source tree, and a fixed path otherwise.
// And the desktop program's man page names every option the program accepts.
#include "GuiDriver.h"
#include "app/AppStart.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class ManualTest : public QObject {
  Q_OBJECT

 private slots:
  void PrefersInstalledThenBuiltThenSourcePages_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("executableDir");
    QTest::addColumn<QString>("expected");  // relative to the temporary root, or absolute
    QTest::newRow("installed beats a tree above")
        << QStringList{"usr/share/tracelux/manual/index.html", "usr/docs/manual/index.html"}
        << "usr/bin" << "usr/share/tracelux/manual/index.html";
    QTest::newRow("build tree beats the sources around it")
        << QStringList{"docs/manual/index.md", "build/docs/manual/index.html"}
        << "build/src/app" << "build/docs/manual/index.html";
    QTest::newRow("unrendered sources") << QStringList{"docs/manual/index.md"} << "build/src/app"
                                        << "docs/manual/index.md";
    QTest::newRow("nothing found") << QStringList{} << "build/src/app"
                                   << "/usr/share/tracelux/manual/index.html";
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

  void ManPageNamesEveryOptionOfTheDesktopProgram() {
    QFile page(QStringLiteral(TLX_DOCS_DIR "/man/tracelux.1"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString roff = QString::fromUtf8(page.readAll());
    QProcess program;
    // The help is there without any display to open (a terminal logged in from elsewhere).
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(QLatin1String(name));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TLX_APP_PATH), {QStringLiteral("--help")});
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitCode(), 0);
    const QString help = QString::fromUtf8(program.readAllStandardOutput());
    int options = 0;
    const QRegularExpression option(QStringLiteral("^  (?:-h, )?(--[a-z-]+)"), QRegularExpression::MultilineOption);
    for (auto it = option.globalMatch(help); it.hasNext();) {
      const QString name = it.next().captured(1);
      if (name == QLatin1String("--help-all")) continue;  // the toolkit's own options
      ++options;
      QVERIFY2(roff.contains(QString(name).replace(QLatin1Char('-'), QStringLiteral("\\-"))), qPrintable(name));
    }
    QVERIFY2(options >= 5, qPrintable(help));
  }
};

TLX_GUI_TEST(ManualTest)
#include "ManualTest.moc"
