#include "ui/ProxySettings.h"

#include "framework/DataExchange.h"
#include "resource.h"
#include "settings/ReadIEProxyServer.h"
#include "settings/Wtol.h"

namespace {

constexpr int kDirectConnection = 0;
constexpr int kManualProxy = 2;

}  // namespace

CProxySettings::CProxySettings(kmx::IRegistry& registry, CWnd* parent)
    : CDialog(IDD_PROXY_SETTINGS, parent), m_registry(registry) {}

CProxySettings::~CProxySettings() = default;

const MessageMap* CProxySettings::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        {IDC_PROXY_IE, BN_CLICKED, &CProxySettings::OnIEProxySettings},
        {IDC_PROXY_MANUAL, BN_CLICKED, &CProxySettings::OnManualProxySettings},
        {IDC_PROXY_DIRECT, BN_CLICKED, &CProxySettings::OnDirectConnection},
        {IDOK, BN_CLICKED, &CProxySettings::OnProxyOk}};
    static const MessageMap map(CDialog::GetMessageMap(), entries);
    return &map;
}

void CProxySettings::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_PROXY_SERVER, ServerEdit);
    DDX_Control(pDX, IDC_PROXY_PORT, PortEdit);
    DDX_Radio(pDX, IDC_PROXY_DIRECT, ConnectionChoice);
}

BOOL CProxySettings::OnInitDialog() {
    CDialog::OnInitDialog();
    EnableEdits(FALSE);

    ProxyText = kmx::ReadIEProxyServer(m_registry);

    // Internet Explorer keeps "server:port", or several "protocol=server:port"
    // entries joined by ';'; only the part after the last colon can be a port.
    const std::wstring::size_type colon = ProxyText.rfind(L':');
    const std::wstring tail = colon == std::wstring::npos ? ProxyText : ProxyText.substr(colon + 1);
    if (kmx::Wtoi(tail) != 0) {
        PortEdit.SetWindowTextW(tail);
        ServerEdit.SetWindowTextW(colon == std::wstring::npos ? std::wstring() : ProxyText.substr(0, colon));
    } else {
        ServerEdit.SetWindowTextW(ProxyText);
    }
    return TRUE;
}

void CProxySettings::OnDirectConnection() { EnableEdits(FALSE); }

void CProxySettings::OnIEProxySettings() { EnableEdits(FALSE); }

void CProxySettings::OnManualProxySettings() { EnableEdits(TRUE); }

void CProxySettings::OnProxyOk() {
    // Ends the dialog, but the window stays until this handler returns, so
    // the edits can still be read.
    CDialog::OnOK();

    if (ConnectionChoice == kManualProxy) {
        std::wstring port;
        PortEdit.GetWindowTextW(port);
        ServerEdit.GetWindowTextW(ProxyText);
        if (!ProxyText.empty() && !port.empty()) ProxyText += L":" + port;
    } else if (ConnectionChoice == kDirectConnection) {
        ProxyText.clear();
    }
}

void CProxySettings::EnableEdits(BOOL enable) {
    PortEdit.EnableWindow(enable);
    ServerEdit.EnableWindow(enable);
}
