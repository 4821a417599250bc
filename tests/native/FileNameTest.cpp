// Splitting the stored log file name and composing it again.
#include <gtest/gtest.h>

#include "settings/FileName.h"

namespace kmx {
namespace {

TEST(FileNameTest, SplitsAtTheLastBackslash) {
    struct Case {
        const wchar_t* stored;
        const wchar_t* directory;
        const wchar_t* prefix;
    };
    const Case cases[] = {{L"C:\\Logs\\kmx", L"C:\\Logs", L"kmx"},
                          {L"C:\\Logs\\", L"C:\\Logs", L""},
                          {L"C:\\a\\b\\c", L"C:\\a\\b", L"c"},
                          {L"\\kmx", L"", L"kmx"},
                          {L"D:\\Logs\\\\\\kmx", L"D:\\Logs\\\\", L"kmx"}};
    for (const Case& c : cases) {
        std::wstring directory = L"old", prefix = L"old";
        EXPECT_TRUE(SplitFileName(c.stored, directory, prefix)) << c.stored;
        EXPECT_EQ(c.directory, directory) << c.stored;
        EXPECT_EQ(c.prefix, prefix) << c.stored;
    }
}

TEST(FileNameTest, NameWithoutBackslashChangesNeitherText) {
    for (const wchar_t* stored : {L"kmx", L""}) {
        std::wstring directory = L"C:\\Temp\\", prefix = L"kmx";
        EXPECT_FALSE(SplitFileName(stored, directory, prefix));
        EXPECT_EQ(L"C:\\Temp\\", directory);
        EXPECT_EQ(L"kmx", prefix);
    }
}

TEST(FileNameTest, ComposesForLoadingWithoutSeparatorAndForSavingWithOne) {
    EXPECT_EQ(L"C:\\Temp\\kmx", ComposeMissingFileName(L"C:\\Temp\\", L"kmx"));
    EXPECT_EQ(L"C:\\Tempkmx", ComposeMissingFileName(L"C:\\Temp", L"kmx"));

    EXPECT_EQ(L"D:\\Logs\\kmx", ComposeFileNameForSave(L"D:\\Logs\\\\\\", L"kmx"));
    EXPECT_EQ(L"D:\\Logs\\kmx", ComposeFileNameForSave(L"D:\\Logs", L"kmx"));
    EXPECT_EQ(L"C:\\kmx", ComposeFileNameForSave(L"C:\\", L"kmx"));
    EXPECT_EQ(L"D:\\Logs\\", ComposeFileNameForSave(L"D:\\Logs", L""));
    EXPECT_EQ(L"\\kmx", ComposeFileNameForSave(L"", L"kmx"));
}

TEST(FileNameTest, TrimsEveryTrailingBackslashOnly) {
    EXPECT_EQ(L"D:\\Logs", TrimTrailingBackslashes(L"D:\\Logs\\\\\\"));
    EXPECT_EQ(L"C:", TrimTrailingBackslashes(L"C:\\"));
    EXPECT_EQ(L"\\\\server\\share", TrimTrailingBackslashes(L"\\\\server\\share"));
    EXPECT_EQ(L"", TrimTrailingBackslashes(L"\\\\"));
    EXPECT_EQ(L"", TrimTrailingBackslashes(L""));
}

}  // namespace
}  // namespace kmx
