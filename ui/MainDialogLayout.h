// Fixed texts and numbers of the main window beyond its template.
#pragma once

#include "resource.h"
#include "settings/Catalogue.h"

namespace kmx {

// Outlook's main window, beside which the dialog opens.
inline constexpr wchar_t kOutlookWindowClass[] = L"rctrl_renwnd32";
inline constexpr int kOutlookOffset = 50;

inline constexpr wchar_t kBlackBerryTitle[] = L"Korvex Connector For BlackBerry Logging Control";

inline constexpr wchar_t kAdvancedCollapsedCaption[] = L"Advanced >>";
inline constexpr wchar_t kAdvancedExpandedCaption[] = L"<< Advanced";

inline constexpr wchar_t kFactoryResetQuestion[] =
    L"This will reset all logging settings to their factory defaults and change the log file "
    L"directory to the temp files directory. \n\n (Existing log files will remain in their current "
    L"directory.)\n\nContinue?";
inline constexpr wchar_t kFactoryResetCaption[] = L"Confirm";

// Title of every message box the GAL commands show.
inline constexpr wchar_t kGalSyncMessageTitle[] = L"KMX Logging Control";

struct IconOrigin {
    int x;
    int y;
};

// Where the minimised window draws its icon: centred in the client area,
// rounding as signed 32-bit division does (toward zero).
constexpr IconOrigin CentredIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
    return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

// The spin beside each limit's field, in the order their ranges (the
// catalogue's) are set when the window opens.
struct LimitSpin {
    SettingId limit;
    int controlId;
};

inline constexpr LimitSpin kLimitSpins[] = {
    {kMaxFileSizeMB, IDC_MAX_FILE_SIZE_SPIN},
    {kMaxDirSizeMB, IDC_MAX_DIR_SIZE_SPIN},
    {kMaxAgeDays, IDC_MAX_AGE_SPIN},
    {kMaxCallDepth, IDC_MAX_CALL_DEPTH_SPIN},
};

}  // namespace kmx
