// The main window: every logging setting in a check box or an edit, with
// presets, group buttons, factory reset, the GAL commands and Save/Cancel.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "framework/Dialog.h"
#include "settings/Loader.h"
#include "settings/Registry.h"
#include "settings/SettingsModel.h"
#include "ui/GovernedControls.h"

class CKMXLogCtlDlg : public CDialog {
public:
    // Every registry access of the dialog's life (loading, Save, the variant
    // flag, the GAL commands, the proxy) goes through `registry`, which must
    // outlive the dialog.
    explicit CKMXLogCtlDlg(kmx::IRegistry& registry, CWnd* pParent = nullptr);
    ~CKMXLogCtlDlg() override = default;

    BOOL OnInitDialog() override;
    void OnPaint() override;
    HCURSOR OnQueryDragIcon() override;
    const MessageMap* GetMessageMap() const override;

    // Read access for tests.
    const kmx::SettingsModel& Model() const { return m_model; }
    const kmx::LoadedKey& Loaded() const { return m_loaded; }
    int IsCollapsed() const { return Collapsed; }
    HICON WindowIcon() const { return m_hIcon; }

    // Internet Explorer's proxy, or what the proxy dialog handed back.
    std::wstring ProxyText;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    void ApplyFactoryDefaults();
    void LoadSettings();
    void CollapseDialog();
    void ExpandDialog();
    void TriggerGalSync(const std::wstring& prefix);

    // Save (IDOK)
    void OnSave();
    // Enabling rules
    void OnEnableLogging();
    void OnAllThreads();
    void OnEnableRoll();
    void OnSettingClicked();
    void OnAdvanced();
    // Presets, group buttons, factory reset
    void OnPreset(UINT buttonId);
    void OnGroupButton(UINT buttonId);
    void OnFactoryReset();
    // GAL commands and the proxy dialog
    void OnForceGalReset();
    void OnForceGalUpdate();
    void OnConfigureProxySettings();

private:
    // Both views: the window keeps its position and width, its height comes
    // from the screen rectangles of the window and of a marker control.
    void ResizeToMarker(int markerId, const wchar_t* advancedCaption,
                        LONG (*height)(const RECT& window, const RECT& marker));
    void ApplyEnablingStep(const kmx::EnablingStep& step, bool onlyWhereItChanges = false);
    void ApplyEnablingAtStart();
    void SetMark(int controlId, int mark);
    CWnd* GovernedControl(int controlId);

    kmx::IRegistry& m_registry;
    kmx::SettingsModel m_model;
    HICON m_hIcon = nullptr;
    int Collapsed = 1;
    // What loading left for Save: the logging key, held until the dialog goes.
    kmx::LoadedKey m_loaded;
    // The member control objects of the controls the enabling rules address,
    // in the order of kGovernedControlIds.
    std::array<CWnd, kmx::kGovernedControlCount> m_governed;
};
