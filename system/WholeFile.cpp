#include "system/WholeFile.h"

#include <utility>

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

BOOL WriteWithWindows(HANDLE file, const void* data, DWORD size, DWORD* written) {
    return ::WriteFile(file, data, size, written, nullptr);
}

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
    if (write == nullptr) write = WriteWithWindows;
    // Beside the target, so that the move stays on one volume.
    const std::wstring temporary = path + L".kmxlogcfg-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    FileHandle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        *problem = SystemErrorText(::GetLastError());
        return false;
    }
    const DWORD size = static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    ::SetLastError(ERROR_SUCCESS);
    // A short write need not leave an error code: it fails all the same.
    bool whole =
        write(file.Get(), bytes.data(), size, &written) && written == size && ::FlushFileBuffers(file.Get());
    DWORD error = whole ? ERROR_SUCCESS : ::GetLastError();
    whole = file.Close() && whole;
    if (error == ERROR_SUCCESS && !whole) error = ::GetLastError();
    if (whole) {
        const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
        if (::MoveFileExW(temporary.c_str(), path.c_str(), flags)) return true;
        error = ::GetLastError();
    }
    ::DeleteFileW(temporary.c_str());
    *problem = SystemErrorText(error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
    return false;
}

}  // namespace kmx
