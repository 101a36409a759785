#pragma once

// Files for the tests: a fresh temporary folder per test, and reading a file whole.

#include <gtest/gtest.h>
#include <stdlib.h>
#ifdef _WIN32
#include <process.h>
#endif

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
#ifdef _WIN32
        // The user's temporary folder, with a name no other test holds.
        static unsigned counter = 0;
        const auto base = std::filesystem::temp_directory_path();
        do {
            dir = base /
                  ("kelnor-test-" + std::to_string(_getpid()) + "-" + std::to_string(counter++));
        } while (!std::filesystem::create_directory(dir));
#else
        char name[] = "/tmp/kelnor-test-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
#endif
    }
    void TearDown() override {
        std::filesystem::remove_all(dir);
    }

    std::filesystem::path dir;
};

}  // namespace kelnor::testing_support
