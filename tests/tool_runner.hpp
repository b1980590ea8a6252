// Runs the built sealforge as a separate process in a fresh folder of its
// own and captures what it prints, its exit status and the files it leaves.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct ToolResult {
    int status = -1;  // exit status; 128 + signal number if killed by one
    std::string out;  // standard output, byte for byte
    std::string err;  // standard error
};

struct RunOptions {
    // Largest file the tool may write (POSIX only); SIGXFSZ is left at its
    // default action, which kills, unless the tool is started with it ignored.
    std::optional<std::uint64_t> file_size_limit;
    bool start_with_sigxfsz_ignored = false;
    // Where standard output goes instead of being captured (POSIX only).
    std::optional<std::filesystem::path> standard_output;

    static RunOptions file_size_limited_to(std::uint64_t bytes, bool sigxfsz_ignored = false)
    {
        RunOptions options;
        options.file_size_limit = bytes;
        options.start_with_sigxfsz_ignored = sigxfsz_ignored;
        return options;
    }
    static RunOptions output_to(const std::filesystem::path& path)
    {
        RunOptions options;
        options.standard_output = path;
        return options;
    }
};

class ToolRun : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs sealforge with `args`, in work().
    ToolResult run(const std::vector<std::string>& args, const RunOptions& options = {});

    // The folder the tool runs in; empty at the start of each test.
    const std::filesystem::path& work() const { return work_; }
    std::vector<std::string> entries() const;  // names in work(), sorted
    std::vector<std::uint8_t> read_file(const std::filesystem::path& path) const;
    void write_file(const std::filesystem::path& path, const std::string& content) const;

private:
    std::filesystem::path root_, work_;
};
