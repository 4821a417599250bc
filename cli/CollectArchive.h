// collect's zip: whole entries for the texts it makes, and the log files
// streamed in (redacted on the way for a redacted bundle), with a progress
// line on a console.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/CollectFiles.h"
#include "cli/CollectHost.h"
#include "cli/Redaction.h"
#include "formats/ZipWriter.h"

namespace kmx {

struct ArchivedLogs {
    std::size_t stored = 0;
    std::uint64_t storedBytes = 0;
    std::wstring skipped;  // "  NAME: problem\r\n" for each file left out
};

class CollectArchive {
public:
    // redactor: for a redacted bundle, what the log files go through.
    explicit CollectArchive(CollectOutput& output, Redactor* redactor = nullptr);
    // Each false when writing the archive failed (CollectOutput::Problem says why).
    bool AddFile(const std::string& name, const ZipTime& time, const std::string& bytes);
    // Under logs/; a file that cannot be read whole is left out whole and
    // named on stderr and in *archived.
    bool AddLogs(CommandHost& host, CollectHost& machine, const LogSelection& selection,
                 ArchivedLogs* archived);
    bool Finish();

private:
    ZipWriter m_zip;
    Redactor* m_redactor;
};

}  // namespace kmx
