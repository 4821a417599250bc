// Which variant of the connector is installed, as the tool itself reads it
// (the connector's own library has a separate test, IsBESKMX, and the two
// need not agree).
#pragma once

#include "settings/Registry.h"

namespace kmx {

// True for the BlackBerry server variant: isBES under
// HKEY_LOCAL_MACHINE\Software\Korvex reads as 4 bytes that are not all 0.
// A missing key or value, a value longer than 4 bytes and 0 all mean the
// Outlook variant.
bool IsBESFromRegistry(IRegistry& registry);

}  // namespace kmx
