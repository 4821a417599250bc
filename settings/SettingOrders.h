// Orders fixed by the design, kept as data beside the catalogue.
#pragma once

#include <array>

#include "settings/Catalogue.h"

namespace kmx {

// Control ids in the order the dialog's data exchange visits them; the first
// over-long limit text stops the exchange, so this order decides which fields
// keep their earlier values. FileName appears twice (1002, then 1022).
// clang-format off
inline constexpr std::array<int, kSettingCount + 1> kExchangeOrder = {
    1000, 1002, 1022, 1003, 1091, 1019, 1040, 1009, 1086, 1014, 1007, 1023,
    // threads
    1044, 1026, 1037, 1096, 1098, 1028, 1032, 1030, 1038, 1039, 1050, 1051, 1052, 1054, 1055, 1056,
    // areas
    1060, 1059, 1062, 1063, 1064, 1066, 1067, 1068, 1069, 1083,
    // detail levels
    1046, 1047, 1048, 1057, 1058, 1084, 1027, 1015, 1031, 1041, 1042, 1061, 1029, 1018, 1053, 1085,
    // output options
    1082, 1089, 1092, 1099,
};
// clang-format on

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
