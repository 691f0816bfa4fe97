// The program's identity as the desktop sees it: name, organisation, version and icon.
#pragma once

#include <QIcon>

#include "version.h"

namespace tessary {

inline constexpr char kAppVersion[] = TESSARY_VERSION_TEXT;

// The tile-grid icon, at 16 and 32 pixels.
QIcon AppIcon();

// Names the running application "Tessary" (also its organisation, which places the settings),
// sets its version and its icon. Call once after the QApplication is made.
void SetUpApplication();

}  // namespace tessary
