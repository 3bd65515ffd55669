// The main function of the merged widget test executables: each registered test class runs in
// turn on one application object; the exit code counts the failed cases.
#include "GuiDriver.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setAttribute(Qt::AA_Use96Dpi, true);
  int failed = 0;
  for (tlx::gui::test::SuiteMaker make : tlx::gui::test::Suites()) failed += QTest::qExec(make().get(), argc, argv);
  return failed;
}
