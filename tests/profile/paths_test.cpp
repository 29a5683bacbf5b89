#include "platform/paths/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "support/temp_folder.h"

namespace dz {
namespace {

namespace fs = std::filesystem;

// Sets or clears environment variables for one test and restores them after.
class ScopedEnv {
  public:
    void Set(const char* name, const char* value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }

  private:
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST(Paths, UserDataFolderByEnvironment) {
    struct Case {
        const char* override_home;
        const char* xdg;
        const char* expected;
    };
    const Case cases[] = {
        {"/t/override", "/t/xdg", "/t/override/Dozadir Keyboard"},
        {nullptr, "/t/xdg", "/t/xdg/Dozadir Keyboard"},
        {nullptr, nullptr, "/t/home/.local/share/Dozadir Keyboard"},
        {nullptr, "relative/xdg", "/t/home/.local/share/Dozadir Keyboard"},
        {"", "", "/t/home/.local/share/Dozadir Keyboard"},
    };
    for (const Case& c : cases) {
        ScopedEnv env;
        env.Set("HOME", "/t/home");
        env.Set("DOZADIR_DATA_HOME", c.override_home);
        env.Set("XDG_DATA_HOME", c.xdg);
        EXPECT_EQ(paths::ProductDataFolder(), fs::path(c.expected));
        EXPECT_EQ(paths::KindDataFolder("MousePad"), fs::path(c.expected) / "MousePad");
    }
    ScopedEnv env;
    env.Set("HOME", "/t/home");
    env.Set("DOZADIR_CONFIG_HOME", nullptr);
    env.Set("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(paths::ProductConfigFolder(), fs::path("/t/home/.config/Dozadir Keyboard"));
}

TEST(Paths, ProgramFolderInTheBuildTreeIsTheSourceData) {
    ScopedEnv env;
    env.Set("DOZADIR_PROGRAM_DATA", nullptr);
    // This test runs from the build tree.
    EXPECT_EQ(paths::ProgramDataFolder(), fs::path(std::getenv("DZ_TEST_SOURCE_DATA")));
    EXPECT_TRUE(fs::is_regular_file(paths::DefaultDataFile("keyboard")));
    env.Set("DOZADIR_PROGRAM_DATA", "/opt/elsewhere");
    EXPECT_EQ(paths::DefaultLightFile(), fs::path("/opt/elsewhere/DefaultData/default_light.json"));
}

TEST(Paths, EnsureFolderCreatesLevelsAndRefusesFiles) {
    test::TempFolder dir;
    EXPECT_TRUE(paths::EnsureFolder(dir / "a/b/c"));
    EXPECT_TRUE(fs::is_directory(dir / "a/b/c"));
    EXPECT_TRUE(paths::EnsureFolder(dir / "a/b/c"));
    test::WriteText(dir / "file", "x");
    EXPECT_FALSE(paths::EnsureFolder(dir / "file"));
    EXPECT_FALSE(paths::EnsureFolder(dir / "file/sub"));
}

}  // namespace
}  // namespace dz
