// What the companion's commands need from the machine they run on: the
// registry, the two output streams, files, and the checks and defaults the
// window takes from Windows. kmxlogcfg.exe gives the real ones; tests give
// an in-memory registry and strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/LogFolder.h"
#include "settings/Registry.h"
#include "settings/SettingsModel.h"

namespace kmx {

class CommandHost {
public:
    virtual ~CommandHost() = default;

    virtual IRegistry& Registry() = 0;
    // Results (stdout) and messages (stderr), as text; lines end with '\n'.
    virtual void Out(const std::wstring& text) = 0;
    virtual void Err(const std::wstring& text) = 0;

    // The factory defaults as they come out on this machine.
    virtual void ApplyFactoryDefaults(SettingsModel& model) = 0;
    // Korvex::Util::IsBESKMX(), which the "Default" preset asks each time.
    virtual int IsBESKMX() = 0;
    // What Save asks of the log directory.
    virtual bool DirectoryExists(const std::wstring& directory) = 0;

    // Reads at most maxBytes + 1 bytes of a file (so that a longer one shows).
    // False with *problem when it cannot be read.
    virtual bool ReadFile(const std::wstring& path, std::size_t maxBytes, std::vector<std::uint8_t>* bytes,
                          std::wstring* problem) = 0;
    virtual bool FileExists(const std::wstring& path) = 0;
    // Writes the whole file beside `path`, then moves it into place (over an
    // existing file only when `replace`), so that it appears whole or not at
    // all. False with *problem on failure, leaving nothing behind.
    virtual bool WriteFileWhole(const std::wstring& path, const std::vector<std::uint8_t>& bytes,
                                bool replace, std::wstring* problem) = 0;
    // Creates a folder (its parent must exist); true when it exists afterwards.
    virtual bool MakeDirectory(const std::wstring& path, std::wstring* problem) = 0;

    // A folder's entries, not recursive ("." and ".." left out), in no
    // particular order. False with *problem when it cannot be listed (also
    // when it does not exist: ask DirectoryExists first to tell the two apart).
    virtual bool ListDirectory(const std::wstring& folder, std::vector<DirectoryEntry>* entries,
                               std::wstring* problem) = 0;
    // A file's size and last-written time as the open file reports them
    // (opened for reading with every share mode). A listing's copy lags, for
    // hours, behind a file another process holds open for writing. False
    // when it cannot be opened.
    virtual bool OpenFileFacts(const std::wstring& path, std::uint64_t* size, UtcTicks* lastWritten) = 0;
    // The bytes the user may still write on the volume that holds `path`
    // (GetDiskFreeSpaceExW); false when that cannot be asked.
    virtual bool FreeBytes(const std::wstring& path, std::uint64_t* bytes) = 0;
    // The current time (GetSystemTimeAsFileTime).
    virtual UtcTicks NowUtc() = 0;

    // What collect needs beyond these (cli/CollectHost.h); none where it cannot run.
    virtual class CollectHost* Collecting() { return nullptr; }
    // The program the logon entry and the task run to end a time box: a
    // windowless copy of this one where it can be, kept where the revert
    // still finds it when the folder this one was started from is gone.
    virtual std::wstring ProgramPath() = 0;
    // Makes this process the only one of the user's that reads or changes
    // the settings and the time box, until it ends; waits a bounded while
    // for another. False with *problem when the wait ran out.
    virtual bool LockUserState(std::wstring* problem) = 0;
    // A point in time on the user's clock: "2026-12-08 19:30:00".
    virtual std::wstring LocalTimeText(UtcTicks ticks) = 0;
    // The Task Scheduler: a one-shot task that runs ProgramPath() expire at
    // `when`, as the user and without elevation, removed after it ran (one
    // task per user, replaced by the next). True only for a task that was
    // read back with its trigger and action; false with *problem otherwise,
    // leaving no task behind.
    virtual bool ScheduleExpire(UtcTicks when, std::wstring* problem) = 0;
    // Removes that task, if there is one.
    virtual void CancelScheduledExpire() = 0;
};

// What every command that writes a file says before it writes: an existing
// file is replaced only with /y. True (and the message on stderr) when refused.
inline bool RefusesToReplace(CommandHost& host, const std::wstring& path, bool replace) {
    if (replace || !host.FileExists(path)) return false;
    host.Err(L"kmxlogcfg: " + path + L" exists; add /y to replace it\n");
    return true;
}

// Writes a command's file whole (see WriteFileWhole). False, with the
// message on stderr, when it could not.
inline bool WriteWholeOrSay(CommandHost& host, const std::wstring& path,
                            const std::vector<std::uint8_t>& bytes, bool replace) {
    std::wstring problem;
    if (host.WriteFileWhole(path, bytes, replace, &problem)) return true;
    host.Err(L"kmxlogcfg: cannot write " + path + L": " + problem + L"\n");
    return false;
}

}  // namespace kmx
