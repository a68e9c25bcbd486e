#pragma once

// Programs started from a test on Windows: kinfold.exe itself, and this test
// program again as another process that holds a file open.
#include <cstdint>
#include <string>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace kinfold::testing_support {

// One word of a command line, quoted as the C runtime reads it back.
inline std::wstring quotedArgument(const std::wstring& word) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// A started program whose standard input and output are pipes to this one;
// its standard error is this program's.
class ChildProcess {
public:
    explicit ChildProcess(const std::wstring& commandLine) {
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE childIn = nullptr;
        HANDLE childOut = nullptr;
        if (!::CreatePipe(&childIn, &toChild_, &inherit, 0) || !::CreatePipe(&fromChild_, &childOut, &inherit, 0)) {
            return;
        }
        ::SetHandleInformation(toChild_, HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(fromChild_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW start{};
        start.cb = sizeof(start);
        start.dwFlags = STARTF_USESTDHANDLES;
        start.hStdInput = childIn;
        start.hStdOutput = childOut;
        start.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        std::wstring line = commandLine;
        started_ =
            ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &process_) != 0;
        ::CloseHandle(childIn);
        ::CloseHandle(childOut);
    }
    ~ChildProcess() {
        closeInput();
        if (started_) {
            ::WaitForSingleObject(process_.hProcess, 30000);
            ::CloseHandle(process_.hProcess);
            ::CloseHandle(process_.hThread);
        }
        if (fromChild_ != nullptr) ::CloseHandle(fromChild_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return started_; }
    // Its output up to and with the first "\n", or up to its end.
    std::string readLine() {
        std::string line;
        char c = 0;
        DWORD got = 0;
        while (line.find('\n') == std::string::npos && ::ReadFile(fromChild_, &c, 1, &got, nullptr) && got == 1) {
            line.push_back(c);
        }
        return line;
    }
    // All of its output, as bytes.
    std::string readAll() {
        std::string all;
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(fromChild_, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
            all.append(buffer, got);
        }
        return all;
    }
    // Closes its standard input: a holder lets go of its file and ends.
    void closeInput() {
        if (toChild_ != nullptr) {
            ::CloseHandle(toChild_);
            toChild_ = nullptr;
        }
    }
    // Its exit status once it has ended; -1 when it doesn't end in 30 s.
    int wait() {
        if (!started_ || ::WaitForSingleObject(process_.hProcess, 30000) != WAIT_OBJECT_0) return -1;
        DWORD status = 0;
        ::GetExitCodeProcess(process_.hProcess, &status);
        return static_cast<int>(status);
    }

private:
    HANDLE toChild_ = nullptr;
    HANDLE fromChild_ = nullptr;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

// How a holder opens its file: for writing, letting others only read, or
// letting no one else in at all.
enum class Hold { Writing, Exclusively };

// This test program started again to hold path open until the returned
// process is destroyed; it has said "held\n" once the file is open.
inline std::wstring holderCommandLine(Hold hold, const std::wstring& path) {
    wchar_t self[MAX_PATH * 4] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    return quotedArgument(self) + L" --hold " + (hold == Hold::Writing ? L"writing " : L"exclusively ") +
           quotedArgument(path);
}

}  // namespace kinfold::testing_support
