#pragma once

// Files for the tests: a fresh temporary folder per test, and reading a file whole.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kelnor::testing_support {

inline std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A test with a folder of its own in /tmp, removed with everything in it afterwards.
class TemporaryFolderTest : public testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/kelnor-test-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::filesystem::path dir;
};

}  // namespace kelnor::testing_support
