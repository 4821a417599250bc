// The registry operations over the in-memory registry: 32-bit reads in and
// out, fixed and any-length string reads, writes byte for byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/RegistryOps.h"
#include "settings/Utf16.h"
#include "support/MemoryRegistry.h"

namespace kmx {
namespace {

using Bytes = std::vector<std::uint8_t>;
const wchar_t kPath[] = L"HKCU\\Software\\KmxOps";

class RegistryOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::uint32_t disposition = 0;
        ASSERT_EQ(kErrorSuccess, CreateForReadWrite(m_registry, kHkeyCurrentUser, L"Software\\KmxOps", &m_key,
                                                    &disposition));
        EXPECT_EQ(kRegCreatedNewKey, disposition);
    }
    void TearDown() override {
        EXPECT_EQ(kErrorSuccess, m_registry.CloseKey(m_key));
        EXPECT_EQ(0, m_registry.OpenHandleCount());
    }
    MemoryRegistry m_registry;
    RegKey m_key = 0;
};

TEST_F(RegistryOpsTest, ReadDwordReplacesOnlyTheBytesItReads) {
    m_registry.Put(kPath, L"Dword", kRegDword, {0x78, 0x56, 0x34, 0x12});
    m_registry.Put(kPath, L"Binary", kRegBinary, {0xFF, 0xFF, 0xFF, 0xFF});
    m_registry.Put(kPath, L"Two", kRegBinary, {0x01, 0x02});
    m_registry.Put(kPath, L"None", kRegBinary, {});
    m_registry.Put(kPath, L"Five", kRegBinary, {1, 2, 3, 4, 5});
    m_registry.Put(kPath, L"Qword", kRegQword, {1, 0, 0, 0, 0, 0, 0, 0});
    m_registry.PutString(kPath, L"Text", L"1");  // "1" + NUL is exactly 4 bytes

    struct Case {
        const wchar_t* name;
        RegStatus status;
        std::uint32_t value;
    };
    const Case cases[] = {
        {L"Dword", kErrorSuccess, 0x12345678u},  {L"Binary", kErrorSuccess, 0xFFFFFFFFu},
        {L"Two", kErrorSuccess, 0xAABB0201u},    {L"None", kErrorSuccess, 0xAABBCCDDu},
        {L"Text", kErrorSuccess, 0x00000031u},   {L"Five", kErrorMoreData, 0xAABBCCDDu},
        {L"Qword", kErrorMoreData, 0xAABBCCDDu}, {L"Missing", kErrorFileNotFound, 0xAABBCCDDu}};
    for (const Case& c : cases) {
        std::uint32_t value = 0xAABBCCDDu;
        EXPECT_EQ(c.status, ReadDword(m_registry, m_key, c.name, &value)) << c.name;
        EXPECT_EQ(c.value, value) << c.name;
    }
    std::int32_t signedValue = 10;
    EXPECT_EQ(kErrorSuccess, ReadDword(m_registry, m_key, L"Binary", &signedValue));
    EXPECT_EQ(-1, signedValue);
}

TEST_F(RegistryOpsTest, ReadStringFixedFitsTwoHundredFiftyNineCharactersInFiveHundredTwentyBytes) {
    m_registry.PutString(kPath, L"Fits", std::wstring(259, L'x'));
    m_registry.PutString(kPath, L"TooLong", std::wstring(260, L'y'));
    std::wstring text;
    EXPECT_EQ(kErrorSuccess, ReadStringFixed(m_registry, m_key, L"Fits", 520, &text));
    EXPECT_EQ(std::wstring(259, L'x'), text);

    text = L"untouched";
    EXPECT_EQ(kErrorMoreData, ReadStringFixed(m_registry, m_key, L"TooLong", 520, &text));
    EXPECT_EQ(L"untouched", text);
    EXPECT_EQ(kErrorFileNotFound, ReadStringFixed(m_registry, m_key, L"Missing", 520, &text));
    EXPECT_EQ(L"untouched", text);
}

TEST_F(RegistryOpsTest, ReadStringFixedTakesDataWithoutNulWholeAndStopsAtTheFirstNul) {
    m_registry.Put(kPath, L"Full", kRegSz, ToUtf16LeBytes(std::wstring(260, L'z'), false));
    m_registry.Put(kPath, L"Inner", kRegSz, {'a', 0, 0, 0, 'b', 0, 0, 0});
    m_registry.Put(kPath, L"Odd", kRegBinary, {'a', 0, 'b'});
    std::wstring text;
    EXPECT_EQ(kErrorSuccess, ReadStringFixed(m_registry, m_key, L"Full", 520, &text));
    EXPECT_EQ(std::wstring(260, L'z'), text);
    EXPECT_EQ(kErrorSuccess, ReadStringFixed(m_registry, m_key, L"Inner", 520, &text));
    EXPECT_EQ(L"a", text);
    EXPECT_EQ(kErrorSuccess, ReadStringFixed(m_registry, m_key, L"Odd", 520, &text));
    EXPECT_EQ(L"ab", text) << "an odd last byte is a unit with high byte 0";
}

TEST_F(RegistryOpsTest, ReadStringAnyReadsAnyLengthAndEmptiesTheTextOnFailure) {
    const std::wstring longText(5000, L'p');
    m_registry.PutString(kPath, L"Long", longText);
    m_registry.Put(kPath, L"Empty", kRegSz, {});
    std::wstring text = L"stale";
    EXPECT_EQ(kErrorSuccess, ReadStringAny(m_registry, m_key, L"Long", &text));
    EXPECT_EQ(longText, text);
    text = L"stale";
    EXPECT_EQ(kErrorSuccess, ReadStringAny(m_registry, m_key, L"Empty", &text));
    EXPECT_EQ(L"", text);
    text = L"stale";
    EXPECT_EQ(kErrorFileNotFound, ReadStringAny(m_registry, m_key, L"Missing", &text));
    EXPECT_EQ(L"", text);

    // The value changes between the size query and the read.
    m_registry.InjectFault(MemoryRegistry::Op::Query, kErrorMoreData, kPath, L"Long", 2);
    text = L"stale";
    EXPECT_EQ(kErrorMoreData, ReadStringAny(m_registry, m_key, L"Long", &text));
    EXPECT_EQ(L"", text);
}

TEST_F(RegistryOpsTest, WritesStoreExactBytesAndTypes) {
    EXPECT_EQ(kErrorSuccess, WriteDword(m_registry, m_key, L"Number", 0x01020304u));
    EXPECT_EQ((MemoryRegistry::StoredValue{kRegDword, {4, 3, 2, 1}}), m_registry.Get(kPath, L"Number"));

    const std::wstring text = FromUtf16(u"C:\\\x00E9\xD83D\xDE00");
    EXPECT_EQ(kErrorSuccess, WriteString(m_registry, m_key, L"FileName", text));
    const Bytes expected = {'C', 0, ':', 0, '\\', 0, 0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE, 0, 0};
    EXPECT_EQ((MemoryRegistry::StoredValue{kRegSz, expected}), m_registry.Get(kPath, L"FileName"));
    std::wstring back;
    EXPECT_EQ(kErrorSuccess, ReadStringFixed(m_registry, m_key, L"FileName", 520, &back));
    EXPECT_EQ(text, back);
}

TEST(Utf16Test, SurrogatePairsAndLoneSurrogatesSurviveTheRoundTripAndBecomeUtf8) {
    const std::u16string units =
        u"a\xD83D\xDE00"
        u"b\xDC00"
        u"c\xD800";
    const std::wstring text = FromUtf16(units);
    if (sizeof(wchar_t) == 4) {
        ASSERT_EQ(6u, text.size());
        EXPECT_EQ(0x1F600u, static_cast<std::uint32_t>(text[1]));
    }
    EXPECT_EQ(units, ToUtf16(text));
    const Bytes bytes = ToUtf16LeBytes(text, true);
    EXPECT_EQ(2 * (units.size() + 1), bytes.size());
    EXPECT_EQ(units, UnitsFromLeBytes(bytes.data(), bytes.size() - 2));
    EXPECT_EQ(
        "a\xF0\x9F\x98\x80"
        "b\xEF\xBF\xBD"
        "c\xEF\xBF\xBD",
        ToUtf8(text));
}

}  // namespace
}  // namespace kmx
