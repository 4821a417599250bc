// The orders in which loading reads and Save writes the values, which are
// not the catalogue's; kept as data beside it.
#pragma once

#include <array>

#include "settings/Catalogue.h"

namespace kmx {

// The order in which loading reads the values (and writes the defaults of the
// ones it cannot read).
// clang-format off
inline constexpr std::array<SettingId, kSettingCount> kLoadOrder = {
    kEnabled, kFileName,
    kEnableRoll, kMaxFileSizeMB, kKeepLogging, kEnableMaxDirSize, kMaxDirSizeMB, kEnableMaxAge,
    kMaxAgeDays,
    kThreadAllThreads, kThreadMain, kThreadMainSync, kThreadDSDISync, kThreadOnNotify,
    kThreadGALSync, kThreadOthers, kThreadHTTPCallback, kThreadKeywordUpdater, kThreadConnState,
    kThreadSpooler, kThreadReaper, kThreadSync1Msg, kThreadTrackedMail, kThreadWaitRqst,
    kThreadIPSrch,
    kLogToDbgWin, kThreadLanes, kIndentCallDepth, kPrettyPrint, kMaxCallDepth,
    kAreaChanges, kAreaAddins, kAreaMAPI, kAreaSync, kAreaSAX, kAreaStream, kAreaProg, kAreaConn,
    kAreaGen, kAreaMsgMpr,
    kDetailFnAPI, kDetailFnInternal, kDetailFnDetailed, kDetailFnIUnknown, kDetailFnCtorDtor,
    kDetailCmntGen, kDetailCmntProps, kDetailCmntRows, kDetailCmntStoreInfo,
    kDetailCmntFolderInfo, kDetailCmntMsgInfo, kDetailCmntRestrictions, kDetailCmntHTTP,
    kDetailCmntParam, kDetailCmntIUnknown, kDetailCmntSAX,
    kEnableAppDump,
};
// clang-format on

// The order in which Save writes the values. The old-switch message, when due,
// comes between the last two writes.
// clang-format off
inline constexpr std::array<SettingId, kSettingCount> kSaveOrder = {
    kEnabled, kFileName, kEnableRoll, kMaxFileSizeMB, kMaxDirSizeMB, kMaxAgeDays,
    kThreadAllThreads, kThreadMain, kThreadMainSync, kThreadDSDISync, kThreadOnNotify,
    kThreadGALSync, kThreadOthers, kThreadHTTPCallback, kThreadKeywordUpdater, kThreadConnState,
    kThreadSpooler, kThreadReaper, kThreadSync1Msg, kThreadTrackedMail, kThreadWaitRqst,
    kThreadIPSrch,
    kLogToDbgWin, kThreadLanes, kIndentCallDepth, kPrettyPrint,
    kDetailFnAPI, kDetailFnInternal, kDetailFnDetailed, kDetailFnIUnknown, kDetailFnCtorDtor,
    kDetailCmntGen, kDetailCmntProps, kDetailCmntRows, kDetailCmntStoreInfo,
    kDetailCmntFolderInfo, kDetailCmntMsgInfo, kDetailCmntRestrictions, kDetailCmntHTTP,
    kDetailCmntParam, kDetailCmntIUnknown, kDetailCmntSAX,
    kAreaChanges, kAreaAddins, kAreaMAPI, kAreaSync, kAreaSAX, kAreaStream, kAreaConn, kAreaProg,
    kAreaGen, kAreaMsgMpr,
    kKeepLogging, kEnableMaxDirSize, kEnableMaxAge, kEnableAppDump,
    kMaxCallDepth,
};
// clang-format on

}  // namespace kmx
