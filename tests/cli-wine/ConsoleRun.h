// Runs a console program as a process of its own with its stdout and stderr
// on pipes (never a console), and collects both and its exit status.
#pragma once

#include <windows.h>

#include <string>
#include <thread>

namespace kmx {
namespace cliwine {

struct ConsoleResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;  // the bytes as written
    std::string err;
    std::string problem;  // why it could not be started or did not end
};

inline void Drain(HANDLE pipe, std::string* bytes) {
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes->append(buffer, read);
}

// `commandLine` as CreateProcessW takes it (the program is looked up on the
// path when not given in full). Killed after `milliseconds`.
inline ConsoleResult RunConsole(const std::wstring& commandLine, DWORD milliseconds = 20000) {
    ConsoleResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0) || !CreatePipe(&errRead, &errWrite, &inherit, 0)) {
        result.problem = "CreatePipe failed";
        return result;
    }
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                               OPEN_EXISTING, 0, nullptr);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process = {};
    std::wstring line = commandLine;
    const BOOL started =
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    // Only the child holds the write ends now, so the reads end with it.
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
    if (!started) {
        result.problem = "CreateProcessW failed with error " + std::to_string(GetLastError());
        CloseHandle(outRead);
        CloseHandle(errRead);
        return result;
    }
    std::thread outReader(Drain, outRead, &result.out);
    std::thread errReader(Drain, errRead, &result.err);
    if (WaitForSingleObject(process.hProcess, milliseconds) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        result.problem = "did not end within " + std::to_string(milliseconds / 1000) + " s; killed";
    }
    outReader.join();
    errReader.join();
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
}

}  // namespace cliwine
}  // namespace kmx
