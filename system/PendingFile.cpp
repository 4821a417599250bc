#include "system/PendingFile.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

#include "system/WholeFile.h"

namespace kmx {
namespace {

BOOL WriteWithWindows(HANDLE file, const void* data, DWORD size, DWORD* written) {
    return ::WriteFile(file, data, size, written, nullptr);
}

// The rename takes a full path; a relative one would be taken against the
// wrong folder or refused.
std::wstring FullPathOf(const std::wstring& path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return path;
    full.resize(length);
    return full;
}

}  // namespace

PendingFile::PendingFile(FileWriteCall write) : m_write(write != nullptr ? write : WriteWithWindows) {}

PendingFile::~PendingFile() { Discard(); }

void PendingFile::Discard() {
    if (m_handle == INVALID_HANDLE_VALUE) return;
    // Marked, the file goes with the handle; the name is for a system that
    // would not mark it.
    const bool keep = m_marked || m_committed;
    ::CloseHandle(std::exchange(m_handle, INVALID_HANDLE_VALUE));
    if (!keep) ::DeleteFileW(m_temporary.c_str());
}

bool PendingFile::Failed(DWORD error) {
    m_error = error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
    return false;
}

bool PendingFile::MarkForDeletion(bool marked) {
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = marked ? TRUE : FALSE;
    if (!::SetFileInformationByHandle(m_handle, FileDispositionInfo, &disposition, sizeof disposition))
        return false;
    m_marked = marked;
    return true;
}

bool PendingFile::Create(const std::wstring& target) {
    m_target = FullPathOf(target);
    // Beside the target, so that the rename stays on one volume. Not
    // FILE_FLAG_DELETE_ON_CLOSE: that cannot be taken back at commit.
    m_temporary = m_target + L".kmxlogcfg-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    m_handle = ::CreateFileW(m_temporary.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) return Failed(::GetLastError());
    if (MarkForDeletion(true)) return true;
    const DWORD error = ::GetLastError();
    Discard();
    return Failed(error);
}

bool PendingFile::Write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const DWORD part = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        ::SetLastError(ERROR_SUCCESS);
        if (!m_write(m_handle, bytes, part, &written) || written != part) return Failed(::GetLastError());
        bytes += part;
        size -= part;
    }
    return true;
}

bool PendingFile::Truncate(std::uint64_t size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(m_handle, at, nullptr, FILE_BEGIN) || !::SetEndOfFile(m_handle))
        return Failed(::GetLastError());
    return true;
}

bool PendingFile::Commit(bool replace, bool hold) {
    if (m_handle == INVALID_HANDLE_VALUE || m_committed) return Failed(ERROR_INVALID_HANDLE);
    // FILE_RENAME_INFO ends in a one-character array: the name runs on past it.
    const std::size_t nameOffset = offsetof(FILE_RENAME_INFO, FileName);
    const std::size_t nameBytes = m_target.size() * sizeof(wchar_t);
    std::vector<std::uint8_t> buffer(nameOffset + nameBytes + sizeof(wchar_t), 0);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = replace ? TRUE : FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(buffer.data() + nameOffset, m_target.data(), nameBytes);

    DWORD error = ERROR_SUCCESS;
    if (!::FlushFileBuffers(m_handle) || !MarkForDeletion(false)) {
        error = ::GetLastError();
    } else if (!::SetFileInformationByHandle(m_handle, FileRenameInfo, rename,
                                             static_cast<DWORD>(buffer.size()))) {
        error = ::GetLastError();
        MarkForDeletion(true);
    }
    if (error != ERROR_SUCCESS) {
        Discard();
        return Failed(error);
    }
    m_committed = true;
    // In place and flushed: a failing close loses nothing.
    if (!hold) ::CloseHandle(std::exchange(m_handle, INVALID_HANDLE_VALUE));
    return true;
}

bool PendingFile::Withdraw() {
    if (m_handle == INVALID_HANDLE_VALUE || !m_committed) return Failed(ERROR_INVALID_HANDLE);
    // Through the handle, so that only the file this object wrote goes.
    if (!MarkForDeletion(true)) return Failed(::GetLastError());
    m_committed = false;
    ::CloseHandle(std::exchange(m_handle, INVALID_HANDLE_VALUE));
    return true;
}

std::wstring PendingFile::Problem() const { return SystemErrorText(m_error); }

}  // namespace kmx
