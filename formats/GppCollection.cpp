#include "formats/GppCollection.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>

#include "settings/RegistryLayout.h"
#include "formats/Xml.h"

namespace kmx {
namespace {

std::wstring Hex8(std::uint32_t value) {
    wchar_t text[9];
    std::swprintf(text, 9, L"%08x", static_cast<unsigned>(value));
    return text;
}

// The editor's icons of a replacing item: a string's and a number's.
constexpr wchar_t kStringReplaceImage[] = L"6";
constexpr wchar_t kDwordReplaceImage[] = L"11";

}  // namespace

bool FormatGppCollection(const std::vector<ShownSetting>& settings, const std::wstring& changed,
                         const std::function<std::wstring()>& newUid, std::string* utf8,
                         std::wstring* problem) {
    std::wstring xml = kXmlDeclaration + std::wstring(L"<Collection") + Attr(L"clsid", kGppCollectionClsid) +
                       Attr(L"name", L"Korvex connector logging") + L">\n";
    for (const ShownSetting& setting : settings) {
        const std::wstring name = Info(setting.id).name;
        if (setting.isText) {
            const std::size_t bad = FindCharacterXmlCannotCarry(setting.text);
            if (bad != std::wstring::npos) {
                *problem = name + L" holds the character U+" +
                           Hex8(static_cast<std::uint32_t>(setting.text[bad])).substr(4) + L" at position " +
                           std::to_wstring(bad + 1) + L", which an XML file cannot carry";
                return false;
            }
        }
        xml += L"  <Registry" + Attr(L"clsid", kGppRegistryClsid) + Attr(L"name", name) +
               Attr(L"status", name) +
               Attr(L"image", setting.isText ? kStringReplaceImage : kDwordReplaceImage) +
               Attr(L"changed", changed) + Attr(L"uid", newUid()) +
               L" removePolicy=\"1\">\n    <Properties action=\"R\"";
        if (!setting.isText) xml += L" displayDecimal=\"1\"";
        xml +=
            Attr(L"hive", L"HKEY_CURRENT_USER") + Attr(L"key", kLoggingKeyPath) + Attr(L"name", name) +
            Attr(L"type", setting.isText ? L"REG_SZ" : L"REG_DWORD") +
            Attr(L"value", setting.isText ? setting.text : Hex8(static_cast<std::uint32_t>(setting.number))) +
            L"/>\n  </Registry>\n";
    }
    *utf8 = ToUtf8(xml + L"</Collection>\n");
    return true;
}

std::wstring GppTimeNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    const std::tm* utc = std::gmtime(&now);
    wchar_t text[32] = L"1970-01-01 00:00:00";
    if (utc != nullptr) std::wcsftime(text, 32, L"%Y-%m-%d %H:%M:%S", utc);
    return text;
}

std::wstring NewRandomGuid() {
    static std::random_device device;
    std::uint8_t bytes[16];
    for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(device());
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    wchar_t text[40];
    std::swprintf(text, 40, L"{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                  bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}

}  // namespace kmx
