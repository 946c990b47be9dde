#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lab/LabOptions.h"

namespace {

LabOptions parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "battle-lab");
    LabOptions options;
    std::string error;
    EXPECT_TRUE(parseLabOptions(static_cast<int>(args.size()), args.data(), options, error)) << error;
    return options;
}

}  // namespace

TEST(LabOptionsTest, DefaultsAndGivenValues)
{
    const LabOptions none = parse({});
    EXPECT_EQ(none.battles, 100);
    EXPECT_EQ(none.firstSeed, 1u);
    EXPECT_EQ(none.jobs, availableCores());
    EXPECT_EQ(none.maxFrames, 36000);
    EXPECT_EQ(none.outPath, "");
    EXPECT_EQ(none.plotPath, "");
    EXPECT_FALSE(none.summarize);
    EXPECT_EQ(none.counts.redSoldiers, 200);
    EXPECT_EQ(none.counts.blueTanks, 50);

    const LabOptions given = parse({"--battles", "7", "--first-seed=0", "--jobs", "3", "--max-frames=60", "--out", "-",
                                    "--plot", "c.png", "--battles", "8"});
    EXPECT_EQ(given.battles, 8) << "the last of a repeated option counts";
    EXPECT_EQ(given.firstSeed, 0u);
    EXPECT_EQ(given.jobs, 3);
    EXPECT_EQ(given.maxFrames, 60);
    EXPECT_EQ(given.outPath, "-");
    EXPECT_EQ(given.plotPath, "c.png");

    const LabOptions last = parse({"--first-seed", "4294967290", "--battles", "6"});
    EXPECT_EQ(last.firstSeed, 4294967290u) << "the seeds up to 4294967295 fit";
}

// The counts are read as the battle reads them, options in between or not.
TEST(LabOptionsTest, CountsAsTheBattleReadsThem)
{
    const LabOptions six = parse({"10", "2", "--battles", "5", "3", "20", "-4", "5x"});
    EXPECT_EQ(six.counts.blueSoldiers, 10);
    EXPECT_EQ(six.counts.blueTanks, 2);
    EXPECT_EQ(six.counts.blueSnipers, 3);
    EXPECT_EQ(six.counts.redSoldiers, 20);
    EXPECT_EQ(six.counts.redTanks, -4);
    EXPECT_EQ(six.counts.redSnipers, 5);
    EXPECT_EQ(six.battles, 5);

    const LabOptions five = parse({"1", "2", "3", "4", "5"});
    EXPECT_EQ(five.counts.blueSoldiers, 200) << "fewer than six: all defaults";
    EXPECT_EQ(five.counts.redSnipers, 50);
}

// --summarize=FILE gives a file to sum up where it stands among the others.
TEST(LabOptionsTest, SummarizeWithAFileAfterAnEqualsSign)
{
    const LabOptions options = parse({"b.jsonl", "--summarize=a.jsonl", "--", "--c.jsonl"});
    EXPECT_TRUE(options.summarize);
    EXPECT_EQ(options.files, (std::vector<std::string>{"b.jsonl", "a.jsonl", "--c.jsonl"}));
    const char* empty[] = {"battle-lab", "--summarize=", "a.jsonl"};
    LabOptions refused;
    std::string error;
    EXPECT_FALSE(parseLabOptions(3, empty, refused, error));
    EXPECT_EQ(error, "--summarize= needs a file name");
}
