#include "tool_runner.hpp"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// The tool is built next to the test program.
fs::path tool_path()
{
#ifdef _WIN32
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    const fs::path here = fs::path(std::string(self, length)).parent_path();
#else
    const fs::path here = fs::read_symlink("/proc/self/exe").parent_path();
#endif
    return here / SEALFORGE_FILE_NAME;
}

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#ifdef _WIN32
// Quotes one argument so that the C run-time's parser gives it back unchanged.
std::string quote(const std::string& arg)
{
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');  // before the closing quote
    return quoted + '"';
}

int spawn(const fs::path& program, const std::vector<std::string>& args, const fs::path& dir,
          const fs::path& out, const fs::path& err, const RunOptions&)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    auto open = [&](const fs::path& path, DWORD access, DWORD disposition) {
        return CreateFileW(path.wstring().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE in_handle = open("NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE out_handle = open(out, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err_handle = open(err, GENERIC_WRITE, CREATE_ALWAYS);

    std::string command_line = quote(program.string());
    for (const std::string& arg : args) command_line += ' ' + quote(arg);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in_handle;
    startup.hStdOutput = out_handle;
    startup.hStdError = err_handle;
    PROCESS_INFORMATION process{};
    const std::string dir_name = dir.string();
    int status = -1;
    if (CreateProcessA(program.string().c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       dir_name.c_str(), &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        status = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(in_handle);
    CloseHandle(out_handle);
    CloseHandle(err_handle);
    return status;
}
#else
int spawn(const fs::path& program, const std::vector<std::string>& args, const fs::path& dir,
          const fs::path& out, const fs::path& err, const RunOptions& options)
{
    std::vector<char*> argv;
    std::string program_name = program.string();
    argv.push_back(program_name.data());
    std::vector<std::string> arg_copies = args;
    for (std::string& arg : arg_copies) argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        const int in_fd = open("/dev/null", O_RDONLY);
        const fs::path& out_path = options.standard_output ? *options.standard_output : out;
        const int out_fd = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in_fd < 0 || out_fd < 0 || err_fd < 0 || dup2(in_fd, 0) < 0 || dup2(out_fd, 1) < 0 ||
            dup2(err_fd, 2) < 0 || chdir(dir.c_str()) != 0)
            _exit(126);
        if (options.file_size_limit) {
            const rlimit limit{*options.file_size_limit, *options.file_size_limit};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
        }
        // A disposition of SIG_IGN stays across exec; SIG_DFL is what a shell gives.
        signal(SIGXFSZ, options.start_with_sigxfsz_ignored ? SIG_IGN : SIG_DFL);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
#endif

}  // namespace

void ToolRun::SetUp()
{
    std::random_device random;
    do {
        root_ = fs::temp_directory_path() / ("sealforge-test-" + std::to_string(random()));
    } while (!fs::create_directory(root_));
    work_ = root_ / "work";
    fs::create_directory(work_);
}

void ToolRun::TearDown()
{
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

ToolResult ToolRun::run(const std::vector<std::string>& args, const RunOptions& options)
{
    const fs::path out = root_ / "stdout", err = root_ / "stderr";
    ToolResult result;
    result.status = spawn(tool_path(), args, work_, out, err, options);
    result.out = slurp(out);
    result.err = slurp(err);
    return result;
}

std::vector<std::string> ToolRun::entries() const
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(work_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> ToolRun::read_file(const fs::path& path) const
{
    const std::string bytes = slurp(work_ / path);
    return {bytes.begin(), bytes.end()};
}

void ToolRun::write_file(const fs::path& path, const std::string& content) const
{
    std::ofstream(work_ / path, std::ios::binary) << content;
}
