// A registry held in memory, with the byte-level behaviour of the Windows
// registry as Wine 8 shows it, for tests and the fuzzer.
//
// Only HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE exist (always). Key paths and
// value names are case-insensitive (ASCII letters), keeping the case they were
// first given. Handles remember the rights they were opened with.
//
// Beside the IRegistry operations, tests get direct access that bypasses
// handles and faults (Put/Get/...), injectable faults, per-key denied rights,
// counters of opened and closed handles and a log of every SetValue call.
// Paths for that access start with the hive: L"HKCU\\Software\\Korvex" (HKLM,
// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE are accepted as well).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "settings/Registry.h"

namespace kmx {

class MemoryRegistry : public IRegistry {
public:
    enum class Op { Open, Create, Query, Set, Delete, Close };

    struct StoredValue {
        std::uint32_t type = kRegNone;
        std::vector<std::uint8_t> bytes;
        bool operator==(const StoredValue& other) const { return type == other.type && bytes == other.bytes; }
        bool operator!=(const StoredValue& other) const { return !(*this == other); }
    };

    struct SetCall {
        std::wstring keyPath;  // display path of the handle's key; empty for a bad handle
        std::wstring name;
        std::uint32_t type;
        std::vector<std::uint8_t> bytes;  // as passed, size as declared
        RegStatus status;
    };

    // Every key (display path) with its values (display name), empty keys included.
    using Contents = std::map<std::wstring, std::map<std::wstring, StoredValue>>;

    MemoryRegistry();
    ~MemoryRegistry() override;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    RegStatus OpenKey(RegKey parent, const std::wstring& path, std::uint32_t rights, RegKey* result) override;
    RegStatus CreateKey(RegKey parent, const std::wstring& path, std::uint32_t rights, RegKey* result,
                        std::uint32_t* disposition) override;
    RegStatus QueryValue(RegKey key, const std::wstring& name, std::uint8_t* data,
                         std::uint32_t* size) override;
    // Like the real registry, a REG_SZ/REG_EXPAND_SZ/REG_MULTI_SZ whose size
    // leaves out the terminator looks at the unit right after the counted
    // bytes, so the caller's buffer must hold one.
    RegStatus SetValue(RegKey key, const std::wstring& name, std::uint32_t type, const std::uint8_t* data,
                       std::uint32_t size) override;
    RegStatus DeleteValue(RegKey key, const std::wstring& name) override;
    RegStatus CloseKey(RegKey key) override;
    RegStatus QueryTypedValue(RegKey key, const std::wstring& name, std::uint32_t* type, std::uint8_t* data,
                              std::uint32_t* size) override;

    // Direct access. Put creates missing keys; each returns false for a path
    // outside the two hives.
    bool Put(const std::wstring& keyPath, const std::wstring& name, std::uint32_t type,
             std::vector<std::uint8_t> bytes);
    bool PutDword(const std::wstring& keyPath, const std::wstring& name, std::uint32_t value);
    bool PutString(const std::wstring& keyPath, const std::wstring& name, const std::wstring& text);
    bool PutKey(const std::wstring& keyPath);
    bool Erase(const std::wstring& keyPath, const std::wstring& name);
    std::optional<StoredValue> Get(const std::wstring& keyPath, const std::wstring& name) const;
    // A REG_DWORD of exactly 4 bytes.
    std::optional<std::uint32_t> GetDword(const std::wstring& keyPath, const std::wstring& name) const;
    // A REG_SZ, up to its first NUL.
    std::optional<std::wstring> GetString(const std::wstring& keyPath, const std::wstring& name) const;
    bool KeyExists(const std::wstring& keyPath) const;
    bool ValueExists(const std::wstring& keyPath, const std::wstring& name) const;
    Contents Snapshot() const;

    // Makes calls of op fail with status, without any effect. keyPath empty
    // matches every key (Open/Create match the key being opened); valueName
    // empty matches every value (ignored for Open, Create and Close). nth 0
    // hits every matching call, n only the n-th matching call (from 1).
    void InjectFault(Op op, RegStatus status, const std::wstring& keyPath = L"",
                     const std::wstring& valueName = L"", int nth = 0);
    void ClearFaults();

    // After this many more SetValue and DeleteValue calls, every further one
    // fails with ERROR_ACCESS_DENIED without effect: what a process killed at
    // that point leaves. -1 writes on for good.
    void StopWritingAfter(int writes) { m_writesLeft = writes; }
    int WritesLeft() const { return m_writesLeft; }

    // Opening or creating keyPath asking for any of these rights fails with
    // ERROR_ACCESS_DENIED, as a restrictive ACL makes it.
    void DenyRights(const std::wstring& keyPath, std::uint32_t rights);

    int OpenCount() const { return m_openCount; }    // successful opens and creates
    int CloseCount() const { return m_closeCount; }  // successful closes
    int OpenHandleCount() const { return static_cast<int>(m_handles.size()); }

    const std::vector<SetCall>& SetLog() const { return m_setLog; }
    void ClearSetLog() { m_setLog.clear(); }

private:
    struct Node;
    struct Handle {
        Node* node;
        std::uint32_t rights;
    };
    struct Fault {
        Op op;
        RegStatus status;
        std::wstring keyPath;    // folded, empty = any
        std::wstring valueName;  // folded, empty = any
        int nth;
        int seen;
    };

    Node* Resolve(RegKey key, std::uint32_t* rights) const;
    Node* FindNode(const std::wstring& keyPath) const;
    Node* MakeNode(const std::wstring& keyPath);
    const Fault* MatchFault(Op op, const std::wstring& foldedPath, const std::wstring& name);
    // What opening and creating do first: the parent resolved, the path
    // split and folded, an injected fault for `op` returned. 0 to go on.
    RegStatus PrepareKeyPath(Op op, RegKey parent, const std::wstring& path, Node** node,
                             std::vector<std::wstring>* parts, std::wstring* folded);
    // A key made to refuse these rights (DenyRights).
    bool Denied(const std::wstring& folded, std::uint32_t rights) const;
    RegKey NewHandle(Node* node, std::uint32_t rights);
    // Counts a write against StopWritingAfter; true once none is left.
    bool Stopped();

    std::unique_ptr<Node> m_currentUser;
    std::unique_ptr<Node> m_localMachine;
    std::map<RegKey, Handle> m_handles;
    RegKey m_nextHandle = 0x1000;
    std::map<std::wstring, std::uint32_t> m_denied;  // folded path -> rights
    std::vector<Fault> m_faults;
    std::vector<SetCall> m_setLog;
    int m_openCount = 0;
    int m_closeCount = 0;
    int m_writesLeft = -1;
};

}  // namespace kmx
