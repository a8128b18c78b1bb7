// Window tests: a real QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv) {
    // Test discovery runs this binary without the test's environment.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        const auto dir = std::filesystem::temp_directory_path() / "tobrak-xdg-runtime";
        std::filesystem::create_directories(dir);
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    // Never the user's own settings.
    const auto config = std::filesystem::temp_directory_path() / "tobrak-test-config";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
