// Stand-in for the connector's utility library: the one routine the tool uses.
#pragma once

namespace Korvex {
namespace Util {

// Nonzero on a BlackBerry server installation of the connector: the value
// isBES under HKEY_LOCAL_MACHINE\Software\Korvex, read as 4 bytes, is not 0.
int IsBESKMX();

}  // namespace Util
}  // namespace Korvex
