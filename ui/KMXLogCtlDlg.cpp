#include "ui/KMXLogCtlDlg.h"

#include <commctrl.h>

#include <optional>

#include "framework/DataExchange.h"
#include "framework/Shell.h"
#include "framework/WinApp.h"
#include "kvxshared/KvxShared.h"
#include "resource.h"
#include "settings/Catalogue.h"
#include "settings/Loader.h"
#include "settings/Presets.h"
#include "settings/Saver.h"
#include "settings/SettingOrders.h"
#include "settings/SystemRegistry.h"
#include "ui/GalSync.h"
#include "ui/IsBESFromRegistry.h"
#include "ui/MainDialogLayout.h"
#include "ui/ProxySettings.h"
#include "ui/ReadIEProxyServer.h"

using kmx::SettingId;

namespace {

// What Save borrows from the window: the directory check, the focus and the
// message boxes, in the order Save asks for them.
class DialogSaveHooks : public kmx::SaveHooks {
public:
    explicit DialogSaveHooks(CWnd& dialog) : m_dialog(dialog) {}

    bool DirectoryExists(const std::wstring& directory) override {
        const DWORD attributes = kmx::GetFileAttributesOf(directory);
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    void FocusControl(int controlId) override {
        if (CWnd* control = m_dialog.GetDlgItem(controlId)) control->SetFocus();
    }
    void ShowMessage(const std::wstring& text, const std::wstring& caption, unsigned style) override {
        m_dialog.MessageBoxW(text, caption, style);
    }

private:
    CWnd& m_dialog;
};

}  // namespace

CKMXLogCtlDlg::CKMXLogCtlDlg(CWnd* pParent)
    : CDialog(IDD_KMXLOGCTL_DIALOG, pParent), m_registry(kmx::SystemRegistry()) {
    ApplyFactoryDefaults();
    // Until a load succeeds, Save compares against the factory values.
    kmx::RecordFactoryValues(m_model);
    m_hIcon = ::LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ProxyText = kmx::ReadIEProxyServer(m_registry);
}

CKMXLogCtlDlg::~CKMXLogCtlDlg() {
    if (m_loggingKey != 0) m_registry.CloseKey(m_loggingKey);
}

const MessageMap* CKMXLogCtlDlg::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        {IDOK, BN_CLICKED, &CKMXLogCtlDlg::OnSave},
        {IDC_ENABLE_LOGGING, BN_CLICKED, &CKMXLogCtlDlg::OnEnableLogging},
        {IDC_THREAD_ALL_THREADS, BN_CLICKED, &CKMXLogCtlDlg::OnAllThreads},
        {IDC_ENABLE_ROLL, BN_CLICKED, &CKMXLogCtlDlg::OnEnableRoll},
        {IDC_ADVANCED, BN_CLICKED, &CKMXLogCtlDlg::OnAdvanced},
        // The 15 single threads
        {IDC_THREAD_MAIN, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_THREAD_MAIN_SYNC, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_THREAD_DSDI_SYNC, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_THREAD_ON_NOTIFY, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_THREAD_GAL_SYNC, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_THREAD_OTHERS, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_THREAD_HTTP_CALLBACK, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_THREAD_KEYWORD_UPDATER, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_THREAD_CONN_STATE, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_THREAD_SPOOLER, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_THREAD_REAPER, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_THREAD_SYNC_1MSG, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_THREAD_TRACKED_MAIL, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_THREAD_WAIT_RQST, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_THREAD_IP_SRCH, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        // The 16 detail levels
        {IDC_DETAIL_FN_API, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_DETAIL_FN_INTERNAL, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_DETAIL_FN_DETAILED, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_DETAIL_FN_IUNKNOWN, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_DETAIL_FN_CTOR_DTOR, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_DETAIL_CMNT_GEN, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_DETAIL_CMNT_PROPS, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_DETAIL_CMNT_ROWS, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_DETAIL_CMNT_HTTP, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_DETAIL_CMNT_IUNKNOWN, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_DETAIL_CMNT_SAX, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_DETAIL_CMNT_STORE_INFO, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_DETAIL_CMNT_FOLDER_INFO, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_DETAIL_CMNT_MSG_INFO, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_DETAIL_CMNT_RESTRICTIONS, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_DETAIL_CMNT_PARAM, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        // The 10 areas
        {IDC_AREA_CHANGES, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_AREA_ADDINS, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_AREA_MAPI, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_AREA_SYNC, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_AREA_SAX, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_AREA_STREAM, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_AREA_CONN, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_AREA_PROG, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_AREA_GEN, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_AREA_MSG_MPR, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        // Output options, backups, directory size and age
        {IDC_LOG_TO_DBGWIN, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_THREAD_LANES, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_INDENT_CALL_DEPTH, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_PRETTY_PRINT, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_KEEP_LOGGING, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_ENABLE_MAX_DIR_SIZE, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {IDC_ENABLE_MAX_AGE, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        // Presets, group buttons, factory reset
        {IDC_PRESET_FULL, BN_CLICKED, &CKMXLogCtlDlg::OnPresetFull},
        {IDC_PRESET_DEFAULT, BN_CLICKED, &CKMXLogCtlDlg::OnPresetDefault},
        {IDC_PRESET_MAIN_SYNC, BN_CLICKED, &CKMXLogCtlDlg::OnPresetMainSync},
        {IDC_PRESET_GAL_SYNC, BN_CLICKED, &CKMXLogCtlDlg::OnPresetGalSync},
        {IDC_PRESET_HTTP_ONLY, BN_CLICKED, &CKMXLogCtlDlg::OnPresetHttpOnly},
        {IDC_PRESET_CHANGES, BN_CLICKED, &CKMXLogCtlDlg::OnPresetChanges},
        {IDC_PRESET_SPOOLER, BN_CLICKED, &CKMXLogCtlDlg::OnPresetSpooler},
        {IDC_PRESET_UI_THREAD, BN_CLICKED, &CKMXLogCtlDlg::OnPresetUiThread},
        {IDC_THREADS_ALL, BN_CLICKED, &CKMXLogCtlDlg::OnThreadsSelectAll},
        {IDC_THREADS_NONE, BN_CLICKED, &CKMXLogCtlDlg::OnThreadsSelectNone},
        {IDC_AREAS_ALL, BN_CLICKED, &CKMXLogCtlDlg::OnAreasSelectAll},
        {IDC_AREAS_NONE, BN_CLICKED, &CKMXLogCtlDlg::OnAreasSelectNone},
        {IDC_DETAIL_ALL, BN_CLICKED, &CKMXLogCtlDlg::OnDetailSelectAll},
        {IDC_DETAIL_NONE, BN_CLICKED, &CKMXLogCtlDlg::OnDetailSelectNone},
        {IDC_FACTORY_RESET, BN_CLICKED, &CKMXLogCtlDlg::OnFactoryReset},
        // GAL commands and the (hidden) proxy button
        {IDC_FORCE_GAL_RESET, BN_CLICKED, &CKMXLogCtlDlg::OnForceGalReset},
        {IDC_FORCE_GAL_UPDATE, BN_CLICKED, &CKMXLogCtlDlg::OnForceGalUpdate},
        {IDC_CONFIGURE_PROXY, BN_CLICKED, &CKMXLogCtlDlg::OnConfigureProxySettings}};
    static const MessageMap map(CDialog::GetMessageMap(), entries);
    return &map;
}

void CKMXLogCtlDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    // Attached first, so that a failing limit further down cannot leave a
    // control object unattached.
    for (std::size_t i = 0; i < m_governed.size(); ++i)
        DDX_Control(pDX, kmx::kGovernedControlIds[i], m_governed[i]);

    for (const int controlId : kmx::kExchangeOrder) {
        if (controlId == kmx::Info(kmx::kFileName).controlId) {
            DDX_Text(pDX, controlId, m_model.logDirectory);
            continue;
        }
        if (controlId == kmx::kPrefixEditId) {
            DDX_Text(pDX, controlId, m_model.logFilePrefix);
            continue;
        }
        const std::optional<SettingId> found = kmx::FindSettingByControl(controlId);
        if (!found) continue;  // every id of the order is in the catalogue (checked by a test)
        const SettingId id = *found;
        if (kmx::Info(id).kind == kmx::SettingKind::Limit) {
            DDX_Text(pDX, controlId, m_model.text[id]);
            DDV_MaxChars(pDX, m_model.text[id], kmx::Info(id).maxChars);
        } else {
            DDX_Check(pDX, controlId, m_model.value[id]);
        }
    }
}

void CKMXLogCtlDlg::ApplyFactoryDefaults() {
    std::wstring tempPath;
    // When the temporary-files path cannot be had, the directory stays empty
    // and Save refuses it until the user enters one.
    kmx::GetTempPathText(tempPath);
    kmx::ApplyFactoryDefaults(m_model, tempPath, Korvex::Util::IsBESKMX());
}

BOOL CKMXLogCtlDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    // Beside Outlook's main window, when there is one.
    if (HWND outlook = kmx::FindTopLevelWindow(kmx::kOutlookWindowClass)) {
        RECT rect = {};
        CWnd(outlook).GetWindowRect(&rect);
        SetWindowPos(nullptr, rect.left + kmx::kOutlookOffset, rect.top + kmx::kOutlookOffset, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
    }

    if (kmx::IsBESFromRegistry(m_registry)) SetWindowTextW(kmx::kBlackBerryTitle);

    SendMessageW(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    if (Collapsed != 0)
        CollapseDialog();
    else
        ExpandDialog();

    for (const kmx::SpinRange& spin : kmx::kSpinRanges) {
        if (CWnd* control = GetDlgItem(spin.controlId))
            control->SendMessageW(UDM_SETRANGE, 0, MAKELPARAM(spin.upper, spin.lower));
    }

    if (CWnd* proxyButton = GetDlgItem(IDC_CONFIGURE_PROXY)) proxyButton->ShowWindow(SW_HIDE);

    LoadSettings();
    OnEnableLogging();
    return TRUE;
}

void CKMXLogCtlDlg::LoadSettings() {
    const kmx::LoadResult result = kmx::LoadSettings(m_registry, m_model);
    m_loggingKey = result.loggingKey;
    m_oldSwitchRefused = result.oldSwitchRefused;
    if (result.appDumpBox != kmx::AppDumpBox::NotRead) {
        if (CWnd* box = GetDlgItem(IDC_ENABLE_CALENDAR_TRACKING))
            box->ShowWindow(result.appDumpBox == kmx::AppDumpBox::Shown ? SW_SHOWNORMAL : SW_HIDE);
    }
    if (result.loaded) UpdateData(FALSE);
}

void CKMXLogCtlDlg::OnSave() {
    const bool exchanged = UpdateData(TRUE) != FALSE;
    DialogSaveHooks hooks(*this);
    const kmx::SaveOutcome outcome =
        kmx::SaveSettings(m_model, exchanged, m_registry, m_loggingKey, m_oldSwitchRefused, hooks);
    switch (outcome.result) {
        case kmx::SaveResult::Unchanged:
        case kmx::SaveResult::Written: CDialog::OnOK(); return;
        case kmx::SaveResult::WriteFailed:
            // Every value was attempted; the window stays open so the user knows
            // the settings are not (all) saved and can retry or cancel.
            MessageBoxW(kmx::WriteFailedText(outcome.failedValue), kmx::kErrorCaption, kmx::kErrorBoxStyle);
            return;
        case kmx::SaveResult::ExchangeFailed:
        case kmx::SaveResult::Refused: return;
    }
}

void CKMXLogCtlDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    PAINTSTRUCT paint = {};
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    SendMessageW(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect = {};
    GetClientRect(&rect);
    const kmx::IconOrigin origin =
        kmx::CentredIconOrigin(rect.right - rect.left, rect.bottom - rect.top, cxIcon, cyIcon);
    ::DrawIcon(dc, origin.x, origin.y, m_hIcon);
    ::EndPaint(m_hWnd, &paint);
}

HCURSOR CKMXLogCtlDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

// Enabling rules

CWnd* CKMXLogCtlDlg::GovernedControl(int controlId) {
    for (std::size_t i = 0; i < m_governed.size(); ++i)
        if (kmx::kGovernedControlIds[i] == controlId) return &m_governed[i];
    return nullptr;
}

void CKMXLogCtlDlg::ApplyEnablingStep(const kmx::EnablingStep& step) {
    const BOOL enable =
        kmx::RuleAllows(step.rule, m_model.value[kmx::kEnabled] != 0,
                        m_model.value[kmx::kThreadAllThreads] != 0, m_model.value[kmx::kEnableRoll] != 0);
    for (const int controlId : step)
        if (CWnd* control = GovernedControl(controlId)) control->EnableWindow(enable);
}

void CKMXLogCtlDlg::OnEnableLogging() {
    UpdateData(TRUE);
    if (m_model.value[kmx::kEnabled] == 0) {
        m_model.text[kmx::kMaxFileSizeMB] = m_model.recordedText[kmx::kMaxFileSizeMB];
        UpdateData(FALSE);
    }
    for (const kmx::EnablingStep& step : kmx::kEnablingSteps) ApplyEnablingStep(step);
}

void CKMXLogCtlDlg::OnAllThreads() {
    UpdateData(TRUE);
    ApplyEnablingStep(kmx::kThreadStep);
}

void CKMXLogCtlDlg::OnEnableRoll() {
    UpdateData(TRUE);
    ApplyEnablingStep(kmx::kRollingStep);
}

void CKMXLogCtlDlg::OnSettingClicked() { UpdateData(TRUE); }

// Advanced view

void CKMXLogCtlDlg::OnAdvanced() {
    Collapsed = Collapsed == 0 ? 1 : 0;
    if (Collapsed != 0)
        CollapseDialog();
    else
        ExpandDialog();
}

void CKMXLogCtlDlg::CollapseDialog() {
    ResizeToMarker(IDC_MARKER_COLLAPSED, kmx::kAdvancedCollapsedCaption,
                   [](const RECT& window, const RECT& marker) { return marker.top - window.top + 4; });
}

void CKMXLogCtlDlg::ExpandDialog() {
    ResizeToMarker(IDC_MARKER_EXPANDED, kmx::kAdvancedExpandedCaption,
                   [](const RECT& window, const RECT& marker) {
                       return (marker.bottom - window.top) + (marker.bottom - marker.top);
                   });
}

void CKMXLogCtlDlg::ResizeToMarker(int markerId, const wchar_t* advancedCaption,
                                   LONG (*height)(const RECT& window, const RECT& marker)) {
    CWnd* marker = GetDlgItem(markerId);
    if (marker == nullptr) return;
    RECT window = {};
    RECT mark = {};
    GetWindowRect(&window);
    marker->GetWindowRect(&mark);
    SetWindowPos(nullptr, 0, 0, window.right - window.left, height(window, mark), SWP_NOMOVE | SWP_NOZORDER);
    if (CWnd* button = GetDlgItem(IDC_ADVANCED)) button->SetWindowTextW(advancedCaption);
}

// Presets, group buttons and factory reset: marks only, never the registry.

void CKMXLogCtlDlg::SetMark(int controlId, int mark) {
    if (CWnd* box = GetDlgItem(controlId))
        box->SendMessageW(BM_SETCHECK, mark != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CKMXLogCtlDlg::ApplyPreset(int buttonId) {
    const kmx::Preset* preset = kmx::FindPreset(buttonId);
    if (preset == nullptr) return;
    SetMark(IDC_THREAD_ALL_THREADS, preset->allThreadsMark);
    OnAllThreads();
    for (const kmx::PresetMark& mark : preset->boxMarks)
        SetMark(kmx::Info(mark.setting).controlId, mark.mark);
    if (preset->setsOutputOptions) {
        for (const kmx::PresetMark& mark : kmx::OutputOptionMarks(*preset, Korvex::Util::IsBESKMX()))
            SetMark(kmx::Info(mark.setting).controlId, mark.mark);
    }
}

void CKMXLogCtlDlg::OnPresetFull() { ApplyPreset(IDC_PRESET_FULL); }
void CKMXLogCtlDlg::OnPresetDefault() { ApplyPreset(IDC_PRESET_DEFAULT); }
void CKMXLogCtlDlg::OnPresetMainSync() { ApplyPreset(IDC_PRESET_MAIN_SYNC); }
void CKMXLogCtlDlg::OnPresetGalSync() { ApplyPreset(IDC_PRESET_GAL_SYNC); }
void CKMXLogCtlDlg::OnPresetHttpOnly() { ApplyPreset(IDC_PRESET_HTTP_ONLY); }
void CKMXLogCtlDlg::OnPresetChanges() { ApplyPreset(IDC_PRESET_CHANGES); }
void CKMXLogCtlDlg::OnPresetSpooler() { ApplyPreset(IDC_PRESET_SPOOLER); }
void CKMXLogCtlDlg::OnPresetUiThread() { ApplyPreset(IDC_PRESET_UI_THREAD); }

void CKMXLogCtlDlg::ApplyGroupButton(int buttonId) {
    const std::optional<kmx::GroupButton> group = kmx::FindGroupButton(buttonId);
    if (!group) return;
    for (const SettingId setting : kmx::BoxesOf(group->boxes))
        SetMark(kmx::Info(setting).controlId, group->mark);
}

void CKMXLogCtlDlg::OnThreadsSelectAll() { ApplyGroupButton(IDC_THREADS_ALL); }
void CKMXLogCtlDlg::OnThreadsSelectNone() { ApplyGroupButton(IDC_THREADS_NONE); }
void CKMXLogCtlDlg::OnAreasSelectAll() { ApplyGroupButton(IDC_AREAS_ALL); }
void CKMXLogCtlDlg::OnAreasSelectNone() { ApplyGroupButton(IDC_AREAS_NONE); }
void CKMXLogCtlDlg::OnDetailSelectAll() { ApplyGroupButton(IDC_DETAIL_ALL); }
void CKMXLogCtlDlg::OnDetailSelectNone() { ApplyGroupButton(IDC_DETAIL_NONE); }

void CKMXLogCtlDlg::OnFactoryReset() {
    if (MessageBoxW(kmx::kFactoryResetQuestion, kmx::kFactoryResetCaption, MB_OKCANCEL) != IDOK) return;
    ApplyFactoryDefaults();
    UpdateData(FALSE);
    // Leave no control enabled while the reset model has logging off; the
    // recorded single-file size is not put back (that would undo the reset).
    for (const kmx::EnablingStep& step : kmx::kEnablingSteps) ApplyEnablingStep(step);
}

// GAL commands and the proxy dialog

void CKMXLogCtlDlg::TriggerGalSync(const std::wstring& prefix) {
    kmx::TriggerGalSync(m_registry, prefix, [this](const std::wstring& text) {
        MessageBoxW(text, kmx::kGalSyncMessageTitle, MB_OK);
    });
}

void CKMXLogCtlDlg::OnForceGalReset() { TriggerGalSync(kmx::kForceGalSyncPrefix); }
void CKMXLogCtlDlg::OnForceGalUpdate() { TriggerGalSync(kmx::kForceGalSyncDeltaPrefix); }

void CKMXLogCtlDlg::OnConfigureProxySettings() {
    CProxySettings dialog(this);
    dialog.DoModal();
    ProxyText = dialog.ProxyText;
}
