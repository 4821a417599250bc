#include "cli/win32/UserSession.h"

#include <sddl.h>

#include <vector>

namespace kmx {

bool CurrentUser(std::wstring* sid, std::wstring* domain, std::wstring* name) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    const bool read = size != 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    ::CloseHandle(token);
    if (!read) return false;
    PSID user = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(user, &text)) return false;
    *sid = text;
    ::LocalFree(text);
    wchar_t account[257] = L"", accountDomain[257] = L"";
    DWORD accountSize = 257, domainSize = 257;
    SID_NAME_USE use;
    if (::LookupAccountSidW(nullptr, user, account, &accountSize, accountDomain, &domainSize, &use)) {
        *name = account;
        *domain = accountDomain;
    }
    return true;
}

bool HoldNamedMutex(const std::wstring& name, DWORD milliseconds, DWORD* error) {
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) {
        *error = ::GetLastError();
        return false;
    }
    const DWORD waited = ::WaitForSingleObject(mutex, milliseconds);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return true;
    *error = waited == WAIT_TIMEOUT ? ERROR_TIMEOUT : ::GetLastError();
    ::CloseHandle(mutex);
    return false;
}

}  // namespace kmx
