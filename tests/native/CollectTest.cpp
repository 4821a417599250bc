// collect over in-memory files where Wine cannot stage the faults: a file
// that is gone when it is opened and one whose read fails part-way are left
// out whole (no stray bytes between the entries) and named on stderr and in
// about.txt, which says what the time box holds as show does; a full disk
// leaves no zip, and so does a folder where not one file could be read. The
// zip's target: a folder, and never the log folder however it is spelled;
// --since asks the open file, not the listing. A redacted bundle holds no
// original anywhere and its map gives back every entry; zip and map are
// refused, replaced and taken back together. The Wine suite checks the rest.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/CollectCommand.h"
#include "cli/CollectHost.h"
#include "cli/TimeBox.h"
#include "cli/CollectRedaction.h"
#include "settings/Utf16.h"
#include "support/RedactionMap.h"
#include "support/StoreTestSupport.h"

namespace kmx {
namespace {

const wchar_t kFolder[] = L"D:\\Logs\\KMXLogs";

struct FakeFile {
    std::vector<std::uint8_t> bytes;
    std::size_t failAt = SIZE_MAX;  // the read that reaches this offset fails
    bool gone = false;              // listed, but deleted before it is opened
    UtcTicks listedAge = 0;         // how long ago the listing says it was written
    UtcTicks age = 0;               // how long ago the open file says it was
};

class FakeInput : public CollectInput {
public:
    explicit FakeInput(const FakeFile& file) : m_file(file) {}
    std::uint64_t Size() const override { return m_file.bytes.size(); }
    const ZipTime& Modified() const override { return m_time; }
    bool Read(void* buffer, std::size_t size, std::size_t* got, std::wstring* problem) override {
        *got = std::min(size, m_file.bytes.size() - m_at);
        if (m_at + *got > m_file.failAt) {
            *problem = L"the network name is no longer available";
            return false;
        }
        std::copy_n(m_file.bytes.begin() + m_at, *got, static_cast<std::uint8_t*>(buffer));
        m_at += *got;
        return true;
    }

private:
    const FakeFile& m_file;
    ZipTime m_time;
    std::size_t m_at = 0;
};

class FakeMachine : public CommandHost, public CollectHost {
public:
    // CommandHost
    IRegistry& Registry() override { return registry; }
    void Out(const std::wstring& text) override { out += text; }
    void Err(const std::wstring& text) override { err += text; }
    void ApplyFactoryDefaults(SettingsModel& model) override {
        kmx::ApplyFactoryDefaults(model, storetest::kTempPath, 0);
    }
    int IsBESKMX() override { return 0; }
    bool DirectoryExists(const std::wstring& directory) override { return folderIds.count(directory) != 0; }
    bool ReadFile(const std::wstring&, std::size_t, std::vector<std::uint8_t>*, std::wstring*) override {
        return false;
    }
    bool FileExists(const std::wstring& path) override { return zips.count(path) != 0; }
    bool WriteFileWhole(const std::wstring&, const std::vector<std::uint8_t>&, bool, std::wstring*) override {
        return false;
    }
    bool MakeDirectory(const std::wstring&, std::wstring*) override { return false; }
    bool ListDirectory(const std::wstring&, std::vector<DirectoryEntry>* entries, std::wstring*) override {
        for (const auto& file : files)
            entries->push_back(
                {file.first, file.second.bytes.size(), now - file.second.listedAge, false, false});
        return true;
    }
    bool OpenFileFacts(const std::wstring& path, std::uint64_t* size, UtcTicks* lastWritten) override {
        const FakeFile& file = files.at(path.substr(path.rfind(L'\\') + 1));
        *size = file.bytes.size();
        *lastWritten = now - file.age;
        return !file.gone;
    }
    bool FreeBytes(const std::wstring&, std::uint64_t*) override { return false; }
    UtcTicks NowUtc() override { return now; }
    std::wstring ProgramPath() override { return L"C:\\kmxlogcfg.exe"; }
    bool LockUserState(std::wstring*) override { return true; }
    std::wstring LocalTimeText(UtcTicks ticks) override { return L"local " + IsoUtc(ticks); }
    bool ScheduleExpire(UtcTicks, std::wstring*) override { return false; }
    void CancelScheduledExpire() override {}
    CollectHost* Collecting() override { return this; }

    // CollectHost
    std::unique_ptr<CollectInput> OpenInput(const std::wstring& path, std::wstring* problem) override {
        const FakeFile& file = files.at(path.substr(path.rfind(L'\\') + 1));
        if (file.gone) *problem = L"the system cannot find the file specified";
        return file.gone ? nullptr : std::make_unique<FakeInput>(file);
    }
    std::unique_ptr<CollectOutput> CreateOutput(const std::wstring& path, std::wstring*) override {
        return std::make_unique<Output>(*this, path);
    }
    std::wstring FullPath(const std::wstring& path) override {
        return path.find(L':') != std::wstring::npos || path.rfind(L"\\\\", 0) == 0 ? path
                                                                                    : L"C:\\Work\\" + path;
    }
    bool SameFolder(const std::wstring& a, const std::wstring& b) override {
        const auto id = [&](std::wstring path) {
            if (path.size() > 3 && path.back() == L'\\') path.pop_back();
            const auto found = folderIds.find(path);
            return found == folderIds.end() ? 0 : found->second;
        };
        return id(a) != 0 && id(a) == id(b);
    }
    MachineFacts Facts() override { return facts; }
    std::uint64_t Milliseconds() override { return 0; }
    bool ErrIsConsole() override { return false; }
    void ShowProgress(const std::wstring&) override {}
    // Latin-1 stands in for the ANSI code page.
    std::string Ansi(const std::wstring& text) override {
        std::string ansi;
        for (wchar_t c : text) {
            if (c > 0xFF) return "";
            ansi += static_cast<char>(c);
        }
        return ansi;
    }

    MemoryRegistry registry;
    std::wstring out, err;
    UtcTicks now = 134100000000000000;
    std::map<std::wstring, FakeFile> files;
    std::map<std::wstring, std::string> zips;  // committed
    // The folders there are, by spelling; one number for one folder.
    std::map<std::wstring, int> folderIds = {{kFolder, 1}, {L"C:\\Work", 2}};
    std::size_t diskLeft = SIZE_MAX;
    std::wstring failCommit;  // the path whose commit fails
    MachineFacts facts{L"PC1", L"ann", L"Windows 11", ZipTime{}, L"1980-01-01T00:00:00Z", -90, {}};

private:
    class Output : public CollectOutput {
    public:
        Output(FakeMachine& machine, std::wstring path) : m_machine(machine), m_path(std::move(path)) {}
        bool Write(const void* data, std::size_t size) override {
            if (m_bytes.size() + size > m_machine.diskLeft) return false;
            m_bytes.append(static_cast<const char*>(data), size);
            return true;
        }
        bool Truncate(std::uint64_t offset) override {
            m_bytes.resize(offset);
            return true;
        }
        bool Commit(bool, std::wstring* problem) override {
            if (m_path == m_machine.failCommit) {
                *problem = L"access is denied";
                return false;
            }
            m_machine.zips[m_path] = m_bytes;
            return true;
        }
        void Withdraw() override { m_machine.zips.erase(m_path); }
        std::wstring Problem() const override { return L"there is not enough space on the disk"; }

    private:
        FakeMachine& m_machine;
        std::wstring m_path;
        std::string m_bytes;
    };
};

std::vector<std::uint8_t> Noise(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t state = 1;
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 24);
    return bytes;
}

std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string Shell(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, read);
    return ::pclose(pipe) == 0 ? output : output + "[failed]";
}

TEST(CollectTest, FilesThatCannotBeReadWholeAreLeftOutWholeAndNamed) {
    FakeMachine machine;
    SettingsModel model;
    model.logDirectory = L"D:\\Logs";
    model.logFilePrefix = L"kmx";
    machine.files[L"kmx-a.log"] = {Noise(700000)};
    machine.files[L"kmx-broken.log"] = {Noise(900000), 600000};
    machine.files[L"kmx-gone.log"] = {Noise(10), SIZE_MAX, true};
    machine.files[L"kmx-z.log"] = {{}};
    std::wstring failed;
    ASSERT_EQ(kErrorSuccess, RecordAfter(machine.registry, {}, L"", machine.now - kTicksPerSecond, &failed));
    ASSERT_EQ(0, Collect(machine, model, {L"case.zip"}, L"1.0.0")) << Ascii(machine.err);
    EXPECT_EQ(Ascii(machine.err),
              "kmxlogcfg: skipped kmx-broken.log: the network name is no longer available\n"
              "kmxlogcfg: skipped kmx-gone.log: the system cannot find the file specified\n");

    if (std::system("command -v unzip >/dev/null && command -v python3 >/dev/null") != 0) GTEST_SKIP();
    const std::string zip = "/tmp/kmx-collect-test-" + std::to_string(::getpid()) + ".zip";
    std::ofstream(zip, std::ios::binary) << machine.zips.at(L"case.zip");
    EXPECT_EQ(Shell("unzip -tqq " + zip + " 2>&1 && echo ok"), "ok\n");
    // Each entry (header, data, 16-byte descriptor) starts where the one
    // before it ends, and the last ends at the central directory: nothing
    // of the dropped file is left between them.
    EXPECT_EQ(
        Shell("python3 -c \"import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); i = z.infolist(); "
              "print(z.namelist()); print([a.header_offset + 30 + len(a.filename) + 9 + a.compress_size + 16 "
              "== b for a, b in zip(i, [e.header_offset for e in i[1:]] + [z.start_dir])]); "
              "print(z.read('about.txt').decode().split('Time:')[1])\" " +
              zip),
        "['settings.reg', 'settings.json', 'logs/kmx-a.log', 'logs/kmx-z.log', 'about.txt']\n"
        "[True, True, True, True, True]\n"
        "          local 1980-01-01T00:00:00Z local (UTC-01:30), 1980-01-01T00:00:00Z\r\n"
        "Variant:       IsBESKMX 0, isBES 0\r\n"
        "Time box:      logging on until local 2025-12-12T07:59:59Z (UTC 2025-12-12T07:59:59Z), then back to "
        "the earlier settings (pending: the next change by kmxlogcfg, kmxlogcfg expire or the next "
        "logon puts them back)\r\n"
        "Log folder:    D:\\Logs\\KMXLogs (prefix \"kmx\")\r\n"
        "Log files:     2 stored (700000 bytes), 2 skipped\r\n"
        "Skipped:\r\n"
        "  kmx-broken.log: the network name is no longer available\r\n"
        "  kmx-gone.log: the system cannot find the file specified\r\n\n");
    std::remove(zip.c_str());

    machine.diskLeft = 500000;  // less than kmx-a.log alone
    machine.err.clear();
    EXPECT_EQ(1, Collect(machine, model, {L"full.zip"}, L"1.0.0"));
    EXPECT_EQ(Ascii(machine.err),
              "kmxlogcfg: cannot write full.zip: there is not enough space on the disk\n");
    EXPECT_EQ(machine.zips.count(L"full.zip"), 0u);
}

TEST(CollectTest, TheZipGoesToItsFileOrIntoAFolderButNeverIntoTheLogFolder) {
    FakeMachine machine;
    machine.folderIds.insert({{L"\\\\?\\D:\\Logs\\KMXLogs", 1},
                              {L"D:\\LOGS\\KMXLOG~1", 1},
                              {L"\\\\localhost\\D$\\Logs\\KMXLogs", 1},
                              {L"\\\\srv\\case", 3}});
    SettingsModel model;
    model.logDirectory = L"D:\\Logs";
    model.logFilePrefix = L"kmx";
    machine.files[L"kmx-a.log"] = {Noise(10)};
    const std::wstring named = L"KMXLogs-PC1-ann-19800101-000000.zip";
    const struct {
        const wchar_t* given;
        std::wstring written;  // empty: refused
    } cases[] = {
        {L"", named},
        {L"case.zip", L"case.zip"},
        {L"\\\\srv\\case", L"\\\\srv\\case\\" + named},
        {L"\\\\srv\\case\\", L"\\\\srv\\case\\" + named},
        {L"E:\\gone\\case.zip", L"E:\\gone\\case.zip"},  // no identity: the write says what is wrong
        {L"D:\\Logs\\KMXLogs", L""},
        {L"\\\\?\\D:\\Logs\\KMXLogs\\", L""},
        {L"D:\\LOGS\\KMXLOG~1\\case.zip", L""},
        {L"\\\\localhost\\D$\\Logs\\KMXLogs\\case.zip", L""},
    };
    for (const auto& c : cases) {
        machine.zips.clear();
        machine.err.clear();
        const int status = Collect(machine, model, {c.given}, L"1.0.0");
        EXPECT_EQ(status, c.written.empty() ? 1 : 0) << Ascii(c.given) << ": " << Ascii(machine.err);
        if (c.written.empty()) {
            EXPECT_EQ(Ascii(machine.err),
                      "kmxlogcfg: the zip cannot go into the log folder D:\\Logs\\KMXLogs\n");
            EXPECT_TRUE(machine.zips.empty()) << Ascii(c.given);
        } else {
            EXPECT_EQ(machine.zips.count(c.written), 1u) << Ascii(c.given);
        }
    }
}

TEST(CollectTest, SinceAsksTheOpenFileAndNotOneReadableFileIsAFailure) {
    FakeMachine machine;
    SettingsModel model;
    model.logDirectory = L"D:\\Logs";
    model.logFilePrefix = L"kmx";
    const UtcTicks hour = 3600 * kTicksPerSecond;
    FakeFile live{Noise(10)}, old{Noise(10)}, stale{Noise(10)};
    live.listedAge = 9 * hour;  // held open for writing since the morning
    old.listedAge = old.age = 5 * hour;
    stale.age = 5 * hour;  // the open file decides either way
    machine.files = {{L"kmx-live.log", live}, {L"kmx-old.log", old}, {L"kmx-stale.log", stale}};
    ASSERT_EQ(0, Collect(machine, model, {L"a.zip", false, 4 * 3600}, L"1.0.0")) << Ascii(machine.err);
    EXPECT_EQ(Ascii(machine.out), "Wrote a.zip: 1 log files, 0 skipped\n");
    EXPECT_NE(machine.zips.at(L"a.zip").find("logs/kmx-live.log"), std::string::npos);

    for (auto& file : machine.files) file.second.gone = true;
    machine.err.clear();
    EXPECT_EQ(1, Collect(machine, model, {L"b.zip"}, L"1.0.0"));
    EXPECT_EQ(machine.zips.count(L"b.zip"), 0u);
    EXPECT_NE(Ascii(machine.err)
                  .find("kmxlogcfg: no zip written: no log file in D:\\Logs\\KMXLogs could be "
                        "read (3 skipped)\n"),
              std::string::npos)
        << Ascii(machine.err);
}

// The entries of a zip as Python's zipfile reads them, settings.reg as UTF-8.
std::map<std::string, std::string> Entries(const std::string& bytes) {
    const std::string zip = "/tmp/kmx-collect-entries-" + std::to_string(::getpid()) + ".zip";
    std::ofstream(zip, std::ios::binary) << bytes;
    const std::string dump = Shell(
        "python3 -c \"import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
        "[print(i.filename, len(z.read(i)), end='\\n') or sys.stdout.flush() or "
        "sys.stdout.buffer.write(z.read(i)) for i in z.infolist()]\" " +
        zip);
    std::remove(zip.c_str());
    std::map<std::string, std::string> entries;
    for (std::size_t at = 0; at < dump.size();) {
        const std::size_t space = dump.find(' ', at), end = dump.find('\n', space);
        if (space == std::string::npos || end == std::string::npos) break;
        const std::size_t size = std::stoul(dump.substr(space + 1, end - space - 1));
        std::string data = dump.substr(end + 1, size);
        if (dump.compare(at, space - at, "settings.reg") == 0)
            data = ToUtf8(FromUtf16(
                UnitsFromLeBytes(reinterpret_cast<const std::uint8_t*>(data.data()) + 2, data.size() - 2)));
        entries[dump.substr(at, space - at)] = data;
        at = end + 1 + size;
    }
    return entries;
}

std::string Folded(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST(CollectTest, ARedactedBundleHoldsNoOriginalAndItsMapGivesBackEveryEntry) {
    if (std::system("command -v python3 >/dev/null") != 0) GTEST_SKIP();
    FakeMachine machine;
    machine.facts.user = L"J\u00f6rg";
    machine.facts.computer = L"PC-7QX";
    machine.facts.domains = {L"CORPNET"};
    SettingsModel model;
    model.logDirectory = L"D:\\Logs";
    model.logFilePrefix = L"kmx";
    ASSERT_TRUE(machine.registry.PutString(storetest::kLogging, L"FileName", L"C:\\Users\\J\u00f6rg\\kmx"));
    const std::string originals[] = {"anna.meyer@contoso.com",
                                     "J\xc3\xb6rg",
                                     "J\xf6rg",
                                     "PC-7QX",
                                     "CORPNET",
                                     "10.20.30.40",
                                     "fd00::a528:bf67",
                                     "mail03.contoso.com",
                                     "S-1-5-21-1004336348-1177238915-682003330-1001",
                                     "annameyer55",
                                     "falcon"};
    const std::string line =
        "2026-12-09 08:00:01.002  4812 [MainSync] anna.meyer@contoso.com on mail03.contoso.com from "
        "10.20.30.40 "
        "[fd00::a528:bf67]:443 by CORPNET\\J\xc3\xb6rg on pc-7qx sid "
        "S-1-5-21-1004336348-1177238915-682003330-1001 "
        "/o=Org/ou=AG/cn=Recipients/cn=annameyer55 Project FALCON\r\n"
        "2026-12-09 08:00:01.003  4812 [UI] C:\\Users\\J\xf6rg\\AppData version 16.0.1.2 nothing else\r\n";
    // Blocks of the writer's threads, cut at line ends; a map that goes to
    // its file in pieces.
    std::string log;
    std::size_t peers = 0;
    for (; log.size() < (1u << 20); ++peers)
        log += line + "peer 10.9." + std::to_string(peers / 250) + "." + std::to_string(peers % 250 + 1) +
               "\r\n";
    machine.files[L"kmx-a.log"] = {std::vector<std::uint8_t>(log.begin(), log.end())};
    machine.files[L"kmx-b.log"] = {{'n', 'o', ' ', 'e', 'n', 'd', ' ', 'P', 'C', '-', '7', 'Q', 'X'}};

    ASSERT_EQ(0, Collect(machine, model, {L"plain.zip"}, L"1.0.0")) << Ascii(machine.err);
    CollectRequest redacted{L"red.zip"};
    redacted.redact = true;
    redacted.redactAlso = {L"Falcon"};
    machine.out.clear();
    ASSERT_EQ(0, Collect(machine, model, redacted, L"1.0.0")) << Ascii(machine.err);
    EXPECT_EQ(Ascii(machine.out),
              "Wrote red.zip: 2 log files, 0 skipped\n"
              "Wrote its map back to the originals, which stays here: red.map.tsv\n");
    ASSERT_EQ(machine.zips.count(L"red.map.tsv"), 1u);
    const std::string map = machine.zips.at(L"red.map.tsv");
    EXPECT_GT(map.size(), 65536u);

    const std::map<std::string, std::string> plain = Entries(machine.zips.at(L"plain.zip"));
    const std::map<std::string, std::string> red = Entries(machine.zips.at(L"red.zip"));
    ASSERT_EQ(red.size(), 5u);
    EXPECT_EQ(plain.at("logs/kmx-a.log"), log);
    for (const auto& [name, data] : red) {
        for (const std::string& original : originals)
            EXPECT_EQ(Folded(data).find(Folded(original)), std::string::npos) << name << ": " << original;
        const std::string back = ReverseRedaction(data, map);
        if (name != "about.txt") {
            EXPECT_TRUE(back == plain.at(name)) << name;
            continue;
        }
        // about.txt alone gains a line, which names no map.
        ASSERT_EQ(back.substr(0, plain.at(name).size()), plain.at(name));
        EXPECT_EQ(
            back.substr(plain.at(name).size()),
            "Redacted:      yes; tokens [[kind-N~tag]] replace mail addresses 1, user names 2, computer "
            "names 2, domain names 1, IP addresses " +
                std::to_string(peers + 2) +
                ", host names 1, security identifiers 1, mailbox names 1, --redact-also terms 1 (different "
                "originals)\r\n");
    }
}

TEST(CollectTest, ARedactedZipAndItsMapAreRefusedReplacedAndTakenBackTogether) {
    const struct {
        const wchar_t *zip, *map;
    } paths[] = {{L"a.zip", L"a.map.tsv"},
                 {L"C:\\x\\B.ZIP", L"C:\\x\\B.map.tsv"},
                 {L"bundle", L"bundle.map.tsv"},
                 {L"y.zip.old", L"y.zip.old.map.tsv"}};
    for (const auto& path : paths) EXPECT_EQ(Ascii(RedactionMapPath(path.zip)), Ascii(path.map));

    FakeMachine machine;
    SettingsModel model;
    model.logDirectory = L"D:\\Logs";
    machine.files[L"KMXLog-a.log"] = {{'1', '0', '.', '1', '.', '2', '.', '3', '\n'}};
    CollectRequest request;
    request.redact = true;
    // Without FILE: a name that gives away no one.
    ASSERT_EQ(0, Collect(machine, model, request, L"1.0.0")) << Ascii(machine.err);
    EXPECT_EQ(machine.zips.count(L"KMXLogs-redacted-19800101-000000.zip"), 1u);
    EXPECT_EQ(machine.zips.count(L"KMXLogs-redacted-19800101-000000.map.tsv"), 1u);

    request.target = L"case.zip";
    machine.zips = {{L"case.map.tsv", "old map"}};
    machine.err.clear();
    EXPECT_EQ(1, Collect(machine, model, request, L"1.0.0"));
    EXPECT_NE(machine.err.find(L"case.map.tsv"), std::wstring::npos) << Ascii(machine.err);
    EXPECT_EQ(machine.zips, (std::map<std::wstring, std::string>{{L"case.map.tsv", "old map"}}));
    request.replace = true;
    ASSERT_EQ(0, Collect(machine, model, request, L"1.0.0")) << Ascii(machine.err);
    EXPECT_EQ(machine.zips.size(), 2u);
    EXPECT_NE(machine.zips.at(L"case.map.tsv").find("\t10.1.2.3\r\n"), std::string::npos);

    machine.failCommit = L"new.zip";
    request.target = L"new.zip";
    machine.err.clear();
    EXPECT_EQ(1, Collect(machine, model, request, L"1.0.0"));
    EXPECT_EQ(Ascii(machine.err), "kmxlogcfg: cannot write new.zip: access is denied\n");
    EXPECT_EQ(machine.zips.count(L"new.map.tsv") + machine.zips.count(L"new.zip"), 0u);
}

}  // namespace
}  // namespace kmx
