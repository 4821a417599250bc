// Every registry call of loading, saving, the GAL triggers, the variant flag
// and the proxy read failing in turn, with each of several statuses: a clean
// run tells which calls a scenario makes, then each call is made to fail and
// the outcome is compared with what that failure must give. Nothing may be
// lost or reported wrongly, and every key opened must be closed (a key whose
// own close failed is the one allowed to stay open).
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "kvxshared/KvxShared.h"
#include "settings/GalSync.h"
#include "settings/IsBESFromRegistry.h"
#include "settings/Loader.h"
#include "settings/ReadIEProxyServer.h"
#include "settings/RegistryOps.h"
#include "settings/Saver.h"
#include "support/MemoryRegistry.h"
#include "support/StoreTestSupport.h"

namespace kmx {
namespace {

using namespace storetest;
using Op = MemoryRegistry::Op;
using Texts = std::vector<std::wstring>;

// Access denied, not found, more data, and one with no special meaning.
const RegStatus kStatuses[] = {kErrorAccessDenied, kErrorFileNotFound, kErrorMoreData, 1};

// Indexed by MemoryRegistry::Op.
const char* const kOpNames[] = {"Open", "Create", "Query", "Set", "Delete", "Close"};

struct Fault {
    Op op;
    std::wstring key;    // hive-rooted, as the fault is injected
    std::wstring value;  // empty for Open, Create and Close
    int nth;
    RegStatus status;

    bool Is(Op o, const std::wstring& k, const std::wstring& v = L"") const {
        return op == o && key == k && value == v;
    }
    std::string Label() const {
        return std::string(kOpNames[static_cast<int>(op)]) + " " + Narrow(key) +
               (value.empty() ? "" : " \\ " + Narrow(value)) + " #" + std::to_string(nth) + " -> " +
               std::to_string(status);
    }
};

std::ostream& operator<<(std::ostream& out, const Fault& fault) { return out << fault.Label(); }

// Passes every call on to the in-memory registry and notes the operation,
// the key as a hive-rooted path and the value name; also which keys were
// opened and never handed to CloseKey.
class CallRecorder : public IRegistry {
public:
    struct Call {
        Op op;
        std::wstring key;
        std::wstring value;
    };

    explicit CallRecorder(MemoryRegistry& store) : m_store(store) {}

    // A key opened before recording started, which the scenario is to close.
    void Adopt(RegKey key, const std::wstring& path) {
        m_paths[key] = path;
        m_unclosed[key] = path;
    }

    RegStatus OpenKey(RegKey parent, const std::wstring& path, std::uint32_t rights,
                      RegKey* result) override {
        const std::wstring full = PathOf(parent) + L"\\" + path;
        m_calls.push_back({Op::Open, full, L""});
        const RegStatus status = m_store.OpenKey(parent, path, rights, result);
        if (status == kErrorSuccess) Adopt(*result, full);
        return status;
    }
    RegStatus CreateKey(RegKey parent, const std::wstring& path, std::uint32_t rights, RegKey* result,
                        std::uint32_t* disposition) override {
        const std::wstring full = PathOf(parent) + L"\\" + path;
        m_calls.push_back({Op::Create, full, L""});
        const RegStatus status = m_store.CreateKey(parent, path, rights, result, disposition);
        if (status == kErrorSuccess) Adopt(*result, full);
        return status;
    }
    RegStatus QueryValue(RegKey key, const std::wstring& name, std::uint8_t* data,
                         std::uint32_t* size) override {
        m_calls.push_back({Op::Query, PathOf(key), name});
        return m_store.QueryValue(key, name, data, size);
    }
    RegStatus QueryTypedValue(RegKey key, const std::wstring& name, std::uint32_t* type, std::uint8_t* data,
                              std::uint32_t* size) override {
        m_calls.push_back({Op::Query, PathOf(key), name});
        return m_store.QueryTypedValue(key, name, type, data, size);
    }
    RegStatus SetValue(RegKey key, const std::wstring& name, std::uint32_t type, const std::uint8_t* data,
                       std::uint32_t size) override {
        m_calls.push_back({Op::Set, PathOf(key), name});
        return m_store.SetValue(key, name, type, data, size);
    }
    RegStatus DeleteValue(RegKey key, const std::wstring& name) override {
        m_calls.push_back({Op::Delete, PathOf(key), name});
        return m_store.DeleteValue(key, name);
    }
    RegStatus CloseKey(RegKey key) override {
        m_calls.push_back({Op::Close, PathOf(key), L""});
        m_unclosed.erase(key);
        return m_store.CloseKey(key);
    }

    const std::vector<Call>& Calls() const { return m_calls; }
    const std::map<RegKey, std::wstring>& Unclosed() const { return m_unclosed; }

private:
    std::wstring PathOf(RegKey key) const {
        if (key == kHkeyCurrentUser) return L"HKCU";
        if (key == kHkeyLocalMachine) return L"HKLM";
        const auto found = m_paths.find(key);
        return found == m_paths.end() ? L"(bad handle)" : found->second;
    }

    MemoryRegistry& m_store;
    std::vector<Call> m_calls;
    std::map<RegKey, std::wstring> m_paths;
    std::map<RegKey, std::wstring> m_unclosed;
};

// Runs a scenario once cleanly and then once per recorded call and status
// with that call failing, handing each faulted outcome to check. A scenario
// has Arrange(MemoryRegistry&) and Run(MemoryRegistry&, CallRecorder&); a
// fresh one is made for every run.
template <typename Make, typename Check>
int InjectEveryFault(const Make& make, Mismatches& mismatches, const Check& check) {
    MemoryRegistry cleanStore;
    auto cleanScenario = make();
    cleanScenario.Arrange(cleanStore);
    CallRecorder cleanRecorder(cleanStore);
    const auto clean = cleanScenario.Run(cleanStore, cleanRecorder);
    EXPECT_EQ(0, cleanStore.OpenHandleCount()) << "clean run";
    EXPECT_TRUE(cleanRecorder.Unclosed().empty()) << "clean run";

    // Each (operation, key, value) with the number of its calls, in the order first made.
    std::vector<std::pair<std::tuple<Op, std::wstring, std::wstring>, int>> targets;
    for (const CallRecorder::Call& call : cleanRecorder.Calls()) {
        const auto target = std::make_tuple(call.op, call.key, call.value);
        auto found = targets.begin();
        while (found != targets.end() && found->first != target) ++found;
        if (found == targets.end()) {
            targets.push_back({target, 1});
        } else {
            ++found->second;
        }
    }

    int injected = 0;
    for (const auto& target : targets) {
        for (int nth = 1; nth <= target.second; ++nth) {
            for (RegStatus status : kStatuses) {
                const Fault fault{std::get<0>(target.first), std::get<1>(target.first),
                                  std::get<2>(target.first), nth, status};
                MemoryRegistry store;
                auto scenario = make();
                scenario.Arrange(store);
                const Contents before = store.Snapshot();
                store.InjectFault(fault.op, fault.status, fault.key, fault.value, fault.nth);
                CallRecorder recorder(store);
                const auto got = scenario.Run(store, recorder);
                check(fault, before, clean, got);

                mismatches.Check(recorder.Unclosed().empty(), fault, [&] {
                    return "never closed: " + Narrow(recorder.Unclosed().begin()->second);
                });
                const int stillOpen = fault.op == Op::Close ? 1 : 0;
                mismatches.Check(store.OpenHandleCount() == stillOpen, fault, [&] {
                    return std::to_string(store.OpenHandleCount()) + " keys open at the end";
                });
                ++injected;
            }
        }
    }
    return injected;
}

// Sets or removes one value of an expected store.
void Expect(Contents& contents, const std::wstring& key, const std::wstring& name,
            const std::optional<MemoryRegistry::StoredValue>& value) {
    if (value) {
        contents[key][name] = *value;
    } else {
        contents[key].erase(name);
    }
}

std::optional<MemoryRegistry::StoredValue> ValueIn(const Contents& contents, const std::wstring& key,
                                                   const std::wstring& name) {
    const auto found = contents.find(key);
    if (found == contents.end()) return std::nullopt;
    const auto value = found->second.find(name);
    if (value == found->second.end()) return std::nullopt;
    return value->second;
}

// ---- Loading ----

enum class LoggingKey { Complete, Missing, Mixed };

// What a load reports, without the key it holds.
struct LoadSummary {
    bool complete = false;
    bool keyHeld = false;
    bool oldSwitchRefused = false;
    AppDumpBox appDumpBox = AppDumpBox::NotRead;
};

struct LoadRun {
    LoadSummary result;
    SettingsModel model;
    Contents contents;
};

SettingsModel FactoryModel() {
    SettingsModel model;
    ApplyFactoryDefaults(model, kTempPath, 0);
    RecordFactoryValues(model);
    return model;
}

// Loading from one of three logging keys, with the old switch present:
// Complete holds every setting readable and not at its default, ShowAppDump 1;
// Missing is a first start; Mixed has every other setting unreadable (too
// long or a QWORD), FileName too long, no ShowAppDump and EnableAppDump 1.
struct LoadScenario {
    LoggingKey logging;

    void Arrange(MemoryRegistry& store) const {
        store.PutDword(kKorvexMachine, L"verboseLogging", 1);
        store.PutDword(kKorvexMachine, L"isBES", 0);
        if (logging == LoggingKey::Missing) return;
        for (std::size_t i = 0; i < kSettingCount; ++i) {
            const SettingInfo& info = kCatalogue[i];
            const bool unreadable = logging == LoggingKey::Mixed && i % 2 == 1;
            if (info.kind == SettingKind::FileName) {
                store.PutString(kLogging, info.name,
                                unreadable ? L"D:\\" + std::wstring(300, L'x') : L"D:\\Logs\\kmx");
            } else if (unreadable) {
                store.Put(kLogging, info.name, i % 4 == 1 ? kRegQword : kRegSz, {1, 0, 0, 0, 0, 0, 0, 0});
            } else {
                const std::int32_t v =
                    info.kind == SettingKind::Limit ? info.factoryDefault + 5 : !info.factoryDefault;
                store.PutDword(kLogging, info.name, static_cast<std::uint32_t>(v));
            }
        }
        if (logging == LoggingKey::Complete) store.PutDword(kLogging, L"ShowAppDump", 1);
        store.PutDword(kLogging, L"EnableAppDump", 1);
        store.PutString(kLogging, L"Unrelated", L"keep");
    }

    LoadRun Run(MemoryRegistry& store, CallRecorder& registry) const {
        LoadRun run{LoadSummary{}, FactoryModel(), {}};
        {
            // The result holds the logging key and closes it when it goes.
            const LoadResult result = LoadSettings(registry, run.model);
            run.result = {result.complete, static_cast<bool>(result.loaded.key),
                          result.loaded.oldSwitchRefused, result.appDumpBox};
        }
        run.contents = store.Snapshot();
        return run;
    }
};

// A setting back at its factory value, in the model and (as loading writes
// it) in the expected store.
void ExpectDefault(LoadRun& expected, SettingId id) {
    const SettingInfo& info = Info(id);
    if (info.kind == SettingKind::FileName) {
        expected.model.logDirectory = L"C:\\Temp";
        expected.model.logFilePrefix = L"kmx";
        expected.model.recordedFileName = L"C:\\Temp\\kmx";
        expected.contents[kLogging][info.name] = StringValue(L"C:\\Temp\\kmx");
        return;
    }
    if (info.kind == SettingKind::Limit) {
        expected.model.SetLimit(id, info.factoryDefault);
        expected.model.recordedText[id] = expected.model.text[id];
    } else {
        expected.model.value[id] = info.factoryDefault;
    }
    expected.model.recordedValue[id] = expected.model.value[id];
    expected.contents[kLogging][info.name] = DwordValue(static_cast<std::uint32_t>(info.factoryDefault));
}

// What loading gives when `fault` hits, worked out from the clean run.
LoadRun ExpectedLoad(const Fault& fault, const Contents& before, const LoadRun& clean) {
    LoadRun expected = clean;
    if (fault.op == Op::Close) return expected;  // the work is done by then
    const auto oldSwitch = ValueIn(before, kKorvexMachine, L"verboseLogging");
    if (fault.key == kKorvexMachine) {
        // The old switch stays; only a refused delete or write-open is remembered.
        Expect(expected.contents, kKorvexMachine, L"verboseLogging", oldSwitch);
        const bool writeStep = fault.op == Op::Delete || (fault.op == Op::Open && fault.nth == 2);
        expected.result.oldSwitchRefused = writeStep && fault.status == kErrorAccessDenied;
        return expected;
    }
    if (fault.Is(Op::Create, kLogging)) {
        // Nothing read or written, the model keeps the factory values.
        expected.result = LoadSummary{};
        expected.model = FactoryModel();
        expected.contents = before;
        Expect(expected.contents, kKorvexMachine, L"verboseLogging", std::nullopt);  // that step came first
        return expected;
    }
    if (fault.Is(Op::Query, kLogging, L"ShowAppDump")) {
        // Unread counts as 0: the box is hidden and EnableAppDump is set to 0.
        expected.result.appDumpBox = AppDumpBox::Hidden;
        expected.model.value[kEnableAppDump] = 0;
        expected.model.recordedValue[kEnableAppDump] = 0;
        expected.contents[kLogging][L"EnableAppDump"] = DwordValue(0);
        return expected;
    }
    if (fault.op == Op::Query) {
        ExpectDefault(expected, *FindSettingByName(fault.value));
        return expected;
    }
    if (fault.op == Op::Set) {
        // A default that could not be written is simply missing, the model
        // keeps it. EnableAppDump's reset is the exception: when it fails, the
        // stored value is read like any other (or, missing, gets its default
        // written after all).
        const auto stored = ValueIn(before, kLogging, fault.value);
        if (fault.value == L"EnableAppDump" && fault.nth == 1) {
            if (stored) {
                expected.model.value[kEnableAppDump] = 1;
                expected.model.recordedValue[kEnableAppDump] = 1;
                Expect(expected.contents, kLogging, fault.value, stored);
            }
            return expected;
        }
        Expect(expected.contents, kLogging, fault.value, stored);
    }
    return expected;
}

void CompareLoads(const LoadRun& expected, const LoadRun& got, const Fault& fault, Mismatches& mismatches) {
    const LoadSummary& e = expected.result;
    const LoadSummary& g = got.result;
    mismatches.Check(e.complete == g.complete && e.keyHeld == g.keyHeld, fault, [&] {
        return std::string("loaded ") + (g.complete ? "yes" : "no") + ", expected " +
               (e.complete ? "yes" : "no");
    });
    mismatches.Check(e.oldSwitchRefused == g.oldSwitchRefused, fault, "wrong old-switch flag");
    mismatches.Check(e.appDumpBox == g.appDumpBox, fault, "wrong calendar tracking box state");
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const bool same = expected.model.value[i] == got.model.value[i] &&
                          expected.model.text[i] == got.model.text[i] &&
                          expected.model.recordedValue[i] == got.model.recordedValue[i] &&
                          expected.model.recordedText[i] == got.model.recordedText[i];
        mismatches.Check(same, fault, [&] {
            return Narrow(kCatalogue[i].name) + " is " + std::to_string(got.model.value[i]) + ", expected " +
                   std::to_string(expected.model.value[i]);
        });
    }
    mismatches.Check(expected.model.logDirectory == got.model.logDirectory &&
                         expected.model.logFilePrefix == got.model.logFilePrefix &&
                         expected.model.recordedFileName == got.model.recordedFileName,
                     fault, [&] { return "the file name is " + Narrow(got.model.recordedFileName); });
    mismatches.CheckStore(expected.contents, got.contents, fault);
}

TEST(FaultMatrixTest, LoadingNeverLosesAValueOrReportsAFailureItDidNotHave) {
    Mismatches mismatches;
    int injected = 0;
    for (LoggingKey logging : {LoggingKey::Complete, LoggingKey::Missing, LoggingKey::Mixed}) {
        injected += InjectEveryFault(
            [logging] { return LoadScenario{logging}; }, mismatches,
            [&](const Fault& fault, const Contents& before, const LoadRun& clean, const LoadRun& got) {
                CompareLoads(ExpectedLoad(fault, before, clean), got, fault, mismatches);
            });
    }
    mismatches.Finish("faults", "loading", "injected_faults", injected, "faults injected");
}

// ---- Saving ----

struct SaveRun {
    SaveOutcome outcome;
    Texts messages;
    std::size_t attempts;
    Contents contents;
};

class RecordingHooks : public SaveHooks {
public:
    bool DirectoryExists(const std::wstring&) override { return true; }
    void OldSwitchRefused() override { shown.push_back(L"old switch"); }
    Texts shown;
};

// A Save after a clean load in which every value was changed, with the
// old-switch flag set; the recorded calls are Save's own and the caller's
// close of the key.
struct SaveScenario {
    SettingsModel model = FactoryModel();
    RegKey key = 0;

    void Arrange(MemoryRegistry& store) {
        for (const SettingInfo& info : kCatalogue) {
            if (info.kind != SettingKind::FileName) store.PutDword(kLogging, info.name, 2);
        }
        store.PutString(kLogging, L"FileName", L"D:\\Logs\\kmx");
        store.PutDword(kLogging, L"ShowAppDump", 1);
        key = LoadSettings(store, model).loaded.key.Release();
        for (std::size_t i = 0; i < kSettingCount; ++i) {
            if (kCatalogue[i].kind == SettingKind::Switch) model.value[i] = 0;
            if (kCatalogue[i].kind == SettingKind::Limit) model.text[i] = L"3";
        }
        model.text[kMaxDirSizeMB] = L"30";
        model.logFilePrefix = L"new";
        store.ClearSetLog();
    }

    SaveRun Run(MemoryRegistry& store, CallRecorder& registry) {
        registry.Adopt(key, kLogging);
        RecordingHooks hooks;
        SaveRun run{{}, {}, 0, {}};
        {
            // Closed through the recorder when it goes, as the dialog's is.
            LoadedKey loaded(registry);
            loaded.key = RegKeyHandle(registry, key);
            loaded.oldSwitchRefused = true;
            run.outcome = SaveSettings(model, loaded, hooks);
            run.messages = hooks.shown;
            run.attempts = store.SetLog().size();
        }
        run.contents = store.Snapshot();
        return run;
    }
};

TEST(FaultMatrixTest, SaveWritesEveryValueAndNamesTheFirstThatFailed) {
    Mismatches mismatches;
    const int injected = InjectEveryFault(
        [] { return SaveScenario{}; }, mismatches,
        [&](const Fault& fault, const Contents& before, const SaveRun& clean, const SaveRun& got) {
            mismatches.Check(clean.outcome.result == SaveResult::Written, fault,
                             "the clean save did not write");
            SaveRun expected = clean;
            if (fault.op == Op::Set) {
                expected.outcome.result = SaveResult::WriteFailed;
                expected.outcome.failedValue = fault.value;
                expected.outcome.failedStatus = fault.status;
                Expect(expected.contents, kLogging, fault.value, ValueIn(before, kLogging, fault.value));
            }
            mismatches.Check(expected.outcome.result == got.outcome.result &&
                                 expected.outcome.failedValue == got.outcome.failedValue &&
                                 expected.outcome.failedStatus == got.outcome.failedStatus,
                             fault, [&] {
                                 return "outcome " + std::to_string(static_cast<int>(got.outcome.result)) +
                                        " naming \"" + Narrow(got.outcome.failedValue) + "\" with " +
                                        std::to_string(got.outcome.failedStatus);
                             });
            mismatches.Check(got.attempts == kSettingCount, fault,
                             [&] { return std::to_string(got.attempts) + " writes attempted"; });
            mismatches.CheckTexts(expected.messages, got.messages, fault, "messages");
            mismatches.CheckStore(expected.contents, got.contents, fault);
        });
    mismatches.Finish("faults", "saving", "injected_faults", injected, "faults injected");
}

// ---- The GAL triggers ----

struct GalRun {
    Texts shown;
    Contents contents;
};

const wchar_t kGalSuccess[] = L"GAL sync was initiated. It will start within next 10 seconds..";

// One trigger command on either variant, with the trigger key already holding
// an unrelated value.
struct GalScenario {
    bool blackBerryServer;
    std::wstring prefix;

    void Arrange(MemoryRegistry& store) const {
        store.PutDword(kKorvexMachine, L"isBES", blackBerryServer ? 1 : 0);
        store.PutString(kKorvexUser, L"Unrelated", L"keep");
    }

    GalRun Run(MemoryRegistry& store, CallRecorder& registry) const {
        GalRun run;
        TriggerGalSync(registry, prefix, [&](const std::wstring& text) { run.shown.push_back(text); });
        run.contents = store.Snapshot();
        return run;
    }
};

TEST(FaultMatrixTest, GalTriggersShowExactlyOneMessageNamingWhatFailed) {
    Mismatches mismatches;
    int injected = 0;
    for (bool blackBerryServer : {false, true}) {
        for (const wchar_t* prefix : {kForceGalSyncPrefix, kForceGalSyncDeltaPrefix}) {
            injected += InjectEveryFault(
                [&] {
                    return GalScenario{blackBerryServer, prefix};
                },
                mismatches,
                [&](const Fault& fault, const Contents& before, const GalRun&, const GalRun& got) {
                    // An unreadable flag means the Outlook variant.
                    const bool flagRead = fault.key != kKorvexMachine || fault.op == Op::Close;
                    Texts hosts = {L"Outlook.exe"};
                    if (blackBerryServer && flagRead)
                        hosts = {L"BlackBerryMailStoreSrvr.exe", L"BlackBerryAgent.exe"};

                    Contents expected = before;
                    Texts shown = {kGalSuccess};
                    if (fault.Is(Op::Create, kKorvexUser)) {
                        shown = {L"Failed to create registry key Software\\Korvex"};
                    } else {
                        for (const std::wstring& host : hosts) {
                            const std::wstring name = std::wstring(prefix) + host;
                            if (fault.Is(Op::Set, kKorvexUser, name)) {
                                shown = {L"Failed to set registry value " + name};
                                break;
                            }
                            expected[kKorvexUser][name] = DwordValue(1);
                        }
                    }
                    mismatches.CheckTexts(shown, got.shown, fault, "messages");
                    mismatches.CheckStore(expected, got.contents, fault);
                });
        }
    }
    mismatches.Finish("faults", "GAL triggers", "injected_faults", injected, "faults injected");
}

// ---- The variant flag and the proxy text ----

struct ReadRun {
    std::wstring text;
    Contents contents;
};

// One of the read-only readers on a registry where it finds something.
struct ReaderScenario {
    enum Reader { FlagByTool, FlagByConnector, Proxy } reader;

    void Arrange(MemoryRegistry& store) const {
        store.PutDword(kKorvexMachine, L"isBES", 1);
        store.PutString(kInternet, L"ProxyServer", L"proxy.example:8080");
    }

    ReadRun Run(MemoryRegistry& store, CallRecorder& registry) const {
        ReadRun run;
        switch (reader) {
            case FlagByTool: run.text = IsBESFromRegistry(registry) ? L"BES" : L"Outlook"; break;
            case FlagByConnector: {
                Korvex::Util::ScopedRegistry installed(registry);
                run.text = Korvex::Util::IsBESKMX() != 0 ? L"BES" : L"Outlook";
                break;
            }
            case Proxy: run.text = ReadIEProxyServer(registry); break;
        }
        run.contents = store.Snapshot();
        return run;
    }
};

TEST(FaultMatrixTest, FailedReadsOfTheFlagAndTheProxyMeanNotSet) {
    Mismatches mismatches;
    int injected = 0;
    for (auto reader : {ReaderScenario::FlagByTool, ReaderScenario::FlagByConnector, ReaderScenario::Proxy}) {
        injected += InjectEveryFault(
            [reader] { return ReaderScenario{reader}; }, mismatches,
            [&](const Fault& fault, const Contents& before, const ReadRun& clean, const ReadRun& got) {
                std::wstring expected = clean.text;
                if (fault.op != Op::Close) expected = reader == ReaderScenario::Proxy ? L"" : L"Outlook";
                mismatches.CheckTexts({expected}, {got.text}, fault, "results");
                mismatches.CheckStore(before, got.contents, fault);
            });
    }
    mismatches.Finish("faults", "variant flag and proxy readers", "injected_faults", injected,
                      "faults injected");
}

}  // namespace
}  // namespace kmx
