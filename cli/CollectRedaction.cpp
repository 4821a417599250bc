#include "cli/CollectRedaction.h"

#include "settings/AsciiCase.h"
#include "settings/Utf16.h"

namespace kmx {

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
