// A scratch directory for tests that touch files, removed again afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

namespace wallcine::test_support {

class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        const std::string name = "wallcine_core_test_" + std::to_string(random()) + "_" + std::to_string(random());
        dir_ = std::filesystem::temp_directory_path() / name;
        ASSERT_TRUE(std::filesystem::create_directory(dir_)) << dir_.string();
    }

    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    // Full path (as the 8-bit string the core takes) of `name` in the directory.
    std::string PathOf(std::string_view name) const { return (dir_ / std::string(name)).string(); }

    void WriteBytes(std::string_view name, std::string_view bytes) const {
        std::ofstream out(dir_ / std::string(name), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good()) << name;
    }

    std::string ReadBytes(std::string_view name) const {
        std::ifstream in(dir_ / std::string(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dir_;
};

}  // namespace wallcine::test_support
