#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The letter service as a child process on a free loopback port, for tests.
namespace xingfan::testing {

// A file with the given contents that is removed again with this object.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string_view contents);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return path_; }
    void rewrite(std::string_view contents) const;

private:
    std::string path_;
};

class LetterServiceProcess {
public:
    // Starts `letter-service --log 0 <mailboxPath>` and waits for its "listening on" line.
    // started() tells whether it came. The service is ended when this is destroyed.
    explicit LetterServiceProcess(const std::string& mailboxPath);
    ~LetterServiceProcess();
    LetterServiceProcess(const LetterServiceProcess&) = delete;
    LetterServiceProcess& operator=(const LetterServiceProcess&) = delete;

    bool started() const { return port_ != 0; }
    std::uint16_t port() const { return port_; }
    // "http://127.0.0.1:PORT/"
    std::string baseAddress() const;

    // The next line the service printed (a request when --log is on); nothing when none came
    // within `wait` or the service has ended.
    std::optional<std::string> nextLine(std::chrono::milliseconds wait = std::chrono::seconds(10));

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string buffered_;
    std::uint16_t port_ = 0;
};

// Runs letter-service with `arguments` that make it end by itself (wrong arguments, a broken
// file); its exit status and what it wrote on stderr.
struct ServiceRun {
    int status = -1;
    std::string errors;
};
ServiceRun runLetterServiceToEnd(const std::vector<std::string>& arguments);

}  // namespace xingfan::testing
