#include "cli/win32/Win32Collect.h"

#include <windows.h>

#include <algorithm>

#include "cli/UtcTime.h"
#include "cli/win32/DirectoryListing.h"
#include "cli/win32/WindowsTime.h"
#include "system/PendingFile.h"
#include "system/WholeFile.h"

namespace kmx {
namespace {

// Local fields (zero when the system cannot convert) and UTC seconds.
ZipTime ZipTimeOf(UtcTicks ticks, int* utcOffsetMinutes = nullptr) {
    ZipTime time;
    time.unixSeconds = UnixSecondsOf(ticks);
    SYSTEMTIME local;
    if (LocalTimeOf(ticks, &local, utcOffsetMinutes)) {
        time.year = local.wYear;
        time.month = local.wMonth;
        time.day = local.wDay;
        time.hour = local.wHour;
        time.minute = local.wMinute;
        time.second = local.wSecond;
    }
    return time;
}

class Input : public CollectInput {
public:
    Input(HANDLE handle, std::uint64_t size, const ZipTime& modified)
        : m_handle(handle), m_left(size), m_size(size), m_modified(modified) {}
    ~Input() override { ::CloseHandle(m_handle); }
    std::uint64_t Size() const override { return m_size; }
    const ZipTime& Modified() const override { return m_modified; }
    bool Read(void* buffer, std::size_t size, std::size_t* got, std::wstring* problem) override {
        *got = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::uint64_t>({size, m_left, 1u << 30}));
        if (wanted == 0) return true;
        DWORD read = 0;
        if (!::ReadFile(m_handle, buffer, wanted, &read, nullptr)) {
            *problem = SystemErrorText(::GetLastError());
            return false;
        }
        if (read == 0) {
            *problem = L"it became shorter while it was read";
            return false;
        }
        m_left -= read;
        *got = read;
        return true;
    }

private:
    HANDLE m_handle;
    std::uint64_t m_left, m_size;
    ZipTime m_modified;
};

class Output : public CollectOutput {
public:
    bool Create(const std::wstring& target) { return m_file.Create(target); }
    bool Write(const void* data, std::size_t size) override { return m_file.Write(data, size); }
    bool Truncate(std::uint64_t offset) override { return m_file.Truncate(offset); }
    // Held open after the commit, so that Withdraw removes this very file.
    bool Commit(bool replace, std::wstring* problem) override {
        if (m_file.Commit(replace, true)) return true;
        *problem = m_file.Problem();
        return false;
    }
    void Withdraw() override { m_file.Withdraw(); }
    std::wstring Problem() const override { return m_file.Problem(); }

private:
    PendingFile m_file;
};

// A folder's volume serial number and file index; false when it cannot be
// opened (a directory opens only with FILE_FLAG_BACKUP_SEMANTICS).
bool FolderIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION* info) {
    const HANDLE folder = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return false;
    const bool got = ::GetFileInformationByHandle(folder, info) != 0;
    ::CloseHandle(folder);
    return got && (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring RegistryText(const wchar_t* name) {
    wchar_t buffer[256];
    DWORD size = sizeof buffer;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", name,
                       RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return L"";
    return buffer;
}

// RtlGetVersion tells the truth to a program without a compatibility manifest.
std::wstring WindowsVersion() {
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    const auto function = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (function == nullptr || function(&info) != 0) return L"unknown";
    std::wstring text = RegistryText(L"ProductName");
    const std::wstring release = RegistryText(L"DisplayVersion");
    if (!release.empty()) text += L" " + release;
    return text + (text.empty() ? L"" : L" ") + L"(" + std::to_wstring(info.dwMajorVersion) + L"." +
           std::to_wstring(info.dwMinorVersion) + L"." + std::to_wstring(info.dwBuildNumber) + L")";
}

// The user's logon domain and the computer's DNS domain; on a computer in no
// domain the first is the computer's own name.
std::vector<std::wstring> Domains(const std::wstring& computer) {
    std::vector<std::wstring> domains;
    const auto add = [&](const std::wstring& name) {
        for (const std::wstring& known : domains)
            if (::CompareStringOrdinal(known.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL) return;
        if (!name.empty() &&
            ::CompareStringOrdinal(computer.c_str(), -1, name.c_str(), -1, TRUE) != CSTR_EQUAL)
            domains.push_back(name);
    };
    wchar_t name[256];
    const DWORD length = ::GetEnvironmentVariableW(L"USERDOMAIN", name, 256);
    if (length > 0 && length < 256) add(name);
    DWORD size = 256;
    if (::GetComputerNameExW(ComputerNameDnsDomain, name, &size)) add(std::wstring(name, size));
    return domains;
}

}  // namespace

std::unique_ptr<CollectInput> Win32Collect::OpenInput(const std::wstring& path, std::wstring* problem) {
    const HANDLE handle =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *problem = SystemErrorText(::GetLastError());
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info)) {
        *problem = SystemErrorText(::GetLastError());
        ::CloseHandle(handle);
        return nullptr;
    }
    const std::uint64_t size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return std::make_unique<Input>(handle, size, ZipTimeOf(TicksOf(info.ftLastWriteTime)));
}

std::unique_ptr<CollectOutput> Win32Collect::CreateOutput(const std::wstring& path, std::wstring* problem) {
    auto output = std::make_unique<Output>();
    if (output->Create(path)) return output;
    *problem = output->Problem();
    return nullptr;
}

std::wstring Win32Collect::FullPath(const std::wstring& path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(length < size ? length : 0);
    return full.empty() ? path : full;
}

bool Win32Collect::SameFolder(const std::wstring& a, const std::wstring& b) {
    BY_HANDLE_FILE_INFORMATION first, second;
    return FolderIdentity(a, &first) && FolderIdentity(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

MachineFacts Win32Collect::Facts() {
    MachineFacts facts;
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    facts.computer = ::GetComputerNameW(name, &size) ? std::wstring(name, size) : L"unknown";
    wchar_t user[257];
    size = 257;
    facts.user = ::GetUserNameW(user, &size) && size > 0 ? std::wstring(user, size - 1) : L"unknown";
    facts.windowsVersion = WindowsVersion();
    facts.domains = Domains(facts.computer);
    const UtcTicks now = SystemNowUtc();
    facts.utcOffsetMinutes = 0;
    facts.now = ZipTimeOf(now, &facts.utcOffsetMinutes);
    facts.nowUtc = IsoUtc(now);
    return facts;
}

std::uint64_t Win32Collect::Milliseconds() { return ::GetTickCount64(); }

bool Win32Collect::ErrIsConsole() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void Win32Collect::ShowProgress(const std::wstring& text) {
    // Spaces over what the last line left, then back to the line's start.
    std::wstring line = L"\r" + text;
    if (text.size() < m_shownWidth) line += std::wstring(m_shownWidth - text.size(), L' ');
    line += L"\r";
    m_shownWidth = text.size();
    DWORD written = 0;
    ::WriteConsoleW(::GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
                    nullptr);
}

std::string Win32Collect::Ansi(const std::wstring& text) {
    if (text.empty()) return "";
    BOOL lossy = FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy) return "";
    std::string ansi(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                          ansi.data(), size, nullptr, &lossy);
    return lossy ? "" : ansi;
}

}  // namespace kmx
