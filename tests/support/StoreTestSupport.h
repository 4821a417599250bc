// For the tests that sweep many stored states through the readers and
// writers of the in-memory registry: the keys they look at, stored values
// made and described, and a tally of mismatches that reports the first few
// in full and only counts the rest, so that one systematic fault does not
// bury the log.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>
#include <type_traits>
#include <vector>

#include "support/MemoryRegistry.h"

namespace kmx {
namespace storetest {

using Contents = MemoryRegistry::Contents;

// Hive-rooted, as MemoryRegistry names keys.
inline const wchar_t kLogging[] = L"HKCU\\Software\\Korvex\\Logging";
inline const wchar_t kKorvexMachine[] = L"HKLM\\Software\\Korvex";
inline const wchar_t kKorvexUser[] = L"HKCU\\Software\\Korvex";
inline const wchar_t kInternet[] = L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
// The temporary directory the factory file name is made from.
inline const wchar_t kTempPath[] = L"C:\\Temp\\";

inline MemoryRegistry::StoredValue DwordValue(std::uint32_t value) {
    return {kRegDword,
            {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}};
}

// A REG_SZ with its terminating NUL; the text must be ASCII.
inline MemoryRegistry::StoredValue StringValue(const std::wstring& text) {
    MemoryRegistry::StoredValue value{kRegSz, {}};
    for (wchar_t c : text) value.bytes.insert(value.bytes.end(), {static_cast<std::uint8_t>(c), 0});
    value.bytes.insert(value.bytes.end(), {0, 0});
    return value;
}

// Text for a failure message: printable ASCII as it is, anything else as
// \uXXXX, and at most 100 characters (the longest key path fits).
inline std::string Narrow(const std::wstring& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size() && i < 100; ++i) {
        const unsigned c = static_cast<unsigned>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escaped[16];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
            out += escaped;
        }
    }
    if (text.size() > 100) out += "... (" + std::to_string(text.size()) + " characters)";
    return out;
}

// Type, size and the first 8 bytes of a stored value.
inline std::string Describe(const MemoryRegistry::StoredValue& value) {
    std::string out =
        "type " + std::to_string(value.type) + ", " + std::to_string(value.bytes.size()) + " bytes";
    for (std::size_t i = 0; i < value.bytes.size() && i < 8; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", value.bytes[i]);
        out += hex;
    }
    return out;
}

// The first value (or key) in which the two stores differ, or "" when none.
inline std::string FirstDifference(const Contents& expected, const Contents& got) {
    for (const auto& key : expected) {
        const auto found = got.find(key.first);
        if (found == got.end()) return "key " + Narrow(key.first) + " is gone";
        for (const auto& value : key.second) {
            const auto other = found->second.find(value.first);
            const std::string where = Narrow(key.first + L"\\" + value.first);
            if (other == found->second.end()) return where + " is gone";
            if (other->second != value.second) {
                return where + " is " + Describe(other->second) + ", expected " + Describe(value.second);
            }
        }
        for (const auto& value : found->second) {
            if (!key.second.count(value.first)) return Narrow(key.first + L"\\" + value.first) + " appeared";
        }
    }
    for (const auto& key : got) {
        if (!expected.count(key.first)) return "key " + Narrow(key.first) + " appeared";
    }
    return "";
}

// `where` is anything that can be streamed (a label, a fault); `what` a text
// or a callable giving one, only called on a mismatch, as are both streams.
class Mismatches {
public:
    template <typename Where, typename What>
    void Check(bool ok, const Where& where, const What& what) {
        if (ok) return;
        if (++m_count > kReported) return;
        if constexpr (std::is_invocable_v<const What&>) {
            ADD_FAILURE() << where << ": " << what();
        } else {
            ADD_FAILURE() << where << ": " << what;
        }
    }

    template <typename Where>
    void CheckText(const std::wstring& expected, const std::wstring& got, const Where& where,
                   const wchar_t* what) {
        Check(expected == got, where, [&] {
            return Narrow(what) + " is \"" + Narrow(got) + "\", expected \"" + Narrow(expected) + "\"";
        });
    }

    template <typename Where>
    void CheckTexts(const std::vector<std::wstring>& expected, const std::vector<std::wstring>& got,
                    const Where& where, const char* what) {
        Check(expected == got, where, [&] {
            std::string out = std::string(what) + " were";
            for (const std::wstring& text : got) out += " \"" + Narrow(text) + "\"";
            out += ", expected";
            for (const std::wstring& text : expected) out += " \"" + Narrow(text) + "\"";
            return out;
        });
    }

    template <typename Where>
    void CheckStore(const Contents& expected, const Contents& got, const Where& where) {
        Check(expected == got, where,
              [&] { return "the registry differs: " + FirstDifference(expected, got); });
    }

    int Count() const { return m_count; }

    // Fails the test on any mismatch; records how many cases ran as the
    // test property `property` and logs it as "[ tag ] name: N unit".
    void Finish(const char* tag, const char* name, const char* property, int cases, const char* unit) {
        EXPECT_EQ(0, m_count) << "mismatches in all";
        ::testing::Test::RecordProperty(property, cases);
        std::string padded = tag;
        padded.resize(8, ' ');
        std::cout << "[ " << padded << " ] " << name << ": " << cases << " " << unit << "\n";
    }

private:
    static constexpr int kReported = 12;
    int m_count = 0;
};

}  // namespace storetest
}  // namespace kmx
