#include "system/WholeFile.h"

#include <utility>

#include "system/PendingFile.h"

namespace kmx {
namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    BOOL Close() { return IsOpen() ? ::CloseHandle(std::exchange(m_handle, INVALID_HANDLE_VALUE)) : TRUE; }

private:
    HANDLE m_handle;
};

}  // namespace

std::wstring SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(buffer, length) : L"error " + std::to_wstring(error);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.'))
        text.pop_back();
    return text;
}

bool ReadFileAtMost(const std::wstring& path, std::size_t maxBytes, std::vector<std::uint8_t>* bytes,
                    std::wstring* problem) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        *problem = SystemErrorText(::GetLastError());
        return false;
    }
    bytes->assign(maxBytes + 1, 0);
    std::size_t total = 0;
    while (total < bytes->size()) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), bytes->data() + total, static_cast<DWORD>(bytes->size() - total), &read,
                        nullptr)) {
            *problem = SystemErrorText(::GetLastError());
            return false;
        }
        if (read == 0) break;
        total += read;
    }
    bytes->resize(total);
    return true;
}

bool WriteFileWhole(const std::wstring& path, const std::vector<std::uint8_t>& bytes, bool replace,
                    std::wstring* problem, FileWriteCall write) {
    PendingFile file(write);
    if (file.Create(path) && file.Write(bytes.data(), bytes.size()) && file.Commit(replace)) return true;
    *problem = file.Problem();
    return false;
}

}  // namespace kmx
