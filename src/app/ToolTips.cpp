#include "app/ToolTips.h"

#include <QString>
#include <QWidget>

#include <map>

namespace tlx::gui {
namespace {

const std::map<QString, const char*>& Tips() {
  static const std::map<QString, const char*> tips = {
      // Experiment panel.
      {QStringLiteral("rbSessLen"), "How long one session records, as H:MM:SS or seconds"},
      {QStringLiteral("rbNumSess"), "How many sessions the run records, one after the other"},
      {QStringLiteral("rbInitDelay"), "How long to wait after Start before recording (or the time of day to start)"},
      {QStringLiteral("rbMaxDist"), "Longer moves between two samples are taken for jumps of the tracking, in pixels"},
      {QStringLiteral("rbAmbulThresh"), "The shortest move counted as walking, in pixels"},
      {QStringLiteral("rbStereoThresh"), "The shortest move counted at all (grooming, sniffing), in pixels"},
      {QStringLiteral("rbCalibScale"), "Pixels of the unit's picture that the reference length covers"},
      {QStringLiteral("rbCalibRef"), "The reference length in the measurement unit"},
      {QStringLiteral("cboMeasUnits"), "The unit distances are reported in"},
      {QStringLiteral("cboSampleRate"), "Positions recorded per second"},
      {QStringLiteral("chkSave"), "Record the run into the data file named here"},
      {QStringLiteral("cmdBrowse"), "Choose the data file the run records into"},
      {QStringLiteral("cmdExitSetupExpt"), "Back to the home page; the setup is kept and saved"},
      // System panel.
      {QStringLiteral("cmdSetupBkGnd"), "Start masking the unit's background"},
      {QStringLiteral("cmdDoneSetupBkGnd"), "Keep the background mask as set"},
      {QStringLiteral("cmdCancelBkGnd"), "Leave the background mask as it was"},
      {QStringLiteral("cmdViewLive"), "Show the camera's live picture on the unit's monitor (any key ends it)"},
      {QStringLiteral("cboVideoMode"), "The camera's video standard"},
      {QStringLiteral("cboDelayType"), "Start a run after a delay, or at a time of day"},
      {QStringLiteral("chkObjectFilter"), "Let the unit ignore small objects besides the animal"},
      {QStringLiteral("cmdInvertVideo"), "Track a dark animal on a light floor, or the other way round"},
      {QStringLiteral("cmdExitSetupSystem"), "Back to the home page"},
      // Run and monitor panels.
      {QStringLiteral("chkTrace"), "Draw the animal's path behind its position"},
      {QStringLiteral("cmdClear"), "Wipe the path drawn so far (the recording is not touched)"},
      {QStringLiteral("cmdRunExpt"), "Start the run (space bar)"},
      {QStringLiteral("cmdStopExpt"), "Stop the run early; everything recorded so far is kept"},
      {QStringLiteral("cmdExitRunExpt"), "Back to the home page (asks first while a run goes)"},
      {QStringLiteral("cmdExitMonitor"), "Back to the home page"},
      // Data panel.
      {QStringLiteral("cmdRanal_0"), "Work the recording out again with the parameters shown (F5)"},
      {QStringLiteral("cmdRanal_1"), "Write the results table as comma- or semicolon-separated text"},
      {QStringLiteral("cmdRanal_2"), "Write every recorded position as comma- or semicolon-separated text"},
      {QStringLiteral("cmdRanal_3"), "Save the picture shown as PNG, SVG or PDF"},
      {QStringLiteral("cmdExitData"), "Back to the home page"},
      {QStringLiteral("txtPixels_0"), "Calibration: pixels of the reference length"},
      {QStringLiteral("txtUnits_0"), "Calibration: the reference length in the unit"},
      {QStringLiteral("txtPixels_1"), "Ambulatory threshold in pixels"},
      {QStringLiteral("txtUnits_1"), "Ambulatory threshold in the unit"},
      {QStringLiteral("txtPixels_2"), "Stereotypic threshold in pixels"},
      {QStringLiteral("txtUnits_2"), "Stereotypic threshold in the unit"},
      {QStringLiteral("txtPixels_3"), "Maximum distance in pixels"},
      {QStringLiteral("txtUnits_3"), "Maximum distance in the unit"},
      {QStringLiteral("cboUnitsPixels"), "The unit of the reanalysed distances"},
      {QStringLiteral("rbSessionLng"), "Session length for the reanalysis"},
      {QStringLiteral("spDataSessNum"), "The session whose picture is shown and printed"},
      {QStringLiteral("grOpenData"), "The results; the rows of the session shown are marked"},
      {QStringLiteral("cboPictureKind"), "Show the session's trace, the occupancy heatmap or the activity timeline"},
      {QStringLiteral("lblDataParams_4"), "The zone map the results use; after a parameter change, click to choose another"},
      // Zone editor.
      {QStringLiteral("vgZoneGrid"), "Paint zones with the left button, erase with the right"},
      {QStringLiteral("txtZoneChar"), "The zone being painted: a letter or digit"},
      {QStringLiteral("cmdPencil"), "Paint cell by cell"},
      {QStringLiteral("cmdRect"), "Paint a rectangle"},
      {QStringLiteral("cmdEraser"), "Erase cell by cell"},
      {QStringLiteral("cmdErase"), "Clear the whole map"},
      {QStringLiteral("cmdUndo"), "Take back the last stroke (Ctrl+Z)"},
      {QStringLiteral("cmdPrintZone"), "Print the zone map"},
      {QStringLiteral("cmdExitZone"), "Back to the home page; the map is kept"},
  };
  return tips;
}

}  // namespace

void ApplyToolTips(QWidget* root) {
  const auto& tips = Tips();
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->toolTip().isEmpty()) continue;
    const auto it = tips.find(w->objectName());
    if (it != tips.end()) w->setToolTip(QString::fromLatin1(it->second));
  }
}

}  // namespace tlx::gui
