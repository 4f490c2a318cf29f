// The example host, run as a user runs it: it shows its block, saves the picture, picks the
// block's top and takes everything down again without a fault.
#include "DemoPng.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Runs the example with `picture` as its argument and its standard output going to `output`; its
// exit status, -1 when it did not exit.
int RunExample(const std::string& picture, const std::string& output) {
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0) _exit(126);
        execl(VYR_EXAMPLE_EXECUTABLE, VYR_EXAMPLE_EXECUTABLE, picture.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(ExampleTest, SavesThePictureOfTheBlockAndPicksItsTop) {
    const std::string folder = vyrtest::ScratchDir();
    const std::string picture = folder + "/block.png";
    ASSERT_EQ(RunExample(picture, folder + "/output.txt"), 0);
    const std::string output = vyrtest::ReadFileBytes(folder + "/output.txt");
    EXPECT_NE(output.find("example: wrote " + picture + "\n"), std::string::npos) << output;

    // The picture is the window's size, its rows from the top. The block covers the middle in its
    // blue (0xD28C5A, shaded); the corners away from the axes' triad are the black background.
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    ASSERT_TRUE(vyrdemo::ReadPngRgb(picture, width, height, rgb));
    ASSERT_EQ(width, 320);
    ASSERT_EQ(height, 240);
    const auto at = [&](int x, int y) { return rgb.data() + (static_cast<size_t>(y) * width + x) * 3; };
    const unsigned char* middle = at(160, 120);
    EXPECT_GT(middle[2], middle[0] + 40) << int(middle[0]) << " " << int(middle[1]) << " " << int(middle[2]);
    EXPECT_GT(middle[2], middle[1]);
    EXPECT_GT(middle[2], 80);
    for (const unsigned char* corner : {at(3, 3), at(316, 3), at(316, 236)})
        EXPECT_LT(corner[0] + corner[1] + corner[2], 15);

    // The pick hit the block (item 1) on its top face, at the middle within a pixel's width.
    const size_t line = output.find("example: picked item ");
    ASSERT_NE(line, std::string::npos) << output;
    int item = 0;
    double x = 99, y = 99, z = 99;
    ASSERT_EQ(std::sscanf(output.c_str() + line, "example: picked item %d at (%lf, %lf, %lf)", &item, &x, &y, &z), 4);
    EXPECT_EQ(item, 1);
    EXPECT_NEAR(x, 0.0, 0.5);
    EXPECT_NEAR(y, 0.0, 0.5);
    EXPECT_NEAR(z, 10.0, 0.01);
}
