#include "letter_service_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace xingfan::testing {
namespace {

struct Spawned {
    pid_t pid = -1;
    int output = -1;
};

// Starts the service with its stdout (or stderr) on a pipe.
Spawned spawnService(const std::vector<std::string>& arguments, int capturedStream)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return {};
    std::vector<std::string> words{LETTER_SERVICE_EXECUTABLE};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], capturedStream);
    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (failed != 0) {
        ::close(pipeEnds[0]);
        return {};
    }
    return {pid, pipeEnds[0]};
}

int waitForExit(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TemporaryFile::TemporaryFile(std::string_view contents)
{
    char name[] = "/tmp/letter-service-test-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0)
        throw std::runtime_error("mkstemp failed");
    ::close(fd);
    path_ = name;
    rewrite(contents);
}

TemporaryFile::~TemporaryFile() { std::remove(path_.c_str()); }

void TemporaryFile::rewrite(std::string_view contents) const
{
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

LetterServiceProcess::LetterServiceProcess(const std::string& mailboxPath)
{
    const Spawned spawned = spawnService({"--log", "0", mailboxPath}, STDOUT_FILENO);
    pid_ = spawned.pid;
    output_ = spawned.output;
    if (pid_ < 0)
        return;
    const std::optional<std::string> first = nextLine();
    constexpr std::string_view kPrefix = "listening on 127.0.0.1:";
    if (first && first->starts_with(kPrefix))
        port_ = static_cast<std::uint16_t>(std::stoi(first->substr(kPrefix.size())));
}

LetterServiceProcess::~LetterServiceProcess()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        waitForExit(pid_);
    }
    if (output_ >= 0)
        ::close(output_);
}

std::string LetterServiceProcess::baseAddress() const
{
    return "http://127.0.0.1:" + std::to_string(port_) + "/";
}

std::optional<std::string> LetterServiceProcess::nextLine(std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const std::size_t end = buffered_.find('\n');
        if (end != std::string::npos) {
            std::string line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return line;
        }
        if (output_ < 0)
            return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd ready{output_, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char chunk[4096];
        const ssize_t got = ::read(output_, chunk, sizeof chunk);
        if (got <= 0) {
            ::close(output_);
            output_ = -1;
            continue;
        }
        buffered_.append(chunk, static_cast<std::size_t>(got));
    }
}

ServiceRun runLetterServiceToEnd(const std::vector<std::string>& arguments)
{
    const Spawned spawned = spawnService(arguments, STDERR_FILENO);
    if (spawned.pid < 0)
        return {};
    ServiceRun run;
    char chunk[4096];
    ssize_t got = 0;
    while ((got = ::read(spawned.output, chunk, sizeof chunk)) > 0)
        run.errors.append(chunk, static_cast<std::size_t>(got));
    ::close(spawned.output);
    run.status = waitForExit(spawned.pid);
    return run;
}

}  // namespace xingfan::testing
