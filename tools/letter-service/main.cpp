// letter-service: a local stand-in for the program's letter service, for running offline and as
// the fixture of integration tests. See README.md.
#include "letter_pages.hpp"
#include "mailbox_file.hpp"

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <charconv>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using namespace xingfan::letter_service;

constexpr std::string_view kUsage =
    "usage: letter-service [--bind ADDRESS] [--log] PORT MAILBOX_FILE\n"
    "  PORT 0 picks a free port; the first line on stdout names the address listened on.\n"
    "  --bind ADDRESS  listen there instead of 127.0.0.1\n"
    "  --log           print one line per request on stdout: method, target, body=...\n";

struct Options {
    std::string bindAddress = "127.0.0.1";
    unsigned short port = 0;
    std::string mailboxPath;
    bool log = false;
};

std::optional<Options> parseArguments(int argc, char** argv)
{
    Options options;
    std::vector<std::string_view> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--log") {
            options.log = true;
        } else if (argument == "--bind" && i + 1 < argc) {
            options.bindAddress = argv[++i];
        } else if (argument.starts_with("--")) {
            return std::nullopt;
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() != 2)
        return std::nullopt;
    const std::string_view port = positional[0];
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), options.port);
    if (port.empty() || error != std::errc() || end != port.data() + port.size())
        return std::nullopt;
    options.mailboxPath = positional[1];
    return options;
}

// One line per request, bytes outside printable ASCII as \xHH, so that a test can read back what
// the program sent.
class RequestLog {
public:
    void write(const PageRequest& request)
    {
        std::string line = request.method + " " + escaped(request.target) + " body=" + escaped(request.body) + "\n";
        const std::lock_guard lock(mutex_);
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }

private:
    static std::string escaped(std::string_view bytes)
    {
        static constexpr char kHex[] = "0123456789ABCDEF";
        std::string out;
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
                out += c;
            } else {
                out.append("\\x").append(1, kHex[byte >> 4]).append(1, kHex[byte & 0xF]);
            }
        }
        return out;
    }

    std::mutex mutex_;
};

http::response<http::string_body> toResponse(PageResponse page, unsigned version, bool keepAlive)
{
    http::response<http::string_body> response{static_cast<http::status>(page.status), version};
    response.set(http::field::server, "letter-service");
    response.set(http::field::content_type, page.contentType);
    response.keep_alive(keepAlive);
    response.body() = std::move(page.body);
    response.prepare_payload();
    return response;
}

// The mailbox file is read afresh for every request, so edits show at once; a file broken by an
// edit gives an error page until it is mended.
void serveConnection(tcp::socket socket, const std::string& mailboxPath, RequestLog* log)
{
    beast::flat_buffer buffer;
    beast::error_code error;
    for (;;) {
        http::request_parser<http::string_body> parser;
        parser.body_limit(1 << 20);
        http::read(socket, buffer, parser, error);
        if (error) {
            // Anything the parser refuses gets an error page; a closed or broken connection ends.
            if (error.category() == http::make_error_code(http::error::bad_method).category() &&
                error != http::error::end_of_stream &&
                error != http::error::partial_message) {
                http::write(socket, toResponse(errorPage(400, "not an HTTP request"), 11, false), error);
            }
            break;
        }
        const http::request<http::string_body>& message = parser.get();
        const PageRequest request{std::string(message.method_string()), std::string(message.target()), message.body()};
        if (log != nullptr)
            log->write(request);
        const MailboxFileResult loaded = loadMailboxFile(mailboxPath);
        PageResponse page = loaded.file ? answerRequest(*loaded.file, request) : errorPage(500, loaded.error);
        const bool keepAlive = message.keep_alive();
        http::write(socket, toResponse(std::move(page), message.version(), keepAlive), error);
        if (error || !keepAlive)
            break;
    }
    socket.shutdown(tcp::socket::shutdown_send, error);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::optional<Options> options = parseArguments(argc, argv);
    if (!options) {
        std::cerr << kUsage;
        return 2;
    }
    const MailboxFileResult loaded = loadMailboxFile(options->mailboxPath);
    if (!loaded.file) {
        std::cerr << "letter-service: " << loaded.error << '\n';
        return 1;
    }

    asio::io_context context;
    tcp::acceptor acceptor(context);
    beast::error_code error;
    const asio::ip::address address = asio::ip::make_address(options->bindAddress, error);
    if (!error) {
        const tcp::endpoint endpoint(address, options->port);
        acceptor.open(endpoint.protocol(), error);
        if (!error)
            acceptor.set_option(asio::socket_base::reuse_address(true), error);
        if (!error)
            acceptor.bind(endpoint, error);
        if (!error)
            acceptor.listen(asio::socket_base::max_listen_connections, error);
    }
    if (error) {
        std::cerr << "letter-service: cannot listen on " << options->bindAddress << ":" << options->port << ": "
                  << error.message() << '\n';
        return 1;
    }
    std::cout << "listening on " << options->bindAddress << ":" << acceptor.local_endpoint().port() << std::endl;

    RequestLog log;
    for (;;) {
        tcp::socket socket(context);
        acceptor.accept(socket, error);
        if (error)
            continue;
        std::thread(serveConnection, std::move(socket), options->mailboxPath, options->log ? &log : nullptr).detach();
    }
}
