#include "support/MemoryRegistry.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "settings/AsciiCase.h"
#include "settings/Utf16.h"

namespace kmx {
namespace {

constexpr RegStatus kErrorBadPathname = 161;
constexpr RegStatus kErrorNoAccess = 998;
constexpr RegStatus kErrorBadKey = 1010;
constexpr std::uint32_t kAllRights = 0xF003F;  // KEY_ALL_ACCESS, what the hive handles carry

std::wstring Fold(const std::wstring& text) { return AsciiUpperCase(text); }

bool IsStringType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

std::uint16_t UnitAt(const std::uint8_t* data, std::uint32_t index) {
    return static_cast<std::uint16_t>(data[2 * index] | (data[2 * index + 1] << 8));
}

// Splits a subkey path the way the registry does: a leading backslash is an
// error, runs of backslashes separate, a trailing one is ignored.
bool SplitSubkeyPath(const std::wstring& path, std::vector<std::wstring>* parts) {
    if (!path.empty() && path[0] == L'\\') return false;
    std::wstring::size_type start = 0;
    while (start < path.size()) {
        const std::wstring::size_type end = std::min(path.find(L'\\', start), path.size());
        if (end > start) parts->push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

// The compared form of a hive-rooted path: folded, short hive name, single
// separators.
std::wstring FoldedKeyPath(const std::wstring& keyPath) {
    std::vector<std::wstring> parts;
    SplitSubkeyPath(keyPath, &parts);
    std::wstring folded;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::wstring part = Fold(parts[i]);
        if (i == 0 && part == L"HKEY_CURRENT_USER") part = L"HKCU";
        if (i == 0 && part == L"HKEY_LOCAL_MACHINE") part = L"HKLM";
        folded += (i == 0 ? L"" : L"\\") + part;
    }
    return folded;
}

}  // namespace

struct MemoryRegistry::Node {
    struct NamedValue {
        std::wstring name;
        StoredValue value;
    };
    std::wstring path;                                       // as displayed: first-given case
    std::wstring folded;                                     // as compared
    std::map<std::wstring, std::unique_ptr<Node>> children;  // by folded name
    std::map<std::wstring, NamedValue> values;               // by folded name

    Node(std::wstring displayPath) : path(std::move(displayPath)), folded(Fold(path)) {}

    Node* Child(const std::wstring& name) const {
        const auto it = children.find(Fold(name));
        return it == children.end() ? nullptr : it->second.get();
    }
    Node* AddChild(const std::wstring& name) {
        auto& slot = children[Fold(name)];
        if (!slot) slot = std::make_unique<Node>(path + L'\\' + name);
        return slot.get();
    }
    const StoredValue* Value(const std::wstring& name) const {
        const auto it = values.find(Fold(name));
        return it == values.end() ? nullptr : &it->second.value;
    }
    void SetValue(const std::wstring& name, StoredValue value) {
        auto it = values.find(Fold(name));
        if (it == values.end()) {
            values.emplace(Fold(name), NamedValue{name, std::move(value)});
        } else {
            it->second.value = std::move(value);  // the name keeps its first case
        }
    }
};

MemoryRegistry::MemoryRegistry()
    : m_currentUser(std::make_unique<Node>(L"HKCU")), m_localMachine(std::make_unique<Node>(L"HKLM")) {}

MemoryRegistry::~MemoryRegistry() = default;

MemoryRegistry::Node* MemoryRegistry::Resolve(RegKey key, std::uint32_t* rights) const {
    if (key == kHkeyCurrentUser || key == kHkeyLocalMachine) {
        *rights = kAllRights;
        return key == kHkeyCurrentUser ? m_currentUser.get() : m_localMachine.get();
    }
    const auto it = m_handles.find(key);
    if (it == m_handles.end()) return nullptr;
    *rights = it->second.rights;
    return it->second.node;
}

RegKey MemoryRegistry::NewHandle(Node* node, std::uint32_t rights) {
    const RegKey key = m_nextHandle;
    m_nextHandle += 4;  // never reused, so a closed handle stays invalid
    m_handles[key] = Handle{node, rights};
    ++m_openCount;
    return key;
}

bool MemoryRegistry::Stopped() {
    if (m_writesLeft < 0) return false;
    if (m_writesLeft == 0) return true;
    --m_writesLeft;
    return false;
}

const MemoryRegistry::Fault* MemoryRegistry::MatchFault(Op op, const std::wstring& foldedPath,
                                                        const std::wstring& name) {
    const bool usesName = op == Op::Query || op == Op::Set || op == Op::Delete;
    for (Fault& fault : m_faults) {
        if (fault.op != op) continue;
        if (!fault.keyPath.empty() && fault.keyPath != foldedPath) continue;
        if (usesName && !fault.valueName.empty() && fault.valueName != Fold(name)) continue;
        ++fault.seen;
        if (fault.nth == 0 || fault.nth == fault.seen) return &fault;
    }
    return nullptr;
}

RegStatus MemoryRegistry::PrepareKeyPath(Op op, RegKey parent, const std::wstring& path, Node** node,
                                         std::vector<std::wstring>* parts, std::wstring* folded) {
    std::uint32_t parentRights = 0;
    *node = Resolve(parent, &parentRights);
    if (!*node) return kErrorInvalidHandle;
    if (!SplitSubkeyPath(path, parts)) return kErrorBadPathname;
    *folded = (*node)->folded;
    for (const std::wstring& part : *parts) *folded += L'\\' + Fold(part);
    if (const Fault* fault = MatchFault(op, *folded, L"")) return fault->status;
    return kErrorSuccess;
}

bool MemoryRegistry::Denied(const std::wstring& folded, std::uint32_t rights) const {
    const auto deny = m_denied.find(folded);
    return deny != m_denied.end() && (deny->second & rights) != 0;
}

RegStatus MemoryRegistry::OpenKey(RegKey parent, const std::wstring& path, std::uint32_t rights,
                                  RegKey* result) {
    if (result && path.empty() && (parent == kHkeyCurrentUser || parent == kHkeyLocalMachine)) {
        *result = parent;  // the hive itself, nothing to close
        return kErrorSuccess;
    }
    if (!result) return kErrorInvalidParameter;
    *result = 0;
    Node* node = nullptr;
    std::vector<std::wstring> parts;
    std::wstring folded;
    if (const RegStatus status = PrepareKeyPath(Op::Open, parent, path, &node, &parts, &folded))
        return status;

    for (const std::wstring& part : parts) {
        node = node->Child(part);
        if (!node) return kErrorFileNotFound;
    }
    if (Denied(folded, rights)) return kErrorAccessDenied;
    *result = NewHandle(node, rights);
    return kErrorSuccess;
}

RegStatus MemoryRegistry::CreateKey(RegKey parent, const std::wstring& path, std::uint32_t rights,
                                    RegKey* result, std::uint32_t* disposition) {
    if (!result) return kErrorBadKey;
    *result = 0;
    Node* node = nullptr;
    std::vector<std::wstring> parts;
    std::wstring folded;
    if (const RegStatus status = PrepareKeyPath(Op::Create, parent, path, &node, &parts, &folded))
        return status;
    if (Denied(folded, rights)) return kErrorAccessDenied;

    bool created = false;
    for (const std::wstring& part : parts) {
        Node* child = node->Child(part);
        created = child == nullptr;
        node = created ? node->AddChild(part) : child;
    }
    if (disposition) *disposition = created ? kRegCreatedNewKey : kRegOpenedExistingKey;
    *result = NewHandle(node, rights);
    return kErrorSuccess;
}

RegStatus MemoryRegistry::QueryValue(RegKey key, const std::wstring& name, std::uint8_t* data,
                                     std::uint32_t* size) {
    if (data && !size) return kErrorInvalidParameter;
    std::uint32_t rights = 0;
    Node* node = Resolve(key, &rights);
    if (!node) {
        if (!data && size) *size = 0;
        return kErrorInvalidHandle;
    }
    if (const Fault* fault = MatchFault(Op::Query, node->folded, name)) return fault->status;
    if (!data && size) *size = 0;
    if ((rights & kKeyQueryValue) == 0) return kErrorAccessDenied;
    const StoredValue* value = node->Value(name);
    if (!value) return kErrorFileNotFound;

    const std::uint32_t length = static_cast<std::uint32_t>(value->bytes.size());
    if (!data) {
        if (size) *size = length;
        return kErrorSuccess;
    }
    if (*size < length) {
        *size = length;
        return kErrorMoreData;
    }
    if (length > 0) std::memcpy(data, value->bytes.data(), length);
    // An unterminated string gets a NUL after it when the buffer has room.
    if (IsStringType(value->type) && length >= 2 && *size >= 2 && length <= *size - 2 &&
        (value->bytes[length - 2] != 0 || value->bytes[length - 1] != 0)) {
        data[length] = 0;
        data[length + 1] = 0;
    }
    *size = length;
    return kErrorSuccess;
}

RegStatus MemoryRegistry::QueryTypedValue(RegKey key, const std::wstring& name, std::uint32_t* type,
                                          std::uint8_t* data, std::uint32_t* size) {
    const RegStatus status = QueryValue(key, name, data, size);
    std::uint32_t rights = 0;
    if (status == kErrorSuccess || status == kErrorMoreData) *type = Resolve(key, &rights)->Value(name)->type;
    return status;
}

RegStatus MemoryRegistry::SetValue(RegKey key, const std::wstring& name, std::uint32_t type,
                                   const std::uint8_t* data, std::uint32_t size) {
    std::uint32_t rights = 0;
    Node* node = Resolve(key, &rights);
    SetCall call{node ? node->path : std::wstring(), name, type,
                 data ? std::vector<std::uint8_t>(data, data + size) : std::vector<std::uint8_t>(),
                 kErrorSuccess};
    auto finish = [&](RegStatus status) {
        call.status = status;
        m_setLog.push_back(std::move(call));
        return status;
    };

    if (!data && size) return finish(kErrorNoAccess);
    std::uint32_t stored = size;
    // A string whose size leaves out its terminator, while the caller's buffer
    // has one right after, is stored with it.
    if (size >= 2 && IsStringType(type) && UnitAt(data, size / 2 - 1) != 0 && UnitAt(data, size / 2) == 0) {
        stored += 2;
    }
    if (!node) return finish(kErrorInvalidHandle);
    if (const Fault* fault = MatchFault(Op::Set, node->folded, name)) return finish(fault->status);
    if (Stopped()) return finish(kErrorAccessDenied);
    if ((rights & kKeySetValue) == 0) return finish(kErrorAccessDenied);
    node->SetValue(name, StoredValue{type, data ? std::vector<std::uint8_t>(data, data + stored)
                                                : std::vector<std::uint8_t>()});
    return finish(kErrorSuccess);
}

RegStatus MemoryRegistry::DeleteValue(RegKey key, const std::wstring& name) {
    std::uint32_t rights = 0;
    Node* node = Resolve(key, &rights);
    if (!node) return kErrorInvalidHandle;
    if (const Fault* fault = MatchFault(Op::Delete, node->folded, name)) return fault->status;
    if (Stopped()) return kErrorAccessDenied;
    if ((rights & kKeySetValue) == 0) return kErrorAccessDenied;
    if (node->values.erase(Fold(name)) == 0) return kErrorFileNotFound;
    return kErrorSuccess;
}

RegStatus MemoryRegistry::CloseKey(RegKey key) {
    if (key == 0) return kErrorInvalidHandle;
    if (key >= 0x80000000u && key <= 0x800000FFu) return kErrorSuccess;  // predefined: nothing to close
    const auto it = m_handles.find(key);
    if (it == m_handles.end()) return kErrorInvalidHandle;
    if (const Fault* fault = MatchFault(Op::Close, it->second.node->folded, L"")) return fault->status;
    m_handles.erase(it);
    ++m_closeCount;
    return kErrorSuccess;
}

MemoryRegistry::Node* MemoryRegistry::FindNode(const std::wstring& keyPath) const {
    std::vector<std::wstring> parts;
    SplitSubkeyPath(keyPath, &parts);
    if (parts.empty()) return nullptr;
    const std::wstring hive = Fold(parts[0]);
    Node* node = nullptr;
    if (hive == L"HKCU" || hive == L"HKEY_CURRENT_USER") node = m_currentUser.get();
    if (hive == L"HKLM" || hive == L"HKEY_LOCAL_MACHINE") node = m_localMachine.get();
    for (std::size_t i = 1; node && i < parts.size(); ++i) node = node->Child(parts[i]);
    return node;
}

MemoryRegistry::Node* MemoryRegistry::MakeNode(const std::wstring& keyPath) {
    std::vector<std::wstring> parts;
    SplitSubkeyPath(keyPath, &parts);
    if (parts.empty()) return nullptr;
    Node* node = FindNode(parts[0]);
    for (std::size_t i = 1; node && i < parts.size(); ++i) node = node->AddChild(parts[i]);
    return node;
}

bool MemoryRegistry::Put(const std::wstring& keyPath, const std::wstring& name, std::uint32_t type,
                         std::vector<std::uint8_t> bytes) {
    Node* node = MakeNode(keyPath);
    if (!node) return false;
    node->SetValue(name, StoredValue{type, std::move(bytes)});
    return true;
}

bool MemoryRegistry::PutDword(const std::wstring& keyPath, const std::wstring& name, std::uint32_t value) {
    return Put(keyPath, name, kRegDword,
               {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

bool MemoryRegistry::PutString(const std::wstring& keyPath, const std::wstring& name,
                               const std::wstring& text) {
    return Put(keyPath, name, kRegSz, ToUtf16LeBytes(text, true));
}

bool MemoryRegistry::PutKey(const std::wstring& keyPath) { return MakeNode(keyPath) != nullptr; }

bool MemoryRegistry::Erase(const std::wstring& keyPath, const std::wstring& name) {
    Node* node = FindNode(keyPath);
    return node && node->values.erase(Fold(name)) != 0;
}

std::optional<MemoryRegistry::StoredValue> MemoryRegistry::Get(const std::wstring& keyPath,
                                                               const std::wstring& name) const {
    const Node* node = FindNode(keyPath);
    const StoredValue* value = node ? node->Value(name) : nullptr;
    if (!value) return std::nullopt;
    return *value;
}

std::optional<std::uint32_t> MemoryRegistry::GetDword(const std::wstring& keyPath,
                                                      const std::wstring& name) const {
    const auto value = Get(keyPath, name);
    if (!value || value->type != kRegDword || value->bytes.size() != 4) return std::nullopt;
    const auto& b = value->bytes;
    return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
           std::uint32_t{b[3]} << 24;
}

std::optional<std::wstring> MemoryRegistry::GetString(const std::wstring& keyPath,
                                                      const std::wstring& name) const {
    const auto value = Get(keyPath, name);
    if (!value || value->type != kRegSz) return std::nullopt;
    return TextFromUtf16LeBytes(value->bytes.data(), value->bytes.size());
}

bool MemoryRegistry::KeyExists(const std::wstring& keyPath) const { return FindNode(keyPath) != nullptr; }

bool MemoryRegistry::ValueExists(const std::wstring& keyPath, const std::wstring& name) const {
    return Get(keyPath, name).has_value();
}

MemoryRegistry::Contents MemoryRegistry::Snapshot() const {
    Contents contents;
    std::function<void(const Node&)> visit = [&](const Node& node) {
        auto& values = contents[node.path];
        for (const auto& entry : node.values) values[entry.second.name] = entry.second.value;
        for (const auto& child : node.children) visit(*child.second);
    };
    visit(*m_currentUser);
    visit(*m_localMachine);
    return contents;
}

void MemoryRegistry::InjectFault(Op op, RegStatus status, const std::wstring& keyPath,
                                 const std::wstring& valueName, int nth) {
    m_faults.push_back(Fault{op, status, FoldedKeyPath(keyPath), Fold(valueName), nth, 0});
}

void MemoryRegistry::ClearFaults() { m_faults.clear(); }

void MemoryRegistry::DenyRights(const std::wstring& keyPath, std::uint32_t rights) {
    m_denied[FoldedKeyPath(keyPath)] |= rights;
}

}  // namespace kmx
