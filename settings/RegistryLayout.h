// Where the tool's values live.
#pragma once

#include <cstdint>

namespace kmx {

// Under HKEY_CURRENT_USER: the logging settings and ShowAppDump.
inline constexpr wchar_t kLoggingKeyPath[] = L"Software\\Korvex\\Logging";
// Under HKEY_LOCAL_MACHINE: the old switch verboseLogging (and isBES).
inline constexpr wchar_t kKorvexKeyPath[] = L"Software\\Korvex";

inline constexpr wchar_t kShowAppDumpName[] = L"ShowAppDump";
inline constexpr wchar_t kOldSwitchName[] = L"verboseLogging";
// Under HKEY_LOCAL_MACHINE\Software\Korvex: the BlackBerry server variant flag.
inline constexpr wchar_t kIsBESName[] = L"isBES";

// FileName is read into 260 UTF-16 units: 259 characters and the NUL.
inline constexpr std::uint32_t kFileNameCapacityBytes = 520;

}  // namespace kmx
