// An open registry key that closes itself through the registry it came from.
#pragma once

#include <utility>

#include "settings/Registry.h"

namespace kmx {

class RegKeyHandle {
public:
    explicit RegKeyHandle(IRegistry& registry) : m_registry(&registry) {}
    RegKeyHandle(IRegistry& registry, RegKey key) : m_registry(&registry), m_key(key) {}
    ~RegKeyHandle() { Close(); }

    RegKeyHandle(RegKeyHandle&& other) noexcept
        : m_registry(other.m_registry), m_key(std::exchange(other.m_key, 0)) {}
    RegKeyHandle& operator=(RegKeyHandle&& other) noexcept {
        if (this != &other) {
            Close();
            m_registry = other.m_registry;
            m_key = std::exchange(other.m_key, 0);
        }
        return *this;
    }
    RegKeyHandle(const RegKeyHandle&) = delete;
    RegKeyHandle& operator=(const RegKeyHandle&) = delete;

    RegKey Get() const { return m_key; }
    explicit operator bool() const { return m_key != 0; }
    IRegistry& Registry() const { return *m_registry; }

    // For the out parameter of an open or create: closes what is held first.
    RegKey* Receive() {
        Close();
        return &m_key;
    }

    // Gives the key up without closing it.
    RegKey Release() { return std::exchange(m_key, 0); }

    void Close() {
        if (m_key != 0) m_registry->CloseKey(std::exchange(m_key, 0));
    }

private:
    IRegistry* m_registry;
    RegKey m_key = 0;
};

}  // namespace kmx
