#include <iostream>

#include "cli.h"

#ifdef _WIN32
#include <windows.h>
// windows.h first: the shell's header stands on it.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

namespace {
// The arguments as the console typed them, in UTF-16, carried as UTF-8 as everywhere in the
// program: argv would be in the ANSI code page and lose a Japanese file name.
std::vector<std::string> wideArguments() {
    std::vector<std::string> out;
    int n = 0;
    wchar_t** w = CommandLineToArgvW(GetCommandLineW(), &n);
    if (!w) return out;
    for (int i = 1; i < n; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, w[i], -1, nullptr, 0, nullptr, nullptr);
        std::string s(size > 0 ? static_cast<std::size_t>(size - 1) : 0, '\0');
        if (size > 1) WideCharToMultiByte(CP_UTF8, 0, w[i], -1, s.data(), size, nullptr, nullptr);
        out.push_back(std::move(s));
    }
    LocalFree(w);
    return out;
}
}  // namespace
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    // Bytes as written: a PNG, PDF or .slt on standard output stays whole, and the reports
    // are byte for byte those of other systems.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    // The reports are UTF-8, and so is what the console shows.
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> args = wideArguments();
#else
    std::vector<std::string> args(argv + 1, argv + argc);
#endif
    return tobrak::cli::run(args, std::cin, std::cout, std::cerr);
}
