#include "app/Desktop.h"

#include "app/ToolTips.h"
#include "app/data/PanelHookup.h"

namespace tlx::gui {

Desktop::Desktop(AppServices services)
    : window_(std::make_unique<MainWindow>(std::move(services))),
      panels_(new DataZonePanels(*window_)) {
  ApplyToolTips(window_.get());
}

Desktop::~Desktop() = default;

}  // namespace tlx::gui
