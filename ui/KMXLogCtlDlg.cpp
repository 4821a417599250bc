#include "ui/KMXLogCtlDlg.h"

#include <commctrl.h>

#include <utility>

#include "framework/DataExchange.h"
#include "framework/WinApp.h"
#include "kvxshared/KvxShared.h"
#include "resource.h"
#include "settings/Catalogue.h"
#include "settings/GalSync.h"
#include "settings/IsBESFromRegistry.h"
#include "settings/Loader.h"
#include "settings/Presets.h"
#include "settings/ReadIEProxyServer.h"
#include "settings/Saver.h"
#include "system/FileSystem.h"
#include "system/MachineDefaults.h"
#include "ui/ControlBindings.h"
#include "ui/MainDialogLayout.h"
#include "ui/ProxySettings.h"

using kmx::SettingId;

namespace {

// Save's messages are errors; the old switch's is "access denied".
const wchar_t kErrorCaption[] = L"Error";
const wchar_t kAccessDeniedCaption[] = L"Access Denied";
constexpr UINT kErrorBoxStyle = MB_OK | MB_ICONERROR;

// What Save borrows from the window: the directory check, and the box it
// shows just before the last write when the old switch could not be deleted.
class DialogSaveHooks : public kmx::SaveHooks {
public:
    explicit DialogSaveHooks(CWnd& dialog) : m_dialog(dialog) {}

    bool DirectoryExists(const std::wstring& directory) override { return kmx::DirectoryExists(directory); }
    void OldSwitchRefused() override {
        m_dialog.MessageBoxW(kmx::kOldSwitchText, kAccessDeniedCaption, kErrorBoxStyle);
    }

private:
    CWnd& m_dialog;
};

}  // namespace

CKMXLogCtlDlg::CKMXLogCtlDlg(kmx::IRegistry& registry, CWnd* pParent)
    : CDialog(IDD_KMXLOGCTL_DIALOG, pParent), m_registry(registry), m_loaded(registry) {
    ApplyFactoryDefaults();
    // Until a load succeeds, Save compares against the factory values.
    kmx::RecordFactoryValues(m_model);
    m_hIcon = ::LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ProxyText = kmx::ReadIEProxyServer(m_registry);
}

const MessageMap* CKMXLogCtlDlg::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        {IDOK, BN_CLICKED, &CKMXLogCtlDlg::OnSave},
        {IDC_ENABLE_LOGGING, BN_CLICKED, &CKMXLogCtlDlg::OnEnableLogging},
        {IDC_THREAD_ALL_THREADS, BN_CLICKED, &CKMXLogCtlDlg::OnAllThreads},
        {IDC_ENABLE_ROLL, BN_CLICKED, &CKMXLogCtlDlg::OnEnableRoll},
        {IDC_ADVANCED, BN_CLICKED, &CKMXLogCtlDlg::OnAdvanced},
        {kmx::kPlainCheckBoxIds, BN_CLICKED, &CKMXLogCtlDlg::OnSettingClicked},
        {kmx::kPresetButtonIds, BN_CLICKED, &CKMXLogCtlDlg::OnPreset},
        {kmx::kGroupButtonIds, BN_CLICKED, &CKMXLogCtlDlg::OnGroupButton},
        {IDC_FACTORY_RESET, BN_CLICKED, &CKMXLogCtlDlg::OnFactoryReset},
        {IDC_FORCE_GAL_RESET, BN_CLICKED, &CKMXLogCtlDlg::OnForceGalReset},
        {IDC_FORCE_GAL_UPDATE, BN_CLICKED, &CKMXLogCtlDlg::OnForceGalUpdate},
        // The button is hidden when the window opens; its handler stays.
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

    for (const kmx::ControlBinding& binding : kmx::kControlBindings) {
        const SettingId id = binding.setting;
        switch (binding.text) {
            case kmx::BoundText::LogDirectory: DDX_Text(pDX, binding.controlId, m_model.logDirectory); break;
            case kmx::BoundText::LogFilePrefix:
                DDX_Text(pDX, binding.controlId, m_model.logFilePrefix);
                break;
            case kmx::BoundText::None:
                if (kmx::Info(id).kind == kmx::SettingKind::Limit) {
                    DDX_Text(pDX, binding.controlId, m_model.text[id]);
                    DDV_MaxChars(pDX, m_model.text[id], kmx::Info(id).maxChars);
                } else {
                    DDX_Check(pDX, binding.controlId, m_model.value[id]);
                }
                break;
        }
    }
}

void CKMXLogCtlDlg::ApplyFactoryDefaults() { kmx::ApplyMachineFactoryDefaults(m_model); }

BOOL CKMXLogCtlDlg::OnInitDialog() {
    // The base class's copy of the fields into the controls is left out: it
    // would show the factory values only for loading to replace them. The one
    // copy follows loading.

    // Beside Outlook's main window, when there is one.
    if (HWND outlook = FindTopLevelWindow(kmx::kOutlookWindowClass)) {
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

    for (const kmx::LimitSpin& spin : kmx::kLimitSpins) {
        const kmx::SettingInfo& limit = kmx::Info(spin.limit);
        if (CWnd* control = GetDlgItem(spin.controlId))
            control->SendMessageW(UDM_SETRANGE, 0, MAKELPARAM(limit.spinUpper, limit.spinLower));
    }

    if (CWnd* proxyButton = GetDlgItem(IDC_CONFIGURE_PROXY)) proxyButton->ShowWindow(SW_HIDE);

    LoadSettings();
    // The loaded values, or the factory values when the key could not be loaded.
    UpdateData(FALSE);
    ApplyEnablingAtStart();
    return TRUE;
}

void CKMXLogCtlDlg::LoadSettings() {
    kmx::LoadResult result = kmx::LoadSettings(m_registry, m_model);
    m_loaded = std::move(result.loaded);
    if (result.appDumpBox != kmx::AppDumpBox::NotRead) {
        if (CWnd* box = GetDlgItem(IDC_ENABLE_CALENDAR_TRACKING))
            box->ShowWindow(result.appDumpBox == kmx::AppDumpBox::Shown ? SW_SHOWNORMAL : SW_HIDE);
    }
}

void CKMXLogCtlDlg::OnSave() {
    // A failed copy has already told the user which field is wrong.
    if (!UpdateData(TRUE)) return;
    DialogSaveHooks hooks(*this);
    const kmx::SaveOutcome outcome = kmx::SaveSettings(m_model, m_loaded, hooks);
    switch (outcome.result) {
        case kmx::SaveResult::Unchanged:
        case kmx::SaveResult::Written: CDialog::OnOK(); return;
        case kmx::SaveResult::WriteFailed:
            // Every value was attempted; the window stays open so the user knows
            // the settings are not (all) saved and can retry or cancel.
            MessageBoxW(kmx::WriteFailedText(outcome.failedValue), kErrorCaption, kErrorBoxStyle);
            return;
        case kmx::SaveResult::Refused:
            // The field the refusal concerns takes the focus before its message shows.
            if (CWnd* control = GetDlgItem(kmx::ControlOf(outcome.refusal.setting))) control->SetFocus();
            MessageBoxW(kmx::RefusalText(outcome.refusal.failed), kErrorCaption, kErrorBoxStyle);
            return;
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

void CKMXLogCtlDlg::ApplyEnablingStep(const kmx::EnablingStep& step, bool onlyWhereItChanges) {
    const BOOL enable =
        kmx::RuleAllows(step.rule, m_model.value[kmx::kEnabled] != 0,
                        m_model.value[kmx::kThreadAllThreads] != 0, m_model.value[kmx::kEnableRoll] != 0);
    for (const int controlId : step) {
        CWnd* control = GovernedControl(controlId);
        if (control == nullptr) continue;
        if (onlyWhereItChanges && (control->IsWindowEnabled() != FALSE) == (enable != FALSE)) continue;
        control->EnableWindow(enable);
    }
}

void CKMXLogCtlDlg::OnEnableLogging() {
    UpdateData(TRUE);
    if (m_model.value[kmx::kEnabled] == 0) {
        m_model.text[kmx::kMaxFileSizeMB] = m_model.recordedText[kmx::kMaxFileSizeMB];
        UpdateData(FALSE);
    }
    for (const kmx::EnablingStep& step : kmx::kEnablingSteps) ApplyEnablingStep(step);
}

// What OnEnableLogging does, for controls that have just been filled from the
// model. Copying them back still normalises the switches and reports a limit
// text too long for its field. Copying the model into them again is left out
// when that copy succeeded and restoring the recorded single-file size changes
// nothing: it would set every control to what it shows. And only the controls
// whose state differs from the template's are enabled or disabled: disabling
// a disabled control changes nothing but costs a message.
void CKMXLogCtlDlg::ApplyEnablingAtStart() {
    const bool copied = UpdateData(TRUE) != FALSE;
    if (m_model.value[kmx::kEnabled] == 0) {
        std::wstring& fileSize = m_model.text[kmx::kMaxFileSizeMB];
        const std::wstring& recorded = m_model.recordedText[kmx::kMaxFileSizeMB];
        if (!copied || fileSize != recorded) {
            fileSize = recorded;
            UpdateData(FALSE);
        }
    }
    for (const kmx::EnablingStep& step : kmx::kEnablingSteps) ApplyEnablingStep(step, true);
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
    if (CWnd* button = GetDlgItem(IDC_ADVANCED)) {
        // On opening, the template already shows the caption.
        std::wstring shown;
        button->GetWindowTextW(shown);
        if (shown != advancedCaption) button->SetWindowTextW(advancedCaption);
    }
}

// Presets, group buttons and factory reset: marks only, never the registry.

void CKMXLogCtlDlg::SetMark(int controlId, int mark) {
    if (CWnd* box = GetDlgItem(controlId))
        box->SendMessageW(BM_SETCHECK, mark != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CKMXLogCtlDlg::OnPreset(UINT buttonId) {
    for (const kmx::PresetButton& button : kmx::kPresetButtons) {
        if (button.buttonId != static_cast<int>(buttonId)) continue;
        const kmx::Preset& preset = kmx::PresetOf(button.preset);
        SetMark(IDC_THREAD_ALL_THREADS, preset.allThreadsMark);
        OnAllThreads();
        for (const kmx::PresetMark& mark : preset.boxMarks) SetMark(kmx::ControlOf(mark.setting), mark.mark);
        if (preset.setsOutputOptions) {
            for (const kmx::PresetMark& mark : kmx::OutputOptionMarks(preset, Korvex::Util::IsBESKMX()))
                SetMark(kmx::ControlOf(mark.setting), mark.mark);
        }
    }
}

void CKMXLogCtlDlg::OnGroupButton(UINT buttonId) {
    for (const kmx::GroupButton& button : kmx::kGroupButtons) {
        if (button.buttonId != static_cast<int>(buttonId)) continue;
        for (const SettingId setting : kmx::BoxesOf(button.boxes))
            SetMark(kmx::ControlOf(setting), button.mark);
    }
}

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
    CProxySettings dialog(m_registry, this);
    dialog.DoModal();
    ProxyText = dialog.ProxyText;
}
