#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/OutputFile.h"

namespace fs = std::filesystem;

namespace {

std::string textOf(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class OutputFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "output-file-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    // The names in the folder, sorted.
    std::vector<std::string> names() const
    {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder_)) found.push_back(entry.path().filename());
        std::sort(found.begin(), found.end());
        return found;
    }

    fs::path folder_;
};

}  // namespace

// Every kind of name for a file that a user may give, and what becomes of it. (Pipes and
// devices are in the end-to-end test of the clip's targets.)
TEST_F(OutputFileTest, EachKindOfTargetIsReplacedOrWrittenStraightInto)
{
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> make;  // puts the kind of thing at the path
        const char* file;                           // where the text ends up, in the folder
        std::vector<std::string> after;             // the folder's names once committed
    };
    const Case cases[] = {
        {"nothing there", [](const fs::path&) {}, "out", {"out"}},
        {"a regular file", [](const fs::path& p) { std::ofstream(p) << "old text, longer than the new"; }, "out",
         {"out"}},
        {"a link to a file",
         [](const fs::path& p) {
             std::ofstream(p.parent_path() / "real") << "old";
             fs::create_symlink("real", p);
         },
         "real", {"out", "real"}},
        {"a link to nothing", [](const fs::path& p) { fs::create_symlink("made", p); }, "made", {"made", "out"}},
        {"a link to a link",
         [](const fs::path& p) {
             fs::create_symlink("middle", p);
             fs::create_symlink("end", p.parent_path() / "middle");
         },
         "end", {"end", "middle", "out"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder_);
        fs::create_directory(folder_);
        const fs::path path = folder_ / "out";
        c.make(path);
        OutputFile file;
        std::string error;
        ASSERT_TRUE(file.open(path, error)) << error;
        EXPECT_TRUE(file.replacesTarget());
        EXPECT_EQ(file.target(), (folder_ / c.file).string());
        ASSERT_TRUE(file.write("new\n", error)) << error;
        // Until committed the name keeps what it had; the text is in the part file.
        EXPECT_EQ(fs::path(file.partPath()).parent_path(), folder_);
        EXPECT_EQ(fs::path(file.partPath()).filename().string().rfind(".", 0), 0u) << file.partPath();
        EXPECT_EQ(textOf(file.partPath()), "new\n");
        ASSERT_TRUE(file.commit(error)) << error;
        EXPECT_EQ(textOf(folder_ / c.file), "new\n");
        EXPECT_EQ(names(), c.after);
        if (std::string(c.file) != "out") {
            EXPECT_TRUE(fs::is_symlink(fs::symlink_status(path))) << "a link stays one";
        }
    }
}

// A file with no name left, reached through /proc as /dev/stdout reaches one: there is no name
// to rename over, so it is written straight into, not beside a name made up from the link.
TEST_F(OutputFileTest, AFileWithNoNameLeftIsWrittenStraightInto)
{
    const fs::path gone = folder_ / "gone";
    const int held = ::open(gone.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::write(held, "old text", 8), 8);
    fs::remove(gone);
    OutputFile file;
    std::string error;
    ASSERT_TRUE(file.open("/proc/self/fd/" + std::to_string(held), error)) << error;
    EXPECT_FALSE(file.replacesTarget());
    ASSERT_TRUE(file.write("new", error) && file.commit(error)) << error;
    char text[16] = {};
    EXPECT_EQ(pread(held, text, sizeof text, 0), 3) << "the old text is cut off";
    EXPECT_STREQ(text, "new");
    close(held);
    EXPECT_TRUE(names().empty()) << "nothing made in the folder";
}
