// Every value the tool reads, stored with every registry type and with data
// that is empty, short, odd-sized, too long or huge: each reader gets exactly
// the result its rules give, nothing crashes, and no other value changes.
// The expected results are worked out here from the stored bytes.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kvxshared/KvxShared.h"
#include "settings/IsBESFromRegistry.h"
#include "settings/Loader.h"
#include "settings/ReadIEProxyServer.h"
#include "settings/RegistryOps.h"
#include "support/MemoryRegistry.h"
#include "support/StoreTestSupport.h"

namespace kmx {
namespace {

using namespace storetest;
using Bytes = std::vector<std::uint8_t>;

const wchar_t kStoredFileName[] = L"D:\\Logs\\kmx";

const std::uint32_t kTypes[] = {kRegNone,           kRegSz,      kRegExpandSz, kRegBinary, kRegDword,
                                kRegDwordBigEndian, kRegMultiSz, kRegQword};
const std::size_t kSizes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 13};
const std::size_t kHuge = 1 << 20;

enum class Pattern { Rising, High, Zeros, Holed, Path };
const std::vector<Pattern> kAllPatterns = {Pattern::Rising, Pattern::High, Pattern::Zeros, Pattern::Holed,
                                           Pattern::Path};
// What a number can tell apart: positive, negative, zero.
const std::vector<Pattern> kNumberPatterns = {Pattern::Rising, Pattern::High, Pattern::Zeros};

const char* const kPatternNames[] = {"rising", "high", "zeros", "holed", "path"};

// rising: 31 32 33 ..., never 0, so text has no NUL and numbers stay positive.
// high: F1 F2 ..., a negative number once the top byte is reached.
// holed: rising with bytes 2 and 3 zero, a NUL in the second UTF-16 unit.
// path: the UTF-16LE bytes of C:\Logs\kmx\ repeated; an odd count cuts a
// backslash down to its low byte.
Bytes Make(Pattern pattern, std::size_t size) {
    static const char kPath[] = "C:\\Logs\\kmx\\";
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        switch (pattern) {
            case Pattern::Rising: bytes[i] = static_cast<std::uint8_t>(0x31 + i % 0x4F); break;
            case Pattern::High: bytes[i] = static_cast<std::uint8_t>(0xF1 + i % 0x0E); break;
            case Pattern::Zeros: bytes[i] = 0; break;
            case Pattern::Holed:
                bytes[i] = (i == 2 || i == 3) ? 0 : static_cast<std::uint8_t>(0x31 + i % 0x4F);
                break;
            case Pattern::Path: bytes[i] = i % 2 ? 0 : static_cast<std::uint8_t>(kPath[(i / 2) % 12]); break;
        }
    }
    return bytes;
}

struct Shape {
    std::uint32_t type;
    std::size_t size;
    Pattern pattern;
};

// Every type with every small size in each pattern, then every type at
// 1 MiB in one pattern, then the extra sizes a reader has its own limit at.
std::vector<Shape> Shapes(const std::vector<Pattern>& patterns, std::vector<std::size_t> extraSizes = {}) {
    std::vector<Shape> shapes;
    for (std::uint32_t type : kTypes) {
        for (std::size_t size : kSizes) {
            for (Pattern pattern : patterns) shapes.push_back({type, size, pattern});
        }
        shapes.push_back({type, kHuge, Pattern::Rising});
        for (std::size_t size : extraSizes) {
            shapes.push_back({type, size, Pattern::Rising});
            shapes.push_back({type, size, Pattern::Path});
        }
    }
    return shapes;
}

// The bytes of a shape, each made once.
const Bytes& DataOf(const Shape& shape) {
    static std::map<std::pair<Pattern, std::size_t>, Bytes> made;
    const auto key = std::make_pair(shape.pattern, shape.size);
    auto found = made.find(key);
    if (found == made.end()) found = made.emplace(key, Make(shape.pattern, shape.size)).first;
    return found->second;
}

std::string Label(const wchar_t* name, const Shape& shape) {
    std::string label;
    for (const wchar_t* c = name; *c; ++c) label += static_cast<char>(*c);
    return label + " type " + std::to_string(shape.type) + ", " + std::to_string(shape.size) + " bytes " +
           kPatternNames[static_cast<int>(shape.pattern)];
}

// A 4-byte read into a variable holding `initial`: up to 4 bytes replace its
// lowest bytes, longer data fails the read.
std::optional<std::uint32_t> FourByteRead(const Bytes& data, std::uint32_t initial) {
    if (data.size() > 4) return std::nullopt;
    std::uint32_t value = initial;
    for (std::size_t i = 0; i < data.size(); ++i) {
        value = (value & ~(0xFFu << (8 * i))) | std::uint32_t{data[i]} << (8 * i);
    }
    return value;
}

// The data as UTF-16LE text up to its first NUL unit; an odd last byte is a
// unit with high byte 0. The patterns hold no surrogates, so a unit is a
// character.
std::wstring TextOf(const Bytes& data) {
    std::wstring text;
    for (std::size_t i = 0; i < data.size(); i += 2) {
        const unsigned unit = data[i] | (i + 1 < data.size() ? data[i + 1] << 8 : 0);
        if (unit == 0) break;
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

// ---- Loading ----

std::int32_t CompleteKeyValue(const SettingInfo& info) {
    return info.kind == SettingKind::Limit ? info.factoryDefault + 5 : (info.factoryDefault == 0 ? 1 : 0);
}

// Every setting readable and different from its factory value, ShowAppDump 1
// so that EnableAppDump is read like the rest, and a neighbour in each key
// the tool looks into.
void StoreCompleteKey(MemoryRegistry& registry) {
    for (const SettingInfo& info : kCatalogue) {
        if (info.kind == SettingKind::FileName) {
            registry.PutString(kLogging, info.name, kStoredFileName);
        } else {
            registry.PutDword(kLogging, info.name, static_cast<std::uint32_t>(CompleteKeyValue(info)));
        }
    }
    registry.PutDword(kLogging, L"ShowAppDump", 1);
    registry.PutString(kLogging, L"Unrelated", L"keep");
    registry.PutDword(kKorvexMachine, L"Unrelated", 7);
    registry.PutString(kInternet, L"AutoConfigURL", L"keep");
}

// The complete key, made once per sweep and put back after every case:
// building it anew for each of thousands of cases would take most of the time.
class CompleteStore {
public:
    explicit CompleteStore(bool korvexRefusesWriting = false) : m_refusesWriting(korvexRefusesWriting) {
        Rebuild();
    }

    MemoryRegistry& Registry() { return *m_registry; }
    const Contents& Base() const { return m_base; }

    // Puts the values a case may change back as they were; after a case that
    // went wrong anything may have changed, so the store is made again.
    void Restore(const std::vector<std::pair<const wchar_t*, std::wstring>>& values, bool caseFailed) {
        if (caseFailed) {
            Rebuild();
            return;
        }
        for (const auto& value : values) {
            const auto key = m_base.find(value.first);
            const auto stored = key->second.find(value.second);
            if (stored == key->second.end()) {
                m_registry->Erase(value.first, value.second);
            } else {
                m_registry->Put(value.first, value.second, stored->second.type, stored->second.bytes);
            }
        }
        m_registry->ClearSetLog();
    }

private:
    void Rebuild() {
        m_registry = std::make_unique<MemoryRegistry>();
        StoreCompleteKey(*m_registry);
        if (m_refusesWriting) m_registry->DenyRights(kKorvexMachine, kKeySetValue);
        m_base = m_registry->Snapshot();
    }

    bool m_refusesWriting;
    std::unique_ptr<MemoryRegistry> m_registry;
    Contents m_base;
};

// The model a load of the complete key gives, with the values the sweep
// changes set afterwards by the caller.
struct ExpectedLoad {
    std::array<std::int32_t, kSettingCount> value{};
    std::array<std::wstring, kSettingCount> text;
    std::wstring directory = L"D:\\Logs";
    std::wstring prefix = L"kmx";
    std::wstring fileName = kStoredFileName;
    AppDumpBox box = AppDumpBox::Shown;
    bool refused = false;

    ExpectedLoad() {
        for (std::size_t i = 0; i < kSettingCount; ++i) {
            if (kCatalogue[i].kind != SettingKind::FileName)
                SetNumber(static_cast<SettingId>(i), CompleteKeyValue(kCatalogue[i]));
        }
    }
    void SetNumber(SettingId id, std::int32_t number) {
        if (Info(id).kind != SettingKind::Limit) {
            value[id] = number;
            return;
        }
        if (id == kMaxFileSizeMB && number <= 0) number = 10;
        value[id] = number;
        text[id] = std::to_wstring(number);
    }
};

// Loads from a model holding the factory values (standard variant) and
// compares everything the load leaves behind; the caller's key is closed.
void LoadAndCompare(MemoryRegistry& registry, const ExpectedLoad& expected, const Contents& expectedStore,
                    const std::string& where, Mismatches& mismatches) {
    SettingsModel model;
    ApplyFactoryDefaults(model, kTempPath, 0);
    RecordFactoryValues(model);
    AppDumpBox box = AppDumpBox::NotRead;
    bool refused = false;
    {
        const LoadResult result = LoadSettings(registry, model);
        mismatches.Check(result.loaded.key && result.complete, where, "not loaded");
        box = result.appDumpBox;
        refused = result.loaded.oldSwitchRefused;
    }
    mismatches.Check(registry.OpenHandleCount() == 0, where, "a key was left open");

    mismatches.Check(box == expected.box, where, "wrong calendar tracking box state");
    mismatches.Check(refused == expected.refused, where, "wrong old-switch flag");
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        mismatches.Check(model.value[i] == expected.value[i], where, [&] {
            return Narrow(kCatalogue[i].name) + " is " + std::to_string(model.value[i]) + ", expected " +
                   std::to_string(expected.value[i]);
        });
        mismatches.CheckText(expected.text[i], model.text[i], where, kCatalogue[i].name);
    }
    mismatches.CheckText(expected.directory, model.logDirectory, where, L"directory");
    mismatches.CheckText(expected.prefix, model.logFilePrefix, where, L"prefix");
    mismatches.CheckText(expected.fileName, model.recordedFileName, where, L"recorded file name");
    mismatches.Check(model.recordedValue == model.value && model.recordedText == model.text, where,
                     "recorded values differ from the loaded ones");
    mismatches.CheckStore(expectedStore, registry.Snapshot(), where);
}

TEST(BadDataSweepTest, EachSettingTakesWhatFitsInFourBytesOrGetsItsDefaultBack) {
    Mismatches mismatches;
    CompleteStore store;
    int cases = 0;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const SettingId id = static_cast<SettingId>(i);
        const SettingInfo& info = kCatalogue[i];
        const bool isFileName = info.kind == SettingKind::FileName;
        // FileName is text read into 520 bytes: every pattern, and the sizes
        // around that limit too.
        const std::vector<Shape> shapes =
            isFileName ? Shapes(kAllPatterns, {519, 520, 521}) : Shapes(kNumberPatterns);
        for (const Shape& shape : shapes) {
            const std::string where = Label(info.name, shape);
            const int failedBefore = mismatches.Count();
            MemoryRegistry& registry = store.Registry();
            const Bytes& data = DataOf(shape);
            registry.Put(kLogging, info.name, shape.type, data);
            Contents expectedStore = store.Base();
            expectedStore[kLogging][info.name] = {shape.type, data};
            ExpectedLoad expected;

            if (isFileName) {
                if (data.size() <= 520) {
                    expected.fileName = TextOf(data);
                    const std::size_t slash = expected.fileName.rfind(L'\\');
                    expected.directory =
                        slash == std::wstring::npos ? kTempPath : expected.fileName.substr(0, slash);
                    expected.prefix =
                        slash == std::wstring::npos ? L"kmx" : expected.fileName.substr(slash + 1);
                } else {
                    expected.fileName = L"C:\\Temp\\kmx";
                    expected.directory = L"C:\\Temp";
                    expected.prefix = L"kmx";
                    expectedStore[kLogging][info.name] = StringValue(expected.fileName);
                }
            } else {
                const std::uint32_t factory = static_cast<std::uint32_t>(info.factoryDefault);
                const std::optional<std::uint32_t> read = FourByteRead(data, factory);
                expected.SetNumber(id, static_cast<std::int32_t>(read.value_or(factory)));
                if (!read) expectedStore[kLogging][info.name] = DwordValue(factory);
            }
            LoadAndCompare(registry, expected, expectedStore, where, mismatches);
            store.Restore({{kLogging, info.name}}, mismatches.Count() != failedBefore);
            ++cases;
        }
    }
    mismatches.Finish("sweep", "the 57 settings through loading", "cases", cases, "stored shapes checked");
}

TEST(BadDataSweepTest, ShowAppDumpAndTheOldSwitchAreJudgedByTheirFirstFourBytes) {
    Mismatches mismatches;
    CompleteStore writable;
    CompleteStore refusing(true);
    int cases = 0;
    for (const Shape& shape : Shapes(kAllPatterns)) {
        const Bytes& data = DataOf(shape);
        {
            const std::string where = Label(L"ShowAppDump", shape);
            const int failedBefore = mismatches.Count();
            MemoryRegistry& registry = writable.Registry();
            registry.Put(kLogging, L"ShowAppDump", shape.type, data);
            Contents expectedStore = writable.Base();
            expectedStore[kLogging][L"ShowAppDump"] = {shape.type, data};
            ExpectedLoad expected;
            const std::int32_t shown = static_cast<std::int32_t>(FourByteRead(data, 0).value_or(0));
            expected.box = shown > 0 ? AppDumpBox::Shown : AppDumpBox::Hidden;
            if (shown == 0) {
                expected.SetNumber(kEnableAppDump, 0);
                expectedStore[kLogging][L"EnableAppDump"] = DwordValue(0);
            }
            LoadAndCompare(registry, expected, expectedStore, where, mismatches);
            writable.Restore({{kLogging, L"ShowAppDump"}, {kLogging, L"EnableAppDump"}},
                             mismatches.Count() != failedBefore);
            ++cases;
        }
        // The old switch goes when it can be read, whatever its type; when
        // the key refuses writing it stays and the refusal is remembered.
        for (CompleteStore* store : {&writable, &refusing}) {
            const bool refuses = store == &refusing;
            const std::string where =
                Label(L"verboseLogging", shape) + (refuses ? ", key refuses writing" : "");
            const int failedBefore = mismatches.Count();
            MemoryRegistry& registry = store->Registry();
            registry.Put(kKorvexMachine, L"verboseLogging", shape.type, data);
            Contents expectedStore = store->Base();
            const bool readable = data.size() <= 4;
            if (!readable || refuses) expectedStore[kKorvexMachine][L"verboseLogging"] = {shape.type, data};
            ExpectedLoad expected;
            expected.refused = readable && refuses;
            LoadAndCompare(registry, expected, expectedStore, where, mismatches);
            store->Restore({{kKorvexMachine, L"verboseLogging"}}, mismatches.Count() != failedBefore);
            ++cases;
        }
    }
    mismatches.Finish("sweep", "ShowAppDump and verboseLogging through loading", "cases", cases,
                      "stored shapes checked");
}

// ---- The variant flag and the proxy text ----

// A reader left no key open and wrote nothing.
void CheckOnlyRead(MemoryRegistry& registry, const Contents& before, const std::string& where,
                   Mismatches& mismatches) {
    mismatches.Check(registry.OpenHandleCount() == 0, where, "a key was left open");
    mismatches.Check(registry.SetLog().empty(), where, "something was written");
    mismatches.CheckStore(before, registry.Snapshot(), where);
}

TEST(BadDataSweepTest, IsBesHoldsOnlyForFourBytesOrFewerNotAllZero) {
    Mismatches mismatches;
    CompleteStore store;
    int cases = 0;
    for (const Shape& shape : Shapes(kAllPatterns)) {
        const std::string where = Label(L"isBES", shape);
        const int failedBefore = mismatches.Count();
        MemoryRegistry& registry = store.Registry();
        const Bytes& data = DataOf(shape);
        registry.Put(kKorvexMachine, L"isBES", shape.type, data);
        const Contents before = registry.Snapshot();
        const bool expected = FourByteRead(data, 0).value_or(0) != 0;

        mismatches.Check(IsBESFromRegistry(registry) == expected, where, "IsBESFromRegistry disagrees");
        {
            Korvex::Util::ScopedRegistry installed(registry);
            mismatches.Check((Korvex::Util::IsBESKMX() != 0) == expected, where, "IsBESKMX disagrees");
        }
        CheckOnlyRead(registry, before, where, mismatches);
        store.Restore({{kKorvexMachine, L"isBES"}}, mismatches.Count() != failedBefore);
        ++cases;
    }
    mismatches.Finish("sweep", "isBES through both readers", "cases", cases, "stored shapes checked");
}

TEST(BadDataSweepTest, ProxyServerIsTheTextUpToItsFirstNulAtAnyLength) {
    Mismatches mismatches;
    CompleteStore store;
    int cases = 0;
    for (const Shape& shape : Shapes(kAllPatterns, {kHuge + 1})) {
        const std::string where = Label(L"ProxyServer", shape);
        const int failedBefore = mismatches.Count();
        MemoryRegistry& registry = store.Registry();
        const Bytes& data = DataOf(shape);
        registry.Put(kInternet, L"ProxyServer", shape.type, data);
        const Contents before = registry.Snapshot();

        mismatches.CheckText(TextOf(data), ReadIEProxyServer(registry), where, L"proxy text");
        CheckOnlyRead(registry, before, where, mismatches);
        store.Restore({{kInternet, L"ProxyServer"}}, mismatches.Count() != failedBefore);
        ++cases;
    }
    mismatches.Finish("sweep", "ProxyServer", "cases", cases, "stored shapes checked");
}

}  // namespace
}  // namespace kmx
