// A time box: a change of the logging settings that is put back at a set
// time. Opening one records the logging key's values as they were (type and
// bytes, or missing) and, after the change, as the change left them; both
// live in the companion's own key, never in the connector's.
//
// The revert rule: for each of the 57 values, when it still holds exactly
// what the change left (type and bytes; missing counts as a state), the
// recorded earlier value is put back (or deleted again when it was missing);
// any other value was changed since and is kept. A box whose record of what
// the change left is incomplete was interrupted while the change was being
// made, which may have written any part of it: every value goes back to its
// earlier state. The earlier values and the end are written before anything
// changes, and the record of what the change left is completed only after
// it, so that a process killed at any moment leaves a box that reverts.
// The time box's own state is removed (its end first) only after every value
// is back, so an interrupted revert is repeated by the next one, and
// repeating it is harmless: a value that is back holds its earlier state.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/Catalogue.h"
#include "settings/Registry.h"
#include "cli/UtcTime.h"

namespace kmx {

// Under HKEY_CURRENT_USER: the companion's own key, beside the connector's.
inline constexpr wchar_t kCompanionKeyPath[] = L"Software\\Korvex\\LoggingControl";
// Its values: the end (REG_QWORD, UTC ticks), the preset ("" for none), and
// per setting Before.NAME and After.NAME (REG_BINARY: the type as 4 bytes,
// little-endian, then the data; no bytes at all for a missing value).
inline constexpr wchar_t kTimeBoxEndName[] = L"TimeBoxEnd";
inline constexpr wchar_t kTimeBoxPresetName[] = L"TimeBoxPreset";
inline constexpr wchar_t kBeforePrefix[] = L"Before.";
inline constexpr wchar_t kAfterPrefix[] = L"After.";
// Under HKEY_CURRENT_USER: the logon entry that ends a time box at logon.
inline constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kLogonEntryName[] = L"KMXLogCfgTimeBox";

struct RecordedValue {
    bool present = false;
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> bytes;
    bool operator==(const RecordedValue& other) const {
        return present == other.present && (!present || (type == other.type && bytes == other.bytes));
    }
    bool operator!=(const RecordedValue& other) const { return !(*this == other); }
};

// The 57 logging values in catalogue order.
using KeyRecord = std::array<RecordedValue, kSettingCount>;

struct TimeBox {
    UtcTicks end = 0;
    std::wstring preset;
    // A setting without its earlier value is left alone by the revert.
    std::array<std::optional<RecordedValue>, kSettingCount> before;
    std::array<std::optional<RecordedValue>, kSettingCount> after;
    // Every after is there: the change was made and recorded in full.
    bool Complete() const;
};

// The logging key's 57 values as stored; a missing key gives 57 missing
// values. Fails with the first read's status that is neither success nor
// "not found".
RegStatus ReadLoggingValues(IRegistry& registry, KeyRecord* record);

// The open time box, if any (TimeBoxEnd present). Fails when the companion's
// key or a value cannot be read; for an end of the wrong type or size it
// fails with ERROR_INVALID_DATA and still gives the records (end 0), so that
// an explicit end can put back what they allow.
RegStatus ReadTimeBox(IRegistry& registry, std::optional<TimeBox>* box);
inline constexpr RegStatus kErrorInvalidData = 13;

inline bool IsDue(const TimeBox& box, UtcTicks now) { return now >= box.end; }

// Makes the record of what a change left incomplete (its first After.*
// removed), before a change is made under an open or a new time box.
RegStatus MarkChangeStarting(IRegistry& registry, std::wstring* failed);

// Writes Before.* from `before` and the end, so that a time box exists even
// if nothing more is written. Stops at the first failure (*failed names it).
RegStatus RecordBefore(IRegistry& registry, const KeyRecord& before, UtcTicks end, std::wstring* failed);

// Rewrites the end alone.
RegStatus RecordEnd(IRegistry& registry, UtcTicks end, std::wstring* failed);

// Writes the preset, the end and After.* from `after`, its first value last:
// the record is complete only once all are there.
RegStatus RecordAfter(IRegistry& registry, const KeyRecord& after, const std::wstring& preset, UtcTicks end,
                      std::wstring* failed);

// Puts every value of `record` into the logging key as it is (creating the
// key when needed), whatever it holds now. For undoing a change that could
// not be recorded. Goes on past a failure; *failed names the first.
RegStatus WriteLoggingValues(IRegistry& registry, const KeyRecord& record, std::wstring* failed);

// The logon entry: `command` under the Run key, and its removal (a missing
// entry is no failure).
RegStatus SetLogonEntry(IRegistry& registry, const std::wstring& command);
RegStatus RemoveLogonEntry(IRegistry& registry);

// Removes the time box's state, its end last. A missing value is no failure.
RegStatus RemoveTimeBox(IRegistry& registry, std::wstring* failed);

struct RevertOutcome {
    RegStatus status = kErrorSuccess;
    std::wstring failedValue;         // the value whose write or delete failed
    std::vector<SettingId> restored;  // put back to what they were
    std::vector<SettingId> kept;      // changed since the time box began
    bool logonEntryLeft = false;      // it could not be removed (it then finds nothing to do)
    bool replaced = false;            // another time box took its place meanwhile: its state was kept
};

// The revert rule above, then the logon entry and the state removed, the
// state only when it still holds the same end (the box that was read). On a
// failure the state is kept, so that the revert can run again.
RevertOutcome RevertTimeBox(IRegistry& registry, const TimeBox& box);

}  // namespace kmx
