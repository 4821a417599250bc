// The registry interface over advapi32: each member is one Reg*W call and
// returns its status unchanged.
#pragma once

#include <windows.h>

#include "settings/Registry.h"

namespace kmx {

class Win32Registry : public IRegistry {
public:
    // The real registry.
    Win32Registry();
    // Calls on HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE go to the given keys
    // instead, so that a whole run can be confined to a private key. The
    // keys stay owned by the caller and must outlive this object.
    Win32Registry(HKEY currentUser, HKEY localMachine);

    // The handle a RegKey stands for (predefined hives included, before any
    // redirection), and back.
    static HKEY ToHkey(RegKey key);
    static RegKey FromHkey(HKEY key);

    RegStatus OpenKey(RegKey parent, const std::wstring& path, std::uint32_t rights, RegKey* result) override;
    RegStatus CreateKey(RegKey parent, const std::wstring& path, std::uint32_t rights, RegKey* result,
                        std::uint32_t* disposition) override;
    RegStatus QueryValue(RegKey key, const std::wstring& name, std::uint8_t* data,
                         std::uint32_t* size) override;
    RegStatus SetValue(RegKey key, const std::wstring& name, std::uint32_t type, const std::uint8_t* data,
                       std::uint32_t size) override;
    RegStatus DeleteValue(RegKey key, const std::wstring& name) override;
    RegStatus CloseKey(RegKey key) override;
    RegStatus QueryTypedValue(RegKey key, const std::wstring& name, std::uint32_t* type, std::uint8_t* data,
                              std::uint32_t* size) override;

private:
    // The handle a call on `key` goes to, redirection applied.
    HKEY Target(RegKey key) const;

    HKEY m_currentUser;
    HKEY m_localMachine;
};

}  // namespace kmx
