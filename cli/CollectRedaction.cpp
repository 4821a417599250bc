#include "cli/CollectRedaction.h"

#include "settings/AsciiCase.h"
#include "settings/Utf16.h"

namespace kmx {
namespace {

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16 units as UTF-8, a lone surrogate in the three bytes it would take,
// so that the way back gives every unit as it was.
std::string UnitsToUtf8(const std::u16string& units) {
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        AppendUtf8(c, out);
    }
    return out;
}

// The way back; a byte that starts no sequence (only a cut the user's own
// term made) becomes U+FFFD.
std::u16string Utf8ToUnits(const std::string& text) {
    std::u16string units;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
        const unsigned char lead = byte(i);
        const std::size_t length = lead < 0x80                   ? 1
                                   : lead >= 0xC2 && lead < 0xE0 ? 2
                                   : lead >= 0xE0 && lead < 0xF0 ? 3
                                   : lead >= 0xF0 && lead < 0xF5 ? 4
                                                                 : 0;
        bool whole = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; whole && k < length; ++k) whole = (byte(i + k) & 0xC0) == 0x80;
        if (!whole) {
            units += u'\uFFFD';
            ++i;
            continue;
        }
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (byte(i + k) & 0x3F);
        i += length;
        if (c >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(c);
        }
    }
    return units;
}

}  // namespace

RedactionNames CollectRedactionNames(CollectHost& machine, const MachineFacts& facts,
                                     const std::vector<std::wstring>& terms) {
    // Logs written by code that is not Unicode spell a name in the ANSI code page.
    const auto spellings = [&](const std::vector<std::wstring>& names) {
        std::vector<std::string> all;
        for (const std::wstring& name : names) {
            all.push_back(ToUtf8(name));
            const std::string ansi = machine.Ansi(name);
            if (!ansi.empty() && ansi != all.back()) all.push_back(ansi);
        }
        return all;
    };
    RedactionNames names;
    // Without a name the system could tell, "unknown" is no one's name.
    if (facts.user != L"unknown") names.users = spellings({facts.user});
    if (facts.computer != L"unknown") names.computers = spellings({facts.computer});
    names.domains = spellings(facts.domains);
    names.terms = spellings(terms);
    return names;
}

std::string RedactedText(Redactor& redactor, const std::string& text) {
    std::string out;
    redactor.Redact(text, out);
    return out;
}

std::vector<std::uint8_t> RedactedUtf16Le(Redactor& redactor, const std::vector<std::uint8_t>& bytes) {
    const bool marked = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    const std::size_t start = marked ? 2 : 0;
    const std::string text = UnitsToUtf8(UnitsFromLeBytes(bytes.data() + start, bytes.size() - start));
    std::vector<std::uint8_t> out(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(start));
    AppendLeBytes(Utf8ToUnits(RedactedText(redactor, text)), &out);
    return out;
}

std::wstring RedactionMapPath(const std::wstring& zip) {
    const std::wstring extension = L".zip";
    if (zip.size() > extension.size() &&
        EqualsIgnoringAsciiCase(zip.substr(zip.size() - extension.size()), extension))
        return zip.substr(0, zip.size() - extension.size()) + L".map.tsv";
    return zip + L".map.tsv";
}

std::wstring RedactionSummary(const Redactor& redactor) {
    using Kind = Redactor::Kind;
    static const struct {
        Kind kind;
        const wchar_t* name;
    } kKinds[] = {{Kind::Mail, L"mail addresses"},      {Kind::User, L"user names"},
                  {Kind::Computer, L"computer names"},  {Kind::Domain, L"domain names"},
                  {Kind::Ip, L"IP addresses"},          {Kind::Host, L"host names"},
                  {Kind::Sid, L"security identifiers"}, {Kind::Mailbox, L"mailbox names"},
                  {Kind::Term, L"--redact-also terms"}};
    std::wstring found;
    for (const auto& kind : kKinds) {
        const std::size_t count = redactor.Count(kind.kind);
        if (count > 0)
            found += (found.empty() ? L"" : L", ") + std::wstring(kind.name) + L" " + std::to_wstring(count);
    }
    return L"Redacted:      yes; tokens [[kind-N~tag]] replace " +
           (found.empty() ? std::wstring(L"nothing (none found)") : found + L" (different originals)") +
           L"\r\n";
}

}  // namespace kmx
