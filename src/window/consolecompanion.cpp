// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// sernix.com, the console companion of the window program sernix.exe beside
// it. cmd, which does not wait for a window program, prefers the .com when a
// user types "sernix": this one starts sernix.exe with the same arguments and
// this console's standard handles, waits for it and ends with its exit
// status. So --help, --version, --list-ports and the one-line messages reach
// the console, and a script sees the status. sernix.exe attaches itself to
// the console and handles Ctrl+C and the console's closing itself.
#include <windows.h>

#include <string>

namespace {

// The command line after the program's own name, quoted or not.
const wchar_t *argumentsOf(const wchar_t *commandLine)
{
    bool quoted = false;
    for (; *commandLine != L'\0'; ++commandLine) {
        if (*commandLine == L'"')
            quoted = !quoted;
        else if (!quoted && (*commandLine == L' ' || *commandLine == L'\t'))
            break;
    }
    return commandLine;
}

// sernix.exe ends itself, as closing its window does; this one waits for it.
BOOL WINAPI leaveToTheProgram(DWORD)
{
    return TRUE;
}

} // namespace

int main()
{
    std::wstring program(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = ::GetModuleFileNameW(nullptr, program.data(), DWORD(program.size()))) == program.size())
        program.resize(program.size() * 2);
    program.resize(length);
    program.replace(program.size() - 4, 4, L".exe");

    std::wstring commandLine = L"\"" + program + L"\"" + argumentsOf(::GetCommandLineW());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &started)) {
        const std::string message =
            "sernix: cannot start sernix.exe beside sernix.com (error " + std::to_string(::GetLastError()) + ")\r\n";
        DWORD written = 0;
        ::WriteFile(startup.hStdError, message.data(), DWORD(message.size()), &written, nullptr);
        return 1;
    }
    ::SetConsoleCtrlHandler(leaveToTheProgram, TRUE);
    ::WaitForSingleObject(started.hProcess, INFINITE);
    DWORD status = 1;
    ::GetExitCodeProcess(started.hProcess, &status);
    return int(status);
}
