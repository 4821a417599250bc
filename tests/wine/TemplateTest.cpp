// Checks the dialog templates, the icon group and the manifest compiled into
// this executable: first the raw DLGTEMPLATEEX bytes, which hold exactly what
// the resource compiler produced, then the windows the dialog manager builds
// from them (classes, captions, positions, z order, spin buddies).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "WindowQueries.h"

namespace {

using kmx::ChildrenInZOrder;
using kmx::ClassName;
using kmx::WindowText;

// --- Expected layout ------------------------------------------------------

struct Kind {
    const char* name;
    const wchar_t* className;
    WORD classOrdinal;  // predefined class ordinal, or 0 for a class by name
    DWORD style;
};

constexpr Kind kDefPush{"default push button", L"Button", 0x0080, 0x50010001};
constexpr Kind kPush{"push button", L"Button", 0x0080, 0x50010000};
constexpr Kind kCheckOn{"check box", L"Button", 0x0080, 0x50010003};
constexpr Kind kCheckOff{"disabled check box", L"Button", 0x0080, 0x58000003};
constexpr Kind kGroup{"group box", L"Button", 0x0080, 0x50000007};
constexpr Kind kEdit{"edit", L"Edit", 0x0081, 0x58810080};
constexpr Kind kNumberEdit{"number edit", L"Edit", 0x0081, 0x58812080};
constexpr Kind kSpin{"spin", L"msctls_updown32", 0, 0x580000B3};
constexpr Kind kLabelOn{"label", L"Static", 0x0082, 0x50020000};
constexpr Kind kLabelOff{"disabled label", L"Static", 0x0082, 0x58020000};
constexpr Kind kEtchedLine{"etched line", L"Static", 0x0082, 0x50000010};

constexpr Kind kRadioFirst{"first radio button", L"Button", 0x0080, 0x50020009};
constexpr Kind kRadio{"radio button", L"Button", 0x0080, 0x50000009};
constexpr Kind kProxyEdit{"edit", L"Edit", 0x0081, 0x50810080};
constexpr Kind kProxyNumberEdit{"number edit", L"Edit", 0x0081, 0x50812080};

struct DlgRect {
    short x, y, cx, cy;
};

struct ExpectedItem {
    int id;
    Kind kind;
    const wchar_t* text;
    DlgRect rect;
};

struct ExpectedDialog {
    int templateId;
    DWORD style;
    DWORD exStyle;
    DlgRect rect;
    const wchar_t* caption;
    WORD pointSize;
    WORD weight;
    BYTE italic;
    BYTE charSet;
    const wchar_t* typeface;
    const ExpectedItem* items;
    size_t itemCount;
};

// Main dialog items in template order (= tab order and z order).
const ExpectedItem kMainItems[] = {
    {IDOK, kDefPush, L"Save", {456, 24, 57, 16}},
    {IDCANCEL, kPush, L"Cancel", {456, 42, 57, 16}},
    {IDC_ENABLE_LOGGING, kCheckOn, L"Enable Logging", {8, 5, 66, 10}},
    {IDC_DETAIL_CMNT_HTTP, kCheckOff, L"HTTP", {476, 258, 33, 10}},
    {IDC_MAX_DIR_SIZE_UNIT, kLabelOff, L"MB", {218, 156, 11, 8}},
    {IDC_LOG_DIRECTORY, kEdit, L"", {15, 40, 179, 14}},
    {IDC_MAX_FILE_SIZE, kNumberEdit, L"", {159, 122, 44, 14}},
    {IDC_MAX_FILE_SIZE_SPIN, kSpin, L"", {204, 122, 11, 14}},
    {IDC_CONFIGURE_PROXY, kPush, L"Configure Proxy Settings", {343, 134, 85, 14}},
    {IDC_DETAIL_CMNT_MSG_INFO, kCheckOff, L"Msg Info", {476, 273, 54, 10}},
    {IDC_KEEP_LOGGING, kCheckOff, L"Preserve Log File backups (multiple .bak files)", {27, 139, 168, 10}},
    {IDC_LOG_FILE_GROUP, kGroup, L"Log File", {8, 18, 232, 155}},
    {IDC_LOG_DIRECTORY_LABEL, kLabelOn, L"Path to 'KMXLogs' Log File directory:", {15, 31, 120, 8}},
    {IDC_LOG_PREFIX_LABEL, kLabelOn, L"Prefix:", {199, 31, 26, 8}},
    {IDC_LOG_PREFIX, kEdit, L"", {199, 40, 33, 14}},
    {IDC_FORCE_GAL_RESET, kPush, L"Force GAL reset", {247, 152, 85, 14}},
    {IDC_FORCE_GAL_UPDATE, kPush, L"Force GAL update", {247, 133, 85, 14}},
    {IDC_ENABLE_CALENDAR_TRACKING, kCheckOn, L" Enable Calendar Tracking", {337, 155, 99, 10}},
    {IDC_THREADS_GROUP, kGroup, L"Threads", {8, 186, 242, 147}},
    {IDC_MAX_CALL_DEPTH_LABEL, kLabelOff, L"Max Call Depth:", {19, 297, 52, 8}},
    {IDC_MAX_CALL_DEPTH, kNumberEdit, L"", {18, 306, 44, 14}},
    {IDC_MAX_CALL_DEPTH_SPIN, kSpin, L"", {64, 306, 11, 14}},
    {IDC_THREAD_MAIN, kCheckOff, L"Main", {20, 212, 29, 10}},
    {IDC_DETAIL_CMNT_PROPS, kCheckOff, L"Properties", {425, 258, 47, 10}},
    {IDC_THREAD_GAL_SYNC, kCheckOff, L"GAL Sync", {174, 212, 46, 10}},
    {IDC_THREAD_HTTP_CALLBACK, kCheckOff, L"Http Callback", {174, 226, 55, 10}},
    {IDC_DETAIL_CMNT_ROWS, kCheckOff, L"Rows", {476, 288, 30, 10}},
    {IDC_THREAD_OTHERS, kCheckOff, L"Others", {174, 268, 36, 10}},
    {IDC_THREADS_ALL, kPush, L"All", {47, 184, 27, 14}},
    {IDC_THREADS_NONE, kPush, L"None", {75, 184, 27, 14}},
    {IDC_THREAD_MAIN_SYNC, kCheckOff, L"Main Sync", {103, 212, 45, 10}},
    {IDC_THREAD_KEYWORD_UPDATER, kCheckOff, L"Keyword Update", {20, 226, 67, 10}},
    {IDC_THREAD_CONN_STATE, kCheckOff, L"Connection State", {174, 240, 72, 10}},
    {IDC_ENABLE_MAX_DIR_SIZE, kCheckOff, L"Max size of KMXLogs directory:", {27, 154, 113, 10}},
    {IDC_MAX_DIR_SIZE, kNumberEdit, L"", {159, 153, 44, 14}},
    {IDC_MAX_DIR_SIZE_SPIN, kSpin, L"", {204, 153, 11, 14}},
    {IDC_EXAMPLE_FILE_NAME,
     kLabelOff,
     L"Example file name with path 'c:\\' and prefix "
     L"'kmx':\nc:\\KMXLogs\\kmx-20071015T095453.302-OUTLOOK.EXE-2832.log",
     {15, 55, 209, 17}},
    {IDC_MAX_FILE_SIZE_UNIT, kLabelOff, L"MB", {218, 124, 11, 8}},
    {IDC_DETAIL_CMNT_IUNKNOWN, kCheckOff, L"IUnknown", {425, 288, 43, 10}},
    {IDC_DETAIL_CMNT_SAX, kCheckOff, L"SAX Parsing", {373, 288, 50, 10}},
    {IDC_THREAD_ALL_THREADS, kCheckOff, L"All", {20, 198, 22, 10}},
    {IDC_DETAIL_FN_API, kCheckOff, L"API", {373, 212, 24, 10}},
    {IDC_DETAIL_FN_INTERNAL, kCheckOff, L"Internal", {425, 212, 38, 10}},
    {IDC_DETAIL_FN_DETAILED, kCheckOff, L"Detailed", {476, 212, 38, 10}},
    {IDC_AREAS_GROUP, kGroup, L"Areas", {254, 186, 111, 147}},
    {IDC_AREA_ADDINS, kCheckOff, L"Addins", {322, 226, 37, 10}},
    {IDC_THREAD_SPOOLER, kCheckOff, L"Spooler", {56, 212, 39, 10}},
    {IDC_THREAD_REAPER, kCheckOff, L"Reaper", {103, 240, 38, 10}},
    {IDC_THREAD_SYNC_1MSG, kCheckOff, L"Sync Single Msg", {103, 254, 66, 10}},
    {IDC_THREAD_TRACKED_MAIL, kCheckOff, L"Tracked Mail", {20, 240, 53, 10}},
    {IDC_THREAD_WAIT_RQST, kCheckOff, L"Wait Rqst", {103, 226, 46, 10}},
    {IDC_THREAD_IP_SRCH, kCheckOff, L"Item Proc Srch", {20, 254, 61, 10}},
    {IDC_STATIC, kEtchedLine, L"", {47, 203, 191, 1}},
    {IDC_DETAIL_FN_HEADING, kLabelOn, L"Function", {373, 201, 29, 8}},
    {IDC_DETAIL_CMNT_HEADING, kLabelOn, L"Comment", {373, 247, 29, 8}},
    {IDC_DETAIL_GROUP, kGroup, L"Detail Level", {369, 186, 156, 147}},
    {IDC_DETAIL_FN_IUNKNOWN, kCheckOff, L"IUnknown", {425, 226, 47, 10}},
    {IDC_DETAIL_FN_CTOR_DTOR, kCheckOff, L"Ctor/Dtor", {373, 226, 43, 10}},
    {IDC_DETAIL_CMNT_FOLDER_INFO, kCheckOff, L"Folder Info", {425, 273, 49, 10}},
    {IDC_DETAIL_CMNT_RESTRICTIONS, kCheckOff, L"Restrictions", {373, 302, 51, 10}},
    {IDC_AREA_CHANGES, kCheckOff, L"Change Tracking", {261, 268, 69, 10}},
    {IDC_DETAIL_CMNT_STORE_INFO, kCheckOff, L"Store Info", {373, 273, 45, 10}},
    {IDC_AREA_MAPI, kCheckOff, L"MAPI", {322, 212, 33, 10}},
    {IDC_AREA_SYNC, kCheckOff, L"Sync", {261, 226, 31, 10}},
    {IDC_AREA_SAX, kCheckOff, L"SAX", {322, 254, 29, 10}},
    {IDC_AREA_STREAM, kCheckOff, L"Stream", {322, 240, 39, 10}},
    {IDC_AREA_CONN, kCheckOff, L"Connection", {261, 240, 48, 10}},
    {IDC_AREA_PROG, kCheckOff, L"Progress", {261, 254, 44, 10}},
    {IDC_AREA_GEN, kCheckOff, L"General", {261, 212, 41, 10}},
    {IDC_PRESETS_GROUP, kGroup, L"Presets", {243, 18, 187, 103}},
    {IDC_PRESET_FULL, kPush, L"Full", {249, 51, 42, 14}},
    {IDC_PRESET_DEFAULT, kPush, L"Default", {249, 34, 42, 14}},
    {IDC_PRESET_MAIN_SYNC, kPush, L"Main Sync", {249, 84, 42, 14}},
    {IDC_PRESET_GAL_SYNC, kPush, L"GAL Sync", {249, 101, 42, 14}},
    {IDC_PRESET_HTTP_ONLY, kPush, L"HTTP Only", {300, 68, 42, 14}},
    {IDC_GAL_GROUP, kGroup, L"", {243, 124, 189, 49}},
    {IDC_PRESET_CHANGES, kPush, L"Changes", {300, 34, 42, 14}},
    {IDC_PRESET_SPOOLER, kPush, L"Spooler", {300, 51, 42, 14}},
    {IDC_ADVANCED, kPush, L"Advanced >>", {456, 152, 57, 14}},
    {IDC_MARKER_COLLAPSED, kLabelOff, L" ", {503, 178, 8, 8}},
    {IDC_MARKER_EXPANDED, kLabelOff, L" ", {515, 323, 8, 8}},
    {IDC_STATIC, kEtchedLine, L"", {407, 205, 102, 1}},
    {IDC_STATIC, kEtchedLine, L"", {409, 250, 102, 1}},
    {IDC_LOG_TO_DBGWIN, kCheckOff, L"Log to DbgWin", {174, 287, 58, 10}},
    {IDC_DETAIL_CMNT_GEN, kCheckOff, L"General", {373, 258, 41, 10}},
    {IDC_DETAIL_CMNT_PARAM, kCheckOff, L"Params", {425, 302, 51, 10}},
    {IDC_AREA_MSG_MPR, kCheckOff, L"Message Mapper", {261, 283, 70, 10}},
    {IDC_ENABLE_MAX_AGE, kCheckOff, L"Delete Log Files older than:", {15, 93, 140, 10}},
    {IDC_MAX_AGE_UNIT, kLabelOff, L"days", {218, 93, 16, 8}},
    {IDC_MAX_AGE_DAYS, kNumberEdit, L"", {159, 91, 44, 14}},
    {IDC_MAX_AGE_SPIN, kSpin, L"", {204, 91, 11, 14}},
    {IDC_THREAD_LANES, kCheckOff, L"Thread Lanes", {174, 298, 58, 10}},
    {IDC_ROLLING_HEADING, kLabelOn, L"Log File Rolling", {15, 110, 48, 8}},
    {IDC_STATIC, kEtchedLine, L"", {71, 114, 150, 1}},
    {IDC_ENABLE_ROLL, kCheckOff, L"Max size of single Log File:", {16, 124, 105, 10}},
    {IDC_INDENT_CALL_DEPTH, kCheckOff, L"Indent Call Depth", {174, 309, 72, 10}},
    {IDC_PRETTY_PRINT, kCheckOff, L"Pretty Print HTTP", {174, 320, 72, 10}},
    {IDC_PRESET_UI_THREAD, kPush, L"UI Thread", {249, 67, 42, 14}},
    {IDC_FACTORY_RESET, kPush, L"Factory Reset", {456, 66, 57, 17}},
    {IDC_PURGING_HEADING, kLabelOn, L"Log File Purging", {15, 80, 60, 8}},
    {IDC_STATIC, kEtchedLine, L"", {73, 84, 147, 1}},
    {IDC_DETAIL_ALL, kPush, L"All", {417, 184, 27, 14}},
    {IDC_DETAIL_NONE, kPush, L"None", {445, 184, 27, 14}},
    {IDC_AREAS_ALL, kPush, L"All", {283, 184, 27, 14}},
    {IDC_AREAS_NONE, kPush, L"None", {311, 184, 27, 14}},
    {IDC_THREAD_DSDI_SYNC, kCheckOff, L"DSDI Sync", {174, 254, 45, 10}},
    {IDC_THREAD_ON_NOTIFY, kCheckOff, L"On Notify", {20, 268, 45, 10}}};

const ExpectedItem kProxyItems[] = {
    {IDC_PROXY_DIRECT, kRadioFirst, L"Establish a direct connection to Korvex", {22, 6, 139, 10}},
    {IDC_PROXY_IE, kRadio, L"IE settings for Proxy Server", {22, 23, 124, 10}},
    {IDC_PROXY_MANUAL, kRadio, L"Manual Proxy Server Settings", {22, 41, 116, 10}},
    {IDC_STATIC, kLabelOn, L"Proxy Server:", {10, 64, 46, 8}},
    {IDC_PROXY_SERVER, kProxyEdit, L"", {57, 62, 117, 14}},
    {IDC_STATIC, kLabelOn, L"Port:", {39, 80, 17, 8}},
    {IDC_PROXY_PORT, kProxyNumberEdit, L"", {57, 83, 25, 14}},
    {IDOK, kDefPush, L"  OK", {63, 112, 50, 14}},
    {IDC_STATIC, kGroup, L"", {7, 53, 172, 48}}};

const ExpectedDialog kMainDialog{IDD_KMXLOGCTL_DIALOG,
                                 0x90C800C8,
                                 WS_EX_APPWINDOW,
                                 {0, 0, 530, 343},
                                 L"Korvex Connector For Outlook Logging Control",
                                 8,
                                 0,
                                 0,
                                 DEFAULT_CHARSET,
                                 L"MS Shell Dlg",
                                 kMainItems,
                                 sizeof kMainItems / sizeof kMainItems[0]};

const ExpectedDialog kProxyDialog{IDD_PROXY_SETTINGS,
                                  0x80C800C8,
                                  0,
                                  {0, 0, 186, 134},
                                  L"Proxy Settings",
                                  8,
                                  400,
                                  0,
                                  DEFAULT_CHARSET,
                                  L"MS Shell Dlg",
                                  kProxyItems,
                                  sizeof kProxyItems / sizeof kProxyItems[0]};

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// --- Raw template -----------------------------------------------------------

struct SzOrOrd {
    WORD ordinal = 0;  // nonzero when the field holds 0xFFFF and an ordinal
    std::wstring text;
};

struct RawItem {
    DWORD helpId, exStyle, style;
    DlgRect rect;
    DWORD id;
    SzOrOrd windowClass, title;
    WORD extraCount;
};

struct RawDialog {
    WORD version, signature;
    DWORD helpId, exStyle, style;
    WORD itemCount;
    DlgRect rect;
    SzOrOrd menu, windowClass;
    std::wstring title;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charSet = 0;
    std::wstring typeface;
    std::vector<RawItem> items;
};

// Bounds-checked reader over a resource; a read past the end sets failed.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

    template <typename T>
    T Read() {
        T value{};
        if (m_pos + sizeof value > m_size) {
            failed = true;
            m_pos = m_size;
            return value;
        }
        std::memcpy(&value, m_data + m_pos, sizeof value);
        m_pos += sizeof value;
        return value;
    }

    std::wstring ReadString() {
        std::wstring text;
        for (WORD ch = Read<WORD>(); ch != 0 && !failed; ch = Read<WORD>()) text += static_cast<wchar_t>(ch);
        return text;
    }

    SzOrOrd ReadSzOrOrd() {
        SzOrOrd field;
        WORD first = Read<WORD>();
        if (first == 0xFFFF) {
            field.ordinal = Read<WORD>();
        } else if (first != 0) {
            field.text = static_cast<wchar_t>(first) + ReadString();
        }
        return field;
    }

    DlgRect ReadRect() {
        DlgRect rect;
        rect.x = Read<short>();
        rect.y = Read<short>();
        rect.cx = Read<short>();
        rect.cy = Read<short>();
        return rect;
    }

    void Skip(size_t count) {
        if (m_pos + count > m_size) failed = true;
        m_pos = m_pos + count > m_size ? m_size : m_pos + count;
    }

    void AlignToDword() { Skip(((m_pos + 3) & ~size_t{3}) - m_pos); }

    size_t Remaining() const { return m_size - m_pos; }

    bool failed = false;

private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

const BYTE* LoadRawResource(LPCWSTR name, LPCWSTR type, DWORD& size) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, name, type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    size = found ? SizeofResource(module, found) : 0;
    return loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
}

bool LoadRawDialog(int templateId, RawDialog& dialog) {
    DWORD size = 0;
    const BYTE* data = LoadRawResource(MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5), size);  // RT_DIALOG
    if (!data) return false;
    TemplateReader reader(data, size);

    dialog.version = reader.Read<WORD>();
    dialog.signature = reader.Read<WORD>();
    dialog.helpId = reader.Read<DWORD>();
    dialog.exStyle = reader.Read<DWORD>();
    dialog.style = reader.Read<DWORD>();
    dialog.itemCount = reader.Read<WORD>();
    dialog.rect = reader.ReadRect();
    dialog.menu = reader.ReadSzOrOrd();
    dialog.windowClass = reader.ReadSzOrOrd();
    dialog.title = reader.ReadString();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = reader.Read<WORD>();
        dialog.weight = reader.Read<WORD>();
        dialog.italic = reader.Read<BYTE>();
        dialog.charSet = reader.Read<BYTE>();
        dialog.typeface = reader.ReadString();
    }
    for (WORD i = 0; i < dialog.itemCount && !reader.failed; ++i) {
        reader.AlignToDword();
        RawItem item;
        item.helpId = reader.Read<DWORD>();
        item.exStyle = reader.Read<DWORD>();
        item.style = reader.Read<DWORD>();
        item.rect = reader.ReadRect();
        item.id = reader.Read<DWORD>();
        item.windowClass = reader.ReadSzOrOrd();
        item.title = reader.ReadSzOrOrd();
        item.extraCount = reader.Read<WORD>();
        reader.Skip(item.extraCount);
        dialog.items.push_back(item);
    }
    // Only padding to the next DWORD may follow the last item.
    return !reader.failed && reader.Remaining() < 4;
}

void ExpectRectEq(const DlgRect& expected, const DlgRect& got, int id) {
    EXPECT_EQ(expected.x, got.x) << "x of id " << id;
    EXPECT_EQ(expected.y, got.y) << "y of id " << id;
    EXPECT_EQ(expected.cx, got.cx) << "width of id " << id;
    EXPECT_EQ(expected.cy, got.cy) << "height of id " << id;
}

void ExpectRawTemplate(const ExpectedDialog& expected) {
    RawDialog dialog;
    ASSERT_TRUE(LoadRawDialog(expected.templateId, dialog)) << "template " << expected.templateId;

    EXPECT_EQ(1, dialog.version);
    EXPECT_EQ(0xFFFF, dialog.signature) << "not a DLGTEMPLATEEX";
    EXPECT_EQ(Hex(expected.style), Hex(dialog.style));
    EXPECT_EQ(Hex(expected.exStyle), Hex(dialog.exStyle));
    ExpectRectEq(expected.rect, dialog.rect, expected.templateId);
    EXPECT_EQ(0, dialog.menu.ordinal);
    EXPECT_EQ(L"", dialog.menu.text);
    EXPECT_EQ(0, dialog.windowClass.ordinal);
    EXPECT_EQ(L"", dialog.windowClass.text);
    EXPECT_EQ(std::wstring(expected.caption), dialog.title);
    EXPECT_EQ(expected.pointSize, dialog.pointSize);
    EXPECT_EQ(expected.weight, dialog.weight);
    EXPECT_EQ(expected.italic, dialog.italic);
    EXPECT_EQ(expected.charSet, dialog.charSet);
    EXPECT_EQ(std::wstring(expected.typeface), dialog.typeface);

    ASSERT_EQ(expected.itemCount, dialog.items.size());
    for (size_t i = 0; i < expected.itemCount; ++i) {
        const ExpectedItem& want = expected.items[i];
        const RawItem& got = dialog.items[i];
        SCOPED_TRACE("template item " + std::to_string(i) + ", id " + std::to_string(want.id) + ", " +
                     want.kind.name);
        EXPECT_EQ(want.id, static_cast<int>(got.id));
        EXPECT_EQ(Hex(want.kind.style), Hex(got.style));
        EXPECT_EQ(Hex(0), Hex(got.exStyle));
        EXPECT_EQ(0u, got.helpId);
        if (want.kind.classOrdinal != 0) {
            EXPECT_EQ(want.kind.classOrdinal, got.windowClass.ordinal);
        } else {
            EXPECT_EQ(0, got.windowClass.ordinal);
            EXPECT_EQ(0, _wcsicmp(want.kind.className, got.windowClass.text.c_str()))
                << "class " << std::string(got.windowClass.text.begin(), got.windowClass.text.end());
        }
        EXPECT_EQ(0, got.title.ordinal);
        EXPECT_EQ(std::wstring(want.text), got.title.text);
        ExpectRectEq(want.rect, got.rect, want.id);
        EXPECT_EQ(0, got.extraCount);
    }
}

TEST(DialogTemplate, MainDialogBytesMatchLayout) { ExpectRawTemplate(kMainDialog); }

TEST(DialogTemplate, ProxyDialogBytesMatchLayout) { ExpectRawTemplate(kProxyDialog); }

// --- Live dialogs -----------------------------------------------------------

INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

class LiveDialog {
public:
    explicit LiveDialog(int templateId) {
        InitCommonControls();
        hwnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), nullptr,
                                  InertDialogProc, 0);
        error = GetLastError();
    }
    ~LiveDialog() {
        if (hwnd) DestroyWindow(hwnd);
    }
    LiveDialog(const LiveDialog&) = delete;
    LiveDialog& operator=(const LiveDialog&) = delete;

    HWND hwnd;
    DWORD error;
};

// A control's position and size in pixels as the dialog manager computes them:
// each dialog-unit value is scaled on its own, so width and height are mapped
// as sizes, not derived from mapped edges.
DlgRect ToPixels(HWND dialog, const DlgRect& units) {
    RECT rect{units.x, units.y, units.cx, units.cy};
    MapDialogRect(dialog, &rect);
    return DlgRect{static_cast<short>(rect.left), static_cast<short>(rect.top),
                   static_cast<short>(rect.right), static_cast<short>(rect.bottom)};
}

DlgRect ClientRectOfChild(HWND dialog, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return DlgRect{static_cast<short>(rect.left), static_cast<short>(rect.top),
                   static_cast<short>(rect.right - rect.left), static_cast<short>(rect.bottom - rect.top)};
}

// Style bits that a control keeps as the template gives them. The edit control
// trades WS_BORDER for WS_EX_CLIENTEDGE when it is created, so the border bit
// is checked in the template bytes only.
constexpr DWORD kKeptStyleBits = WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_GROUP | WS_TABSTOP | 0xFFFF;

// Spin controls and etched lines size themselves when they are created (the
// spin takes its own width, the etched line adds a static edge), so only their
// position is compared here; the template bytes hold their exact size.
bool KeepsTemplateSize(const Kind& kind) {
    return kind.style != kSpin.style && kind.style != kEtchedLine.style;
}

void ExpectLiveDialog(const ExpectedDialog& expected) {
    LiveDialog dialog(expected.templateId);
    ASSERT_NE(nullptr, dialog.hwnd) << "CreateDialogParamW failed, error " << dialog.error;

    const DWORD style = static_cast<DWORD>(GetWindowLongW(dialog.hwnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(dialog.hwnd, GWL_EXSTYLE));
    // The dialog manager adds DS_3DLOOK, and top-level windows may gain WS_CLIPSIBLINGS.
    EXPECT_EQ(Hex(expected.style), Hex(style & ~(DS_3DLOOK | WS_CLIPSIBLINGS)));
    EXPECT_EQ(Hex(expected.exStyle), Hex(exStyle & WS_EX_APPWINDOW));
    EXPECT_EQ(std::wstring(expected.caption), WindowText(dialog.hwnd));

    const std::vector<HWND> children = ChildrenInZOrder(dialog.hwnd);
    ASSERT_EQ(expected.itemCount, children.size());
    for (size_t i = 0; i < expected.itemCount; ++i) {
        const ExpectedItem& want = expected.items[i];
        HWND child = children[i];
        SCOPED_TRACE("child " + std::to_string(i) + ", id " + std::to_string(want.id) + ", " +
                     want.kind.name);
        EXPECT_EQ(want.id, GetDlgCtrlID(child));
        const std::wstring className = ClassName(child);
        EXPECT_EQ(0, _wcsicmp(want.kind.className, className.c_str()))
            << "class " << std::string(className.begin(), className.end());
        EXPECT_EQ(std::wstring(want.text), WindowText(child));
        EXPECT_EQ(Hex(want.kind.style & kKeptStyleBits),
                  Hex(static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE)) & kKeptStyleBits));

        DlgRect wantPixels = ToPixels(dialog.hwnd, want.rect);
        const DlgRect got = ClientRectOfChild(dialog.hwnd, child);
        if (!KeepsTemplateSize(want.kind)) {
            wantPixels.cx = got.cx;
            wantPixels.cy = got.cy;
        }
        ExpectRectEq(wantPixels, got, want.id);
    }
}

TEST(DialogWindow, MainDialogChildrenMatchLayout) { ExpectLiveDialog(kMainDialog); }

TEST(DialogWindow, ProxyDialogChildrenMatchLayout) { ExpectLiveDialog(kProxyDialog); }

// Each spin control takes the control before it in z order as its buddy, so the
// template must place every spin right after its number edit.
TEST(DialogWindow, MainDialogSpinsBuddyTheEditBeforeThem) {
    LiveDialog dialog(IDD_KMXLOGCTL_DIALOG);
    ASSERT_NE(nullptr, dialog.hwnd) << "CreateDialogParamW failed, error " << dialog.error;
    const struct {
        int spin, edit;
    } pairs[] = {{IDC_MAX_FILE_SIZE_SPIN, IDC_MAX_FILE_SIZE},
                 {IDC_MAX_DIR_SIZE_SPIN, IDC_MAX_DIR_SIZE},
                 {IDC_MAX_AGE_SPIN, IDC_MAX_AGE_DAYS},
                 {IDC_MAX_CALL_DEPTH_SPIN, IDC_MAX_CALL_DEPTH}};
    for (const auto& pair : pairs) {
        HWND spin = GetDlgItem(dialog.hwnd, pair.spin);
        ASSERT_NE(nullptr, spin) << "spin " << pair.spin;
        HWND buddy = reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0));
        EXPECT_EQ(pair.edit, buddy ? GetDlgCtrlID(buddy) : 0) << "buddy of spin " << pair.spin;
    }
}

TEST(DialogWindow, SaveAndProxyOkAreTheDefaultButtons) {
    for (int templateId : {IDD_KMXLOGCTL_DIALOG, IDD_PROXY_SETTINGS}) {
        LiveDialog dialog(templateId);
        ASSERT_NE(nullptr, dialog.hwnd) << "template " << templateId << ", error " << dialog.error;
        const LRESULT defId = SendMessageW(dialog.hwnd, DM_GETDEFID, 0, 0);
        EXPECT_EQ(DC_HASDEFID, HIWORD(defId)) << "template " << templateId;
        EXPECT_EQ(IDOK, LOWORD(defId)) << "template " << templateId;
    }
}

// --- Icon and manifest ------------------------------------------------------

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD iconId;
};
#pragma pack(pop)

TEST(AppIcon, GroupHoldsFourSizesAtEightAndThirtyTwoBits) {
    DWORD size = 0;
    const BYTE* group =
        LoadRawResource(MAKEINTRESOURCEW(IDR_MAINFRAME), MAKEINTRESOURCEW(14), size);  // RT_GROUP_ICON
    ASSERT_NE(nullptr, group);
    WORD header[3];
    ASSERT_GE(size, sizeof header);
    std::memcpy(header, group, sizeof header);
    EXPECT_EQ(1, header[1]) << "resource type";
    ASSERT_EQ(8, header[2]) << "image count";
    ASSERT_GE(size, sizeof header + 8 * sizeof(GroupIconEntry));

    int found[4][2] = {};
    for (int i = 0; i < 8; ++i) {
        GroupIconEntry entry;
        std::memcpy(&entry, group + sizeof header + i * sizeof entry, sizeof entry);
        SCOPED_TRACE("entry " + std::to_string(i) + ": " + std::to_string(entry.width) + " px, " +
                     std::to_string(entry.bitCount) + " bpp");
        EXPECT_EQ(entry.width, entry.height);
        const int sizeIndex = entry.width / 16 - 1;
        const int depthIndex = entry.bitCount == 8 ? 0 : entry.bitCount == 32 ? 1 : -1;
        ASSERT_TRUE(entry.width % 16 == 0 && sizeIndex >= 0 && sizeIndex < 4 && depthIndex >= 0);
        ++found[sizeIndex][depthIndex];

        // The image itself: a BMP-style entry whose height counts the AND mask.
        DWORD imageSize = 0;
        const BYTE* image =
            LoadRawResource(MAKEINTRESOURCEW(entry.iconId), MAKEINTRESOURCEW(3), imageSize);  // RT_ICON
        ASSERT_NE(nullptr, image);
        ASSERT_EQ(entry.bytesInRes, imageSize);
        BITMAPINFOHEADER info;
        ASSERT_GE(imageSize, sizeof info);
        std::memcpy(&info, image, sizeof info);
        EXPECT_EQ(entry.width, info.biWidth);
        EXPECT_EQ(2 * entry.width, info.biHeight);
        EXPECT_EQ(entry.bitCount, info.biBitCount);
        const DWORD palette = entry.bitCount == 8 ? 256 * 4 : 0;
        const DWORD colourBytes = ((entry.width * entry.bitCount + 31) / 32) * 4 * entry.width;
        const DWORD maskBytes = ((entry.width + 31) / 32) * 4 * entry.width;
        EXPECT_EQ(sizeof info + palette + colourBytes + maskBytes, imageSize);
    }
    for (int s = 0; s < 4; ++s)
        for (int d = 0; d < 2; ++d)
            EXPECT_EQ(1, found[s][d]) << (s + 1) * 16 << " px at " << (d ? 32 : 8) << " bpp";
}

TEST(AppIcon, LoadsAtEachSize) {
    for (int size : {16, 32, 48, 64}) {
        HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                   IMAGE_ICON, size, size, 0));
        ASSERT_NE(nullptr, icon) << size << " px, error " << GetLastError();
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
        EXPECT_EQ(size, bitmap.bmWidth);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(Manifest, RunsAsInvokerDpiAwareWithoutDependencies) {
    DWORD size = 0;
    const BYTE* data = LoadRawResource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24), size);  // RT_MANIFEST
    ASSERT_NE(nullptr, data);
    const std::string manifest(reinterpret_cast<const char*>(data), size);
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\"")) << manifest;
    EXPECT_NE(std::string::npos, manifest.find("uiAccess=\"false\"")) << manifest;
    EXPECT_NE(std::string::npos, manifest.find(">true</dpiAware>")) << manifest;
    EXPECT_EQ(std::string::npos, manifest.find("<dependency")) << manifest;
}

}  // namespace
