#include "cli/TimeBox.h"

#include "settings/RegKeyHandle.h"
#include "settings/RegistryLayout.h"
#include "settings/RegistryOps.h"
#include "settings/Utf16.h"

namespace kmx {
namespace {

// One value with its type; *value is missing when it is not there.
RegStatus ReadTyped(IRegistry& registry, RegKey key, const std::wstring& name, RecordedValue* value) {
    *value = RecordedValue{};
    for (;;) {
        std::uint32_t size = 0;
        std::uint32_t type = kRegNone;
        RegStatus status = registry.QueryTypedValue(key, name, &type, nullptr, &size);
        if (status == kErrorFileNotFound) return kErrorSuccess;
        if (status != kErrorSuccess) return status;
        std::vector<std::uint8_t> bytes(size + 2);  // room for the terminator a string read may add
        std::uint32_t read = size;
        status = registry.QueryTypedValue(key, name, &type, bytes.data(), &read);
        if (status == kErrorMoreData) continue;  // grew in between
        if (status == kErrorFileNotFound) return kErrorSuccess;
        if (status != kErrorSuccess) return status;
        bytes.resize(read);
        *value = RecordedValue{true, type, std::move(bytes)};
        return kErrorSuccess;
    }
}

std::vector<std::uint8_t> Encode(const RecordedValue& value) {
    if (!value.present) return {};
    std::vector<std::uint8_t> bytes = {
        static_cast<std::uint8_t>(value.type), static_cast<std::uint8_t>(value.type >> 8),
        static_cast<std::uint8_t>(value.type >> 16), static_cast<std::uint8_t>(value.type >> 24)};
    bytes.insert(bytes.end(), value.bytes.begin(), value.bytes.end());
    return bytes;
}

// Nothing for a record that is not REG_BINARY or too short to hold a type.
std::optional<RecordedValue> Decode(const RecordedValue& stored) {
    if (!stored.present || stored.type != kRegBinary) return std::nullopt;
    if (stored.bytes.empty()) return RecordedValue{};
    if (stored.bytes.size() < 4) return std::nullopt;
    const std::uint32_t type = stored.bytes[0] | stored.bytes[1] << 8 | stored.bytes[2] << 16 |
                               static_cast<std::uint32_t>(stored.bytes[3]) << 24;
    return RecordedValue{true, type, {stored.bytes.begin() + 4, stored.bytes.end()}};
}

RegStatus Put(IRegistry& registry, RegKey key, const std::wstring& name, const RecordedValue& value) {
    if (!value.present) {
        const RegStatus status = registry.DeleteValue(key, name);
        return status == kErrorFileNotFound ? kErrorSuccess : status;
    }
    return registry.SetValue(key, name, value.type, value.bytes.data(),
                             static_cast<std::uint32_t>(value.bytes.size()));
}

RegStatus PutRecords(IRegistry& registry, RegKey key, const wchar_t* prefix, const KeyRecord& record,
                     std::wstring* failed) {
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const std::wstring name = prefix + std::wstring(kCatalogue[i].name);
        const RecordedValue encoded{true, kRegBinary, Encode(record[i])};
        const RegStatus status = Put(registry, key, name, encoded);
        if (status != kErrorSuccess) {
            *failed = name;
            return status;
        }
    }
    return kErrorSuccess;
}

RegStatus PutEnd(IRegistry& registry, RegKey key, UtcTicks end, std::wstring* failed) {
    RecordedValue value{true, kRegQword, {}};
    for (int shift = 0; shift < 64; shift += 8)
        value.bytes.push_back(static_cast<std::uint8_t>(end >> shift));
    const RegStatus status = Put(registry, key, kTimeBoxEndName, value);
    if (status != kErrorSuccess) *failed = kTimeBoxEndName;
    return status;
}

RegStatus OpenCompanionKey(IRegistry& registry, RegKeyHandle* handle) {
    std::uint32_t disposition = 0;
    return CreateForReadWrite(registry, kHkeyCurrentUser, kCompanionKeyPath, handle->Receive(), &disposition);
}

std::wstring AfterName(std::size_t i) { return kAfterPrefix + std::wstring(kCatalogue[i].name); }

}  // namespace

bool TimeBox::Complete() const {
    for (const auto& value : after)
        if (!value) return false;
    return true;
}

RegStatus ReadLoggingValues(IRegistry& registry, KeyRecord* record) {
    *record = KeyRecord{};
    RegKey key = 0;
    const RegStatus opened = OpenForReading(registry, kHkeyCurrentUser, kLoggingKeyPath, &key);
    if (opened == kErrorFileNotFound) return kErrorSuccess;
    if (opened != kErrorSuccess) return opened;
    RegKeyHandle handle(registry, key);
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const RegStatus status = ReadTyped(registry, key, kCatalogue[i].name, &(*record)[i]);
        if (status != kErrorSuccess) return status;
    }
    return kErrorSuccess;
}

RegStatus ReadTimeBox(IRegistry& registry, std::optional<TimeBox>* box) {
    box->reset();
    RegKey key = 0;
    const RegStatus opened = OpenForReading(registry, kHkeyCurrentUser, kCompanionKeyPath, &key);
    if (opened == kErrorFileNotFound) return kErrorSuccess;
    if (opened != kErrorSuccess) return opened;
    RegKeyHandle handle(registry, key);
    RecordedValue value;
    RegStatus status = ReadTyped(registry, key, kTimeBoxEndName, &value);
    if (status != kErrorSuccess) return status;
    if (!value.present) return kErrorSuccess;
    TimeBox found;
    const RegStatus endStatus =
        value.type == kRegQword && value.bytes.size() == 8 ? kErrorSuccess : kErrorInvalidData;
    if (endStatus == kErrorSuccess)
        for (int i = 7; i >= 0; --i) found.end = found.end << 8 | value.bytes[static_cast<std::size_t>(i)];
    status = ReadTyped(registry, key, kTimeBoxPresetName, &value);
    if (status != kErrorSuccess) return status;
    if (value.present && value.type == kRegSz)
        found.preset = TextFromUtf16LeBytes(value.bytes.data(), value.bytes.size());
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        for (const bool isBefore : {true, false}) {
            status = ReadTyped(registry, key,
                               (isBefore ? kBeforePrefix : kAfterPrefix) + std::wstring(kCatalogue[i].name),
                               &value);
            if (status != kErrorSuccess) return status;
            (isBefore ? found.before : found.after)[i] = Decode(value);
        }
    }
    *box = std::move(found);
    return endStatus;
}

RegStatus MarkChangeStarting(IRegistry& registry, std::wstring* failed) {
    RegKeyHandle handle(registry);
    RegStatus status = OpenCompanionKey(registry, &handle);
    if (status == kErrorSuccess) status = Put(registry, handle.Get(), AfterName(0), RecordedValue{});
    if (status != kErrorSuccess) *failed = AfterName(0);
    return status;
}

RegStatus RecordBefore(IRegistry& registry, const KeyRecord& before, UtcTicks end, std::wstring* failed) {
    RegKeyHandle handle(registry);
    RegStatus status = OpenCompanionKey(registry, &handle);
    if (status != kErrorSuccess) {
        *failed = kCompanionKeyPath;
        return status;
    }
    status = PutRecords(registry, handle.Get(), kBeforePrefix, before, failed);
    return status != kErrorSuccess ? status : PutEnd(registry, handle.Get(), end, failed);
}

RegStatus RecordEnd(IRegistry& registry, UtcTicks end, std::wstring* failed) {
    RegKeyHandle handle(registry);
    RegStatus status = OpenCompanionKey(registry, &handle);
    if (status != kErrorSuccess) {
        *failed = kCompanionKeyPath;
        return status;
    }
    return PutEnd(registry, handle.Get(), end, failed);
}

RegStatus RecordAfter(IRegistry& registry, const KeyRecord& after, const std::wstring& preset, UtcTicks end,
                      std::wstring* failed) {
    RegKeyHandle handle(registry);
    RegStatus status = OpenCompanionKey(registry, &handle);
    if (status != kErrorSuccess) {
        *failed = kCompanionKeyPath;
        return status;
    }
    status = WriteString(registry, handle.Get(), kTimeBoxPresetName, preset);
    if (status != kErrorSuccess) {
        *failed = kTimeBoxPresetName;
        return status;
    }
    status = PutEnd(registry, handle.Get(), end, failed);
    for (std::size_t n = 1; status == kErrorSuccess && n <= kSettingCount; ++n) {
        const std::size_t i = n % kSettingCount;  // the first value last: it completes the record
        status = Put(registry, handle.Get(), AfterName(i), RecordedValue{true, kRegBinary, Encode(after[i])});
        if (status != kErrorSuccess) *failed = AfterName(i);
    }
    return status;
}

RegStatus WriteLoggingValues(IRegistry& registry, const KeyRecord& record, std::wstring* failed) {
    RegKey key = 0;
    std::uint32_t disposition = 0;
    RegStatus status = CreateForReadWrite(registry, kHkeyCurrentUser, kLoggingKeyPath, &key, &disposition);
    if (status != kErrorSuccess) {
        *failed = kLoggingKeyPath;
        return status;
    }
    RegKeyHandle handle(registry, key);
    RegStatus first = kErrorSuccess;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        status = Put(registry, key, kCatalogue[i].name, record[i]);
        if (status != kErrorSuccess && first == kErrorSuccess) {
            *failed = kCatalogue[i].name;
            first = status;
        }
    }
    return first;
}

RegStatus SetLogonEntry(IRegistry& registry, const std::wstring& command) {
    RegKey key = 0;
    std::uint32_t disposition = 0;
    RegStatus status = CreateForReadWrite(registry, kHkeyCurrentUser, kRunKeyPath, &key, &disposition);
    if (status != kErrorSuccess) return status;
    RegKeyHandle handle(registry, key);
    return WriteString(registry, key, kLogonEntryName, command);
}

RegStatus RemoveLogonEntry(IRegistry& registry) {
    RegKey key = 0;
    RegStatus status = OpenForReadWrite(registry, kHkeyCurrentUser, kRunKeyPath, &key);
    if (status == kErrorFileNotFound) return kErrorSuccess;
    if (status != kErrorSuccess) return status;
    RegKeyHandle handle(registry, key);
    status = registry.DeleteValue(key, kLogonEntryName);
    return status == kErrorFileNotFound ? kErrorSuccess : status;
}

RegStatus RemoveTimeBox(IRegistry& registry, std::wstring* failed) {
    RegKey key = 0;
    RegStatus status = OpenForReadWrite(registry, kHkeyCurrentUser, kCompanionKeyPath, &key);
    if (status == kErrorFileNotFound) return kErrorSuccess;
    if (status != kErrorSuccess) {
        *failed = kCompanionKeyPath;
        return status;
    }
    RegKeyHandle handle(registry, key);
    // The end first: without it there is no time box, whatever is left.
    std::vector<std::wstring> names = {kTimeBoxEndName};
    for (const SettingInfo& info : kCatalogue) {
        names.push_back(kAfterPrefix + std::wstring(info.name));
        names.push_back(kBeforePrefix + std::wstring(info.name));
    }
    names.push_back(kTimeBoxPresetName);
    for (const std::wstring& name : names) {
        status = Put(registry, key, name, RecordedValue{});
        if (status != kErrorSuccess) {
            *failed = name;
            return status;
        }
    }
    return kErrorSuccess;
}

RevertOutcome RevertTimeBox(IRegistry& registry, const TimeBox& box) {
    RevertOutcome outcome;
    KeyRecord now;
    outcome.status = ReadLoggingValues(registry, &now);
    if (outcome.status != kErrorSuccess) {
        outcome.failedValue = kLoggingKeyPath;
        return outcome;
    }
    std::vector<std::size_t> toRestore;
    const bool complete = box.Complete();
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const auto& before = box.before[i];
        const auto& after = box.after[i];
        if (!before || now[i] == *before) continue;
        if (!complete || now[i] == *after)
            toRestore.push_back(i);
        else
            outcome.kept.push_back(static_cast<SettingId>(i));
    }
    if (!toRestore.empty()) {
        RegKey key = 0;
        std::uint32_t disposition = 0;
        outcome.status = CreateForReadWrite(registry, kHkeyCurrentUser, kLoggingKeyPath, &key, &disposition);
        if (outcome.status != kErrorSuccess) {
            outcome.failedValue = kLoggingKeyPath;
            return outcome;
        }
        RegKeyHandle handle(registry, key);
        for (const std::size_t i : toRestore) {
            outcome.status = Put(registry, key, kCatalogue[i].name, *box.before[i]);
            if (outcome.status != kErrorSuccess) {
                outcome.failedValue = kCatalogue[i].name;
                return outcome;
            }
            outcome.restored.push_back(static_cast<SettingId>(i));
        }
    }
    // A box that is no longer the one read (another took its place) keeps
    // its state and its logon entry.
    std::optional<TimeBox> current;
    const RegStatus reread = ReadTimeBox(registry, &current);
    if ((reread == kErrorSuccess || reread == kErrorInvalidData) && (!current || current->end != box.end)) {
        outcome.replaced = current.has_value();
        if (!current) RemoveLogonEntry(registry);
        return outcome;
    }
    outcome.logonEntryLeft = RemoveLogonEntry(registry) != kErrorSuccess;
    outcome.status = RemoveTimeBox(registry, &outcome.failedValue);
    return outcome;
}

}  // namespace kmx
