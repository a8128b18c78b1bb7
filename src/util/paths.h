#pragma once
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace tobrak {

// Paths travel through the program as UTF-8 strings, on every platform.
inline std::filesystem::path fsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
// The UTF-8 string of a path (path::string() uses the Windows code page there and
// would lose Japanese characters).
inline std::string pathUtf8(const std::filesystem::path& p) {
    const std::u8string u = p.u8string();
    return {u.begin(), u.end()};
}

// An environment variable as UTF-8, empty when unset. Windows keeps the
// environment in UTF-16, so a user folder with Japanese characters survives.
inline std::string envUtf8(const char* name) {
#ifdef _WIN32
    const std::wstring w(name, name + std::strlen(name));
    const wchar_t* v = _wgetenv(w.c_str());
    return v ? pathUtf8(std::filesystem::path(v)) : std::string();
#else
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
#endif
}

}  // namespace tobrak
