// The console companion's commands over an in-memory registry and in-memory
// files: exit statuses, what a refused change leaves (nothing), what an
// accepted one writes, and the export/import round trip.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "XmlReader.h"
#include "cli/CommandTable.h"
#include "formats/RegFileReader.h"
#include "formats/RegFileWriter.h"
#include "formats/PolicyTemplates.h"
#include "settings/Presets.h"
#include "settings/SettingOrders.h"
#include "cli/TimeBox.h"
#include "settings/Utf16.h"
#include "support/StoreTestSupport.h"

namespace kmx {
namespace {

using storetest::Contents;
using storetest::kLogging;
using storetest::Narrow;

class FakeHost : public CommandHost {
public:
    IRegistry& Registry() override { return registry; }
    void Out(const std::wstring& text) override { out += text; }
    void Err(const std::wstring& text) override { err += text; }
    void ApplyFactoryDefaults(SettingsModel& model) override {
        kmx::ApplyFactoryDefaults(model, storetest::kTempPath, isBes);
    }
    int IsBESKMX() override { return isBes; }
    bool DirectoryExists(const std::wstring& directory) override {
        ++directoryChecks;
        return directories.count(directory) != 0;
    }
    bool ReadFile(const std::wstring& path, std::size_t maxBytes, std::vector<std::uint8_t>* bytes,
                  std::wstring* problem) override {
        const auto file = files.find(path);
        if (file == files.end()) {
            *problem = L"not found";
            return false;
        }
        *bytes = file->second;
        if (bytes->size() > maxBytes + 1) bytes->resize(maxBytes + 1);
        return true;
    }
    bool FileExists(const std::wstring& path) override { return files.count(path) != 0; }
    bool WriteFileWhole(const std::wstring& path, const std::vector<std::uint8_t>& bytes, bool,
                        std::wstring* problem) override {
        if (!writeProblem.empty()) {
            *problem = writeProblem;
            return false;
        }
        files[path] = bytes;
        return true;
    }
    bool MakeDirectory(const std::wstring& path, std::wstring* problem) override {
        if (readOnly.count(path) != 0) {
            *problem = L"Access is denied";
            return false;
        }
        directories.insert(path);
        return true;
    }
    bool ListDirectory(const std::wstring& folder, std::vector<DirectoryEntry>* entries,
                       std::wstring* problem) override {
        const auto listed = listings.find(folder);
        if (listed == listings.end()) {
            *problem = L"not found";
            return false;
        }
        *entries = listed->second;
        return true;
    }
    bool OpenFileFacts(const std::wstring& path, std::uint64_t* size, UtcTicks* lastWritten) override {
        const auto file = opened.find(path);
        if (file == opened.end()) return false;
        *size = file->second.size;
        *lastWritten = file->second.lastWritten;
        return true;
    }
    bool FreeBytes(const std::wstring&, std::uint64_t* bytes) override {
        *bytes = freeBytes;
        return true;
    }
    UtcTicks NowUtc() override { return now; }
    std::wstring ProgramPath() override { return L"C:\\Tools\\kmxlogcfg.exe"; }
    bool LockUserState(std::wstring* problem) override {
        if (!lockFree) *problem = L"another kmxlogcfg is still at work";
        return lockFree;
    }
    std::wstring LocalTimeText(UtcTicks ticks) override { return L"local " + IsoUtc(ticks); }
    bool ScheduleExpire(UtcTicks when, std::wstring* problem) override {
        if (!schedulerWorks) *problem = L"the scheduler said no";
        task = schedulerWorks ? std::optional<UtcTicks>(when) : std::nullopt;
        return schedulerWorks;
    }
    void CancelScheduledExpire() override { task.reset(); }

    MemoryRegistry registry;
    std::wstring out, err;
    int isBes = 0;
    std::set<std::wstring> directories = {L"C:\\Temp", L"D:\\Logs"};
    std::map<std::wstring, std::vector<std::uint8_t>> files;
    std::set<std::wstring> readOnly;  // folders MakeDirectory refuses
    std::wstring writeProblem;
    int directoryChecks = 0;
    std::map<std::wstring, std::vector<DirectoryEntry>> listings;
    std::map<std::wstring, DirectoryEntry> opened;  // what a file says once open, where it opens
    std::uint64_t freeBytes = 5000000;
    UtcTicks now = 134100000000000000;  // 2025-12-12T08:00:00Z
    bool schedulerWorks = true;
    bool lockFree = true;
    std::optional<UtcTicks> task;
};

std::vector<std::uint8_t> Ansi(const std::string& text) { return {text.begin(), text.end()}; }

class CommandsTest : public ::testing::Test {
protected:
    int Run(std::vector<std::wstring> args) {
        m_host.out.clear();
        m_host.err.clear();
        return RunCommandLine(args, L"9.8.7", m_host);
    }
    // The key as the window leaves it after its first start.
    void OpenedOnce() {
        ASSERT_EQ(0, Run({L"set", L"Enabled=0"}));
        m_host.registry.ClearSetLog();
    }
    std::uint32_t Dword(const wchar_t* name) const {
        const auto value = m_host.registry.Get(kLogging, name);
        return value && value->bytes.size() == 4 ? value->bytes[0] | value->bytes[1] << 8 : 0xdead;
    }

    FakeHost m_host;
};

TEST_F(CommandsTest, CommandLinesAndTheirExitStatuses) {
    const struct {
        std::vector<std::wstring> args;
        int status;
        const wchar_t* out;  // expected in stdout
        const wchar_t* err;  // expected in stderr
    } cases[] = {
        {{}, 0, L"Usage: kmxlogcfg", L""},
        {{L"HELP"}, 0, L"Usage:", L""},
        {{L"/?"}, 0, L"Usage:", L""},
        {{L"--help"}, 0, L"Usage:", L""},
        {{L"--version"}, 0, L"kmxlogcfg 9.8.7", L""},
        {{L"frobnicate"}, 1, L"", L"unknown command"},
        {{L"show", L"--xml"}, 1, L"", L"Usage:"},
        {{L"set"}, 1, L"", L"NAME=VALUE"},
        {{L"set", L"Enabled"}, 1, L"", L"is not NAME=VALUE"},
        {{L"set", L"Enabled=2"}, 1, L"", L"a switch is 0 or 1"},
        {{L"set", L"Enabled= 1"}, 1, L"", L"a switch is 0 or 1"},
        {{L"set", L"Nosuch=1"}, 1, L"", L"is not a setting"},
        {{L"set", L"FileName=C:\\x\\y"}, 1, L"", L"LogDirectory and LogFilePrefix"},
        {{L"set", L"MaxFileSizeMB=1000"}, 1, L"", L"up to 3 digits"},
        {{L"set", L"MaxDirSizeMB=-5"}, 1, L"", L"up to 4 digits"},
        {{L"set", L"MaxAgeDays=1e3"}, 1, L"", L"up to 3 digits"},
        {{L"set", L"LogDirectory=E:\\Missing"},
         1,
         L"",
         L"Error: The specified Log File directory does not exist"},
        {{L"set", L"MaxFileSizeMB=11"},
         1,
         L"",
         L"Error: 'Max Size of KMXLogs Directory' must be at least ten"},
        {{L"preset", L"Fastest"}, 1, L"", L"is not a preset"},
        {{L"preset"}, 1, L"", L"needs a preset name"},
        {{L"disable", L"now"}, 1, L"", L"takes no arguments"},
        {{L"export"}, 1, L"", L"Usage:"},
        {{L"export", L"/y"}, 1, L"", L"export takes FILE"},  // not a file named /y
        {{L"export", L"--gpp", L"/Y"}, 1, L"", L"export --gpp takes FILE"},
        {{L"admx", L"-y"}, 1, L"", L"admx takes DIR"},
        {{L"help", L"--for", L"1h"}, 1, L"", L"help takes no arguments"},
        {{L"frobnicate", L"--for", L"1h"}, 1, L"", L"--for goes only with enable"},
        {{L"collect", L"a.zip", L"--since", L""}, 1, L"", L"--since: a DURATION is"},
        {{L"collect", L"a.zip", L"--redact-also"}, 1, L"", L"--redact-also needs the TEXT"},
        {{L"export", L"a.reg", L"--redact"}, 1, L"", L"export takes FILE"},  // collect's alone
        {{L"import", L"missing.reg"}, 1, L"", L"cannot read missing.reg"},
        {{L"gal-sync", L"--all"}, 1, L"", L"Usage:"},
    };
    // A refused change does not even remove the old switch, as loading would.
    m_host.registry.PutDword(storetest::kKorvexMachine, L"verboseLogging", 1);
    for (const auto& c : cases) {
        const std::string line = Narrow(c.args.empty() ? L"(none)" : c.args[0] + L" ...");
        const Contents before = m_host.registry.Snapshot();
        EXPECT_EQ(c.status, Run(c.args)) << line;
        EXPECT_NE(std::wstring::npos, m_host.out.find(c.out)) << line << ": " << Narrow(m_host.out);
        EXPECT_NE(std::wstring::npos, m_host.err.find(c.err)) << line << ": " << Narrow(m_host.err);
        EXPECT_EQ(before, m_host.registry.Snapshot()) << line << ": a refused command wrote";
    }
}

TEST_F(CommandsTest, AnAcceptedSetWritesAllValuesInSaveOrder) {
    EXPECT_EQ(0, Run({L"set", L"enabled=1", L"MAXFILESIZEMB=20", L"MaxDirSizeMB=200",
                      L"LogDirectory=D:\\Logs\\", L"LogFilePrefix=new", L"ThreadLanes=0"}));
    EXPECT_EQ(1, m_host.directoryChecks) << "one pass: the checks run once";
    const auto& log = m_host.registry.SetLog();
    // Loading's writes on a first start (EnableAppDump, every default), then Save's.
    ASSERT_EQ(2 * kSettingCount + 1, log.size());
    for (std::size_t n = 0; n < kSettingCount; ++n)
        EXPECT_EQ(Info(kSaveOrder[n]).name, log[log.size() - kSettingCount + n].name) << n;
    EXPECT_EQ(1u, Dword(L"Enabled"));
    EXPECT_EQ(20u, Dword(L"MaxFileSizeMB"));
    EXPECT_EQ(200u, Dword(L"MaxDirSizeMB"));
    EXPECT_EQ(0u, Dword(L"ThreadLanes"));
    EXPECT_EQ(storetest::StringValue(L"D:\\Logs\\new"), *m_host.registry.Get(kLogging, L"FileName"));

    m_host.registry.ClearSetLog();
    EXPECT_EQ(0, Run({L"set", L"MaxFileSizeMB=20"}));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"Nothing to save"));
    ASSERT_EQ(1u, m_host.registry.SetLog().size()) << "unchanged: only loading's own write";
    EXPECT_EQ(L"EnableAppDump", m_host.registry.SetLog()[0].name);
}

TEST_F(CommandsTest, ShowReadsOnlyAndJsonListsTheSettingsInSaveOrder) {
    const Contents empty = m_host.registry.Snapshot();
    EXPECT_EQ(0, Run({L"show", L"--json"}));
    EXPECT_EQ(empty, m_host.registry.Snapshot()) << "show created or wrote something";
    EXPECT_TRUE(m_host.registry.SetLog().empty());
    std::size_t at = 0;
    for (const SettingId id : kSaveOrder) {
        at = m_host.out.find(L"{\"name\": \"" + std::wstring(Info(id).name) + L"\"", at);
        ASSERT_NE(std::wstring::npos, at) << Narrow(Info(id).name);
    }
    EXPECT_NE(std::wstring::npos,
              m_host.out.find(L"\"logging\": false, \"logDirectory\": \"C:\\\\Temp\\\\\""));
    EXPECT_NE(std::wstring::npos,
              m_host.out.find(L"{\"name\": \"FileName\", \"value\": \"C:\\\\Temp\\\\kmx\", \"default\": "
                              L"\"C:\\\\Temp\\\\kmx\", \"stored\": false}"));

    OpenedOnce();
    ASSERT_EQ(0, Run({L"set", L"MaxAgeDays=30"}));
    ASSERT_TRUE(m_host.registry.Erase(kLogging, L"AreaSAX"));
    EXPECT_EQ(0, Run({L"show"}));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"MaxAgeDays              30          7 *\n"))
        << Narrow(m_host.out);
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"AreaSAX                 0           0 !\n"));
}

TEST_F(CommandsTest, PresetsSetTheirMarksAsTheButtonDoes) {
    m_host.isBes = 1;
    OpenedOnce();
    ASSERT_EQ(0, Run({L"preset", L"Full"}));
    ASSERT_EQ(0, Run({L"enable", L"default"}));
    SettingsModel expected;
    ApplyFactoryDefaults(expected, storetest::kTempPath, 1);
    ApplyPresetMarks(PresetOf(PresetId::Default), 1, expected);
    expected.value[kEnabled] = 1;
    for (const SettingInfo& info : kCatalogue)
        if (info.kind == SettingKind::Switch)
            EXPECT_EQ(static_cast<std::uint32_t>(expected.value[FindSettingByName(info.name).value()]),
                      Dword(info.name))
                << Narrow(info.name);
    EXPECT_EQ(0, Run({L"preset", L"ui-thread"}));
    EXPECT_EQ(1u, Dword(L"ThreadMain"));
    EXPECT_EQ(0u, Dword(L"ThreadAllThreads"));
    EXPECT_EQ(0, Run({L"disable"}));
    EXPECT_EQ(0u, Dword(L"Enabled"));
}

TEST_F(CommandsTest, ExportThenImportPutsEveryValueBack) {
    ASSERT_EQ(0, Run({L"set", L"Enabled=1", L"MaxDirSizeMB=2000", L"LogDirectory=D:\\Logs", L"AreaSAX=1"}));
    const Contents saved = m_host.registry.Snapshot();
    ASSERT_EQ(0, Run({L"export", L"a.reg"}));
    EXPECT_EQ(1, Run({L"export", L"a.reg"})) << "no /y: an existing file stays";
    EXPECT_NE(std::wstring::npos, m_host.err.find(L"add /y"));
    EXPECT_EQ(0, Run({L"export", L"/Y", L"a.reg"}));
    m_host.writeProblem = L"disk full";
    EXPECT_EQ(1, Run({L"export", L"b.reg"}));
    EXPECT_NE(std::wstring::npos, m_host.err.find(L"cannot write b.reg: disk full"));
    EXPECT_EQ(0u, m_host.files.count(L"b.reg"));
    m_host.writeProblem.clear();

    ASSERT_EQ(0, Run({L"reset"}));
    ASSERT_NE(saved, m_host.registry.Snapshot());
    EXPECT_EQ(0, Run({L"import", L"a.reg"})) << Narrow(m_host.err);
    EXPECT_EQ(saved, m_host.registry.Snapshot());
}

TEST_F(CommandsTest, ABadFileIsRefusedWholeWithItsLine) {
    OpenedOnce();
    const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
    const std::string key = "[HKEY_CURRENT_USER\\Software\\Korvex\\Logging]\r\n";
    const std::string ok = "\"Enabled\"=dword:00000001\r\n";
    const struct {
        std::vector<std::uint8_t> bytes;
        const wchar_t* where;  // the start of the message
    } cases[] = {
        {{}, L"b.reg:1: "},
        {{0xff, 0xfe, 'W'}, L"b.reg:1: "},
        {Ansi(key + ok), L"b.reg:1: "},
        {Ansi(header), L"b.reg:1: no [HKEY_CURRENT_USER\\Software\\Korvex\\Logging] section"},
        {Ansi(header + key + ok + "\"AreaSAX\"=\"1\r\n"), L"b.reg:5: "},
        {Ansi(header + key + "\"Enabled\"=dword:000000001\r\n"), L"b.reg:4: "},
        {Ansi(header + key + "\"Enabled\"=dword:0000000g\r\n"), L"b.reg:4: "},
        {Ansi(header + key + ok + "\"AreaSAX\"=\"1\"\r\n"), L"b.reg:5: AreaSAX must be a dword"},
        {Ansi(header + key + "\"AreaSAX\"=dword:00000002\r\n"), L"b.reg:4: AreaSAX: \"2\" is not accepted"},
        {Ansi(header + key + "\"MaxFileSizeMB\"=dword:000003e8\r\n"), L"b.reg:4: MaxFileSizeMB: \"1000\""},
        {Ansi(header + key + "\"FileName\"=dword:00000001\r\n"), L"b.reg:4: FileName must be a string"},
        {Ansi(header + key + "\"FileName\"=\"nobackslash\"\r\n"), L"b.reg:4: FileName: \"nobackslash\""},
        {Ansi(header + key + ok + "\"AreaSAX\"=-\r\n"), L"b.reg:5: deleting a value is not allowed"},
        {Ansi(header + "[-HKEY_CURRENT_USER\\Software\\Korvex\\Logging]\r\n"), L"b.reg:3: deleting a key"},
        {Ansi(header + key + "\"MaxFileSizeMB\"=dword:00000014\r\n"), L"Error: 'Max Size of KMXLogs"},
        {Ansi(header + key + "\"FileName\"=\"E:\\\\Missing\\\\kmx\"\r\n"), L"Error: The specified Log File"},
        {Ansi(header + key + std::string("\"Ena\0led\"=dword:00000001\r\n", 26)), L"b.reg:4: NUL"},
        {Ansi(header + key + "; " + std::string(kRegFileMaxBytes, 'x') + "\r\n"), L"b.reg:1: "},
    };
    const Contents before = m_host.registry.Snapshot();
    for (const auto& c : cases) {
        m_host.files[L"b.reg"] = c.bytes;
        EXPECT_EQ(1, Run({L"import", L"b.reg"})) << Narrow(c.where);
        EXPECT_EQ(0u, m_host.err.find(c.where)) << Narrow(c.where) << " got: " << Narrow(m_host.err);
        EXPECT_EQ(before, m_host.registry.Snapshot()) << Narrow(c.where);
    }
}

TEST_F(CommandsTest, ImportSkipsWhatIsNotALoggingSettingAndSaysSo) {
    OpenedOnce();
    m_host.files[L"c.reg"] = Ansi(
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Other]\n\"Enabled\"=dword:00000001\n\n"
        "[HKEY_CURRENT_USER\\Software\\Korvex\\Logging]\n\"ShowAppDump\"=dword:00000001\n"
        "\"enabled\"=dword:00000001\n\"FileName\"=\"D:\\\\Logs\\\\imp\"\n");
    EXPECT_EQ(0, Run({L"import", L"c.reg"})) << Narrow(m_host.err);
    EXPECT_NE(std::wstring::npos, m_host.err.find(L"c.reg:3: skipped [HKEY_CURRENT_USER\\Software\\Other]"));
    EXPECT_NE(std::wstring::npos, m_host.err.find(L"c.reg:7: skipped \"ShowAppDump\""));
    EXPECT_EQ(1u, Dword(L"Enabled"));
    EXPECT_FALSE(m_host.registry.Get(kLogging, L"ShowAppDump").has_value());
    EXPECT_EQ(storetest::StringValue(L"D:\\Logs\\imp"), *m_host.registry.Get(kLogging, L"FileName"));
}

TEST_F(CommandsTest, GalSyncWritesTheTriggersAndNamesThem) {
    EXPECT_EQ(0, Run({L"gal-sync", L"--full"}));
    EXPECT_NE(std::wstring::npos,
              m_host.out.find(L"Wrote HKEY_CURRENT_USER\\Software\\Korvex\\ForceGalSync_Outlook.exe = 1"));
    m_host.registry.InjectFault(MemoryRegistry::Op::Create, kErrorAccessDenied, L"HKCU\\Software\\Korvex");
    EXPECT_EQ(1, Run({L"gal-sync"}));
    EXPECT_NE(std::wstring::npos, m_host.err.find(L"Failed to create registry key Software\\Korvex"));
}

// The preferences collection holds, item by item, what export writes to a
// .reg file, also for a directory XML must escape; a text XML cannot carry
// is refused with nothing written.
TEST_F(CommandsTest, GppCollectionCarriesTheValuesOfTheRegExport) {
    const std::wstring directories[] = {L"D:\\Logs",
                                        L"D:\\A&B <C> \"q\" 'x' \u00e9\u4e2d\U0001F600\tend\r\nnext"};
    for (const std::wstring& directory : directories) {
        SCOPED_TRACE(Narrow(directory));
        m_host.directories.insert(directory);
        ASSERT_EQ(0, Run({L"set", L"Enabled=1", L"LogDirectory=" + directory, L"LogFilePrefix=p&<>",
                          L"MaxDirSizeMB=2000"}));
        ASSERT_EQ(0, Run({L"export", L"a.reg", L"/y"}));
        ASSERT_EQ(0, Run({L"export", L"--gpp", L"a.xml", L"/y"})) << Narrow(m_host.err);
        RegFileContent reg;
        RegFileError error;
        const std::vector<std::uint8_t>& regBytes = m_host.files[L"a.reg"];
        ASSERT_TRUE(ParseRegFile(regBytes.data(), regBytes.size(), &reg, &error));
        const std::vector<RegFileValue>& values = reg.sections.at(0).values;

        const std::vector<std::uint8_t>& xmlBytes = m_host.files[L"a.xml"];
        const auto collection = xmltest::Reader::Parse(std::string(xmlBytes.begin(), xmlBytes.end()));
        EXPECT_EQ(L"{53B533F5-224C-47e3-B01B-CA3B3F3FF4BF}", collection->Attr(L"clsid"));
        const auto items = collection->All(L"Registry");
        ASSERT_EQ(kSettingCount, items.size());
        ASSERT_EQ(kSettingCount, values.size());
        std::set<std::wstring> uids;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const xmltest::Element& item = *items[i];
            const xmltest::Element& properties = *item.First(L"Properties");
            EXPECT_EQ(L"{9CD4B2F4-923D-47f5-A062-E897DD1DAD50}", item.Attr(L"clsid"));
            EXPECT_EQ(L"1", item.Attr(L"removePolicy"));
            EXPECT_EQ(38u, item.Attr(L"uid").size());
            uids.insert(item.Attr(L"uid"));
            EXPECT_EQ(19u, item.Attr(L"changed").size());
            EXPECT_EQ(L"R", properties.Attr(L"action"));
            EXPECT_EQ(L"HKEY_CURRENT_USER", properties.Attr(L"hive"));
            EXPECT_EQ(L"Software\\Korvex\\Logging", properties.Attr(L"key"));
            EXPECT_EQ(values[i].name, properties.Attr(L"name"));
            if (values[i].kind == RegFileValue::Kind::Dword) {
                EXPECT_EQ(L"REG_DWORD", properties.Attr(L"type"));
                EXPECT_EQ(8u, properties.Attr(L"value").size());
                EXPECT_EQ(values[i].dword, std::stoul(properties.Attr(L"value"), nullptr, 16))
                    << Narrow(values[i].name);
            } else {
                // A text with a line break goes to the .reg file as hex(1) bytes.
                const std::wstring text =
                    values[i].kind == RegFileValue::Kind::String
                        ? values[i].text
                        : TextFromUtf16LeBytes(values[i].bytes.data(), values[i].bytes.size());
                EXPECT_EQ(L"REG_SZ", properties.Attr(L"type"));
                EXPECT_EQ(text, properties.Attr(L"value"));
                EXPECT_EQ(directory + L"\\p&<>", properties.Attr(L"value"));
            }
        }
        EXPECT_EQ(kSettingCount, uids.size());
    }

    m_host.files.erase(L"b.xml");
    m_host.directories.insert(L"D:\\bell\u0007");
    ASSERT_EQ(0, Run({L"set", L"LogDirectory=D:\\bell\u0007"}));
    EXPECT_EQ(1, Run({L"export", L"--gpp", L"b.xml"}));
    EXPECT_NE(std::wstring::npos, m_host.err.find(L"U+0007")) << Narrow(m_host.err);
    EXPECT_EQ(0u, m_host.files.count(L"b.xml"));
    EXPECT_EQ(1, Run({L"export", L"--gpp", L"a.xml"})) << "no /y: an existing file stays";
    EXPECT_EQ(1, Run({L"export", L"--gpp"}));
}

TEST_F(CommandsTest, AdmxWritesBothTemplatesOrNothing) {
    EXPECT_EQ(0, Run({L"admx", L"C:\\Out"})) << Narrow(m_host.err);
    const std::string admx = PolicyDefinitionsXml(), adml = PolicyResourcesXml();
    EXPECT_EQ(std::vector<std::uint8_t>(admx.begin(), admx.end()), m_host.files[L"C:\\Out\\KMXLogCtl.admx"]);
    EXPECT_EQ(std::vector<std::uint8_t>(adml.begin(), adml.end()),
              m_host.files[L"C:\\Out\\en-US\\KMXLogCtl.adml"]);
    EXPECT_EQ(1, Run({L"admx", L"C:\\Out\\"})) << "no /y: existing files stay";
    EXPECT_EQ(0, Run({L"admx", L"C:\\Out\\", L"/y"}));

    m_host.files.clear();
    m_host.readOnly.insert(L"C:\\Locked\\en-US");
    EXPECT_EQ(1, Run({L"admx", L"C:\\Locked"}));
    EXPECT_NE(std::wstring::npos, m_host.err.find(L"cannot create C:\\Locked\\en-US: Access is denied"));
    EXPECT_TRUE(m_host.files.empty());
    EXPECT_EQ(1, Run({L"admx"}));
}

TEST_F(CommandsTest, LogsListsThePrefixsFilesInTheFolderAndMeasuresThemReadingOnly) {
    ASSERT_EQ(0, Run({L"set", L"LogDirectory=D:\\Logs\\", L"LogFilePrefix=kmx", L"EnableMaxDirSize=1",
                      L"MaxFileSizeMB=1", L"MaxDirSizeMB=10"}));
    const UtcTicks day = 86400 * kTicksPerSecond;
    m_host.directories.insert(L"D:\\Logs\\KMXLogs");
    m_host.listings[L"D:\\Logs\\KMXLogs"] = {
        {L"kmx-20251210T095453.302-OUTLOOK.EXE-2832.log", 7000000, m_host.now - 4 * day, false, false},
        {L"KMX-20251201T000000.000-OUTLOOK.EXE-17.bak", 5000000, m_host.now - 13 * day, false, false},
        {L"kmx-old", 0, m_host.now - 40 * day, true, false},
        {L"other.log", 999, m_host.now - 90 * day, false, false},
    };
    // The connector's current file, held open since its listing's copy was
    // last brought up to date; the .bak does not open and keeps its listing.
    m_host.opened[L"D:\\Logs\\KMXLogs\\kmx-20251210T095453.302-OUTLOOK.EXE-2832.log"] = {
        L"", 8000000, m_host.now - 3600 * kTicksPerSecond};
    const Contents before = m_host.registry.Snapshot();
    ASSERT_EQ(0, Run({L"logs", L"--json"})) << Narrow(m_host.err);
    EXPECT_EQ(before, m_host.registry.Snapshot());
    EXPECT_EQ(
        L"{\"logDirectory\": \"D:\\\\Logs\", \"logFilePrefix\": \"kmx\", \"folder\": "
        L"\"D:\\\\Logs\\\\KMXLogs\", \"folderExists\": true, \"files\": ["
        L"{\"name\": \"KMX-20251201T000000.000-OUTLOOK.EXE-17.bak\", \"size\": 5000000, "
        L"\"lastWritten\": \"2025-11-29T08:00:00Z\"}, "
        L"{\"name\": \"kmx-20251210T095453.302-OUTLOOK.EXE-2832.log\", \"size\": 8000000, "
        L"\"lastWritten\": \"2025-12-12T07:00:00Z\"}], \"totalBytes\": 13000000, "
        L"\"maxDirSizeMB\": 10, \"oldest\": \"2025-11-29T08:00:00Z\", \"oldestAgeDays\": 13, "
        L"\"maxAgeDays\": 7, \"freeBytes\": 5000000}\n",
        m_host.out);
    ASSERT_EQ(0, Run({L"logs"}));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"Log files:       2, 13000000 bytes (12.4 MiB) in all\n"));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"  5000000     4.8 MiB  KMX-20251201T000000.000"));
    const struct {
        std::uint64_t bytes;
        const wchar_t* shown;
    } sizes[] = {{0, L"0 B"},           {1023, L"1023 B"},     {1024, L"1.0 KiB"},
                 {1048575, L"1.0 MiB"}, {2306867, L"2.2 MiB"}, {76450417868, L"71.2 GiB"},
                 {~0ull, L"16.0 EiB"}};
    for (const auto& size : sizes) {
        m_host.freeBytes = size.bytes;
        ASSERT_EQ(0, Run({L"logs"}));
        EXPECT_NE(std::wstring::npos, m_host.out.find(L"Free space:      " + std::to_wstring(size.bytes) +
                                                      L" bytes (" + size.shown + L")\n"))
            << Narrow(m_host.out);
    }
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"10 MB (MaxDirSizeMB), exceeded\n"));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"oldest file 13 days old"));

    // A folder that is not there yet is no failure; one that cannot be listed is.
    ASSERT_EQ(0, Run({L"set", L"EnableMaxDirSize=0", L"EnableMaxAge=0", L"LogDirectory=C:\\Temp"}));
    ASSERT_EQ(0, Run({L"logs"}));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"C:\\Temp\\KMXLogs (does not exist)\n"));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"none (EnableMaxDirSize is off)\n"));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"none (EnableMaxAge is off)\n"));
    m_host.directories.insert(L"C:\\Temp\\KMXLogs");
    EXPECT_EQ(1, Run({L"logs"}));
    EXPECT_EQ(L"kmxlogcfg: cannot list C:\\Temp\\KMXLogs: not found\n", m_host.err);
    EXPECT_EQ(1, Run({L"logs", L"--all"}));
}

// ---- check ----

// Each case starts from a key as "reset" then "enable Full" leave it, changed
// by `change`; check must answer and leave the key as it was.
TEST_F(CommandsTest, CheckComparesWithWhatSaveWouldWriteForTheBaseline) {
    using Change = std::function<void(MemoryRegistry&)>;
    const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
    const std::string key = "[HKEY_CURRENT_USER\\Software\\Korvex\\Logging]\r\n";
    m_host.files[L"other.reg"] =
        Ansi(header + "[HKEY_CURRENT_USER\\Software\\Other]\r\n\"AreaSAX\"=dword:0\r\n" + key +
             "\"ShowAppDump\"=dword:00000001\r\n\"AreaSAX\"=dword:00000001\r\n");
    m_host.files[L"bad.reg"] = Ansi(header + key + "\"AreaSAX\"=dword:00000002\r\n");
    m_host.files[L"none.reg"] = Ansi(header + key + "\"ShowAppDump\"=dword:00000001\r\n");
    const Change none = [](MemoryRegistry&) {};
    const auto put = [](const wchar_t* name, std::uint32_t type, std::vector<std::uint8_t> bytes) {
        return [=](MemoryRegistry& registry) { registry.Put(kLogging, name, type, bytes); };
    };
    const struct {
        Change change;
        std::vector<std::wstring> args;
        int status;
        const wchar_t* out;  // all of stdout; for status 2, a part of stderr
    } cases[] = {
        {none, {L"--preset", L"Full"}, 0, L"Compliant: 43 of 43 values hold what the baseline wants\n"},
        {none,
         {L"--preset", L"full", L"AreaSAX=0"},
         1,
         L"NonCompliant: 1 of 43 values differ: AreaSAX 1 (wants 0)\n"},
        {none,
         {L"AreaSAX=0", L"--preset", L"Full"},
         0,
         L"Compliant: 43 of 43 values hold what the baseline wants\n"},
        // Default's output options hold what reset left: the preset's marks.
        {none,
         {L"--preset", L"Default"},
         1,
         L"NonCompliant: 15 of 47 values differ: ThreadHTTPCallback 1 (wants 0), DetailFnDetailed 1 (wants "
         L"0), "},
        {[](MemoryRegistry& r) { r.Erase(kLogging, L"AreaSAX"); },
         {L"--preset", L"Full", L"--configmgr"},
         0,
         L"NonCompliant\n"},
        {none, {L"--configmgr", L"Enabled=1"}, 0, L"Compliant\n"},
        {[](MemoryRegistry& r) { r.Erase(kLogging, L"AreaSAX"); },
         {L"AreaSAX=1"},
         1,
         L"NonCompliant: 1 of 1 values differ: AreaSAX missing (wants 1)\n"},
        {put(L"AreaSAX", kRegSz, {'1', 0, 0, 0}),
         {L"AreaSAX=1"},
         1,
         L"NonCompliant: 1 of 1 values differ: AreaSAX \"1\" (wants 1)\n"},
        {put(L"AreaSAX", kRegBinary, {1, 0, 0, 0}),
         {L"AreaSAX=1"},
         1,
         L"NonCompliant: 1 of 1 values differ: AreaSAX REG_BINARY 01000000 (wants 1)\n"},
        {put(L"AreaSAX", kRegDword, {1, 0, 0, 0, 0, 0, 0, 0}),
         {L"AreaSAX=1"},
         1,
         L"NonCompliant: 1 of 1 values differ: AreaSAX REG_DWORD 0100000000000000 (wants 1)\n"},
        {put(L"FileName", kRegSz, {'a', 0, '\n', 0, 0, 0}),
         {L"LogFilePrefix=kmx"},
         1,
         L"NonCompliant: 1 of 1 values differ: FileName \"a<U+000A>\" (wants \"C:\\Temp\\kmx\")\n"},
        // Limits as Save writes them: empty or 0 sizes are the factory size.
        {none,
         {L"MaxFileSizeMB=", L"MaxDirSizeMB=0", L"MaxAgeDays=007", L"MaxCallDepth=100"},
         0,
         L"Compliant: 4 of 4"},
        {none, {L"MaxAgeDays="}, 1, L"NonCompliant: 1 of 1 values differ: MaxAgeDays 7 (wants 0)\n"},
        // One half of FileName keeps the other as the key holds it.
        {none,
         {L"LogDirectory=D:\\Logs\\\\", L"--preset", L"Full"},
         1,
         L"NonCompliant: 1 of 44 values differ: FileName \"C:\\Temp\\kmx\" (wants \"D:\\Logs\\kmx\")\n"},
        {none, {L"LogFilePrefix=kmx", L"LogDirectory=C:\\Temp\\"}, 0, L"Compliant: 1 of 1"},
        {none, {L"other.reg"}, 0, L"Compliant: 1 of 1"},
        {none, {L"other.reg", L"AreaSAX=0"}, 1, L"NonCompliant: 1 of 1"},
        {none,
         {L"--json", L"AreaSAX=0", L"LogDirectory=D:\\Logs", L"KeepLogging=1"},
         1,
         L"{\"_inDesiredState\": false, \"desiredState\": {\"FileName\": \"D:\\\\Logs\\\\kmx\", \"AreaSAX\": "
         L"0, "
         L"\"KeepLogging\": 1}, \"actualState\": {\"FileName\": \"C:\\\\Temp\\\\kmx\", \"AreaSAX\": 1, "
         L"\"KeepLogging\": 1}, \"differingProperties\": [\"FileName\", \"AreaSAX\"]}\n"},
        {[](MemoryRegistry& r) { r.Erase(kLogging, L"Enabled"); },
         {L"Enabled=1", L"/JSON"},
         1,
         L"{\"_inDesiredState\": false, \"desiredState\": {\"Enabled\": 1}, \"actualState\": {\"Enabled\": "
         L"null}, "
         L"\"differingProperties\": [\"Enabled\"]}\n"},
        {none, {}, 2, L"check needs a baseline"},
        {none, {L"--json"}, 2, L"check needs a baseline"},
        {none, {L"Enabled=1", L"--json", L"--configmgr"}, 2, L"not both"},
        {none, {L"--preset"}, 2, L"needs a preset name"},
        {none, {L"--preset", L"Fastest"}, 2, L"is not a preset"},
        {none, {L"Enabled=1", L"--xml"}, 2, L"does not take --xml"},
        {none, {L"/?"}, 2, L"Usage: kmxlogcfg check"},
        {none, {L"Nosuch=1"}, 2, L"is not a setting"},
        {none, {L"Enabled=2"}, 2, L"a switch is 0 or 1"},
        {none, {L"MaxFileSizeMB=1000"}, 2, L"up to 3 digits"},
        {none, {L"FileName=C:\\x\\y"}, 2, L"LogDirectory and LogFilePrefix"},
        {none, {L"missing.reg"}, 2, L"cannot read missing.reg"},
        {none, {L"bad.reg"}, 2, L"bad.reg:4: AreaSAX: \"2\" is not accepted"},
        {none, {L"none.reg"}, 2, L"names no logging setting"},
        // Last: the key stays unreadable.
        {[](MemoryRegistry& r) { r.DenyRights(kLogging, kKeyQueryValue); },
         {L"Enabled=1"},
         2,
         L"cannot read HKEY_CURRENT_USER\\Software\\Korvex\\Logging: error 5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.out));
        ASSERT_EQ(0, Run({L"reset"}));
        ASSERT_EQ(0, Run({L"enable", L"Full"}));
        c.change(m_host.registry);
        m_host.registry.ClearSetLog();
        const Contents before = m_host.registry.Snapshot();
        std::vector<std::wstring> args = {L"check"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(c.status, Run(args)) << Narrow(m_host.err);
        EXPECT_EQ(before, m_host.registry.Snapshot());
        EXPECT_TRUE(m_host.registry.SetLog().empty());
        if (c.status == 2) {
            EXPECT_EQ(L"", m_host.out);
            EXPECT_NE(std::wstring::npos, m_host.err.find(c.out)) << Narrow(m_host.err);
        } else {
            EXPECT_EQ(L"", m_host.err);
            EXPECT_EQ(0u, m_host.out.find(c.out)) << Narrow(m_host.out);
        }
    }
}

// Right after export the file is compliant; once every value holds something
// long and odd, the one line is cut to fit and still counts all 57.
TEST_F(CommandsTest, CheckFitsTheWholeKeyDifferingOnOneLineAndCreatesNothing) {
    EXPECT_EQ(1, Run({L"check", L"Enabled=0"}));
    EXPECT_EQ(L"NonCompliant: 1 of 1 values differ: Enabled missing (wants 0)\n", m_host.out);
    EXPECT_FALSE(m_host.registry.KeyExists(kLogging));

    ASSERT_EQ(0, Run({L"set", L"Enabled=1", L"MaxDirSizeMB=2000", L"LogDirectory=D:\\Logs", L"AreaSAX=1"}));
    ASSERT_EQ(0, Run({L"export", L"a.reg"}));
    EXPECT_EQ(0, Run({L"check", L"a.reg"}));
    EXPECT_EQ(L"Compliant: 57 of 57 values hold what the baseline wants\n", m_host.out);
    for (const SettingInfo& info : kCatalogue)
        m_host.registry.Put(kLogging, info.name, kRegBinary, std::vector<std::uint8_t>(300, 0xab));
    EXPECT_EQ(1, Run({L"check", L"a.reg"}));
    EXPECT_LE(m_host.out.size(), 2048u);
    EXPECT_EQ(0u, m_host.out.find(L"NonCompliant: 57 of 57 values differ: Enabled REG_BINARY abab"));
    const std::size_t more = m_host.out.rfind(L", and ");
    ASSERT_NE(std::wstring::npos, more) << Narrow(m_host.out);
    std::size_t shown = 0;
    for (std::size_t at = 0; (at = m_host.out.find(L" (wants ", at)) != std::wstring::npos; ++at) ++shown;
    EXPECT_EQ(std::to_wstring(kSettingCount - shown) + L" more\n", m_host.out.substr(more + 6));
    EXPECT_GT(m_host.out.size() + 100, 2048u) << "cut well short of the limit";
}

// ---- The time box ----

using Stored = MemoryRegistry::StoredValue;
const wchar_t kCompanion[] = L"HKCU\\Software\\Korvex\\LoggingControl";
const wchar_t kRun[] = L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class TimeBoxTest : public CommandsTest {
protected:
    std::map<std::wstring, Stored> LoggingValues() const {
        const Contents all = m_host.registry.Snapshot();
        const auto key = all.find(kLogging);
        return key == all.end() ? std::map<std::wstring, Stored>{} : key->second;
    }
    bool NoTimeBoxLeft() const {
        const Contents all = m_host.registry.Snapshot();
        const auto companion = all.find(kCompanion);
        return (companion == all.end() || companion->second.empty()) &&
               !m_host.registry.ValueExists(kRun, kLogonEntryName) && !m_host.task;
    }
    void Later(std::uint64_t seconds) { m_host.now += seconds * kTicksPerSecond; }
};

TEST_F(TimeBoxTest, TheRevertPutsBackWhatTheBoxWroteAndKeepsWhatChangedSince) {
    OpenedOnce();
    const Stored dword0 = storetest::DwordValue(0);
    const struct {
        const wchar_t* name;
        std::optional<Stored> before;  // put before the time box; nullopt: missing
        int since;                     // 0 untouched, 1 set to DWORD 5, 2 deleted, 3 set back to `before`
        bool kept;                     // ends as `since` left it, not as before
    } cases[] = {
        {L"AreaSAX", dword0, 0, false},
        {L"AreaStream", dword0, 1, true},
        {L"AreaProg", dword0, 2, true},
        {L"AreaMsgMpr", dword0, 3, false},
        {L"DetailCmntRows", std::nullopt, 0, false},
        {L"DetailCmntSAX", Stored{kRegSz, {'0', 0, 0, 0}}, 0, false},
        {L"DetailFnDetailed", Stored{kRegBinary, {0, 0, 0}}, 0, false},
        {L"DetailFnIUnknown", Stored{kRegQword, {0, 0, 0, 0, 0, 0, 0, 0}}, 0, false},
        {L"DetailFnCtorDtor", Stored{kRegDwordBigEndian, {0, 0, 0, 0}}, 0, false},
        {L"MaxAgeDays", storetest::DwordValue(7), 1, true},
        {L"Enabled", dword0, 0, false},
    };
    for (const auto& c : cases) {
        if (c.before)
            m_host.registry.Put(kLogging, c.name, c.before->type, c.before->bytes);
        else
            m_host.registry.Erase(kLogging, c.name);
    }
    const auto before = LoggingValues();
    ASSERT_EQ(0, Run({L"enable", L"Full", L"--for", L"3s"})) << Narrow(m_host.err);
    EXPECT_NE(std::wstring::npos,
              m_host.out.find(L"Time box: Full until local 2025-12-12T08:00:03Z (UTC "
                              L"2025-12-12T08:00:03Z), then back to the earlier settings.\n"));
    EXPECT_EQ(m_host.now + 3 * kTicksPerSecond, m_host.task);
    EXPECT_EQ(L"\"C:\\Tools\\kmxlogcfg.exe\" expire", m_host.registry.GetString(kRun, kLogonEntryName));
    for (const auto& c : cases)
        if (std::wstring(c.name) != L"MaxAgeDays")
            EXPECT_EQ(storetest::DwordValue(1), *m_host.registry.Get(kLogging, c.name)) << Narrow(c.name);

    for (const auto& c : cases) {
        if (c.since == 1) m_host.registry.PutDword(kLogging, c.name, 5);
        if (c.since == 2) m_host.registry.Erase(kLogging, c.name);
        if (c.since == 3) m_host.registry.Put(kLogging, c.name, c.before->type, c.before->bytes);
    }
    EXPECT_EQ(0, Run({L"expire"}));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"nothing to put back yet"));
    EXPECT_EQ(0, Run({L"show", L"--json"}));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"\"timeBox\": {\"preset\": \"Full\", \"until\": "
                                                  L"\"2025-12-12T08:00:03Z\", \"due\": false}}\n"));
    Later(3);
    EXPECT_EQ(0, Run({L"show"}));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"then back to the earlier settings (pending:"));

    // A write failing half-way leaves the time box to the next revert.
    m_host.registry.InjectFault(MemoryRegistry::Op::Set, kErrorAccessDenied, kLogging, L"DetailCmntSAX");
    EXPECT_EQ(1, Run({L"expire"}));
    EXPECT_NE(std::wstring::npos, m_host.err.find(L"could not put back DetailCmntSAX"));
    EXPECT_EQ(dword0, *m_host.registry.Get(kLogging, L"AreaSAX")) << "restored before the failure";
    EXPECT_FALSE(NoTimeBoxLeft());
    m_host.registry.ClearFaults();
    m_host.registry.InjectFault(MemoryRegistry::Op::Delete, kErrorAccessDenied, kCompanion, L"TimeBoxEnd");
    EXPECT_EQ(1, Run({L"expire"})) << "the state's removal failed: it runs again";
    m_host.registry.ClearFaults();
    EXPECT_EQ(0, Run({L"expire"})) << Narrow(m_host.err);

    auto expected = before;
    for (const auto& c : cases) {
        if (!c.kept) continue;
        if (c.since == 1) expected[c.name] = storetest::DwordValue(5);
        if (c.since == 2) expected.erase(c.name);
    }
    EXPECT_EQ(expected, LoggingValues());
    EXPECT_TRUE(NoTimeBoxLeft());
    EXPECT_EQ(0, Run({L"expire"}));
    EXPECT_EQ(L"No time box is open.\n", m_host.out);
}

TEST_F(TimeBoxTest, ASecondBoxKeepsTheFirstRecordAndAChangingCommandEndsADueBox) {
    OpenedOnce();
    const auto before = LoggingValues();
    ASSERT_EQ(0, Run({L"enable", L"--for", L"1h"}));
    ASSERT_EQ(0, Run({L"enable", L"UI", L"Thread", L"--for", L"2h"}));
    EXPECT_EQ(m_host.now + 7200 * kTicksPerSecond, m_host.task);
    Later(3600);
    EXPECT_EQ(0, Run({L"show", L"--json"}));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"\"preset\": \"UI Thread\", \"until\": "
                                                  L"\"2025-12-12T10:00:00Z\", \"due\": false}"));
    Later(3600);
    EXPECT_EQ(0, Run({L"set", L"MaxAgeDays=30"}));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"Ended the time box (UI Thread): put back"));
    auto expected = before;
    expected[L"MaxAgeDays"] = storetest::DwordValue(30);
    EXPECT_EQ(expected, LoggingValues());
    EXPECT_TRUE(NoTimeBoxLeft());

    ASSERT_EQ(0, Run({L"enable", L"--for", L"30d"}));
    EXPECT_EQ(0, Run({L"expire", L"--now"}));
    EXPECT_EQ(expected, LoggingValues());
    EXPECT_TRUE(NoTimeBoxLeft());
}

TEST_F(TimeBoxTest, BadInputAndFailuresToRecordChangeNothing) {
    OpenedOnce();
    const Contents untouched = m_host.registry.Snapshot();
    const struct {
        std::vector<std::wstring> args;
        const wchar_t* err;
    } refused[] = {
        {{L"enable", L"--for"}, L"--for needs a DURATION"},
        {{L"enable", L"Full", L"--for", L"0s"}, L"ends at once"},
        {{L"enable", L"--for", L"31d"}, L"more than 30 days"},
        {{L"enable", L"--for", L"4x"}, L"is not a DURATION"},
        {{L"enable", L"--for", L"4h", L"Full"}, L"comes last"},
        {{L"enable", L"Fastest", L"--for", L"4h"}, L"is not a preset"},
        {{L"disable", L"--for", L"1h"}, L"--for goes only with enable"},
        {{L"reset", L"--for", L"1h"}, L"--for goes only with enable"},
        {{L"import", L"a.reg", L"--for", L"1h"}, L"--for goes only with enable"},
        {{L"preset", L"Full", L"--for", L"1h"}, L"--for goes only with enable"},
        {{L"expire", L"--later"}, L"expire takes only --now"},
    };
    for (const auto& c : refused) {
        EXPECT_EQ(1, Run(c.args)) << Narrow(c.args[1]);
        EXPECT_NE(std::wstring::npos, m_host.err.find(c.err)) << Narrow(c.err) << ": " << Narrow(m_host.err);
        EXPECT_EQ(untouched, m_host.registry.Snapshot()) << Narrow(c.err);
        EXPECT_FALSE(m_host.task);
    }

    const auto before = LoggingValues();
    const struct {
        const wchar_t* key;
        const wchar_t* value;
        const wchar_t* err;
    } failures[] = {
        {kCompanion, L"", L"writing HKEY_CURRENT_USER\\Software\\Korvex\\LoggingControl\\Before.Enabled"},
        {kCompanion, L"TimeBoxEnd", L"TimeBoxEnd failed"},
        {kRun, L"", L"writing the logon entry"},
        {kCompanion, L"After.AreaSAX", L"the change was undone"},
        // The undo fails as well: the box stays, due, for the next expire.
        {kLogging, L"AreaSAX", L"could not put back AreaSAX (error 5); the time box stays open"},
    };
    for (const auto& c : failures) {
        m_host.registry.InjectFault(MemoryRegistry::Op::Set, kErrorAccessDenied, c.key, c.value);
        EXPECT_EQ(1, Run({L"enable", L"Full", L"--for", L"4h"})) << Narrow(c.err);
        m_host.registry.ClearFaults();
        EXPECT_NE(std::wstring::npos, m_host.err.find(c.err)) << Narrow(c.err) << ": " << Narrow(m_host.err);
        if (std::wstring(c.key) == kLogging) {
            EXPECT_TRUE(m_host.registry.ValueExists(kRun, kLogonEntryName));
            EXPECT_EQ(0, Run({L"expire"})) << Narrow(m_host.err);
        }
        EXPECT_EQ(before, LoggingValues()) << Narrow(c.err);
        EXPECT_TRUE(NoTimeBoxLeft()) << Narrow(c.err);
    }

    // Without the scheduler the time box still opens, and says so.
    m_host.schedulerWorks = false;
    EXPECT_EQ(0, Run({L"enable", L"Full", L"--for", L"4h"}));
    EXPECT_NE(std::wstring::npos, m_host.err.find(L"no task in the Task Scheduler (the scheduler said no)"));
    EXPECT_TRUE(m_host.registry.ValueExists(kRun, kLogonEntryName));
}

// Whatever write a process is killed at (every write after it fails), the
// next expire --now gives back exactly the key as it was before any box.
TEST_F(TimeBoxTest, KilledAtAnyWriteExpireNowGivesBackTheEarlierKey) {
    using Args = std::vector<std::wstring>;
    const struct {
        std::vector<Args> first;
        Args killed;
    } sequences[] = {
        {{}, {L"enable", L"Full", L"--for", L"1h"}},
        {{{L"enable", L"--for", L"1h"}}, {L"enable", L"UI", L"Thread", L"--for", L"2h"}},
        {{{L"enable", L"Full", L"--for", L"1h"}}, {L"expire", L"--now"}},
    };
    for (const auto& sequence : sequences) {
        for (int writes = 0;; ++writes) {
            FakeHost host;
            const auto run = [&](const Args& args) {
                host.out.clear();
                return RunCommandLine(args, L"9.8.7", host);
            };
            ASSERT_EQ(0, run({L"set", L"Enabled=0"}));
            host.registry.Put(kLogging, L"AreaSAX", kRegSz, {'0', 0, 0, 0});
            host.registry.Erase(kLogging, L"DetailCmntRows");
            const auto before = host.registry.Snapshot()[kLogging];
            for (const Args& args : sequence.first) ASSERT_EQ(0, run(args));
            host.registry.StopWritingAfter(writes);
            run(sequence.killed);
            const bool ranThrough = host.registry.WritesLeft() > 0;
            host.registry.StopWritingAfter(-1);
            const std::string where = Narrow(sequence.killed[0] + sequence.killed[1]) + " killed after " +
                                      std::to_string(writes) + " writes";
            EXPECT_EQ(0, run({L"expire", L"--now"})) << where << ": " << Narrow(host.err);
            EXPECT_EQ(before, host.registry.Snapshot()[kLogging]) << where << "\n"
                                                                  << Narrow(host.out) << Narrow(host.err);
            Contents all = host.registry.Snapshot();
            EXPECT_TRUE(all[kCompanion].empty() && !host.registry.ValueExists(kRun, kLogonEntryName))
                << where;
            if (ranThrough) break;
        }
    }
}

TEST_F(TimeBoxTest, AnUnreadableBoxFailsLoudlyAndABusyUserIsRefused) {
    OpenedOnce();
    const auto before = LoggingValues();
    ASSERT_EQ(0, Run({L"enable", L"Full", L"--for", L"1h"}));
    m_host.registry.PutDword(kCompanion, L"TimeBoxEnd", 7);
    EXPECT_EQ(0, Run({L"show"}));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"Time box:        open but unreadable (error 13)"));
    EXPECT_EQ(0, Run({L"show", L"--json"}));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"\"timeBox\": {\"unreadable\": \"error 13\"}"));
    Later(7200);
    EXPECT_EQ(1, Run({L"enable", L"--for", L"1h"})) << "a change under it is refused, not a revert";
    EXPECT_EQ(0, Run({L"set", L"MaxAgeDays=30"}));
    EXPECT_EQ(0, Run({L"set", L"MaxAgeDays=7"}));
    EXPECT_EQ(1, Run({L"expire"}));
    EXPECT_NE(std::wstring::npos, m_host.err.find(L"TimeBoxEnd is not a REG_QWORD of 8 bytes"));
    EXPECT_TRUE(m_host.registry.ValueExists(kRun, kLogonEntryName));
    EXPECT_EQ(0, Run({L"expire", L"--now"})) << Narrow(m_host.err);
    EXPECT_EQ(before, LoggingValues());
    EXPECT_TRUE(NoTimeBoxLeft());

    // A box opened by an earlier version and interrupted before it recorded
    // what its change left: every value goes back.
    ASSERT_EQ(0, Run({L"enable", L"Full", L"--for", L"1h"}));
    for (const SettingInfo& info : kCatalogue)
        m_host.registry.Erase(kCompanion, L"After." + std::wstring(info.name));
    EXPECT_EQ(0, Run({L"expire", L"--now"}));
    EXPECT_NE(std::wstring::npos, m_host.out.find(L"interrupted while its change was made"));
    EXPECT_EQ(before, LoggingValues());

    const Contents untouched = m_host.registry.Snapshot();
    m_host.lockFree = false;
    EXPECT_EQ(1, Run({L"enable", L"Full", L"--for", L"1h"}));
    EXPECT_EQ(L"kmxlogcfg: another kmxlogcfg is still at work\n", m_host.err);
    EXPECT_EQ(0, Run({L"--version"})) << "help and version need no lock";
    EXPECT_EQ(untouched, m_host.registry.Snapshot());
}

}  // namespace
}  // namespace kmx
