// Files written together: all appear, or every earlier file stays as it was.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <set>

#include "file_helpers.h"
#include "safe_file.h"

using namespace lw;
using namespace lwtest;
namespace fs = std::filesystem;

TEST(StagedFiles, AllAppearTogetherOrNoneReplacesAnything) {
    const fs::path dir = fs::temp_directory_path() / ("lw-staged-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "sub");
    WriteAll(dir / "a.tab", "old a");
    auto names = [&] {
        std::set<std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(dir)) out.insert(e.path().filename().string());
        return out;
    };
    {
        StagedFiles staged;
        ASSERT_TRUE(staged.Stage((dir / "a.tab").string(), "new a"));
        ASSERT_TRUE(staged.Stage((dir / "b.tab").string(), "new b"));
        EXPECT_EQ(ReadAll(dir / "a.tab"), "old a") << "nothing in place before the commit";
        EXPECT_FALSE(fs::exists(dir / "b.tab"));
        ASSERT_TRUE(staged.Commit());
    }
    EXPECT_EQ(ReadAll(dir / "a.tab"), "new a");
    EXPECT_EQ(ReadAll(dir / "b.tab"), "new b");
    EXPECT_EQ(names(), (std::set<std::string>{"a.tab", "b.tab", "sub"}));

    // The last file cannot be put in place: the first goes back to what it was.
    {
        StagedFiles staged;
        ASSERT_TRUE(staged.Stage((dir / "a.tab").string(), "newer a"));
        ASSERT_TRUE(staged.Stage((dir / "c.tab").string(), "c"));
        ASSERT_TRUE(staged.Stage((dir / "sub" / "d.tab").string(), "d"));
        fs::remove_all(dir / "sub");
        std::string error;
        EXPECT_FALSE(staged.Commit(&error));
        EXPECT_NE(error.find("d.tab"), std::string::npos) << error;
    }
    EXPECT_EQ(ReadAll(dir / "a.tab"), "new a");
    EXPECT_EQ(names(), (std::set<std::string>{"a.tab", "b.tab"})) << "no new file, no temporary left";

    // Never committed: the temporaries go with the object.
    {
        StagedFiles staged;
        ASSERT_TRUE(staged.Stage((dir / "e.tab").string(), "e"));
    }
    EXPECT_EQ(names(), (std::set<std::string>{"a.tab", "b.tab"}));
    fs::remove_all(dir);
}
