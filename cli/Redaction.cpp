#include "cli/Redaction.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>

namespace kmx {
namespace {

using Kind = Redactor::Kind;

const char* const kKindNames[] = {"mail", "user", "computer", "domain", "ip",
                                  "host", "sid",  "mailbox",  "term",   "tag"};

unsigned char Byte(std::string_view text, std::size_t at) { return static_cast<unsigned char>(text[at]); }
char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool IsAlnum(unsigned char c) { return IsDigit(c) || IsAlpha(c); }
bool IsHex(unsigned char c) { return IsDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }
// Non-ASCII bytes count as letters, so that a name is not found inside a
// longer word in another script.
bool IsWord(unsigned char c) { return IsAlnum(c) || c == '_' || c >= 0x80; }
bool IsHostChar(unsigned char c) { return IsAlnum(c) || c == '-' || c == '_' || c == '.'; }
bool IsLocalChar(unsigned char c) {
    return IsAlnum(c) || c == '.' || c == '_' || c == '%' || c == '+' || c == '-';
}

bool StartsFolded(std::string_view text, std::size_t at, std::string_view folded) {
    if (text.size() - at < folded.size()) return false;
    for (std::size_t i = 0; i < folded.size(); ++i)
        if (Fold(text[at + i]) != folded[i]) return false;
    return true;
}

// A last label that names a file type, not a domain: "OUTLOOK.EXE",
// "KMXLog_20261209.log" and "settings.reg" are file names.
bool IsFileExtension(std::string_view label) {
    static const char* const kExtensions[] = {
        "log",      "txt",    "reg",  "json", "xml",  "exe", "dll",  "sys",  "ini",  "cfg", "conf",
        "dat",      "tmp",    "bak",  "old",  "zip",  "cab", "msi",  "msp",  "pst",  "ost", "nst",
        "eml",      "msg",    "htm",  "html", "css",  "js",  "ps",   "ps1",  "bat",  "cmd", "vbs",
        "pdb",      "etl",    "evtx", "csv",  "tsv",  "md",  "pdf",  "doc",  "docx", "xls", "xlsx",
        "ppt",      "pptx",   "rtf",  "jpg",  "jpeg", "png", "gif",  "bmp",  "ico",  "lnk", "db",
        "gz",       "tar",    "rar",  "h",    "hpp",  "c",   "cpp",  "cs",   "py",   "sh",  "mui",
        "manifest", "config", "dmp",  "mdmp", "out",  "err", "lock", "asmx", "aspx", "svc", "php"};
    for (const char* extension : kExtensions) {
        if (label.size() != std::strlen(extension)) continue;
        if (StartsFolded(label, 0, extension)) return true;
    }
    return false;
}

// Last labels that make a name of two labels a domain; names of three labels
// or more need only a last label of letters. Any two letters count (country
// codes).
bool IsDomainEnding(std::string_view label) {
    static const char* const kEndings[] = {
        "com",      "net",      "org",  "edu",         "gov",  "mil", "int", "local", "lan",   "corp",
        "internal", "intranet", "home", "localdomain", "info", "biz", "io",  "cloud", "online"};
    if (label.size() == 2) return true;
    for (const char* ending : kEndings)
        if (label.size() == std::strlen(ending) && StartsFolded(label, 0, ending)) return true;
    return false;
}

// After `user@`: the domain's end, or `at` when there is no domain with a dot.
std::size_t MailDomainEnd(std::string_view text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && (IsAlnum(Byte(text, end)) || text[end] == '-' || text[end] == '.')) ++end;
    while (end > at && (text[end - 1] == '.' || text[end - 1] == '-')) --end;
    const std::size_t dot = text.substr(at, end - at).rfind('.');
    if (dot == std::string_view::npos || dot == 0) return at;
    const std::string_view last = text.substr(at + dot + 1, end - at - dot - 1);
    if (last.size() < 2 || !std::all_of(last.begin(), last.end(), [](char c) { return IsAlpha(c); }))
        return at;
    return end;
}

// "version 1.2.3.4", "ver=1.2.3.4", "Build: 1.2.3.4": a four-part version.
bool FollowsVersionWord(std::string_view text, std::size_t at) {
    std::size_t end = at;
    for (int i = 0; i < 2 && end > 0 && std::strchr(" :=#", text[end - 1]) != nullptr; ++i) --end;
    std::size_t begin = end;
    while (begin > 0 && IsAlpha(Byte(text, begin - 1))) --begin;
    std::string word;
    for (std::size_t i = begin; i < end; ++i) word += Fold(text[i]);
    const auto endsWith = [&](const char* tail) {
        const std::size_t n = std::strlen(tail);
        return word.size() >= n && word.compare(word.size() - n, n, tail) == 0;
    };
    return endsWith("version") || word == "v" || word == "ver" || word == "build" || word == "release" ||
           word == "rev";
}

// A dotted quad of octets up to 255 at `at`: its end, or `at`.
std::size_t Ipv4End(std::string_view text, std::size_t at) {
    std::size_t i = at;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (i >= text.size() || text[i] != '.') return at;
            ++i;
        }
        unsigned value = 0;
        std::size_t digits = 0;
        while (i < text.size() && IsDigit(Byte(text, i)) && digits < 4)
            value = value * 10 + (text[i++] - '0'), ++digits;
        if (digits == 0 || digits > 3 || value > 255) return at;
    }
    if (i < text.size() &&
        (IsWord(Byte(text, i)) || (text[i] == '.' && i + 1 < text.size() && IsDigit(Byte(text, i + 1)))))
        return at;
    return i;
}

// Whether `run` (hex digits, colons, dots) is an IPv6 address: eight groups,
// or fewer with one "::"; the last two may be a dotted quad.
bool IsIpv6(std::string_view run) {
    if (run.size() < 3 || std::none_of(run.begin(), run.end(), [](char c) { return IsDigit(c); }))
        return false;
    const std::size_t gap = run.find("::");
    if (gap != std::string_view::npos && run.find("::", gap + 1) != std::string_view::npos) return false;
    std::size_t groups = 0;
    std::size_t i = 0;
    if (gap == 0) i = 2;
    while (i < run.size()) {
        std::size_t j = i;
        while (j < run.size() && IsHex(Byte(run, j))) ++j;
        if (j < run.size() && run[j] == '.') {
            // A dotted quad ends the address.
            if (Ipv4End(run, i) != run.size()) return false;
            groups += 2;
            break;
        }
        if (j == i || j - i > 4) return false;
        ++groups;
        if (j == run.size()) break;
        if (run[j] != ':') return false;
        i = j + 1;
        if (i == gap + 1) {
            ++i;
            if (i == run.size()) break;
        } else if (i == run.size()) {
            return false;  // ends in a single colon
        }
    }
    return gap == std::string_view::npos ? groups == 8 : groups >= 1 && groups <= 7;
}

// A host name with a domain: labels of letters, digits, '-' and '_', the last
// of letters only and no file type; two labels only with a domain ending.
bool IsHostName(std::string_view run) {
    const std::size_t lastDot = run.rfind('.');
    if (lastDot == std::string_view::npos) return false;
    const std::string_view last = run.substr(lastDot + 1);
    if (last.size() < 2 || last.size() > 24 ||
        !std::all_of(last.begin(), last.end(), [](char c) { return IsAlpha(c); }) || IsFileExtension(last))
        return false;
    std::size_t labels = 0;
    for (std::size_t begin = 0;;) {
        const std::size_t dot = std::min(run.find('.', begin), run.size());
        if (dot == begin || dot - begin > 63) return false;
        ++labels;
        if (dot == run.size()) break;
        begin = dot + 1;
    }
    return labels >= 3 || IsDomainEnding(last);
}

// "S-1-5-21-...": an identifier authority and at least four sub-authorities,
// which machine, domain and account SIDs have and well-known ones do not.
std::size_t SidEnd(std::string_view text, std::size_t at) {
    if (!StartsFolded(text, at, "s-1-")) return at;
    std::size_t i = at + 4, groups = 0;
    while (i < text.size() && IsDigit(Byte(text, i))) {
        while (i < text.size() && IsDigit(Byte(text, i))) ++i;
        ++groups;
        if (i + 1 < text.size() && text[i] == '-' && IsDigit(Byte(text, i + 1)))
            ++i;
        else
            break;
    }
    if (groups < 5 || (i < text.size() && IsWord(Byte(text, i)))) return at;
    return i;
}

// What ends a mailbox name in an X.500 address.
bool EndsMailbox(unsigned char c) { return c <= ' ' || std::strchr("\"'<>,;)]", c) != nullptr; }

void Escape(std::string_view original, std::string& out) {
    static const char kHex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < original.size();) {
        const unsigned char c = Byte(original, i);
        std::size_t length = c < 0x80             ? 1
                             : (c & 0xE0) == 0xC0 ? 2
                             : (c & 0xF0) == 0xE0 ? 3
                             : (c & 0xF8) == 0xF0 ? 4
                                                  : 0;
        if (length > 1) {
            // A whole, shortest-form UTF-8 sequence is copied; anything else byte by byte.
            bool whole = c >= 0xC2 && c <= 0xF4 && i + length <= original.size();
            for (std::size_t k = 1; whole && k < length; ++k) whole = (Byte(original, i + k) & 0xC0) == 0x80;
            if (whole && length == 3) {
                const unsigned char next = Byte(original, i + 1);
                whole = !(c == 0xE0 && next < 0xA0) && !(c == 0xED && next >= 0xA0);
            }
            if (whole && length == 4) {
                const unsigned char next = Byte(original, i + 1);
                whole = !(c == 0xF0 && next < 0x90) && !(c == 0xF4 && next >= 0x90);
            }
            if (!whole) length = 0;
        }
        if (length > 1) {
            out.append(original.substr(i, length));
            i += length;
            continue;
        }
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c < 0x20 || c >= 0x7F)
            out += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
        else
            out += static_cast<char>(c);
        ++i;
    }
}

constexpr std::size_t kFirstSlots = 1024;
// The map goes to its sink in pieces of about this size.
constexpr std::size_t kMapPiece = 64 * 1024;

// 64 bits of an original (never 0, which marks a free slot), mixed as
// MurmurHash64A mixes: two originals share a token only if these meet, about
// once in 10^9 bundles of 200 000 different originals.
std::uint64_t HashOf(std::string_view text) {
    constexpr std::uint64_t kMix = 0xC6A4A7935BD1E995ull;
    std::uint64_t hash = 0x9E3779B97F4A7C15ull ^ (text.size() * kMix);
    for (std::size_t i = 0; i < text.size(); i += 8) {
        std::uint64_t part = 0;
        std::memcpy(&part, text.data() + i, std::min<std::size_t>(8, text.size() - i));
        part *= kMix;
        part ^= part >> 47;
        part *= kMix;
        hash = (hash ^ part) * kMix;
    }
    hash ^= hash >> 47;
    hash *= kMix;
    hash ^= hash >> 47;
    return hash == 0 ? 1 : hash;
}

std::string RandomTag() {
    // No 0/o or 1/l, which read alike.
    static const char kAlphabet[] = "abcdefghijkmnpqrstuvwxyz23456789";
    std::random_device device;
    std::string tag;
    for (int i = 0; i < 4; ++i) tag += kAlphabet[device() % 32];
    return tag;
}

}  // namespace

Redactor::Redactor(const RedactionNames& names, std::string tag, MapSink sink)
    : m_tag(tag.empty() ? RandomTag() : std::move(tag)),
      m_hashes(kFirstSlots),
      m_numbers(kFirstSlots),
      m_kinds(kFirstSlots),
      m_map("token\toriginal\r\n"),
      m_sink(std::move(sink)) {
    const auto add = [&](const std::vector<std::string>& list, Kind kind, bool word) {
        for (const std::string& name : list) {
            // A name with a line end could never be found within one line.
            if (name.empty() || name.find_first_of("\r\n") != std::string::npos) continue;
            std::string folded;
            for (char c : name) folded += Fold(c);
            m_patterns.push_back({folded, kind, word});
        }
    };
    add(names.users, Kind::User, true);
    add(names.computers, Kind::Computer, true);
    add(names.domains, Kind::Domain, true);
    add(names.terms, Kind::Term, false);
    // The tag itself, should a file hold it, is hidden too: so "~tag" occurs
    // in redacted text only within tokens.
    add({"~" + m_tag}, Kind::Tag, false);
    std::stable_sort(m_patterns.begin(), m_patterns.end(),
                     [](const Pattern& a, const Pattern& b) { return a.folded.size() > b.folded.size(); });
    for (const Pattern& pattern : m_patterns) {
        const unsigned char first = static_cast<unsigned char>(pattern.folded[0]);
        // A name is only looked for where a word starts; a term anywhere.
        bool* starts = pattern.word ? m_wordStart : m_anywhereStart;
        starts[first] = true;
        if (first >= 'a' && first <= 'z') starts[first - 'a' + 'A'] = true;
    }
}

void Redactor::Find(std::string_view text, std::vector<Span>& spans) const {
    std::size_t runEnd = 0;  // where the last host or IPv6 run tried ended
    std::size_t ipv6End = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = Byte(text, i);
        const unsigned char before = i > 0 ? Byte(text, i - 1) : ' ';
        if (m_anywhereStart[c] || (m_wordStart[c] && !IsWord(before))) {
            for (const Pattern& pattern : m_patterns) {
                if (!StartsFolded(text, i, pattern.folded)) continue;
                const std::size_t end = i + pattern.folded.size();
                if (pattern.word && (IsWord(before) || (end < text.size() && IsWord(Byte(text, end)))))
                    continue;
                spans.push_back({i, end, pattern.kind});
                break;
            }
        }
        if (c == '@') {
            std::size_t begin = i;
            while (begin > 0 && IsLocalChar(Byte(text, begin - 1))) --begin;
            while (begin < i && text[begin] == '.') ++begin;
            const std::size_t end = MailDomainEnd(text, i + 1);
            if (begin < i && end > i + 1) spans.push_back({begin, end, Kind::Mail});
        } else if (c == ':' && i >= ipv6End) {
            std::size_t begin = i, end = i;
            while (begin > 0 &&
                   (IsHex(Byte(text, begin - 1)) || text[begin - 1] == ':' || text[begin - 1] == '.'))
                --begin;
            while (end < text.size() && (IsHex(Byte(text, end)) || text[end] == ':' || text[end] == '.'))
                ++end;
            ipv6End = end;
            while (begin < end && text[begin] == '.') ++begin;
            while (end > begin && text[end - 1] == '.') --end;
            const bool bounded = (begin == 0 || !IsWord(Byte(text, begin - 1))) &&
                                 (end == text.size() || !IsWord(Byte(text, end)));
            if (bounded && IsIpv6(text.substr(begin, end - begin))) spans.push_back({begin, end, Kind::Ip});
        } else if (c == '/' && StartsFolded(text, i, "/cn=recipients/cn=")) {
            const std::size_t begin = i + 18;
            std::size_t end = begin;
            while (end < text.size() && !EndsMailbox(Byte(text, end))) ++end;
            if (end > begin) spans.push_back({begin, end, Kind::Mailbox});
        } else if (IsDigit(c) && before == '-' && (i < 2 || !IsAlpha(Byte(text, i - 2)))) {
            // The second address of a range such as "10.0.0.1-10.0.0.9"; after
            // a word, as in "KMXLogCtl-1.0.0.5", it is a version.
            const std::size_t end = Ipv4End(text, i);
            if (end > i) spans.push_back({i, end, Kind::Ip});
        } else if ((IsAlnum(c) || c == '_') && !IsHostChar(before)) {
            if (IsDigit(c) && before != '@') {
                const std::size_t end = Ipv4End(text, i);
                if (end > i && !FollowsVersionWord(text, i)) spans.push_back({i, end, Kind::Ip});
            }
            if ((c | 0x20) == 's') {
                const std::size_t end = SidEnd(text, i);
                if (end > i) spans.push_back({i, end, Kind::Sid});
            }
            if (i >= runEnd) {
                std::size_t end = i;
                while (end < text.size() && IsHostChar(Byte(text, end))) ++end;
                runEnd = end;
                while (end > i && (text[end - 1] == '.' || text[end - 1] == '-')) --end;
                if (IsHostName(text.substr(i, end - i))) spans.push_back({i, end, Kind::Host});
            }
        }
    }
}

void Redactor::Redact(std::string_view text, std::string& out) {
    std::vector<Span> spans;
    Find(text, spans);
    if (spans.empty()) {
        out.append(text);
        return;
    }
    // Overlapping finds are hidden as one, of the kind of the longest.
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end > b.end;
    });
    std::vector<Span> merged;
    for (const Span& span : spans) {
        if (!merged.empty() && span.begin < merged.back().end) {
            Span& last = merged.back();
            if (span.end - span.begin > last.end - last.begin) last.kind = span.kind;
            last.end = std::max(last.end, span.end);
        } else {
            merged.push_back(span);
        }
    }
    out.reserve(out.size() + text.size() + merged.size() * 8);
    std::lock_guard<std::mutex> lock(m_mutex);
    std::size_t at = 0;
    for (const Span& span : merged) {
        out.append(text.substr(at, span.begin - at));
        const std::string_view original = text.substr(span.begin, span.end - span.begin);
        const std::uint64_t hash = HashOf(original);
        std::size_t slot = Slot(hash);
        if (m_hashes[slot] == 0) {
            if ((m_used + 1) * 10 > m_hashes.size() * 7) {
                // Fuller than 70%: twice the slots, each token moved by its hash.
                std::vector<std::uint64_t> hashes(m_hashes.size() * 2);
                std::vector<std::uint32_t> numbers(hashes.size());
                std::vector<Kind> kinds(hashes.size());
                hashes.swap(m_hashes), numbers.swap(m_numbers), kinds.swap(m_kinds);
                for (std::size_t i = 0; i < hashes.size(); ++i) {
                    if (hashes[i] == 0) continue;
                    const std::size_t to = Slot(hashes[i]);
                    m_hashes[to] = hashes[i], m_numbers[to] = numbers[i], m_kinds[to] = kinds[i];
                }
                slot = Slot(hash);
            }
            ++m_used;
            m_hashes[slot] = hash;
            m_kinds[slot] = span.kind;
            m_numbers[slot] = static_cast<std::uint32_t>(++m_counts[static_cast<int>(span.kind)]);
            AppendToken(span.kind, m_numbers[slot], m_map);
            m_map += '\t';
            Escape(original, m_map);
            m_map += "\r\n";
            if (m_sink && m_map.size() >= kMapPiece) {
                m_sink(m_map);
                m_map.clear();
            }
        }
        AppendToken(m_kinds[slot], m_numbers[slot], out);
        at = span.end;
    }
    out.append(text.substr(at));
}

std::size_t Redactor::Slot(std::uint64_t hash) const {
    const std::size_t mask = m_hashes.size() - 1;
    std::size_t slot = static_cast<std::size_t>(hash) & mask;
    while (m_hashes[slot] != 0 && m_hashes[slot] != hash) slot = (slot + 1) & mask;
    return slot;
}

void Redactor::AppendToken(Kind kind, std::uint32_t number, std::string& out) const {
    char digits[16];
    const int length = std::snprintf(digits, sizeof digits, "%u", static_cast<unsigned>(number));
    out += "[[";
    out += kKindNames[static_cast<int>(kind)];
    out += '-';
    out.append(digits, static_cast<std::size_t>(length));
    out += '~';
    out += m_tag;
    out += "]]";
}

std::string Redactor::Map() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_map;
}

std::size_t Redactor::Count(Kind kind) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_counts[static_cast<int>(kind)];
}

std::size_t Redactor::Cut(std::string_view text) {
    std::size_t at = text.rfind('\n');
    if (at == std::string_view::npos) at = text.find_last_of(" \t");
    return at == std::string_view::npos ? 0 : at + 1;
}

void RedactionStream::Write(std::string_view data, std::string& out) {
    while (!data.empty()) {
        const std::size_t part = std::min(data.size(), m_maxLine);
        const std::size_t lineEnd = data.substr(0, part).rfind('\n');
        m_held.append(data.substr(0, part));
        data.remove_prefix(part);
        if (lineEnd != std::string_view::npos) {
            const std::size_t whole = m_held.size() - part + lineEnd + 1;
            m_redactor.Redact(std::string_view(m_held).substr(0, whole), out);
            m_held.erase(0, whole);
        }
        while (m_held.size() >= m_maxLine) {
            std::size_t cut = Redactor::Cut(std::string_view(m_held).substr(0, m_maxLine));
            if (cut == 0) cut = m_maxLine;
            m_redactor.Redact(std::string_view(m_held).substr(0, cut), out);
            m_held.erase(0, cut);
        }
    }
}

void RedactionStream::Finish(std::string& out) {
    m_redactor.Redact(m_held, out);
    m_held.clear();
}

ZipTransform RedactionTransform(Redactor& redactor) {
    return {[](std::string_view block) { return Redactor::Cut(block); },
            [&redactor](std::string_view piece, std::string& out) { redactor.Redact(piece, out); }};
}

}  // namespace kmx
