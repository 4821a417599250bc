// gal-sync [--full]: asks the connector to update its GAL copy (or, full,
// to reset it).
#pragma once

#include "cli/CommandHost.h"

namespace kmx {

int GalSync(CommandHost& host, bool full);

}  // namespace kmx
