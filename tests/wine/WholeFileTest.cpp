// Files written whole, on Wine's file system: a write that stops short (with
// or without an error code) or fails, or a writer given up before its commit,
// leaves neither the target nor the temporary file, and says why; a whole one
// replaces only when asked, and one held after its commit can be taken back.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "system/FileSystem.h"
#include "system/PendingFile.h"
#include "system/WholeFile.h"

namespace kmx {
namespace {

BOOL WriteHalfSilently(HANDLE file, const void* data, DWORD size, DWORD* written) {
    ::SetLastError(ERROR_SUCCESS);
    return ::WriteFile(file, data, size / 2, written, nullptr);
}

BOOL FailWithoutCode(HANDLE, const void*, DWORD, DWORD* written) {
    *written = 0;
    ::SetLastError(ERROR_SUCCESS);
    return FALSE;
}

BOOL FailDiskFull(HANDLE, const void*, DWORD, DWORD* written) {
    *written = 0;
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

class WholeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(GetTempPathText(m_folder), 0u);
        m_folder += L"kmx-wholefile-" + std::to_wstring(::GetCurrentProcessId());
        ASSERT_TRUE(::CreateDirectoryW(m_folder.c_str(), nullptr));
        m_path = m_folder + L"\\out.reg";
    }
    void TearDown() override {
        ::DeleteFileW(m_path.c_str());
        EXPECT_TRUE(::RemoveDirectoryW(m_folder.c_str())) << "a temporary file was left behind";
    }
    std::string Contents() const {
        std::vector<std::uint8_t> bytes;
        std::wstring problem;
        if (!ReadFileAtMost(m_path, 100, &bytes, &problem)) return "<none>";
        return std::string(bytes.begin(), bytes.end());
    }

    std::wstring m_folder, m_path;
    const std::vector<std::uint8_t> m_bytes{'a', 'b', 'c', 'd'};
};

TEST_F(WholeFileTest, FailedOrShortWritesLeaveNothingAndSayWhy) {
    for (FileWriteCall write : {WriteHalfSilently, FailWithoutCode, FailDiskFull}) {
        std::wstring problem;
        EXPECT_FALSE(WriteFileWhole(m_path, m_bytes, false, &problem, write));
        EXPECT_FALSE(problem.empty());
        EXPECT_EQ("<none>", Contents());
    }
}

TEST_F(WholeFileTest, ReplacesOnlyWhenAsked) {
    std::wstring problem;
    ASSERT_TRUE(WriteFileWhole(m_path, m_bytes, false, &problem));
    EXPECT_FALSE(WriteFileWhole(m_path, {'x'}, false, &problem));
    EXPECT_EQ(SystemErrorText(ERROR_ALREADY_EXISTS), problem);
    EXPECT_EQ("abcd", Contents());
    EXPECT_TRUE(WriteFileWhole(m_path, {'x'}, true, &problem));
    EXPECT_EQ("x", Contents());
}

TEST_F(WholeFileTest, NothingShowsBeforeTheCommitAndNothingStaysWithoutIt) {
    {
        PendingFile file;
        ASSERT_TRUE(file.Create(m_path));
        ASSERT_TRUE(file.Write("abcdef", 6));
        EXPECT_EQ("<none>", Contents());
    }
    // Cut back as the zip writer does when it redoes an entry.
    PendingFile file;
    ASSERT_TRUE(file.Create(m_path));
    ASSERT_TRUE(file.Write("abcdef", 6) && file.Truncate(2) && file.Write("xy", 2));
    ASSERT_TRUE(file.Commit(false)) << file.Problem();
    EXPECT_EQ("abxy", Contents());
}

// One of two files that appear together: in place and held open, it is
// taken back when the other cannot follow, and stays otherwise.
TEST_F(WholeFileTest, AHeldCommitGoesWhenWithdrawnAndStaysOtherwise) {
    for (const bool withdrawn : {true, false}) {
        {
            PendingFile file;
            ASSERT_TRUE(file.Create(m_path) && file.Write("abcd", 4));
            ASSERT_TRUE(file.Commit(false, true)) << file.Problem();
            if (withdrawn) EXPECT_TRUE(file.Withdraw()) << file.Problem();
        }
        EXPECT_EQ(withdrawn ? "<none>" : "abcd", Contents());
    }
}

// The rename wants a full path; export and collect take the one given.
TEST_F(WholeFileTest, ARelativeTargetLandsInTheCurrentFolder) {
    wchar_t before[MAX_PATH];
    ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH, before), 0u);
    ASSERT_TRUE(::SetCurrentDirectoryW(m_folder.c_str()));
    std::wstring problem;
    const bool written = WriteFileWhole(L"out.reg", m_bytes, false, &problem);
    ::SetCurrentDirectoryW(before);
    EXPECT_TRUE(written);
    EXPECT_EQ("abcd", Contents());
}

}  // namespace
}  // namespace kmx
