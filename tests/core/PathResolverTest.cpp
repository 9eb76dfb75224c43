#include "core/PathResolver.h"

#include "TempDir.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace parlora;
using parlora::test::TempDir;

namespace {

class PathResolverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PathResolver::ClearCache();
        dir.write("Data/Targets/Target20/FD/MFD1.aif", "x");
        dir.write("Data/sources/1source/General/learn20.png", "x");
    }
    TempDir dir;
};

} // namespace

TEST_F(PathResolverTest, ResolvesEachComponentWithoutCase) {
    std::string root = dir.path();
    EXPECT_EQ(PathResolver::Resolve(root + "\\data\\targets\\TARGET20\\fd\\mfd1.AIF"),
              root + "/Data/Targets/Target20/FD/MFD1.aif");
    EXPECT_EQ(PathResolver::Resolve(root + "/DATA/Sources\\1SOURCE/general/Learn20.PNG"),
              root + "/Data/sources/1source/General/learn20.png");
    EXPECT_TRUE(PathResolver::IsFile(root + "\\DATA\\targets\\target20\\FD\\mfd1.aif"));
    EXPECT_TRUE(PathResolver::IsDirectory(root + "\\data\\TARGETS"));
    EXPECT_FALSE(PathResolver::IsDirectory(root + "\\data\\TARGETS\\target20\\fd\\mfd1.aif"));
}

TEST_F(PathResolverTest, MissingComponentsAreKeptAsGiven) {
    std::string root = dir.path();
    EXPECT_EQ(PathResolver::Resolve(root + "\\data\\Targets\\Target21\\FD\\x.aif"),
              root + "/Data/Targets/Target21/FD/x.aif");
    EXPECT_FALSE(PathResolver::Exists(root + "\\data\\Targets\\Target21"));
    EXPECT_EQ(PathResolver::Resolve(root + "//data/./targets/../TARGETS/"),
              root + "/Data/./Targets/../Targets");
}

TEST_F(PathResolverTest, RelativePathsStayRelative) {
    auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    std::string resolved = PathResolver::Resolve("data\\targets");
    std::filesystem::current_path(old);
    EXPECT_EQ(resolved, "Data/Targets");
}

TEST_F(PathResolverTest, ExactNameWinsAndNewFilesAreSeen) {
    std::string root = dir.path();
    dir.write("Data/Readme.TXT", "a");
    dir.write("Data/readme.txt", "b");
    EXPECT_EQ(PathResolver::Resolve(root + "/Data/readme.txt"), root + "/Data/readme.txt");
    EXPECT_EQ(PathResolver::Resolve(root + "/Data/Readme.TXT"), root + "/Data/Readme.TXT");
    EXPECT_EQ(PathResolver::Resolve(root + "/Data/README.txt"), root + "/Data/Readme.TXT") << "smallest name";

    EXPECT_FALSE(PathResolver::Exists(root + "/data/NEW.ini"));
    dir.write("Data/new.ini", "x"); // the folder's mtime moves, its listing is read again
    EXPECT_EQ(PathResolver::Resolve(root + "/data/NEW.ini"), root + "/Data/new.ini");
}

TEST_F(PathResolverTest, WarmLookupsAreFast) {
    std::string path = dir.path() + "\\data\\targets\\TARGET20\\fd\\mfd1.AIF";
    PathResolver::Resolve(path);
    const int rounds = 2000;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        PathResolver::Resolve(path);
    auto perCall = (std::chrono::steady_clock::now() - start) / rounds;
    // Generous, for a loaded CI machine; it measures around a few microseconds.
    EXPECT_LT(perCall, std::chrono::microseconds(100));
}

TEST(PathResolverJoin, JoinsWithOneSlash) {
    EXPECT_EQ(PathResolver::Join("data\\", "\\targets"), "data/targets");
    EXPECT_EQ(PathResolver::Join("data", "targets\\target1"), "data/targets\\target1");
    EXPECT_EQ(PathResolver::Join("", "x"), "x");
    EXPECT_EQ(PathResolver::Join("data/", ""), "data");
    EXPECT_EQ(PathResolver::Join("/", "tmp"), "/tmp");
}
