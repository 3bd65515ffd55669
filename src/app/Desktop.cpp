#include "app/Desktop.h"

#include "app/data/PanelHookup.h"

namespace tlx::gui {

Desktop::Desktop(AppServices services)
    : window_(std::make_unique<MainWindow>(std::move(services))),
      panels_(new DataZonePanels(*window_)) {}

Desktop::~Desktop() = default;

}  // namespace tlx::gui
