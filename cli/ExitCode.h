// The companion's exit statuses, as scripts test them. A plain enum: every
// command returns it as the process's int status.
#pragma once

namespace kmx {

enum ExitCode : int {
    kSuccess = 0,
    kFailure = 1,  // any failure, a usage error included
};

}  // namespace kmx
