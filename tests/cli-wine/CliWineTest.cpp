// kmxlogcfg.exe on the real registry of the Wine prefix, started as a process
// of its own with its output on pipes: its .reg files against Wine's own reg
// and regedit, refusals that must leave the key as it was, and what it prints.
// The registry is read through the API only, value by value, type and bytes.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ConsoleRun.h"
#include "e2e/RegistryState.h"
#include "settings/SettingOrders.h"

namespace kmx {
namespace cliwine {
namespace {

using e2e::KeyContents;

const wchar_t kLoggingKeyName[] = L"HKEY_CURRENT_USER\\Software\\Korvex\\Logging";
const char kDirectoryMissing[] = "Error: The specified Log File directory does not exist\n";
const char kSizeRule[] =
    "Error: 'Max Size of KMXLogs Directory' must be at least ten times 'Max Size of Single Log File'.\n";

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                        nullptr);
    return bytes;
}

bool LoggingKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, e2e::kLoggingPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::wstring OwnDirectory() {
    wchar_t buffer[MAX_PATH] = L"";
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path(buffer, length);
    return path.erase(path.find_last_of(L"\\/") + 1);
}

std::wstring Quote(const std::wstring& text) { return L"\"" + text + L"\""; }

ConsoleResult Kmxlogcfg(const std::wstring& arguments, DWORD milliseconds = 20000) {
    return RunConsole(Quote(OwnDirectory() + L"kmxlogcfg.exe") + L" " + arguments, milliseconds);
}

std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    Drain(file, &bytes);
    CloseHandle(file);
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

bool IsUtf8(const std::string& bytes) {
    return bytes.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                static_cast<int>(bytes.size()), nullptr, 0) > 0;
}

// What a run printed, for failure messages.
std::string Transcript(const ConsoleResult& run) {
    return "exit " + std::to_string(run.exitCode) + " " + run.problem + "\nstdout: " + run.out +
           "\nstderr: " + run.err;
}

KeyContents LoggingKey() { return e2e::ReadKey(HKEY_CURRENT_USER, e2e::kLoggingPath); }

// Values in the key that are none of the 57, which the companion must leave
// alone (ShowAppDump is read, never written).
const wchar_t* const kForeignValues[] = {L"ShowAppDump", L"Note", L"Blob"};

class CliWineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        wchar_t temp[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, temp);
        s_scratch = std::wstring(temp) + L"kmx-cli-wine\\";
        // Latin-1, CJK and a character beyond the BMP (a surrogate pair).
        s_logDirectory = s_scratch + L"Pr\u00fcfung \u65e5\u672c \U0001F600";
        CreateDirectoryW(s_scratch.c_str(), nullptr);
        CreateDirectoryW(s_logDirectory.c_str(), nullptr);
    }
    static void TearDownTestSuite() {
        RemoveDirectoryW(s_logDirectory.c_str());
        RemoveDirectoryW(s_scratch.c_str());
    }
    void SetUp() override { e2e::ForgetProgramState(); }
    void TearDown() override {
        e2e::ForgetProgramState();
        for (const std::wstring& file : m_files) DeleteFileW(file.c_str());
    }

    std::wstring ScratchFile(const std::wstring& name) {
        m_files.push_back(s_scratch + name);
        return m_files.back();
    }

    // A key far from the factory settings, with the non-ASCII directory and
    // values that are not settings.
    void MakeChangedKey() {
        const ConsoleResult set = Kmxlogcfg(
            L"set Enabled=1 " + Quote(L"LogDirectory=" + s_logDirectory) +
            L" LogFilePrefix=trace MaxFileSizeMB=20 MaxDirSizeMB=999 MaxAgeDays=30 EnableMaxDirSize=1 "
            L"KeepLogging=0 AreaSAX=1 DetailFnAPI=0 ThreadMain=0 MaxCallDepth=12");
        ASSERT_EQ(set.exitCode, 0u) << Transcript(set);
        ASSERT_TRUE(e2e::WriteDword(HKEY_CURRENT_USER, e2e::kLoggingPath, L"ShowAppDump", 1));
        ASSERT_TRUE(e2e::WriteString(HKEY_CURRENT_USER, e2e::kLoggingPath, L"Note", L"left alone"));
        const BYTE blob[] = {1, 2, 0, 0xff};
        ASSERT_TRUE(e2e::WriteValue(HKEY_CURRENT_USER, e2e::kLoggingPath, L"Blob", REG_BINARY, blob, 4));
        ASSERT_EQ(LoggingKey().size(), kSettingCount + 3);
    }

    // Changes every value a reset changes, so that an import has work to do.
    void ResetAndExpectChange(const KeyContents& before) {
        const ConsoleResult reset = Kmxlogcfg(L"reset");
        ASSERT_EQ(reset.exitCode, 0u) << Transcript(reset);
        ASSERT_FALSE(e2e::Difference(before, LoggingKey()).empty());
    }

    static std::wstring s_scratch;
    static std::wstring s_logDirectory;
    std::vector<std::wstring> m_files;
};

std::wstring CliWineTest::s_scratch;
std::wstring CliWineTest::s_logDirectory;

// The lines of a UTF-16LE file after its BOM, split at CRLF; a lone LF or a
// missing BOM gives no lines.
std::vector<std::wstring> Utf16Lines(const std::string& bytes) {
    std::vector<std::wstring> lines;
    if (bytes.size() < 2 || bytes.size() % 2 != 0 || bytes.compare(0, 2, "\xff\xfe") != 0) return lines;
    std::wstring text;
    for (std::size_t i = 2; i < bytes.size(); i += 2)
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = text.find(L"\r\n", from);
        if (end == std::wstring::npos || text.find(L'\n', from) < end) return {};
        lines.push_back(text.substr(from, end - from));
        from = end + 2;
    }
    return lines;
}

TEST_F(CliWineTest, ExportThenImportPutsBackTheWholeKey) {
    ASSERT_NO_FATAL_FAILURE(MakeChangedKey());
    const KeyContents before = LoggingKey();
    const std::wstring file = ScratchFile(L"roundtrip.reg");
    const ConsoleResult exported = Kmxlogcfg(L"export " + Quote(file));
    ASSERT_EQ(exported.exitCode, 0u) << Transcript(exported);

    // regedit 5: header, blank, key, the 57 values in Save's order, blank.
    const std::vector<std::wstring> lines = Utf16Lines(ReadBytes(file));
    ASSERT_EQ(lines.size(), kSettingCount + 4);
    EXPECT_EQ(lines[0], L"Windows Registry Editor Version 5.00");
    EXPECT_EQ(lines[1], L"");
    EXPECT_EQ(lines[2], L"[" + std::wstring(kLoggingKeyName) + L"]");
    for (std::size_t i = 0; i < kSettingCount; ++i)
        EXPECT_EQ(lines[3 + i].rfind(Quote(Info(kSaveOrder[i]).name) + L"=", 0), 0u) << Utf8(lines[3 + i]);
    EXPECT_EQ(lines.back(), L"");

    ASSERT_NO_FATAL_FAILURE(ResetAndExpectChange(before));
    const ConsoleResult imported = Kmxlogcfg(L"import " + Quote(file));
    EXPECT_EQ(imported.exitCode, 0u) << Transcript(imported);
    EXPECT_EQ(e2e::Difference(before, LoggingKey()), "");
}

TEST_F(CliWineTest, WineRegAndRegeditLoadOurExportAsOurImportDoes) {
    ASSERT_NO_FATAL_FAILURE(MakeChangedKey());
    KeyContents expected = LoggingKey();
    for (const wchar_t* name : kForeignValues) expected.erase(name);
    const std::wstring file = ScratchFile(L"for-wine.reg");
    const ConsoleResult exported = Kmxlogcfg(L"export " + Quote(file));
    ASSERT_EQ(exported.exitCode, 0u) << Transcript(exported);

    // Wine's reg exits 0 even when it wrote nothing: only the key tells.
    const std::wstring importers[] = {
        Quote(OwnDirectory() + L"kmxlogcfg.exe") + L" import " + Quote(file),
        L"reg.exe import " + Quote(file),
        L"regedit.exe /S " + Quote(file),
    };
    for (const std::wstring& importer : importers) {
        SCOPED_TRACE(Utf8(importer));
        e2e::ForgetProgramState();
        const ConsoleResult run = RunConsole(importer);
        EXPECT_EQ(run.problem, "");
        EXPECT_EQ(e2e::Difference(expected, LoggingKey()), "");
    }
}

TEST_F(CliWineTest, ImportTakesWineRegExportAndNamesWhatItSkips) {
    ASSERT_NO_FATAL_FAILURE(MakeChangedKey());
    const KeyContents before = LoggingKey();
    const std::wstring file = ScratchFile(L"from-wine.reg");
    const ConsoleResult exported =
        RunConsole(L"reg.exe export HKCU\\Software\\Korvex\\Logging " + Quote(file) + L" /y");
    ASSERT_FALSE(ReadBytes(file).empty()) << Transcript(exported);

    ASSERT_NO_FATAL_FAILURE(ResetAndExpectChange(before));
    const ConsoleResult imported = Kmxlogcfg(L"import " + Quote(file));
    EXPECT_EQ(imported.exitCode, 0u) << Transcript(imported);
    for (const wchar_t* name : kForeignValues) {
        // FILE:LINE: skipped "NAME": ..., on a line of its own.
        const std::string skipped = ": skipped \"" + Utf8(name) + "\"";
        const std::size_t at = imported.err.find(skipped);
        ASSERT_NE(at, std::string::npos) << imported.err;
        const std::size_t lineStart = imported.err.rfind('\n', at) + 1;  // npos + 1 is 0
        EXPECT_EQ(imported.err.compare(lineStart, file.size() + 1, Utf8(file) + ":"), 0) << imported.err;
    }
    EXPECT_EQ(e2e::Difference(before, LoggingKey()), "");
}

struct Refusal {
    const char* label;
    const wchar_t* command;  // "import" of a file holding `values` under the logging key, or a set
    const char* values;      // from line 4 of the file
    int line;                // the line the message names; 0: the window's own text
    const char* message;
    bool emptyKey;  // refused before anything was ever saved: the key must stay absent
};

const Refusal kRefusals[] = {
    {"switch as 2 after a valid value", L"import", "\"Enabled\"=dword:00000000\r\n\"AreaSAX\"=dword:00000002",
     5, "AreaSAX: \"2\" is not accepted; a switch is 0 or 1\n", false},
    {"string for a switch", L"import", "\"AreaSAX\"=\"1\"", 4, "AreaSAX must be a dword\n", false},
    {"deleting a value that is not a setting", L"import", "\"ShowAppDump\"=-", 4,
     "deleting a value is not allowed: \"ShowAppDump\"\n", false},
    {"deleting the key", L"import",
     "\"Enabled\"=dword:00000000\r\n[-HKEY_CURRENT_USER\\Software\\Korvex\\Logging]", 5,
     "deleting a key is not allowed: [-HKEY_CURRENT_USER\\Software\\Korvex\\Logging]\n", false},
    {"limit longer than its field", L"import", "\"MaxFileSizeMB\"=dword:00002710", 4,
     "MaxFileSizeMB: \"10000\" is not accepted; the field takes up to 3 digits\n", false},
    {"not a hex digit", L"import", "\"Enabled\"=dword:0000000g", 4,
     "dword value has a character that is not a hex digit\n", false},
    {"directory missing", L"import", "\"FileName\"=\"C:\\\\no\\\\such\\\\kmx\"", 0, kDirectoryMissing, false},
    {"size rule", L"import", "\"MaxDirSizeMB\"=dword:00000005", 0, kSizeRule, false},
    {"switch as 2 on a new key", L"import", "\"AreaSAX\"=dword:00000002", 4,
     "AreaSAX: \"2\" is not accepted; a switch is 0 or 1\n", true},
    {"set: directory missing", L"set Enabled=0 LogDirectory=C:\\no\\such", nullptr, 0, kDirectoryMissing,
     false},
    {"set: one short of ten times 20", L"set MaxDirSizeMB=199", nullptr, 0, kSizeRule, false},
    {"set: size rule on a new key", L"set MaxDirSizeMB=50", nullptr, 0, kSizeRule, true},
};

TEST_F(CliWineTest, RefusalsLeaveTheKeyByteIdentical) {
    const std::wstring file = ScratchFile(L"refused.reg");
    for (const Refusal& refusal : kRefusals) {
        SCOPED_TRACE(refusal.label);
        e2e::ForgetProgramState();
        if (!refusal.emptyKey) {
            ASSERT_NO_FATAL_FAILURE(MakeChangedKey());
        }
        const KeyContents before = LoggingKey();
        std::wstring command = refusal.command;
        std::string expected = refusal.message;
        if (refusal.values != nullptr) {
            ASSERT_TRUE(WriteBytes(file, std::string("Windows Registry Editor Version 5.00\r\n\r\n[") +
                                             Utf8(kLoggingKeyName) + "]\r\n" + refusal.values + "\r\n"));
            command += L" " + Quote(file);
            if (refusal.line > 0)
                expected = Utf8(file) + ":" + std::to_string(refusal.line) + ": " + expected;
        }
        const ConsoleResult run = Kmxlogcfg(command);
        EXPECT_EQ(run.exitCode, 1u) << Transcript(run);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
        EXPECT_EQ(e2e::Difference(before, LoggingKey()), "");
        if (refusal.emptyKey) {
            EXPECT_FALSE(LoggingKeyExists());
        }
    }
}

// show --json on a pipe: UTF-8, the settings in Save's order, each with the
// value the registry holds.
std::string JsonText(const std::string& utf8) {
    std::string quoted = "\"";
    for (const char c : utf8) quoted += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return quoted + "\"";
}

std::string ShowJson() {
    const ConsoleResult shown = Kmxlogcfg(L"show --json");
    EXPECT_EQ(shown.exitCode, 0u) << Transcript(shown);
    EXPECT_TRUE(IsUtf8(shown.out)) << shown.out;
    return shown.out;
}

TEST_F(CliWineTest, ShowJsonOnAPipeIsUtf8JsonAndTheDirectorySurvivesExportAndImport) {
    ASSERT_NO_FATAL_FAILURE(MakeChangedKey());
    const std::string json = ShowJson();
    EXPECT_EQ(0u, json.find("{\"key\": " + JsonText(Utf8(kLoggingKeyName)))) << json;
    EXPECT_NE(json.find("\"logDirectory\": " + JsonText(Utf8(s_logDirectory)) + ","), std::string::npos)
        << json;
    std::size_t at = 0;
    for (const SettingId id : kSaveOrder) {
        const SettingInfo& info = Info(id);
        // A number is what the registry holds (the set above stored every one).
        const std::string stored =
            info.kind == SettingKind::FileName
                ? JsonText(Utf8(s_logDirectory + L"\\trace"))
                : std::to_string(
                      e2e::ReadDword(HKEY_CURRENT_USER, e2e::kLoggingPath, info.name).value_or(~0u));
        at = json.find("{\"name\": " + JsonText(Utf8(info.name)) + ", \"value\": " + stored + ", ", at);
        ASSERT_NE(at, std::string::npos) << Utf8(info.name) << " in order with " << stored << ": " << json;
        EXPECT_NE(json.find("\"stored\": true}", at), std::string::npos) << Utf8(info.name);
    }
    const std::string end = "], \"timeBox\": null}\n";
    EXPECT_EQ(json.substr(json.size() - end.size()), end);

    const std::wstring file = ScratchFile(L"directory.reg");
    const ConsoleResult exported = Kmxlogcfg(L"export " + Quote(file) + L" /y");
    ASSERT_EQ(exported.exitCode, 0u) << Transcript(exported);
    ASSERT_NO_FATAL_FAILURE(ResetAndExpectChange(LoggingKey()));
    const ConsoleResult imported = Kmxlogcfg(L"import " + Quote(file));
    ASSERT_EQ(imported.exitCode, 0u) << Transcript(imported);
    EXPECT_EQ(e2e::ReadString(HKEY_CURRENT_USER, e2e::kLoggingPath, L"FileName"),
              s_logDirectory + L"\\trace");
    EXPECT_NE(ShowJson().find("\"logDirectory\": " + JsonText(Utf8(s_logDirectory)) + ","),
              std::string::npos);
}

// A support case's zip of a log folder the connector is still writing: a
// non-ASCII name, an empty file, a file held open for writing, a prefix in
// other case, and what must stay out (other names, a folder). The zip and
// the folder are left in collect-journey\ beside this test, where
// check_collect_zip.py reads them back with unzip -t, Python's zipfile and
// 7z t once this suite is done, and the redacted zip with its map.
TEST_F(CliWineTest, CollectZipsTheLogFolderWhileAFileIsHeldOpenForWriting) {
    const std::wstring journey = OwnDirectory() + L"collect-journey";
    const std::wstring directory = journey + L"\\logs \u00fc";
    const std::wstring folder = directory + L"\\KMXLogs";
    for (const std::wstring& path : {journey, directory, folder, folder + L"\\kmx-folder"})
        CreateDirectoryW(path.c_str(), nullptr);
    std::string text;
    for (int line = 0; text.size() < (3 << 20); ++line)
        text += "2026-12-08 18:" + std::to_string(line % 60) + " [MainSync] line " + std::to_string(line) +
                (line % 97 == 0 ? " ann.lee@example.com at 192.168.7.9 via mx1.example.org\n" : "\n");
    ASSERT_TRUE(WriteBytes(folder + L"\\kmx-\u00dcml\u00e4ut \u65e5\u672c.log", "caf\xc3\xa9\n"));
    ASSERT_TRUE(WriteBytes(folder + L"\\kmx-empty.log", ""));
    ASSERT_TRUE(WriteBytes(folder + L"\\KMX-20071015T095453.302-OUTLOOK.EXE-2832.log", text));
    ASSERT_TRUE(WriteBytes(folder + L"\\other.log", "not ours\n"));
    // As the connector holds its current file: writing, sharing reads only.
    const HANDLE held = CreateFileW((folder + L"\\kmx-held.log").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(held, text.data(), 100000, &written, nullptr);

    const ConsoleResult set =
        Kmxlogcfg(L"set " + Quote(L"LogDirectory=" + directory) + L" LogFilePrefix=kmx");
    ASSERT_EQ(set.exitCode, 0u) << Transcript(set);
    const std::wstring zip = journey + L"\\out.zip";
    DeleteFileW(zip.c_str());
    const ConsoleResult collected = Kmxlogcfg(L"collect " + Quote(zip));
    CloseHandle(held);
    ASSERT_EQ(collected.exitCode, 0u) << Transcript(collected);
    EXPECT_EQ(collected.err, "");  // nothing skipped, and no progress line on a pipe
    EXPECT_EQ(collected.out, "Wrote " + Utf8(zip) + ": 4 log files, 0 skipped\n");

    const std::wstring redacted = journey + L"\\red.zip", map = journey + L"\\red.map.tsv";
    DeleteFileW(redacted.c_str());
    DeleteFileW(map.c_str());
    const ConsoleResult hidden = Kmxlogcfg(L"collect " + Quote(redacted) + L" --redact-also mainsync");
    ASSERT_EQ(hidden.exitCode, 0u) << Transcript(hidden);
    EXPECT_EQ(hidden.out, "Wrote " + Utf8(redacted) + ": 4 log files, 0 skipped\n" +
                              "Wrote its map back to the originals, which stays here: " + Utf8(map) + "\n");
    EXPECT_NE(GetFileAttributesW(map.c_str()), INVALID_FILE_ATTRIBUTES);

    const std::string bytes = ReadBytes(zip);
    const ConsoleResult again = Kmxlogcfg(L"collect " + Quote(zip) + L" --since 1h");
    EXPECT_EQ(again.exitCode, 1u) << Transcript(again);
    EXPECT_EQ(ReadBytes(zip), bytes);
    const ConsoleResult intoFolder = Kmxlogcfg(L"collect " + Quote(folder + L"\\in.zip"));
    EXPECT_EQ(intoFolder.exitCode, 1u) << Transcript(intoFolder);
    EXPECT_EQ(GetFileAttributesW((folder + L"\\in.zip").c_str()), INVALID_FILE_ATTRIBUTES);
    const ConsoleResult badSince = Kmxlogcfg(L"collect " + Quote(zip) + L" /y --since 0s");
    EXPECT_EQ(badSince.exitCode, 1u) << Transcript(badSince);
    const ConsoleResult noFolder = Kmxlogcfg(L"set " + Quote(L"LogDirectory=" + journey));
    ASSERT_EQ(noFolder.exitCode, 0u) << Transcript(noFolder);
    const ConsoleResult nothing = Kmxlogcfg(L"collect " + Quote(zip) + L" /y");
    EXPECT_EQ(nothing.exitCode, 1u) << Transcript(nothing);
    EXPECT_EQ(ReadBytes(zip), bytes);
    WIN32_FIND_DATAW found;
    const HANDLE leftovers = FindFirstFileW((journey + L"\\*.tmp").c_str(), &found);
    EXPECT_EQ(leftovers, INVALID_HANDLE_VALUE) << Utf8(found.cFileName);
    if (leftovers != INVALID_HANDLE_VALUE) FindClose(leftovers);
}

// Killed while it writes the zip (a script's timeout, sign-out, kill -9):
// nothing may stay in the target folder, not even the temporary file.
TEST_F(CliWineTest, CollectKilledWhileWritingLeavesNothingBehind) {
    const std::wstring directory = s_scratch + L"killed logs";
    const std::wstring folder = directory + L"\\KMXLogs";
    const std::wstring target = s_scratch + L"killed target";
    for (const std::wstring& path : {directory, folder, target}) CreateDirectoryW(path.c_str(), nullptr);
    std::string text;
    for (int line = 0; text.size() < (8 << 20); ++line)
        text += "2026-12-08 18:" + std::to_string(line % 60) + " [MainSync] item " +
                std::to_string(line * 7919 % 100003) + " of " + std::to_string(line) + "\n";
    std::vector<std::wstring> logs;
    for (int i = 0; i < 6; ++i) {
        logs.push_back(folder + L"\\kmx-" + std::to_wstring(i) + L".log");
        ASSERT_TRUE(WriteBytes(logs.back(), text));
    }
    ASSERT_EQ(Kmxlogcfg(L"set " + Quote(L"LogDirectory=" + directory) + L" LogFilePrefix=kmx").exitCode, 0u);

    std::wstring line =
        Quote(OwnDirectory() + L"kmxlogcfg.exe") + L" collect " + Quote(target + L"\\out.zip");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                               nullptr, &startup, &process));
    // Caught in the act: the temporary file has some of the zip in it.
    bool writing = false;
    for (int wait = 0; !writing && wait < 2000; ++wait) {
        if (WaitForSingleObject(process.hProcess, 5) == WAIT_OBJECT_0) break;
        WIN32_FIND_DATAW entry;
        const HANDLE search = FindFirstFileW((target + L"\\*.tmp").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) continue;
        FindClose(search);
        writing = entry.nFileSizeLow > (1 << 20);
    }
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (const std::wstring& log : logs) DeleteFileW(log.c_str());
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW(directory.c_str());
    EXPECT_TRUE(writing) << "collect was not seen writing";

    // The wineserver lets the file go as it closes the dead process's handles.
    bool empty = false;
    std::string left;
    for (int wait = 0; !empty && wait < 100; ++wait) {
        WIN32_FIND_DATAW entry;
        const HANDLE search = FindFirstFileW((target + L"\\*").c_str(), &entry);
        ASSERT_NE(search, INVALID_HANDLE_VALUE);
        left.clear();
        do {
            if (std::wstring(entry.cFileName) != L"." && std::wstring(entry.cFileName) != L"..")
                left += Utf8(entry.cFileName) + " ";
        } while (FindNextFileW(search, &entry));
        FindClose(search);
        empty = left.empty();
        if (!empty) Sleep(20);
    }
    EXPECT_TRUE(empty) << "left behind: " << left;
    EXPECT_TRUE(RemoveDirectoryW(target.c_str()));
}

// The zip into a case folder (given with or without its trailing
// backslash, under its default name); never into the log folder, however
// that is spelled; and none at all when not one log file can be read.
TEST_F(CliWineTest, CollectIntoAFolderButNotIntoTheLogFolderNorWithoutOneReadableFile) {
    const std::wstring directory = s_scratch + L"target logs";
    const std::wstring folder = directory + L"\\KMXLogs";
    const std::wstring plain = s_scratch + L"case plain", slashed = s_scratch + L"case slashed";
    // Empties a folder of files (a failed run's too) and removes it.
    const auto remove = [](const std::wstring& path, std::string* names) {
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
                *names += Utf8(found.cFileName) + " ";
                DeleteFileW((path + L"\\" + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path.c_str());
    };
    std::string names;
    for (const std::wstring& path : {folder, plain, slashed}) remove(path, &names);
    for (const std::wstring& path : {directory, folder, plain, slashed})
        CreateDirectoryW(path.c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(folder + L"\\kmx-1.log", "one\n"));
    ASSERT_EQ(Kmxlogcfg(L"set " + Quote(L"LogDirectory=" + directory) + L" LogFilePrefix=kmx").exitCode, 0u);

    // Each folder receives one KMXLogs-*.zip.
    for (const std::wstring& argument : {Quote(plain), Quote(slashed + L"\\\\")}) {
        const ConsoleResult collected = Kmxlogcfg(L"collect " + argument);
        EXPECT_EQ(collected.exitCode, 0u) << Transcript(collected);
        const std::wstring target = argument == Quote(plain) ? plain : slashed;
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((target + L"\\KMXLogs-*.zip").c_str(), &found);
        ASSERT_NE(search, INVALID_HANDLE_VALUE) << Utf8(argument);
        EXPECT_FALSE(FindNextFileW(search, &found)) << Utf8(found.cFileName);
        FindClose(search);
        EXPECT_NE(collected.out.find("Wrote " + Utf8(target) + "\\KMXLogs-"), std::string::npos)
            << collected.out;
    }

    const std::wstring spellings[] = {
        folder,
        folder + L"\\",
        L"\\\\?\\" + folder + L"\\in.zip",
        directory + L"\\kmxLOGS\\in.zip",
        directory + L"\\KMXLogs.\\in.zip",
        directory + L"\\.\\KMXLogs\\..\\KMXLogs\\in.zip",
    };
    for (const std::wstring& spelling : spellings) {
        const ConsoleResult refused =
            Kmxlogcfg(L"collect " + Quote(spelling + (spelling.back() == L'\\' ? L"\\" : L"")));
        EXPECT_EQ(refused.exitCode, 1u) << Utf8(spelling) << "\n" << Transcript(refused);
        EXPECT_EQ(refused.err, "kmxlogcfg: the zip cannot go into the log folder " + Utf8(folder) + "\n")
            << Utf8(spelling);
    }

    // The connector's file held without sharing: nothing to collect.
    const HANDLE held =
        CreateFileW((folder + L"\\kmx-1.log").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const ConsoleResult unreadable = Kmxlogcfg(L"collect " + Quote(plain + L"\\none.zip"));
    CloseHandle(held);
    EXPECT_EQ(unreadable.exitCode, 1u) << Transcript(unreadable);
    EXPECT_NE(unreadable.err.find("kmxlogcfg: skipped kmx-1.log: "), std::string::npos) << unreadable.err;
    EXPECT_NE(
        unreadable.err.find("no zip written: no log file in " + Utf8(folder) + " could be read (1 skipped)"),
        std::string::npos)
        << unreadable.err;

    names.clear();
    remove(folder, &names);
    EXPECT_EQ(names, "kmx-1.log ");
    for (const std::wstring& path : {plain, slashed}) {
        names.clear();
        remove(path, &names);
        EXPECT_EQ(names.rfind("KMXLogs-", 0), 0u) << names;
        EXPECT_EQ(names.find(".zip "), names.size() - 5) << names;  // one zip, no temporary file
    }
    RemoveDirectoryW(directory.c_str());
}

TEST_F(CliWineTest, LogsListsThePrefixsFilesInTheLogFolder) {
    ASSERT_EQ(Kmxlogcfg(L"set " + Quote(L"LogDirectory=" + s_logDirectory) + L" LogFilePrefix=kmx").exitCode,
              0u);
    const std::wstring folder = s_logDirectory + L"\\KMXLogs\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    CreateDirectoryW((folder + L"kmx-folder").c_str(), nullptr);
    for (const auto& file : {std::make_pair(L"kmx-1.log", "12345"), std::make_pair(L"KMX-2.bak", "678"),
                             std::make_pair(L"other.log", "9")})
        ASSERT_TRUE(WriteBytes(
            ScratchFile(s_logDirectory.substr(s_scratch.size()) + L"\\KMXLogs\\" + file.first), file.second));
    const ConsoleResult logs = Kmxlogcfg(L"logs --json");
    RemoveDirectoryW((folder + L"kmx-folder").c_str());
    for (const std::wstring& file : m_files) DeleteFileW(file.c_str());
    m_files.clear();
    RemoveDirectoryW(folder.c_str());
    ASSERT_EQ(logs.exitCode, 0u) << Transcript(logs);
    EXPECT_NE(logs.out.find("\"folderExists\": true, \"files\": [{\"name\": \"KMX-2.bak\", \"size\": 3, "),
              std::string::npos)
        << logs.out;
    EXPECT_NE(logs.out.find("{\"name\": \"kmx-1.log\", \"size\": 5, \"lastWritten\": \"20"),
              std::string::npos)
        << logs.out;
    EXPECT_NE(logs.out.find("}], \"totalBytes\": 8, "), std::string::npos) << logs.out;
    EXPECT_EQ(logs.out.find("other.log"), std::string::npos) << logs.out;
    EXPECT_NE(logs.out.find("\"freeBytes\": "), logs.out.find("\"freeBytes\": null")) << logs.out;
}

// check as a detection script runs it: one line on stdout, nothing on
// stderr, 0 compliant, 1 drift, 2 when it cannot check; the key as it was
// (or still absent) after every run.
TEST_F(CliWineTest, CheckAnswersWithItsExitStatusAndNeverWrites) {
    const std::wstring file = ScratchFile(L"baseline.reg");
    const struct {
        const wchar_t* before;  // a kmxlogcfg command run first, if any
        std::wstring check;
        DWORD status;
        std::string out;  // the start of stdout (status 2: of stderr)
    } steps[] = {
        {nullptr, L"--preset Full", 1, "NonCompliant: 43 of 43 values differ: Enabled missing (wants 1), "},
        {L"enable Full", L"--preset Full", 0, "Compliant: 43 of 43 values hold what the baseline wants\n"},
        {L"set AreaSAX=0", L"--preset Full", 1, "NonCompliant: 1 of 43 values differ: AreaSAX 0 (wants 1)\n"},
        {nullptr, L"--configmgr --preset Full", 0, "NonCompliant\n"},
        {nullptr, L"--preset Full AreaSAX=0 --json", 0, "{\"_inDesiredState\": true, \"desiredState\": {"},
        {nullptr, L"--json MaxAgeDays=30 EnableMaxAge=0", 1,
         "{\"_inDesiredState\": false, \"desiredState\": {\"MaxAgeDays\": 30, \"EnableMaxAge\": 0}, "
         "\"actualState\": {\"MaxAgeDays\": 7, \"EnableMaxAge\": 1}, "
         "\"differingProperties\": [\"MaxAgeDays\", \"EnableMaxAge\"]}\n"},
        {L"export", Quote(file), 0, "Compliant: 57 of 57 values hold what the baseline wants\n"},
        {nullptr, Quote(file) + L" --preset Full", 1,
         "NonCompliant: 1 of 57 values differ: AreaSAX 0 (wants 1)\n"},
        {nullptr, L"--preset Fastest", 2, "kmxlogcfg: \"Fastest\" is not a preset"},
        {nullptr, L"Enabled=2 --configmgr", 2, "kmxlogcfg: Enabled: \"2\" is not accepted"},
        {nullptr, Quote(file + L".missing"), 2, "kmxlogcfg: cannot read "},
        {nullptr, L"", 2, "kmxlogcfg: check needs a baseline\n"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(Utf8(step.check));
        if (step.before != nullptr) {
            const std::wstring before =
                step.before + (step.before == std::wstring(L"export") ? L" " + Quote(file) : L"");
            ASSERT_EQ(Kmxlogcfg(before).exitCode, 0u) << Utf8(before);
        }
        const bool existed = LoggingKeyExists();
        const KeyContents key = LoggingKey();
        const ConsoleResult run = Kmxlogcfg(L"check " + step.check);
        EXPECT_EQ(run.exitCode, step.status) << Transcript(run);
        const std::string& answer = step.status == 2 ? run.err : run.out;
        EXPECT_EQ(answer.compare(0, step.out.size(), step.out), 0) << Transcript(run);
        EXPECT_EQ(step.status == 2 ? run.out : run.err, "") << Transcript(run);
        if (step.status != 2) {
            EXPECT_EQ(answer.find('\n'), answer.size() - 1) << Transcript(run);
        }
        EXPECT_EQ(e2e::Difference(key, LoggingKey()), "");
        EXPECT_EQ(existed, LoggingKeyExists());
    }
}

// Two time boxes opened at the same moment by two processes: one waits for
// the other, so the record is the key before both, and one expire --now
// gives that key back.
TEST_F(CliWineTest, TwoTimeBoxesAtOnceRevertToTheKeyBeforeBoth) {
    MakeChangedKey();
    const KeyContents before = LoggingKey();
    // Each waits for Wine's Task Scheduler, which does not answer: the second
    // waits for the first as well.
    {
        ConsoleResult first, second;
        std::thread a([&] { first = Kmxlogcfg(L"enable Full --for 1h", 60000); });
        std::thread b([&] { second = Kmxlogcfg(L"enable UI Thread --for 2h", 60000); });
        a.join();
        b.join();
        EXPECT_EQ(first.exitCode, 0u) << Transcript(first);
        EXPECT_EQ(second.exitCode, 0u) << Transcript(second);
        const ConsoleResult expire = Kmxlogcfg(L"expire --now", 60000);
        EXPECT_EQ(expire.exitCode, 0u) << Transcript(expire);
        EXPECT_EQ(e2e::Difference(before, LoggingKey()), "");
        EXPECT_EQ(Kmxlogcfg(L"expire --now", 60000).out, "No time box is open.\n");
    }
}

}  // namespace
}  // namespace cliwine
}  // namespace kmx
