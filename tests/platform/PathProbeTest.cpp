// SPDX-License-Identifier: MIT
// The probe knows paths below a missing folder to be missing without
// looking: its answers must be Stat's, whatever order the paths come in.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "platform/Files.h"
#include "platform/PathProbe.h"

namespace {

namespace fs = std::filesystem;

TEST(PathProbe, AnswersAsStatDoesForPathsInAnyOrder) {
    test::TempDir dir;
    fs::create_directories(dir.Path() / "a" / "b");
    test::WriteBytes(dir.Path() / "a" / "x", test::Bytes("x"));
    test::WriteBytes(dir.Path() / "f", test::Bytes("f"));
#ifndef _WIN32
    fs::create_symlink(dir.Path() / "nowhere", dir.Path() / "dangling");
#endif
    const char* const paths[] = {
        "m/x",  "m/y",      "a/x",    "m/../a/x", "a/../a/x", "m/z/w",   "m/z/v",    "m",     "a/y",
        "a/x",  "f/x",      "f",      "dangling/x", "dangling", "a/b",  "a/b/c",   "a//x",  "m//x",
        "a/b/../x", "a/m/../x", "m/x",
    };
    platform::PathProbe probe;
    int found = 0;
    for (const char* name : paths) {
        const std::string path = dir.Internal() + name;
        platform::FileStatus status;
        const bool exists = platform::Stat(path, status);
        EXPECT_EQ(probe.Exists(path), exists) << name;
        found += exists;
    }
    EXPECT_GE(found, 7);
}

}  // namespace
