#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/registry.h"
#include "platform/working_directory.h"

namespace veltrin {
namespace {

namespace fs = std::filesystem;

// A temporary tree with a start folder, a default folder and a config home;
// restores the current directory and XDG_CONFIG_HOME afterwards.
struct WorkingDirFixture : ::testing::Test {
    fs::path root, start, defaultDir, config;
    fs::path savedCwd;
    std::string savedXdg;
    bool hadXdg = false;

    void SetUp() override
    {
        root = fs::temp_directory_path() /
               ("veltrin_wd_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        start = root / "start";
        defaultDir = root / "station data";
        config = root / "config";
        fs::create_directories(start);
        fs::create_directories(defaultDir);
        savedCwd = fs::current_path();
        fs::current_path(start);
        if (const char* x = std::getenv("XDG_CONFIG_HOME")) {
            hadXdg = true;
            savedXdg = x;
        }
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    }
    void TearDown() override
    {
        fs::current_path(savedCwd);
        if (hadXdg)
            ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(root);
    }
    Registry registry() const { return Registry(Registry::defaultPath()); }
};

TEST_F(WorkingDirFixture, RegistryLivesInTheConfigHome)
{
    EXPECT_EQ(Registry::defaultPath(), (config / "veltrin" / "registry.ini").string());
}

TEST_F(WorkingDirFixture, DefaultDirIsEnteredWhenNoSettingsFileIsHere)
{
    Registry reg = registry();
    ASSERT_TRUE(reg.writeString("DefaultDir", defaultDir.string()));
    WorkingDirectoryChoice choice = selectWorkingDirectory(reg);
    EXPECT_TRUE(choice.changed);
    EXPECT_EQ(choice.dir, defaultDir.string());
    EXPECT_EQ(fs::canonical(fs::current_path()), fs::canonical(defaultDir));
    EXPECT_EQ(workingDirectoryNotice(choice.dir),
              "Working directory was changed to default directory\r\n" + defaultDir.string() + "\r\n");
}

TEST_F(WorkingDirFixture, SettingsFileHereKeepsDirectoryAndLeavesRegistryUnread)
{
    std::ofstream(start / "VELTRIN.INI") << "[Main]\r\n";
    Registry reg = registry();
    WorkingDirectoryChoice choice = selectWorkingDirectory(reg);
    EXPECT_FALSE(choice.changed);
    EXPECT_EQ(fs::canonical(fs::current_path()), fs::canonical(start));
    // Not even opened: opening would have created it.
    EXPECT_FALSE(fs::exists(reg.path()));
}

TEST_F(WorkingDirFixture, MissingValueOrUnusableDirectoryKeepsDirectory)
{
    Registry reg = registry();
    EXPECT_FALSE(selectWorkingDirectory(reg).changed);
    EXPECT_TRUE(fs::exists(reg.path()));  // "created when missing"
    EXPECT_EQ(fs::canonical(fs::current_path()), fs::canonical(start));

    ASSERT_TRUE(reg.writeString("DefaultDir", (root / "gone").string()));
    EXPECT_FALSE(selectWorkingDirectory(reg).changed);
    EXPECT_EQ(fs::canonical(fs::current_path()), fs::canonical(start));
}

TEST_F(WorkingDirFixture, RegistryValuesReadBackAndNumbersParse)
{
    Registry reg = registry();
    EXPECT_EQ(reg.readInt("Isx64", 0), 0);
    ASSERT_TRUE(reg.writeString("Isx64", "1"));
    ASSERT_TRUE(reg.writeString("defaultdir", "/a"));
    ASSERT_TRUE(reg.writeString("DEFAULTDIR", "/b"));  // names ignore case: replaced, not added
    EXPECT_EQ(reg.readInt("isx64", 0), 1);
    EXPECT_EQ(reg.readString("DefaultDir").value_or(""), "/b");
    ASSERT_TRUE(reg.writeString("Isx64", "yes"));
    EXPECT_EQ(reg.readInt("Isx64", 7), 7);
}

}  // namespace
}  // namespace veltrin
