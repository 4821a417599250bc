// Hides what a support bundle says about people and machines: mail
// addresses, the user, computer and domain names, IP addresses, host names
// with a domain, security identifiers, mailbox names of X.500 addresses and
// the user's own terms. Each original becomes a token such as
// "[[host-3~k7q2]]": its kind, its number within the kind, and the bundle's
// tag. One redactor serves a whole bundle, so an original gets the same token
// in every file; its map turns every redacted file back into the original.
//
// Works on bytes of ASCII-compatible text (UTF-8, or ANSI code pages for the
// ASCII parts): UTF-16 text is converted to UTF-8 first and back afterwards.
// Everything it looks for lies within one line, so text can be redacted in
// pieces that end at line ends, by several threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "formats/ZipWriter.h"

namespace kmx {

// The names to hide as words, as they may appear in the files (UTF-8; add the
// ANSI spelling too where it differs). Letters match in either case (ASCII).
struct RedactionNames {
    std::vector<std::string> users, computers, domains;
    std::vector<std::string> terms;  // the user's own, matched anywhere, even inside words
};

class Redactor {
public:
    // Where the map goes while text is redacted, in pieces of whole lines
    // (the header first), under the redactor's lock.
    using MapSink = std::function<void(std::string_view text)>;

    // tag: what makes this bundle's tokens its own; empty for a random one.
    // sink: for a map too big to keep; without one, Map() holds all of it.
    explicit Redactor(const RedactionNames& names, std::string tag = {}, MapSink sink = {});
    Redactor(const Redactor&) = delete;
    Redactor& operator=(const Redactor&) = delete;

    // Appends `text` to `out` with what it hides replaced. `text` holds whole
    // lines, or a piece of a line cut where Cut cuts. Safe to call from
    // several threads at once.
    void Redact(std::string_view text, std::string& out);

    // The map as UTF-8 text: a header line "token<TAB>original", then one
    // line per token in the order they were made, CRLF-ended. In the original
    // a backslash, TAB, CR and LF are written \\, \t, \r, \n, and bytes that
    // are not UTF-8 \xHH. With a sink: what has not gone to it yet.
    std::string Map() const;

    const std::string& Tag() const { return m_tag; }

    enum class Kind : std::uint8_t { Mail, User, Computer, Domain, Ip, Host, Sid, Mailbox, Term, Tag };
    // How many different originals of `kind` it has replaced so far.
    std::size_t Count(Kind kind) const;

    // Where a piece of text may end: after its last line end; for a line with
    // none, after its last space or tab; 0 when there is neither.
    static std::size_t Cut(std::string_view text);

private:
    struct Pattern {
        std::string folded;
        Kind kind;
        bool word;  // only between non-word characters
    };
    struct Span {
        std::size_t begin, end;
        Kind kind;
    };
    void Find(std::string_view text, std::vector<Span>& spans) const;
    // The slot of the original with this hash: its own or the free one for it.
    std::size_t Slot(std::uint64_t hash) const;
    void AppendToken(Kind kind, std::uint32_t number, std::string& out) const;

    std::string m_tag;
    std::vector<Pattern> m_patterns;                        // longest first
    bool m_wordStart[256] = {}, m_anywhereStart[256] = {};  // the patterns' first bytes
    mutable std::mutex m_mutex;
    // Tokens by a 64-bit hash of their original, in an open-addressed table:
    // 13 bytes a token, so that logs full of different addresses cost little.
    // The originals themselves are only in the map.
    std::vector<std::uint64_t> m_hashes;  // 0: a free slot
    std::vector<std::uint32_t> m_numbers;
    std::vector<Kind> m_kinds;
    std::size_t m_used = 0;
    std::string m_map;  // not yet handed to the sink
    MapSink m_sink;
    std::size_t m_counts[10] = {};
};

// A file's text in pieces of any size: hands on whole lines and holds back
// the rest. A line longer than maxLine is cut (where Redactor::Cut cuts), so
// what lies across that cut may be left whole or in part.
class RedactionStream {
public:
    static constexpr std::size_t kMaxLine = 256 * 1024;
    explicit RedactionStream(Redactor& redactor, std::size_t maxLine = kMaxLine)
        : m_redactor(redactor), m_maxLine(maxLine > 0 ? maxLine : 1) {}
    void Write(std::string_view data, std::string& out);
    void Finish(std::string& out);

private:
    Redactor& m_redactor;
    std::size_t m_maxLine;
    std::string m_held;
};

// Redacts a zip entry's data in the zip writer's deflating threads.
ZipTransform RedactionTransform(Redactor& redactor);

}  // namespace kmx
