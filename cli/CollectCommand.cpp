#include "cli/CollectCommand.h"

#include <cstdio>
#include <map>

#include "cli/CollectHost.h"
#include "cli/Commands.h"
#include "formats/ZipWriter.h"
#include "settings/AsciiCase.h"
#include "cli/Duration.h"
#include "settings/IsBESFromRegistry.h"
#include "cli/LogFolder.h"
#include "cli/TimeBox.h"
#include "settings/Utf16.h"

namespace kmx {
namespace {

// Level 6: log text comes out nearly as small as at 9 in half the time.
constexpr int kLevel = 6;
constexpr std::size_t kReadChunk = 256 * 1024;
constexpr std::uint64_t kProgressMilliseconds = 100;

// The folder a path names, without case or a trailing backslash, as the file
// system compares folder names.
std::wstring ComparableFolder(std::wstring path) {
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    while (path.size() > 1 && path.back() == L'\\') path.pop_back();
    return AsciiUpperCase(path);
}

std::wstring ParentOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"" : path.substr(0, slash);
}

std::wstring Two(int number) { return (number < 10 ? L"0" : L"") + std::to_wstring(number); }

std::wstring Stamp(const ZipTime& time) {
    return std::to_wstring(time.year) + Two(time.month) + Two(time.day) + L"-" + Two(time.hour) +
           Two(time.minute) + Two(time.second);
}

std::wstring Mebibytes(std::uint64_t bytes) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

struct Options {
    std::wstring target;
    bool replace = false;
    std::uint64_t sinceSeconds = 0;
};

bool ParseOptions(CommandHost& host, const std::vector<std::wstring>& args, Options* options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& word = args[i];
        if (EqualsIgnoringAsciiCase(word, L"/y") || EqualsIgnoringAsciiCase(word, L"-y")) {
            options->replace = true;
        } else if (EqualsIgnoringAsciiCase(word, L"--since") || EqualsIgnoringAsciiCase(word, L"/since")) {
            std::wstring problem;
            if (i + 1 == args.size() || !ParseDuration(args[++i], &options->sinceSeconds, &problem)) {
                host.Err(L"kmxlogcfg: --since: " + (problem.empty() ? std::wstring(kDurationForm) : problem) +
                         L"\n");
                return false;
            }
        } else if (options->target.empty() && !word.empty() && word[0] != L'-' && word[0] != L'/') {
            options->target = word;
        } else {
            host.Err(L"kmxlogcfg: collect takes [FILE.zip] [/y] [--since DURATION], not \"" + word + L"\"\n");
            return false;
        }
    }
    return true;
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

bool AddWhole(ZipWriter& zip, const std::string& name, const ZipTime& time, const std::string& bytes) {
    return zip.BeginEntry(name, time, bytes.size()) && zip.Write(bytes.data(), bytes.size()) &&
           zip.EndEntry();
}

}  // namespace

int Collect(CommandHost& host, const SettingsModel& model, const std::vector<std::wstring>& args,
            const std::wstring& version) {
    Options options;
    if (!ParseOptions(host, args, &options)) return 1;
    CollectHost* machine = host.Collecting();
    if (machine == nullptr) {
        host.Err(L"kmxlogcfg: collect is not available here\n");
        return 1;
    }
    const LogLocation location = LocateLogs(model);
    if (!host.DirectoryExists(location.folder)) {
        host.Err(L"kmxlogcfg: there is no log folder " + location.folder + L"\n");
        return 1;
    }
    std::vector<DirectoryEntry> entries;
    std::wstring problem;
    if (!host.ListDirectory(location.folder, &entries, &problem)) {
        host.Err(L"kmxlogcfg: cannot list " + location.folder + L": " + problem + L"\n");
        return 1;
    }
    const MachineFacts facts = machine->Facts();
    const UtcTicks now = host.NowUtc();
    const UtcTicks since = options.sinceSeconds > 0 && now > options.sinceSeconds * kTicksPerSecond
                               ? now - options.sinceSeconds * kTicksPerSecond
                               : 0;
    std::vector<DirectoryEntry> files;
    std::uint64_t total = 0;
    for (DirectoryEntry& entry : SummarizeLogs(model, location.prefix, std::move(entries)).files) {
        if (entry.reparsePoint || entry.lastWritten < since) continue;
        total += entry.size;
        files.push_back(std::move(entry));
    }

    if (options.target.empty())
        options.target = L"KMXLogs-" + facts.computer + L"-" + facts.user + L"-" + Stamp(facts.now) + L".zip";
    if (ComparableFolder(ParentOf(machine->FullPath(options.target))) ==
        ComparableFolder(machine->FullPath(location.folder))) {
        host.Err(L"kmxlogcfg: the zip cannot go into the log folder " + location.folder + L"\n");
        return 1;
    }
    if (RefusesToReplace(host, options.target, options.replace)) return 1;
    const std::vector<std::uint8_t> exported = ExportedRegFile(host);
    const std::string shown = ToUtf8(SettingsJson(host));

    std::unique_ptr<CollectOutput> output = machine->CreateOutput(options.target, &problem);
    if (!output) {
        host.Err(L"kmxlogcfg: cannot write " + options.target + L": " + problem + L"\n");
        return 1;
    }
    const auto failed = [&]() {
        host.Err(L"kmxlogcfg: cannot write " + options.target + L": " + output->Problem() + L"\n");
        return 1;
    };
    ZipWriter zip(*output, kLevel);
    if (!AddWhole(zip, "settings.reg", facts.now, std::string(exported.begin(), exported.end())) ||
        !AddWhole(zip, "settings.json", facts.now, shown))
        return failed();

    Progress progress(*machine, total);
    std::vector<std::uint8_t> buffer(kReadChunk);
    std::wstring skipped;
    std::size_t stored = 0;
    std::uint64_t storedBytes = 0;
    for (const DirectoryEntry& file : files) {
        std::unique_ptr<CollectInput> input =
            machine->OpenInput(location.folder + L"\\" + file.name, &problem);
        bool read = input != nullptr;
        if (read) {
            if (!zip.BeginEntry("logs/" + ToUtf8(file.name), input->Modified(), input->Size()))
                return failed();
            std::size_t got = 0;
            for (std::uint64_t left = input->Size(); read && left > 0; left -= got) {
                read = input->Read(buffer.data(), buffer.size(), &got, &problem);
                if (read && !zip.Write(buffer.data(), got)) return failed();
                progress.Advance(got);
            }
            if (read ? !zip.EndEntry() : !zip.AbandonEntry()) return failed();
        }
        if (!read) {
            progress.Clear();
            host.Err(L"kmxlogcfg: skipped " + file.name + L": " + problem + L"\n");
            skipped += L"  " + file.name + L": " + problem + L"\r\n";
            continue;
        }
        ++stored;
        storedBytes += input->Size();
    }
    progress.Clear();

    const int offset = facts.utcOffsetMinutes;
    const int offsetAbs = offset < 0 ? -offset : offset;
    std::wstring about = L"kmxlogcfg " + version + L"\r\n";
    about += L"Windows:       " + facts.windowsVersion + L"\r\n";
    about += L"Computer:      " + facts.computer + L"\r\n";
    about += L"User:          " + facts.user + L"\r\n";
    about += L"Time:          " + std::to_wstring(facts.now.year) + L"-" + Two(facts.now.month) + L"-" +
             Two(facts.now.day) + L" " + Two(facts.now.hour) + L":" + Two(facts.now.minute) + L":" +
             Two(facts.now.second) + L" local (UTC" + (offset < 0 ? L"-" : L"+") + Two(offsetAbs / 60) +
             L":" + Two(offsetAbs % 60) + L"), " + facts.nowUtc + L"\r\n";
    about += L"Variant:       IsBESKMX " + std::to_wstring(host.IsBESKMX()) + L", isBES " +
             (IsBESFromRegistry(host.Registry()) ? L"1" : L"0") + L"\r\n";
    std::optional<TimeBox> box;
    if (ReadTimeBox(host.Registry(), &box) != kErrorSuccess)
        about += L"Time box:      unknown (the companion's key cannot be read)\r\n";
    else if (!box)
        about += L"Time box:      none\r\n";
    else
        about += L"Time box:      " + (box->preset.empty() ? std::wstring(L"enable") : box->preset) +
                 L" until " + host.LocalTimeText(box->end) + L" (" + IsoUtc(box->end) + L")" +
                 (IsDue(*box, now) ? L", due" : L"") + L"\r\n";
    about += L"Log folder:    " + location.folder + L" (prefix \"" + location.prefix + L"\")\r\n";
    if (options.sinceSeconds > 0)
        about += L"Since:         " + IsoUtc(since) + L" (--since " + std::to_wstring(options.sinceSeconds) +
                 L"s)\r\n";
    about += L"Log files:     " + std::to_wstring(stored) + L" stored (" + std::to_wstring(storedBytes) +
             L" bytes), " + std::to_wstring(files.size() - stored) + L" skipped\r\n";
    if (!skipped.empty()) about += L"Skipped:\r\n" + skipped;
    if (!AddWhole(zip, "about.txt", facts.now, ToUtf8(about)) || !zip.Finish()) return failed();
    if (!output->Commit(options.replace, &problem)) {
        host.Err(L"kmxlogcfg: cannot write " + options.target + L": " + problem + L"\n");
        return 1;
    }
    host.Out(L"Wrote " + options.target + L": " + std::to_wstring(stored) + L" log files, " +
             std::to_wstring(files.size() - stored) + L" skipped\n");
    return 0;
}

}  // namespace kmx
