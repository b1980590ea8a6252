// End to end: the built sealforge, run as a process in a fresh folder.
#include "marker_reader.hpp"
#include "marker_texture/marker_texture.hpp"
#include "tool_runner.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
namespace mt = marker_texture;

namespace {

const std::string usage = "sealforge texture.tqv identifier";

std::string creation_line(const std::string& path, const std::string& id)
{
    return "Creating texture <" + path + "> with id '" + id + "'\n";
}

// Standard output is in text mode on Windows: line feeds arrive as CR LF.
std::string lines(std::string text)
{
#ifdef _WIN32
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
#endif
    return text;
}

// A finished marker: the template everywhere but level 1's pixel data, which
// hold the magic, a zero byte, the identifier unchanged and zeros after it.
void expect_marker(const std::vector<std::uint8_t>& bytes, const std::string& id)
{
    ASSERT_EQ(bytes.size(), 1428u);
    const auto& tpl = mt::texture_template;
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 1166, tpl.begin())) << "header or level 0 changed";
    EXPECT_TRUE(std::equal(bytes.begin() + 1422, bytes.end(), tpl.begin() + 1422)) << "end marker changed";
    EXPECT_EQ(std::string(bytes.begin() + 1166, bytes.begin() + 1180), std::string("QELMLIB_MAGIC\0", 14));
    ASSERT_LE(id.size(), 241u);
    EXPECT_EQ(std::string(bytes.begin() + 1180, bytes.begin() + 1180 + id.size()), id);
    for (std::size_t at = 1180 + id.size(); at < 1422; ++at) ASSERT_EQ(bytes[at], 0) << "at " << at;

    marker_reader::Texture texture;
    std::string error;
    ASSERT_TRUE(marker_reader::read_texture(bytes, texture, error)) << error;
    ASSERT_EQ(texture.levels.size(), 2u);
    EXPECT_EQ(texture.levels[1].header_offset, 1159u);
    EXPECT_EQ(texture.levels[1].width, 64u);
    EXPECT_EQ(texture.levels[1].height, 4u);
    EXPECT_EQ(texture.levels[1].data_size, 256u);
}

std::string reason(int error)
{
    return std::strerror(error);
}

}  // namespace

using Sealforge = ToolRun;

TEST_F(Sealforge, WritesMarkerAndReportsDoneWithStatusOne)
{
    const ToolResult r = run({"marker.tqv", "level-7 marker"});
    EXPECT_EQ(lines(r.out), creation_line("marker.tqv", "level-7 marker") + "Done\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(entries(), std::vector<std::string>{"marker.tqv"});
    expect_marker(read_file("marker.tqv"), "level-7 marker");
}

TEST_F(Sealforge, FewerThanTwoOperandsPrintUsageOnlyWithStatusZero)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"marker.tqv"}}) {
        SCOPED_TRACE(args.size());
        const ToolResult r = run(args);
        EXPECT_EQ(r.out, usage);  // exactly, with no line break
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(entries().empty());
    }
}

TEST_F(Sealforge, OperandsAfterTheSecondAreIgnored)
{
    const ToolResult r = run({"marker.tqv", "id", "extra.tqv", "more"});
    EXPECT_EQ(lines(r.out), creation_line("marker.tqv", "id") + "Done\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(entries(), std::vector<std::string>{"marker.tqv"});
    expect_marker(read_file("marker.tqv"), "id");
}

TEST_F(Sealforge, ExistingLongerFileIsReplacedByExactlyTheMarker)
{
    write_file("marker.tqv", std::string(5000, 'z'));
    const ToolResult r = run({"marker.tqv", "again"});
    EXPECT_EQ(r.status, 1);
    expect_marker(read_file("marker.tqv"), "again");
}

TEST_F(Sealforge, PercentSignsInOperandsArePrintedVerbatim)
{
    const ToolResult r = run({"100%s%d.tqv", "%s%n%x%%"});
    EXPECT_EQ(lines(r.out), creation_line("100%s%d.tqv", "%s%n%x%%") + "Done\n");
    EXPECT_EQ(r.status, 1);
    expect_marker(read_file("100%s%d.tqv"), "%s%n%x%%");
}

TEST_F(Sealforge, DifferentIdentifiersDifferOnlyInTheIdentifierField)
{
    ASSERT_EQ(run({"a.tqv", "alpha"}).status, 1);
    ASSERT_EQ(run({"b.tqv", "beta-longer"}).status, 1);
    const std::vector<std::uint8_t> a = read_file("a.tqv"), b = read_file("b.tqv");
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t at = 0; at < a.size(); ++at) {
        if (a[at] != b[at]) {
            EXPECT_TRUE(at >= 1180 && at < 1422) << "differ at " << at;
        }
    }
}

struct IdentifierCase {
    const char* name;
    std::string id;
};

void PrintTo(const IdentifierCase& c, std::ostream* os)
{
    *os << c.name;
}

class SealforgeIdentifier : public ToolRun, public testing::WithParamInterface<IdentifierCase> {};

TEST_P(SealforgeIdentifier, IsShownAndStoredByteForByte)
{
    const std::string& id = GetParam().id;
    const ToolResult r = run({"marker.tqv", id});
    EXPECT_EQ(lines(r.out), creation_line("marker.tqv", id) + "Done\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 1);
    expect_marker(read_file("marker.tqv"), id);
}

const IdentifierCase identifier_cases[] = {
    {"empty", ""},
    {"spaces", "two words  and more"},
    {"longest", std::string(241, 'L')},
    {"line_feed", "first\nsecond"},
    {"quotes_and_backslashes", "a \"b\" c\\\\"},
#ifndef _WIN32  // Windows passes arguments through the ANSI code page
    {"non_ascii", "\xC3\xA9t\xC3\xA9-\x80\xFF"},
#endif
};

INSTANTIATE_TEST_SUITE_P(Identifiers, SealforgeIdentifier, testing::ValuesIn(identifier_cases),
                         [](const testing::TestParamInfo<IdentifierCase>& info) { return std::string(info.param.name); });

TEST_F(Sealforge, TooLongIdentifierIsRefusedBeforeAnythingHappens)
{
    write_file("marker.tqv", "keep me");
    const ToolResult r = run({"marker.tqv", std::string(242, 'x')});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(lines(r.err), "sealforge: identifier is 242 bytes long; at most 241 bytes fit\n");
    EXPECT_EQ(r.status, 2);
    const std::vector<std::uint8_t> kept = read_file("marker.tqv");
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "keep me");
}

TEST_F(Sealforge, PathInMissingFolderFailsWithReasonAndStatusTwo)
{
    const std::string path = "no-such-folder/marker.tqv";
    const ToolResult r = run({path, "id"});
    EXPECT_EQ(lines(r.out), creation_line(path, "id"));
    EXPECT_EQ(lines(r.err), "sealforge: " + path + ": " + reason(ENOENT) + "\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(entries().empty());
}

TEST_F(Sealforge, FolderAsPathFailsAndIsLeftAlone)
{
    fs::create_directory(work() / "folder");
    write_file("folder/inside", "x");
    const ToolResult r = run({"folder", "id"});
    EXPECT_EQ(lines(r.out), creation_line("folder", "id"));
    EXPECT_EQ(lines(r.err).rfind("sealforge: folder: ", 0), 0u) << r.err;
    EXPECT_GT(lines(r.err).size(), std::string("sealforge: folder: \n").size());
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(fs::is_directory(work() / "folder"));
    EXPECT_TRUE(fs::exists(work() / "folder" / "inside"));
}

#ifndef _WIN32

TEST_F(Sealforge, FullDeviceFailsAndIsNotRemoved)
{
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    const ToolResult r = run({"/dev/full", "id"});
    EXPECT_EQ(r.out, creation_line("/dev/full", "id"));
    EXPECT_EQ(r.err, "sealforge: /dev/full: " + reason(ENOSPC) + "\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(Sealforge, FileSizeLimitFailsPartWayAndLeavesNoFile)
{
    // Whether the caller ignores SIGXFSZ or leaves its default (which kills),
    // the write fails, is reported, and the partial file goes.
    for (const bool sigxfsz_ignored : {true, false}) {
        SCOPED_TRACE(sigxfsz_ignored ? "SIGXFSZ ignored" : "SIGXFSZ default");
        write_file("marker.tqv", "old contents");
        const ToolResult r = run({"marker.tqv", "id"}, RunOptions::file_size_limited_to(1000, sigxfsz_ignored));
        EXPECT_EQ(r.out, creation_line("marker.tqv", "id"));
        EXPECT_EQ(r.err, "sealforge: marker.tqv: " + reason(EFBIG) + "\n");
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(entries().empty()) << "a half-written marker was left behind";
    }
}

TEST_F(Sealforge, FileSizeLimitJustLargeEnoughStillWritesTheMarker)
{
    const ToolResult r = run({"marker.tqv", "id"}, RunOptions::file_size_limited_to(1428));
    EXPECT_EQ(r.status, 1) << r.err;
    expect_marker(read_file("marker.tqv"), "id");
}

TEST_F(Sealforge, PipeCannotBeRepositionedAndIsLeftInPlace)
{
    const fs::path fifo = work() / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // A reader that is already there lets the tool open the pipe without blocking.
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const ToolResult r = run({"pipe", "id"});
    close(reader);
    EXPECT_EQ(r.out, creation_line("pipe", "id"));
    EXPECT_EQ(r.err, "sealforge: pipe: " + reason(ESPIPE) + "\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(Sealforge, UnwritableStandardOutputIsAFailureButKeepsTheMarker)
{
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    const ToolResult r = run({"marker.tqv", "id"}, RunOptions::output_to("/dev/full"));
    EXPECT_EQ(r.err, "sealforge: standard output: " + reason(ENOSPC) + "\n");
    EXPECT_EQ(r.status, 2);
    expect_marker(read_file("marker.tqv"), "id");  // the marker itself was written in full
}

#else

TEST(SealforgePosixOnly, SkippedOnWindows)
{
    GTEST_SKIP() << "/dev/full, RLIMIT_FSIZE and FIFO cases need a POSIX system";
}

#endif
