// A script's shot lands whole: a reader polling the file while shots replace it only ever reads a
// complete picture, and no temporary file stays behind.
#include "platform/Dispatcher.h"
#include "platform/headless/HeadlessPlatform.h"
#include "tests/core/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace parlora;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(HeadlessShot, AReaderPollingTheFileNeverSeesAPartialPicture) {
    test::TempDir dir;
    const std::string shot = dir.file("frame.png");
    HeadlessPlatform platform;
    Dispatcher dispatcher{platform.clock(), &platform};
    platform.attach(dispatcher);
    // A large, noisy frame, so that writing it takes many system calls.
    Surface frame(1024, 768, 0xFF000000u);
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            frame.row(y)[x] = 0xFF000000u | uint32_t(x * 2654435761u ^ y * 40503u);
    platform.headlessDisplay().present(frame, {});
    std::string whole = frame.encodePng();
    dir.write("frame.png", "not a picture yet");

    std::atomic<bool> done{false};
    std::atomic<int> reads{0}, partial{0};
    std::thread reader([&] {
        while (!done) {
            std::string seen = ReadAll(shot);
            ++reads;
            if (seen != "not a picture yet" && seen != whole) ++partial;
        }
    });
    std::vector<std::string> lines;
    for (int i = 0; i < 5; ++i)
        lines.push_back("shot " + shot);
    platform.setScriptLines(lines);
    dispatcher.run();
    done = true;
    reader.join();

    EXPECT_FALSE(platform.scriptFailed());
    EXPECT_EQ(ReadAll(shot), whole);
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(partial.load(), 0) << "of " << reads.load() << " reads";
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"frame.png"});
}

} // namespace
