// Every test gets a settings file of its own. ctest runs the tests of one program side by
// side in separate processes; without this they would read and write one shared file.
#include <QSettings>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class TIsolatedSettings : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& test) override {
        std::string name = std::string(test.test_suite_name()) + "." + test.name();
        for (char& c : name)
            if (c == '/') c = '_';  // parameterised tests carry slashes in their names
        const char* base = std::getenv("XDG_CONFIG_HOME");
        const std::filesystem::path folder =
            std::filesystem::path(base ? base : std::filesystem::temp_directory_path().string()) / "tests" / name;
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        std::filesystem::create_directories(folder, ignored);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(folder.string()));
    }
};

const bool kRegistered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new TIsolatedSettings);
    return true;
}();

} // namespace
