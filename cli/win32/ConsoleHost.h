// The machine kmxlogcfg.exe runs on: the advapi32 registry, the console or
// redirected output, and files written whole.
#pragma once

#include "cli/CommandHost.h"
#include "cli/win32/Win32Collect.h"
#include "system/Win32Registry.h"

namespace kmx {

class ConsoleHost : public CommandHost {
public:
    IRegistry& Registry() override { return m_registry; }
    void Out(const std::wstring& text) override;
    void Err(const std::wstring& text) override;
    void ApplyFactoryDefaults(SettingsModel& model) override;
    int IsBESKMX() override;
    bool DirectoryExists(const std::wstring& directory) override;
    bool ReadFile(const std::wstring& path, std::size_t maxBytes, std::vector<std::uint8_t>* bytes,
                  std::wstring* problem) override;
    bool FileExists(const std::wstring& path) override;
    bool WriteFileWhole(const std::wstring& path, const std::vector<std::uint8_t>& bytes, bool replace,
                        std::wstring* problem) override;
    bool MakeDirectory(const std::wstring& path, std::wstring* problem) override;
    bool ListDirectory(const std::wstring& folder, std::vector<DirectoryEntry>* entries,
                       std::wstring* problem) override;
    bool OpenFileFacts(const std::wstring& path, std::uint64_t* size, UtcTicks* lastWritten) override;
    bool FreeBytes(const std::wstring& path, std::uint64_t* bytes) override;
    UtcTicks NowUtc() override;
    CollectHost* Collecting() override { return &m_collect; }
    std::wstring ProgramPath() override;
    bool LockUserState(std::wstring* problem) override;
    std::wstring LocalTimeText(UtcTicks ticks) override;
    bool ScheduleExpire(UtcTicks when, std::wstring* problem) override;
    void CancelScheduledExpire() override;

private:
    Win32Registry m_registry;
    Win32Collect m_collect;
    std::wstring m_expireProgram;
};

}  // namespace kmx
