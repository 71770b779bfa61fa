// SPDX-License-Identifier: MIT
// The Windows programs as files: one image each, of their own machine, and
// an appended archive is seen behind the image.
#include <gtest/gtest.h>

#include <cstdlib>

#include "TestSupport.h"
#include "qxdec/ExecutableImage.h"

namespace {

uint16_t PeMachine(const std::vector<uint8_t>& file) {
    const size_t pe = file[0x3C] | file[0x3D] << 8 | file[0x3E] << 16 | static_cast<size_t>(file[0x3F]) << 24;
    return static_cast<uint16_t>(file[pe + 4] | file[pe + 5] << 8);
}

TEST(WindowsBuild, ImagesAreWholeAndOfTheirMachine) {
    const struct {
        const char* variable;
        uint16_t machine;
    } builds[] = {{"QX_WINDOWS_QXDEC", 0x8664}, {"QX_WINDOWS_QXDEC_32", 0x014C}};
    int checked = 0;
    for (const auto& build : builds) {
        const char* path = std::getenv(build.variable);
        if (!path || !*path) continue;
        ++checked;
        test::TempDir dir;
        const auto program = test::ReadBytes(path);
        ASSERT_GT(program.size(), 0x40u) << path;
        EXPECT_EQ(PeMachine(program), build.machine) << path;
        test::WriteBytes(dir.Path() / "q.exe", program);
        EXPECT_EQ(ExecutableImageLength(dir.Internal() + "q.exe"), static_cast<int64_t>(program.size()));
        test::WriteBytes(dir.Path() / "sfx.exe", AppendToProgram(program, BuildArchive({}, {})));
        EXPECT_EQ(ExecutableImageLength(dir.Internal() + "sfx.exe"), static_cast<int64_t>(program.size()));
    }
    if (checked == 0) GTEST_SKIP() << "no Windows build named";
}

}  // namespace
