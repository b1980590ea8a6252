// sealforge: writes one marker texture file.
//
//   sealforge PATH IDENTIFIER
//
// Exit status: 0 after the usage line, 1 after "Done", 2 on any failure.
// Failures are reported on standard error as "sealforge: what: reason"; a
// regular file that could not be written completely is removed.
#include "marker_texture/marker_texture.hpp"

#include <sys/stat.h>  // fstat: tells a regular file from a device or pipe

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

constexpr int exit_usage = 0;
constexpr int exit_done = 1;  // a completed run ends with 1; callers rely on it
constexpr int exit_failure = 2;

// Only a regular file may be removed after a failed write; never a device.
bool is_regular_file(std::FILE* file)
{
    struct stat status;
    return fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
}

// errno of the last failed call, or EIO where the library set none.
int last_error()
{
    return errno != 0 ? errno : EIO;
}

int report(const char* what, int error)
{
    std::fprintf(stderr, "sealforge: %s: %s\n", what, std::strerror(error));
    return exit_failure;
}

// Ends a run whose own work is finished: messages that could not reach
// standard output are a failure too.
int finish(int status)
{
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return report("standard output", last_error());
    return status;
}

}  // namespace

int main(int argc, char* argv[])
{
    namespace mt = marker_texture;

    if (argc < 3) {
        std::fputs("sealforge texture.tqv identifier", stdout);
        return finish(exit_usage);
    }
    const char* const path = argv[1];
    const char* const identifier = argv[2];

    // Cutting a long identifier would write a marker nobody can find by it.
    const std::size_t identifier_length = std::strlen(identifier);
    if (identifier_length > mt::max_identifier_length) {
        std::fprintf(stderr, "sealforge: identifier is %lu bytes long; at most %lu bytes fit\n",
                     static_cast<unsigned long>(identifier_length),
                     static_cast<unsigned long>(mt::max_identifier_length));
        return exit_failure;
    }

    std::printf("Creating texture <%s> with id '%s'\n", path, identifier);
    std::fflush(stdout);  // keeps this line ahead of any error when both streams share a log

#ifdef SIGXFSZ
    // Past a file-size limit the default action kills the tool mid-write,
    // leaving a half-written file; ignored, the write fails and is handled.
    std::signal(SIGXFSZ, SIG_IGN);
#endif

    errno = 0;
    std::FILE* const file = std::fopen(path, "wb");
    if (file == nullptr) return report(path, last_error());
    const bool regular = is_regular_file(file);

    mt::SignatureRecord record;
    mt::build_signature_record(record, identifier, identifier_length);

    // The template in one write, then the record over level 1's pixel data;
    // the file stays template_size bytes long.
    errno = 0;
    int error = 0;
    if (std::fwrite(mt::texture_template.data(), 1, mt::template_size, file) != mt::template_size ||
        std::fseek(file, static_cast<long>(mt::signature_offset), SEEK_SET) != 0 ||
        std::fwrite(record.data(), 1, record.size(), file) != record.size())
        error = last_error();
    errno = 0;
    if (std::fclose(file) != 0 && error == 0) error = last_error();

    if (error != 0) {
        report(path, error);
        // Leave no half-written marker behind, or say that one is left.
        if (regular && std::remove(path) != 0)
            std::fprintf(stderr, "sealforge: %s: incomplete file not removed: %s\n", path, std::strerror(errno));
        return exit_failure;
    }

    std::fputs("Done\n", stdout);
    return finish(exit_done);
}
