// collect's machine on Windows: files opened with every share mode, the
// archive in a temporary file beside its target, folders told apart by
// their identity, the computer's and the
// user's names, the Windows version and the console's progress line.
#pragma once

#include "cli/CollectHost.h"

namespace kmx {

class Win32Collect : public CollectHost {
public:
    std::unique_ptr<CollectInput> OpenInput(const std::wstring& path, std::wstring* problem) override;
    std::unique_ptr<CollectOutput> CreateOutput(const std::wstring& path, std::wstring* problem) override;
    std::wstring FullPath(const std::wstring& path) override;
    bool SameFolder(const std::wstring& a, const std::wstring& b) override;
    MachineFacts Facts() override;
    std::uint64_t Milliseconds() override;
    bool ErrIsConsole() override;
    void ShowProgress(const std::wstring& text) override;
    std::string Ansi(const std::wstring& text) override;

private:
    std::size_t m_shownWidth = 0;
};

}  // namespace kmx
