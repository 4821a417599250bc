// Resource ids of KMXLogCtl: the main dialog, the proxy dialog, the icon and
// every control id those dialogs use. Plain #defines so that the resource
// compiler and C++ both read this file.
#ifndef KMXLOGCTL_RESOURCE_H
#define KMXLOGCTL_RESOURCE_H

#define IDD_KMXLOGCTL_DIALOG            102
#define IDR_MAINFRAME                   128
#define IDD_PROXY_SETTINGS              130

#ifndef IDC_STATIC
#define IDC_STATIC                      (-1)
#endif

// Main dialog. "Save" is IDOK (1) and "Cancel" is IDCANCEL (2).

// Top row and right-hand column
#define IDC_ENABLE_LOGGING              1000
#define IDC_FACTORY_RESET               1094
#define IDC_ADVANCED                    1080
#define IDC_MARKER_COLLAPSED            1016
#define IDC_MARKER_EXPANDED             1081

// "Log File" group: location
#define IDC_LOG_FILE_GROUP              1017
#define IDC_LOG_DIRECTORY_LABEL         1020
#define IDC_LOG_PREFIX_LABEL            1021
#define IDC_LOG_DIRECTORY               1002
#define IDC_LOG_PREFIX                  1022
#define IDC_EXAMPLE_FILE_NAME           1001

// "Log File" group: purging
#define IDC_PURGING_HEADING             1095
#define IDC_ENABLE_MAX_AGE              1086
#define IDC_MAX_AGE_DAYS                1014
#define IDC_MAX_AGE_SPIN                1088
#define IDC_MAX_AGE_UNIT                1087

// "Log File" group: rolling
#define IDC_ROLLING_HEADING             1090
#define IDC_ENABLE_ROLL                 1091
#define IDC_MAX_FILE_SIZE               1003
#define IDC_MAX_FILE_SIZE_SPIN          1004
#define IDC_MAX_FILE_SIZE_UNIT          1013
#define IDC_KEEP_LOGGING                1019
#define IDC_ENABLE_MAX_DIR_SIZE         1040
#define IDC_MAX_DIR_SIZE                1009
#define IDC_MAX_DIR_SIZE_SPIN           1010
#define IDC_MAX_DIR_SIZE_UNIT           1043

// "Presets" group
#define IDC_PRESETS_GROUP               1071
#define IDC_PRESET_DEFAULT              1073
#define IDC_PRESET_CHANGES              1078
#define IDC_PRESET_FULL                 1072
#define IDC_PRESET_SPOOLER              1079
#define IDC_PRESET_UI_THREAD            1093
#define IDC_PRESET_HTTP_ONLY            1076
#define IDC_PRESET_MAIN_SYNC            1074
#define IDC_PRESET_GAL_SYNC             1075

// GAL group (no caption)
#define IDC_GAL_GROUP                   1077
#define IDC_FORCE_GAL_UPDATE            1097
#define IDC_FORCE_GAL_RESET             1024
#define IDC_CONFIGURE_PROXY             1012
#define IDC_ENABLE_CALENDAR_TRACKING    1023

// "Threads" group
#define IDC_THREADS_GROUP               1025
#define IDC_THREADS_ALL                 1033
#define IDC_THREADS_NONE                1034
#define IDC_THREAD_ALL_THREADS          1044
#define IDC_THREAD_MAIN                 1026
#define IDC_THREAD_SPOOLER              1050
#define IDC_THREAD_MAIN_SYNC            1037
#define IDC_THREAD_GAL_SYNC             1028
#define IDC_THREAD_KEYWORD_UPDATER      1038
#define IDC_THREAD_WAIT_RQST            1055
#define IDC_THREAD_HTTP_CALLBACK        1030
#define IDC_THREAD_TRACKED_MAIL         1054
#define IDC_THREAD_REAPER               1051
#define IDC_THREAD_CONN_STATE           1039
#define IDC_THREAD_IP_SRCH              1056
#define IDC_THREAD_SYNC_1MSG            1052
#define IDC_THREAD_DSDI_SYNC            1096
#define IDC_THREAD_ON_NOTIFY            1098
#define IDC_THREAD_OTHERS               1032
#define IDC_LOG_TO_DBGWIN               1082
#define IDC_MAX_CALL_DEPTH_LABEL        1006
#define IDC_THREAD_LANES                1089
#define IDC_MAX_CALL_DEPTH              1007
#define IDC_MAX_CALL_DEPTH_SPIN         1008
#define IDC_INDENT_CALL_DEPTH           1092
#define IDC_PRETTY_PRINT                1099

// "Areas" group
#define IDC_AREAS_GROUP                 1049
#define IDC_AREAS_ALL                   1065
#define IDC_AREAS_NONE                  1070
#define IDC_AREA_GEN                    1069
#define IDC_AREA_MAPI                   1062
#define IDC_AREA_SYNC                   1063
#define IDC_AREA_ADDINS                 1059
#define IDC_AREA_CONN                   1067
#define IDC_AREA_STREAM                 1066
#define IDC_AREA_PROG                   1068
#define IDC_AREA_SAX                    1064
#define IDC_AREA_CHANGES                1060
#define IDC_AREA_MSG_MPR                1083

// "Detail Level" group: function and comment detail
#define IDC_DETAIL_GROUP                1045
#define IDC_DETAIL_ALL                  1035
#define IDC_DETAIL_NONE                 1036
#define IDC_DETAIL_FN_HEADING           1011
#define IDC_DETAIL_FN_API               1046
#define IDC_DETAIL_FN_INTERNAL          1047
#define IDC_DETAIL_FN_DETAILED          1048
#define IDC_DETAIL_FN_CTOR_DTOR         1058
#define IDC_DETAIL_FN_IUNKNOWN          1057
#define IDC_DETAIL_CMNT_HEADING         999
#define IDC_DETAIL_CMNT_GEN             1084
#define IDC_DETAIL_CMNT_PROPS           1027
#define IDC_DETAIL_CMNT_HTTP            1015
#define IDC_DETAIL_CMNT_STORE_INFO      1061
#define IDC_DETAIL_CMNT_FOLDER_INFO     1029
#define IDC_DETAIL_CMNT_MSG_INFO        1018
#define IDC_DETAIL_CMNT_SAX             1042
#define IDC_DETAIL_CMNT_IUNKNOWN        1041
#define IDC_DETAIL_CMNT_ROWS            1031
#define IDC_DETAIL_CMNT_RESTRICTIONS    1053
#define IDC_DETAIL_CMNT_PARAM           1085

// Proxy settings dialog. Its ids overlap the main dialog's numbers; each
// dialog has its own id space. Its OK button is IDOK (1).
#define IDC_PROXY_DIRECT                1013
#define IDC_PROXY_IE                    1008
#define IDC_PROXY_MANUAL                1009
#define IDC_PROXY_SERVER                1010
#define IDC_PROXY_PORT                  1011

#endif
