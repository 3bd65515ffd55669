// A small window showing the program's entry controls until the main window takes over.
#include "app/QtUserAnswers.h"
#include "app/controls/BusyWindows.h"
#include "app/controls/QbxPickFile2.h"
#include "app/controls/QbxRangeBox.h"
#include "app/controls/QbxSpinButton2.h"
#include "common/SystemClock.h"

#include <QApplication>
#include <QDialog>
#include <QFormLayout>
#include <QPushButton>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  tlx::SystemClock clock;
  tlx::gui::BusyWindows busy(clock);
  QDialog window;
  window.setWindowTitle(QStringLiteral("Tracelux-One 3.20"));
  tlx::gui::QtUserAnswers answers(&window, &busy);
  auto* form = new QFormLayout(&window);

  auto* sessionLength = new tlx::gui::QbxRangeBox(answers, &window);
  sessionLength->setObjectName(QStringLiteral("rbSessLen"));
  tlx::RangeBoxProperties duration;
  duration.style = tlx::RangeStyle::Duration;
  duration.time = true;
  duration.min = 5;
  duration.max = 86400;
  duration.numOnly = true;
  duration.showWarn = true;
  duration.varName = "Session Length";
  sessionLength->SetProperties(duration);
  sessionLength->SetValue(600);
  form->addRow(QStringLiteral("Session length"), sessionLength);

  auto* scale = new tlx::gui::QbxRangeBox(answers, &window);
  scale->setObjectName(QStringLiteral("rbCalibScale"));
  tlx::RangeBoxProperties number;
  number.places = 2;
  number.min = 1;
  number.max = 1000;
  number.showWarn = true;
  scale->SetProperties(number);
  scale->SetValue(100);
  form->addRow(QStringLiteral("Calibrate scale"), scale);

  auto* session = new tlx::gui::QbxSpinButton2(answers, &window);
  session->setObjectName(QStringLiteral("spDataSessNum"));
  tlx::SpinButtonProperties spin;
  spin.min = 1;
  spin.max = 12;
  session->SetProperties(spin);
  form->addRow(QStringLiteral("Session"), session);

  auto* picker = new tlx::gui::QbxPickFile2(answers, &window);
  picker->setObjectName(QStringLiteral("pfExptData"));
  picker->Model().Props().openOrSave = false;
  picker->Model().Props().showWarn = true;
  picker->Model().Props().noFileMsg = "Data will not be saved";
  picker->SetExtension(QStringLiteral("DAT"));
  picker->SetSaveTitle(QStringLiteral("Sa&ve Data : "));
  form->addRow(picker);

  auto* progress = new QPushButton(QStringLiteral("Show progress"), &window);
  QObject::connect(progress, &QPushButton::clicked, [&busy] {
    busy.ShowProgress(QStringLiteral("Loading Map"));
    busy.SetProgress(40);
  });
  auto* delay = new QPushButton(QStringLiteral("Show delay message"), &window);
  QObject::connect(delay, &QPushButton::clicked, [&busy] {
    busy.HideProgress();
    busy.ShowDelayMessage(QStringLiteral("Printing ..."), true, 3);
  });
  form->addRow(progress, delay);
  window.show();
  return app.exec();
}
