#include "cli/CollectArchive.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "settings/Utf16.h"

namespace kmx {
namespace {

// Level 6: log text comes out nearly as small as at 9 in half the time.
constexpr int kLevel = 6;
constexpr std::size_t kReadChunk = 256 * 1024;
constexpr std::uint64_t kProgressMilliseconds = 100;

std::wstring Mebibytes(std::uint64_t bytes) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

// One progress line, at most ten times a second, on a console only.
class Progress {
public:
    Progress(CollectHost& host, std::uint64_t total)
        : m_host(host), m_total(total), m_on(host.ErrIsConsole()) {}
    void Advance(std::uint64_t bytes) {
        m_done += bytes;
        if (!m_on) return;
        const std::uint64_t now = m_host.Milliseconds();
        if (m_shown && now - m_last < kProgressMilliseconds) return;
        m_last = now;
        m_shown = true;
        const std::uint64_t percent = m_total > 0 ? m_done * 100 / m_total : 100;
        m_host.ShowProgress(L"Collecting: " + Mebibytes(m_done) + L" of " + Mebibytes(m_total) + L" (" +
                            std::to_wstring(percent) + L"%)");
    }
    void Clear() {
        if (m_shown) m_host.ShowProgress(L"");
        m_shown = false;
    }

private:
    CollectHost& m_host;
    std::uint64_t m_total, m_done = 0, m_last = 0;
    bool m_on, m_shown = false;
};

// Tokens are longer than most of what they replace: a redacted entry's size
// hint leaves room for it to grow, so that Zip64 sizes are there if needed.
constexpr std::uint64_t kRedactedGrowth = 8;

}  // namespace

CollectArchive::CollectArchive(CollectOutput& output, Redactor* redactor)
    : m_zip(output, kLevel), m_redactor(redactor) {}

bool CollectArchive::AddFile(const std::string& name, const ZipTime& time, const std::string& bytes) {
    return m_zip.BeginEntry(name, time, bytes.size()) && m_zip.Write(bytes.data(), bytes.size()) &&
           m_zip.EndEntry();
}

bool CollectArchive::AddLogs(CommandHost& host, CollectHost& machine, const LogSelection& selection,
                             ArchivedLogs* archived) {
    Progress progress(machine, selection.totalBytes);
    std::vector<std::uint8_t> buffer(kReadChunk);
    std::wstring problem;
    for (const DirectoryEntry& file : selection.files) {
        std::unique_ptr<CollectInput> input =
            machine.OpenInput(selection.location.folder + L"\\" + file.name, &problem);
        bool read = input != nullptr;
        if (read) {
            const std::string name = "logs/" + ToUtf8(file.name);
            const bool begun =
                m_redactor == nullptr
                    ? m_zip.BeginEntry(name, input->Modified(), input->Size())
                    : m_zip.BeginEntry(name, input->Modified(), input->Size() * kRedactedGrowth,
                                       RedactionTransform(*m_redactor));
            if (!begun) return false;
            std::size_t got = 0;
            for (std::uint64_t left = input->Size(); read && left > 0; left -= got) {
                read = input->Read(buffer.data(), buffer.size(), &got, &problem);
                if (read && !m_zip.Write(buffer.data(), got)) return false;
                progress.Advance(got);
            }
            if (read ? !m_zip.EndEntry() : !m_zip.AbandonEntry()) return false;
        }
        if (!read) {
            progress.Clear();
            host.Err(L"kmxlogcfg: skipped " + file.name + L": " + problem + L"\n");
            archived->skipped += L"  " + file.name + L": " + problem + L"\r\n";
            continue;
        }
        ++archived->stored;
        archived->storedBytes += input->Size();
    }
    progress.Clear();
    return true;
}

bool CollectArchive::Finish() { return m_zip.Finish(); }

}  // namespace kmx
