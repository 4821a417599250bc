// A file that appears whole or not at all: written under a temporary name
// beside its target, then renamed into place. Until then the system holds it
// for deletion, so that nothing is left behind however the process ends
// (an error, Ctrl+C, a script's timeout, sign-out, a kill).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace kmx {

// One WriteFile call on an open file; tests hand in one that stops short.
using FileWriteCall = BOOL (*)(HANDLE file, const void* data, DWORD size, DWORD* written);

class PendingFile {
public:
    explicit PendingFile(FileWriteCall write = nullptr);
    // Not committed: the temporary file goes when its handle closes.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates TARGET.kmxlogcfg-PID.tmp, marked for deletion.
    bool Create(const std::wstring& target);
    // A short write counts as a failure even when the system gives no code.
    bool Write(const void* data, std::size_t size);
    // Sets the end of the file at `size` and writes on from there.
    bool Truncate(std::uint64_t size);
    // Flushes, then renames the file onto the target (over an existing file
    // only when `replace`) and closes it; with `hold`, keeps it open until
    // Withdraw or the end of this object. On failure the temporary file is
    // gone too.
    bool Commit(bool replace, bool hold = false);
    // After Commit with `hold`: deletes the committed file, for one of a set
    // of files that appear together or not at all.
    bool Withdraw();
    // Why the last call failed, in the system's words.
    std::wstring Problem() const;

private:
    bool Failed(DWORD error);
    bool MarkForDeletion(bool marked);
    void Discard();

    FileWriteCall m_write;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    std::wstring m_target, m_temporary;
    bool m_marked = false;
    bool m_committed = false;  // in place, held open
    DWORD m_error = ERROR_SUCCESS;
};

}  // namespace kmx
