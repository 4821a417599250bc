// One-shot tasks in the Task Scheduler (the 2.0 COM API), run as the user who
// asks, without elevation, and removed after they ran.
#pragma once

#include <string>
#include <vector>

#include "cli/UtcTime.h"

namespace kmx {

// Registers (or replaces) the task `name` in the root folder to run `program
// arguments` once at `when`. The stored task is read back: true only when it
// holds its trigger and its action. Otherwise false with *problem, and no
// task is left (a scheduler may store a task without its trigger).
bool ScheduleOneShotTask(const std::wstring& name, const std::wstring& program, const std::wstring& arguments,
                         UtcTicks when, std::wstring* problem);

// Removes the tasks of these names that are there, over one connection.
void DeleteScheduledTasks(const std::vector<std::wstring>& names);

}  // namespace kmx
