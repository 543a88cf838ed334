#include "letter_service_process.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

using namespace xingfan::testing;

namespace {

// One exchange over a fresh loopback connection; everything the service sent until it closed.
std::string exchangeOnce(std::uint16_t port, const std::string& request)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string reply;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
        char chunk[4096];
        ssize_t got = 0;
        while ((got = ::recv(fd, chunk, sizeof chunk, 0)) > 0)
            reply.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return reply;
}

std::string post(std::uint16_t port, const std::string& target, const std::string& body)
{
    return exchangeOnce(port, "POST " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                          "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
}

std::string get(std::uint16_t port, const std::string& target)
{
    return exchangeOnce(port, "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
}

std::string bodyOf(const std::string& reply)
{
    const std::size_t end = reply.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : reply.substr(end + 4);
}

const std::string kListingTarget = "/shujuzhongxin/shouxin.php?ms=726300";
const std::string kListingBody = "bt=1&fy=1&msnr=726300&djfx=%B2%E9%D1%AF";
// 标题：星帆导航V1.2 ... 顺序12, in GBK.
const std::string kSampleTitle = "\xB1\xEA\xCC\xE2\xA3\xBA\xD0\xC7\xB7\xAB\xB5\xBC\xBA\xBD" "V1.2<br />";
const std::string kSampleSequence = "<b>\xCB\xB3\xD0\xF2" "12<br /></b>";

TEST(LetterServiceProcess, SampleMailboxServesTheVersionLetterFirst)
{
    LetterServiceProcess service(SAMPLE_MAILBOX);
    ASSERT_TRUE(service.started());

    const std::string listing = post(service.port(), kListingTarget, kListingBody);
    EXPECT_TRUE(listing.starts_with("HTTP/1.1 200 OK\r\n")) << listing;
    const std::string page = bodyOf(listing);
    EXPECT_NE(page.find(kSampleTitle), std::string::npos);
    EXPECT_NE(page.find(kSampleSequence), std::string::npos);
    EXPECT_EQ(service.nextLine(), "POST " + kListingTarget + " body=" + kListingBody);

    const std::string flag = get(service.port(), "/shujuzhongxin/banb.txt");
    EXPECT_TRUE(flag.starts_with("HTTP/1.0 200 OK\r\n")) << flag;
    EXPECT_NE(bodyOf(flag), "1");
    EXPECT_EQ(service.nextLine(), "GET /shujuzhongxin/banb.txt body=");
}

TEST(LetterServiceProcess, NonHttpGetsAnErrorPageAndTheServiceGoesOn)
{
    LetterServiceProcess service(SAMPLE_MAILBOX);
    ASSERT_TRUE(service.started());
    const std::string garbage = exchangeOnce(service.port(), "GARBAGE\r\n\r\n");
    EXPECT_TRUE(garbage.starts_with("HTTP/1.1 400 Bad Request\r\n")) << garbage;
    EXPECT_NE(garbage.find("not an HTTP request"), std::string::npos);

    EXPECT_TRUE(post(service.port(), kListingTarget, kListingBody).starts_with("HTTP/1.1 200 OK\r\n"));
}

TEST(LetterServiceProcess, EditsShowAtOnceAndBrokenEditsGiveAnErrorPage)
{
    const TemporaryFile mailbox("[notice]\nflag = 0\n");
    LetterServiceProcess service(mailbox.path());
    ASSERT_TRUE(service.started());
    EXPECT_EQ(bodyOf(get(service.port(), "/shujuzhongxin/banb.txt")), "0");

    mailbox.rewrite("[notice]\nflag = 1\\0xyz\n");
    EXPECT_EQ(bodyOf(get(service.port(), "/shujuzhongxin/banb.txt")), std::string("1\0xyz", 5));

    mailbox.rewrite("[notice]\nflag = 1\n[broken\n");
    const std::string broken = get(service.port(), "/shujuzhongxin/banb.txt");
    EXPECT_TRUE(broken.starts_with("HTTP/1.0 500 Internal Server Error\r\n")) << broken;
    EXPECT_NE(broken.find("line 3: a section header ends with ]"), std::string::npos) << broken;
}

TEST(LetterServiceProcess, RefusesWrongArgumentsAndBrokenFiles)
{
    const TemporaryFile broken("[mailbox 1]\ntitle = x\n");
    const ServiceRun brokenRun = runLetterServiceToEnd({"0", broken.path()});
    EXPECT_EQ(brokenRun.status, 1);
    EXPECT_NE(brokenRun.errors.find("line 2: a mailbox holds"), std::string::npos) << brokenRun.errors;

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"0"}, {"x", SAMPLE_MAILBOX}, {"65536", SAMPLE_MAILBOX}, {"--nope", "0", SAMPLE_MAILBOX}}) {
        const ServiceRun run = runLetterServiceToEnd(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.errors.find("usage: letter-service"), std::string::npos);
    }
    EXPECT_EQ(runLetterServiceToEnd({"0", "/nonexistent/mailbox.txt"}).status, 1);
}

}  // namespace
