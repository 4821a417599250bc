// The proxy settings dialog: shows Internet Explorer's proxy split into
// server and port, lets the user choose a direct connection, Internet
// Explorer's proxy or a typed one, and leaves the chosen proxy text in
// ProxyText for the caller to take, whatever way the dialog ended.
#pragma once

#include <string>

#include "framework/Dialog.h"
#include "settings/Registry.h"

class CProxySettings : public CDialog {
public:
    // Internet Explorer's proxy is read through `registry` when the dialog opens.
    explicit CProxySettings(kmx::IRegistry& registry, CWnd* parent = nullptr);
    ~CProxySettings() override;

    // Which radio button of the group starting at "direct" is checked:
    // 0 direct connection, 1 Internet Explorer's proxy, 2 typed proxy.
    int ConnectionChoice = 1;
    CWnd ServerEdit;
    CWnd PortEdit;
    // Empty for a direct connection, Internet Explorer's text unchanged, the
    // typed server, or the typed server, ":" and the typed port.
    std::wstring ProxyText;

    BOOL OnInitDialog() override;
    const MessageMap* GetMessageMap() const override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    // The radio buttons only enable or disable the two edits; their texts
    // stay, so a typed proxy starts from Internet Explorer's.
    void OnDirectConnection();
    void OnIEProxySettings();
    void OnManualProxySettings();
    void OnProxyOk();

private:
    void EnableEdits(BOOL enable);

    kmx::IRegistry& m_registry;
};
