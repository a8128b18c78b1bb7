#include <iostream>

#include "cli.h"

#ifdef _WIN32
#include <windows.h>
// windows.h first: the shell's header stands on it.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "util/paths.h"

namespace {
// The arguments as the console typed them, in UTF-16, carried as UTF-8 as everywhere in the
// program: argv would be in the ANSI code page and lose a Japanese file name.
std::vector<std::string> wideArguments() {
    std::vector<std::string> out;
    int n = 0;
    wchar_t** w = CommandLineToArgvW(GetCommandLineW(), &n);
    if (!w) return out;
    for (int i = 1; i < n; ++i) out.push_back(tobrak::pathUtf8(std::filesystem::path(w[i])));
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
