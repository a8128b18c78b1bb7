#pragma once
#include <filesystem>
#include <string>

namespace tobrak {

// Paths travel through the program as UTF-8 strings, on every platform.
inline std::filesystem::path fsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string pathUtf8(const std::filesystem::path& p) {
    const std::u8string u = p.u8string();
    return {u.begin(), u.end()};
}

}  // namespace tobrak
