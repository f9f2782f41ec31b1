// Pictures of the running program for the documentation. With TOVALO_SCREENSHOT set to
// "wizard" (the window as it opens), "panel" (the wizard stopped) or "about" (the version
// box), the program saves the picture to TOVALO_SCREENSHOT_FILE and quits.
#pragma once

namespace app {

void ArmScreenshotFromEnvironment();

} // namespace app
