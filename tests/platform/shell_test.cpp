#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/shell.h"

using namespace veltrin;
namespace fs = std::filesystem;

namespace {

class HelpFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("veltrin_help_" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "bin");
    }
    void TearDown() override { fs::remove_all(root); }

    void touch(const fs::path& relative)
    {
        fs::create_directories((root / relative).parent_path());
        std::ofstream(root / relative) << "<html></html>\n";
    }

    fs::path root;
};

}  // namespace

TEST_F(HelpFile, FoundInTheBuildTreeOrTheInstalledTree)
{
    struct Case {
        const char* name;
        std::vector<const char*> files;    // made under root before the call
        std::vector<const char*> folders;  // likewise, as empty folders
        const char* exeDir;                // relative to root
        const char* expected;              // relative to root
    } cases[] = {
        {"build tree", {"bin/Veltrin.html"}, {}, "bin", "bin/Veltrin.html"},
        {"installed", {"share/veltrin/Veltrin.html"}, {}, "bin", "share/veltrin/Veltrin.html"},
        {"both: the one beside wins", {"bin/Veltrin.html", "share/veltrin/Veltrin.html"}, {}, "bin",
         "bin/Veltrin.html"},
        {"neither: the path beside", {}, {}, "bin", "bin/Veltrin.html"},
        {"trailing separators", {"share/veltrin/Veltrin.html"}, {}, "bin//", "share/veltrin/Veltrin.html"},
        {"a folder is no manual", {}, {"bin/Veltrin.html", "share/veltrin/Veltrin.html"}, "bin",
         "bin/Veltrin.html"},
        {"an old help file is not taken", {"bin/Veltrin.chm"}, {}, "bin", "bin/Veltrin.html"},
        {"deeper prefix", {"usr/share/veltrin/Veltrin.html"}, {}, "usr/bin", "usr/share/veltrin/Veltrin.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(root);
        fs::create_directories(root / "bin");
        fs::create_directories(root / "usr/bin");
        for (const char* file : c.files)
            touch(file);
        for (const char* folder : c.folders)
            fs::create_directories(root / folder);
        const std::string exeDir = root.string() + "/" + c.exeDir;
        EXPECT_EQ(helpFilePath(exeDir), (root / c.expected).string());
    }
}
