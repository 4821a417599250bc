// What collect needs from the machine beyond CommandHost: files read while
// the connector may still write, roll and purge them, the archive written
// beside its target and moved into place, the facts about.txt reports, and a
// progress line on a console.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/ZipWriter.h"

namespace kmx {

// An open file, read front to back up to the size it had when it was opened.
class CollectInput {
public:
    virtual ~CollectInput() = default;
    virtual std::uint64_t Size() const = 0;
    virtual const ZipTime& Modified() const = 0;
    // False with *problem when the read fails; *got 0 at the end of the file.
    virtual bool Read(void* buffer, std::size_t size, std::size_t* got, std::wstring* problem) = 0;
};

// The archive being written, in a temporary file beside its target.
class CollectOutput : public ZipSink {
public:
    // Moves the temporary file into place (over an existing file only when
    // `replace`). False with *problem; the temporary file is gone either way.
    virtual bool Commit(bool replace, std::wstring* problem) = 0;
    // After Commit: deletes the file again, for one that must not stay
    // without a file committed after it.
    virtual void Withdraw() = 0;
    // Why the last Write or Truncate failed.
    virtual std::wstring Problem() const = 0;
};

struct MachineFacts {
    std::wstring computer, user, windowsVersion;
    ZipTime now;           // local fields and UTC seconds
    std::wstring nowUtc;   // ISO 8601, e.g. 2026-12-08T18:15:31Z
    int utcOffsetMinutes;  // local minus UTC
    // The user's logon domain and the computer's DNS domain, those that
    // differ from the computer's name.
    std::vector<std::wstring> domains;
};

class CollectHost {
public:
    virtual ~CollectHost() = default;
    // Opened with every share mode, so that the connector is not disturbed.
    virtual std::unique_ptr<CollectInput> OpenInput(const std::wstring& path, std::wstring* problem) = 0;
    virtual std::unique_ptr<CollectOutput> CreateOutput(const std::wstring& path, std::wstring* problem) = 0;
    // The absolute form of a path, to find the folder a relative target is in.
    virtual std::wstring FullPath(const std::wstring& path) = 0;
    // Whether two paths name one folder, as the file system identifies it
    // (volume and file index), however they are spelled: short names, \\?\,
    // a share of a local drive, a junction. False when they differ or either
    // cannot be opened.
    virtual bool SameFolder(const std::wstring& a, const std::wstring& b) = 0;
    virtual MachineFacts Facts() = 0;
    // A millisecond clock for pacing the progress line.
    virtual std::uint64_t Milliseconds() = 0;
    // Whether stderr is a console; only then is there a progress line.
    virtual bool ErrIsConsole() = 0;
    // Replaces the progress line with `text` (empty clears it).
    virtual void ShowProgress(const std::wstring& text) = 0;
    // The text in the ANSI code page, as programs that do not write UTF-8
    // spell it; "" when the code page cannot spell it.
    virtual std::string Ansi(const std::wstring& text) = 0;
};

}  // namespace kmx
