#include "support/ScopedProgramState.h"

#include "engine/scanthread.h"
#include "loc/LangLocStrings.h"
#include "state/Elevation.h"
#include "state/Notify.h"
#include "state/SharedState.h"
#include "ui/DriveListing.h"
#include "ui/Systray.h"

namespace dw::test {

void ScopedProgramState::Reset() {
  SetScanView(nullptr);
  SetNotificationSink(nullptr);
  SetElevationExitHook(nullptr);
  SetTrayObserver(nullptr);
  ResetTrayIcon();
  SetThousandsSeparator(L" ");
  ResetCatalogue();
  ResetState();
}

}  // namespace dw::test
