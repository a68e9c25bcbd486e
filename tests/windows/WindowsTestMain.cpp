// The Windows tests' own main: started with --hold, the program is the other
// process that holds a file open while a test reads it.
#include "WindowsProcess.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

int holdFile(std::wstring_view how, const wchar_t* path) {
    const bool writing = how == L"writing";
    // Writing, it lets others read alone, as an emulator that saves into the ROM may.
    const DWORD share = writing ? FILE_SHARE_READ : 0;
    HANDLE file = ::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD put = 0;
    if (file == INVALID_HANDLE_VALUE) {
        ::WriteFile(out, "failed\n", 7, &put, nullptr);
        return 1;
    }
    if (writing) {
        // Written to while the test reads it: the end grows by a byte.
        ::SetFilePointer(file, 0, nullptr, FILE_END);
        ::WriteFile(file, "!", 1, &put, nullptr);
        ::FlushFileBuffers(file);
    }
    ::WriteFile(out, "held\n", 5, &put, nullptr);
    char c = 0;
    while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), &c, 1, &put, nullptr) && put > 0) {}
    ::CloseHandle(file);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wstring_view(argv[1]) == L"--hold") {
        return holdFile(argv[2], argv[3]);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
