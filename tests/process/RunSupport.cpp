// Process-level test support: fork and exec the binary with its output captured in files.
#include "RunSupport.h"

#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

void ScratchDir::SetUp()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "bankscry-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
}

void ScratchDir::TearDown()
{
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

void ScratchDir::Write(const std::string& name, const std::string& bytes) const
{
    std::filesystem::create_directories((dir / name).parent_path());
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << name;
}

std::string ScratchDir::Read(const std::string& name) const
{
    std::ifstream in(dir / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

RunResult ScratchDir::RunProgram(const std::string& program, const std::vector<std::string>& args,
                                 const std::string& stdoutTarget) const
{
    const std::filesystem::path outPath = dir.string() + ".stdout";
    const std::filesystem::path errPath = dir.string() + ".stderr";
    std::vector<char*> argv;
    std::string path = program;
    argv.push_back(path.data());
    std::vector<std::string> copies(args);
    for (std::string& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        const int out = stdoutTarget.empty() ? ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)
                                             : ::open(stdoutTarget.c_str(), O_WRONLY);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int none = ::open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || none < 0 || ::chdir(dir.c_str()) != 0)
            ::_exit(126);
        ::dup2(none, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (fileSizeLimit > 0) {
            const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::signal(SIGXFSZ, SIG_IGN);   // the write fails with EFBIG instead
        }
        if (closedStandardStreams) {
            ::close(0);
            ::close(1);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    RunResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    for (auto [file, text] : {std::pair{&outPath, &result.out}, std::pair{&errPath, &result.err}}) {
        std::ifstream in(*file, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        *text = all.str();
        std::filesystem::remove(*file);
    }
    return result;
}

std::string ScratchDir::LogOf(const std::string& name, const std::string& bytes, const std::vector<std::string>& extra)
{
    Write(name, bytes);
    std::vector<std::string> args{name};
    args.insert(args.end(), extra.begin(), extra.end());
    const RunResult result = Run(args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    return result.out;
}
