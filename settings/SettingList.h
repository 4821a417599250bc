// Every logging setting, declared once, in catalogue order.
//
// X(name, kind, factoryDefault, maxChars, spinLower, spinUpper)
//   name            registry value name under HKCU\Software\Korvex\Logging
//   kind            Switch (REG_DWORD 0/1), Limit (REG_DWORD shown as text),
//                   FileName (REG_SZ held as directory and prefix)
//   factoryDefault  the value ApplyFactoryDefaults sets; ThreadLanes's 1 is the
//                   standard variant's (the BES variant gets 0)
//   maxChars        how many characters a limit's text may have, 0 for the others
//   spinLower,      the range the window gives the spin beside a limit's
//   spinUpper       field, 0 0 for the others. The window's own numbers, kept
//                   although they disagree with the field lengths: the
//                   3-character age field has a 1-9999 spin, the 4-character
//                   directory size a 1-999 one.
//
// Rows 11-26 are the thread switches, 27-30 the output options, 31 the call
// depth, 32-41 the areas, 42-57 the detail levels.
#pragma once

// clang-format off
#define KMX_SETTING_LIST(X)                             \
    X(Enabled,                Switch,   0,   0, 0, 0   ) \
    X(FileName,               FileName, 0,   0, 0, 0   ) \
    X(EnableRoll,             Switch,   1,   0, 0, 0   ) \
    X(MaxFileSizeMB,          Limit,    10,  3, 1, 999 ) \
    X(KeepLogging,            Switch,   1,   0, 0, 0   ) \
    X(EnableMaxDirSize,       Switch,   0,   0, 0, 0   ) \
    X(MaxDirSizeMB,           Limit,    100, 4, 1, 999 ) \
    X(EnableMaxAge,           Switch,   1,   0, 0, 0   ) \
    X(MaxAgeDays,             Limit,    7,   3, 1, 9999) \
    X(EnableAppDump,          Switch,   0,   0, 0, 0   ) \
    X(ThreadAllThreads,       Switch,   1,   0, 0, 0   ) \
    X(ThreadMain,             Switch,   1,   0, 0, 0   ) \
    X(ThreadMainSync,         Switch,   1,   0, 0, 0   ) \
    X(ThreadDSDISync,         Switch,   1,   0, 0, 0   ) \
    X(ThreadOnNotify,         Switch,   1,   0, 0, 0   ) \
    X(ThreadGALSync,          Switch,   1,   0, 0, 0   ) \
    X(ThreadOthers,           Switch,   1,   0, 0, 0   ) \
    X(ThreadHTTPCallback,     Switch,   0,   0, 0, 0   ) \
    X(ThreadKeywordUpdater,   Switch,   1,   0, 0, 0   ) \
    X(ThreadConnState,        Switch,   1,   0, 0, 0   ) \
    X(ThreadSpooler,          Switch,   1,   0, 0, 0   ) \
    X(ThreadReaper,           Switch,   1,   0, 0, 0   ) \
    X(ThreadSync1Msg,         Switch,   1,   0, 0, 0   ) \
    X(ThreadTrackedMail,      Switch,   1,   0, 0, 0   ) \
    X(ThreadWaitRqst,         Switch,   1,   0, 0, 0   ) \
    X(ThreadIPSrch,           Switch,   1,   0, 0, 0   ) \
    X(LogToDbgWin,            Switch,   0,   0, 0, 0   ) \
    X(ThreadLanes,            Switch,   1,   0, 0, 0   ) \
    X(IndentCallDepth,        Switch,   1,   0, 0, 0   ) \
    X(PrettyPrint,            Switch,   0,   0, 0, 0   ) \
    X(MaxCallDepth,           Limit,    100, 3, 1, 999 ) \
    X(AreaChanges,            Switch,   1,   0, 0, 0   ) \
    X(AreaAddins,             Switch,   1,   0, 0, 0   ) \
    X(AreaMAPI,               Switch,   1,   0, 0, 0   ) \
    X(AreaSync,               Switch,   1,   0, 0, 0   ) \
    X(AreaSAX,                Switch,   0,   0, 0, 0   ) \
    X(AreaStream,             Switch,   0,   0, 0, 0   ) \
    X(AreaConn,               Switch,   1,   0, 0, 0   ) \
    X(AreaProg,               Switch,   0,   0, 0, 0   ) \
    X(AreaGen,                Switch,   1,   0, 0, 0   ) \
    X(AreaMsgMpr,             Switch,   0,   0, 0, 0   ) \
    X(DetailFnAPI,            Switch,   1,   0, 0, 0   ) \
    X(DetailFnInternal,       Switch,   1,   0, 0, 0   ) \
    X(DetailFnDetailed,       Switch,   0,   0, 0, 0   ) \
    X(DetailFnIUnknown,       Switch,   0,   0, 0, 0   ) \
    X(DetailFnCtorDtor,       Switch,   0,   0, 0, 0   ) \
    X(DetailCmntGen,          Switch,   1,   0, 0, 0   ) \
    X(DetailCmntProps,        Switch,   1,   0, 0, 0   ) \
    X(DetailCmntRows,         Switch,   0,   0, 0, 0   ) \
    X(DetailCmntHTTP,         Switch,   1,   0, 0, 0   ) \
    X(DetailCmntIUnknown,     Switch,   0,   0, 0, 0   ) \
    X(DetailCmntSAX,          Switch,   0,   0, 0, 0   ) \
    X(DetailCmntStoreInfo,    Switch,   0,   0, 0, 0   ) \
    X(DetailCmntFolderInfo,   Switch,   0,   0, 0, 0   ) \
    X(DetailCmntMsgInfo,      Switch,   0,   0, 0, 0   ) \
    X(DetailCmntRestrictions, Switch,   0,   0, 0, 0   ) \
    X(DetailCmntParam,        Switch,   1,   0, 0, 0   )
// clang-format on
