// collect's about.txt: what the support case needs to know of the machine,
// the program, the time box and the files the zip holds (lines end "\r\n").
#pragma once

#include <cstdint>
#include <string>

#include "cli/CollectArchive.h"
#include "cli/CollectFiles.h"
#include "cli/CollectHost.h"
#include "cli/CommandHost.h"

namespace kmx {

std::wstring AboutText(CommandHost& host, const std::wstring& version, const MachineFacts& facts,
                       const LogSelection& selection, std::uint64_t sinceSeconds,
                       const ArchivedLogs& archived);

}  // namespace kmx
