// The companion's exit statuses, as scripts test them. A plain enum: every
// command returns it as the process's int status.
#pragma once

namespace kmx {

enum ExitCode : int {
    kSuccess = 0,
    kFailure = 1,  // any failure, a usage error included
    // check only: 0 and 1 say compliant or not, so that a check that could
    // not be made needs a status of its own.
    kCannotCheck = 2,
};

}  // namespace kmx
