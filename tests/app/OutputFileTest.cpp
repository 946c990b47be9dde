#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/OutputFile.h"
#include "app/SignalCleanup.h"

namespace fs = std::filesystem;

namespace {

std::string textOf(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

mode_t permissionsOf(const fs::path& path)
{
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
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

// Every kind of name a user may give, and what becomes of it.
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

TEST_F(OutputFileTest, PipesAndDevicesAreWrittenStraightInto)
{
    const fs::path fifo = folder_ / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);  // so that opening to write does not wait
    ASSERT_GE(reader, 0);
    OutputFile file;
    std::string error;
    ASSERT_TRUE(file.open(fifo, error)) << error;
    EXPECT_FALSE(file.replacesTarget());
    ASSERT_TRUE(file.write("through the pipe", error)) << error;
    ASSERT_TRUE(file.commit(error)) << error;
    char read[32] = {};
    EXPECT_EQ(::read(reader, read, sizeof read), 16);
    EXPECT_STREQ(read, "through the pipe");
    close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo)) << "the pipe is still a pipe";

    // A device of the user's own, where one can be made; /dev/null otherwise.
    fs::path device = folder_ / "null";
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) device = "/dev/null";
    ASSERT_TRUE(file.open(device, error)) << error;
    EXPECT_FALSE(file.replacesTarget());
    ASSERT_TRUE(file.write("gone", error)) << error;
    ASSERT_TRUE(file.commit(error)) << error;
    EXPECT_TRUE(fs::is_character_file(device)) << device << " is no longer a device";

    // A file with no name left, reached through /proc as /dev/stdout reaches one: written
    // straight into, as there is no name to rename over.
    const fs::path gone = folder_ / "gone";
    const int held = ::open(gone.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::write(held, "old text", 8), 8);
    fs::remove(gone);
    ASSERT_TRUE(file.open("/proc/self/fd/" + std::to_string(held), error)) << error;
    EXPECT_FALSE(file.replacesTarget());
    ASSERT_TRUE(file.write("new", error) && file.commit(error)) << error;
    char text[16] = {};
    EXPECT_EQ(pread(held, text, sizeof text, 0), 3);
    EXPECT_STREQ(text, "new");
    close(held);
    EXPECT_FALSE(fs::exists(folder_ / "gone (deleted)"));

    // A device that refuses the bytes: the reason, and still a device.
    if (access("/dev/full", W_OK) == 0) {
        ASSERT_TRUE(file.open("/dev/full", error)) << error;
        EXPECT_FALSE(file.write("x", error));
        EXPECT_EQ(error, "No space left on device");
        file.discard();
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
}

TEST_F(OutputFileTest, AReplacedFileKeepsItsPermissionBits)
{
    const fs::path path = folder_ / "lines";
    std::ofstream(path) << "old";
    fs::permissions(path, fs::perms(0640));
    OutputFile file;
    std::string error;
    ASSERT_TRUE(file.open(path, error)) << error;
    ASSERT_TRUE(file.write("new", error)) << error;
    ASSERT_TRUE(file.commit(error)) << error;
    EXPECT_EQ(permissionsOf(path), 0640u);
    EXPECT_EQ(textOf(path), "new");
}

TEST_F(OutputFileTest, WhatIsNotCommittedLeavesTheOldFileAndNoPartFile)
{
    const fs::path path = folder_ / "lines";
    std::ofstream(path) << "old";
    {
        OutputFile file;
        std::string error;
        ASSERT_TRUE(file.open(path, error)) << error;
        ASSERT_TRUE(file.write("half", error)) << error;
        EXPECT_EQ(names().size(), 2u);
    }  // destroyed unfinished
    EXPECT_EQ(names(), std::vector<std::string>{"lines"});
    EXPECT_EQ(textOf(path), "old");

    // A second writer to the same name while the first is open: each writes its own part, and
    // the last to commit leaves its whole text.
    OutputFile first, second;
    std::string error;
    ASSERT_TRUE(first.open(path, error));
    ASSERT_TRUE(second.open(path, error));
    EXPECT_NE(first.partPath(), second.partPath());
    ASSERT_TRUE(first.write("first\n", error));
    ASSERT_TRUE(second.write("second\n", error));
    ASSERT_TRUE(first.commit(error));
    ASSERT_TRUE(second.commit(error));
    EXPECT_EQ(textOf(path), "second\n");
    EXPECT_EQ(names(), std::vector<std::string>{"lines"});
}

TEST_F(OutputFileTest, NamesThatCannotBeWrittenSayWhy)
{
    fs::create_directory(folder_ / "folder");
    struct Case {
        fs::path path;
        const char* reason;
    };
    const Case cases[] = {
        {folder_ / "folder", "Is a directory"},
        {folder_ / "missing" / "out", "No such file or directory"},
        {"", "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        OutputFile file;
        std::string error;
        EXPECT_FALSE(file.open(c.path, error));
        EXPECT_EQ(error, c.reason);
        EXPECT_FALSE(file.isOpen());
    }
    EXPECT_EQ(names(), std::vector<std::string>{"folder"});
    EXPECT_TRUE(fs::is_empty(folder_ / "folder"));
}

// A second stop signal ends the process from inside the handler: the part file must go too.
TEST_F(OutputFileTest, ThePartFileIsHeldForTheSignalHandlerUntilCommitted)
{
    GTEST_FLAG_SET(death_test_style, "fast");  // the child must see this test's own part file
    const fs::path path = folder_ / "clip.gif";
    OutputFile file;
    std::string error;
    ASSERT_TRUE(file.open(path, error)) << error;
    const std::string part = file.partPath();
    EXPECT_EXIT(
        {
            SignalCleanup::run();  // in a child: as a handler would, just before the process ends
            std::_Exit(access(part.c_str(), F_OK) == 0 ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_FALSE(fs::exists(part)) << "the handler removed it";
    file.discard();

    // Once committed, the name is no longer the handler's to remove.
    ASSERT_TRUE(file.open(path, error)) << error;
    ASSERT_TRUE(file.write("whole", error));
    ASSERT_TRUE(file.commit(error));
    EXPECT_EXIT(
        {
            SignalCleanup::run();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(textOf(path), "whole");
}

TEST_F(OutputFileTest, SamePlaceFollowsLinksAndFolders)
{
    std::ofstream(folder_ / "a") << "x";
    fs::create_symlink("a", folder_ / "link-to-a");
    fs::create_directory(folder_ / "sub");
    struct Case {
        fs::path first, second;
        bool same;
    };
    const Case cases[] = {
        {folder_ / "a", folder_ / "a", true},
        {folder_ / "a", folder_ / "sub" / ".." / "a", true},
        {folder_ / "a", folder_ / "link-to-a", true},
        {folder_ / "new", folder_ / "sub" / ".." / "new", true},
        {folder_ / "new", folder_ / "other", false},
        {folder_ / "a", folder_ / "new", false},
        {folder_ / "sub" / "a", folder_ / "a", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first.string() + " and " + c.second.string());
        EXPECT_EQ(OutputFile::samePlace(c.first, c.second), c.same);
        EXPECT_EQ(OutputFile::samePlace(c.second, c.first), c.same);
    }
}
