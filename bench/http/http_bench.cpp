// The blocking request call against one bare libcurl transfer of the same request, in the same
// process and run, and how promptly the GUI thread's timers fire while a request waits.
#include "net/http_request.hpp"
#include "platform/inet/inet.hpp"
#include "support/loopback_server.hpp"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using xingfan::testsupport::httpReply;
using xingfan::testsupport::LoopbackServer;
using xingfan::testsupport::ScriptedReply;

constexpr const char* kBody = "bt=1&fy=1&msnr=726300&djfx=%B2%E9%D1%AF";
const std::string kReplyBody(2048, 'r');

LoopbackServer& server()
{
    static LoopbackServer instance;
    return instance;
}

void BM_HttpRequestPost(benchmark::State& state)
{
    const std::string url = server().url("/shujuzhongxin/shouxin.php?ms=726300");
    xingfan::net::HttpRequestOptions options;
    options.method = "POST";
    options.body = kBody;
    for (auto _ : state) {
        server().enqueue(httpReply(200, "OK", kReplyBody));
        const std::string reply = xingfan::net::httpRequest(url, options);
        if (reply.size() != kReplyBody.size())
            state.SkipWithError("short reply");
    }
}

// The HTTP platform alone on the calling thread: what the worker does, without the thread and
// the wait around it.
void BM_InetPost(benchmark::State& state)
{
    namespace inet = xingfan::platform::inet;
    const std::string url = server().url("/shujuzhongxin/shouxin.php?ms=726300");
    const std::string headers = "Referer: " + url + "\r\nContent-Length: " + std::to_string(std::strlen(kBody)) + "\r\n";
    for (auto _ : state) {
        server().enqueue(httpReply(200, "OK", kReplyBody));
        auto session = inet::InternetSession::open(std::string(inet::kBrowserAgent), {});
        auto connection = session->connect("127.0.0.1", server().port(), {}, {});
        auto request = connection->openRequest("POST", "/shujuzhongxin/shouxin.php?ms=726300", "HTTP/1.1");
        request->send(headers, kBody);
        std::string reply;
        char chunk[512];
        while (const std::size_t n = request->read(chunk, sizeof chunk))
            reply.append(chunk, n);
        if (reply.size() != kReplyBody.size())
            state.SkipWithError("short reply");
    }
}

size_t collect(char* data, size_t size, size_t count, void* target)
{
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// The same request bytes, sent by one plain easy transfer.
void BM_BareCurlPost(benchmark::State& state)
{
    const std::string url = server().url("/shujuzhongxin/shouxin.php?ms=726300");
    const std::string referer = "Referer: " + url;
    for (auto _ : state) {
        server().enqueue(httpReply(200, "OK", kReplyBody));
        CURL* curl = curl_easy_init();
        curl_slist* headers = nullptr;
        for (const char* line :
             {"Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
              "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*",
              referer.c_str(), "Accept-Language: zh-cn", "Content-Type: application/x-www-form-urlencoded", "Expect:"})
            headers = curl_slist_append(headers, line);
        std::string reply;
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_USERAGENT, "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, kBody);
        curl_easy_setopt(curl, CURLOPT_PROXY, "");
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
        curl_easy_perform(curl);
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
        if (reply.size() != kReplyBody.size())
            state.SkipWithError("short reply");
    }
}

BENCHMARK(BM_HttpRequestPost)->Repetitions(15)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_InetPost)->Repetitions(15)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_BareCurlPost)->Repetitions(15)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Keeps the medians so that the ratio can be printed after the run.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.aggregate_name == "median")
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;
};

// While a request waits on a server that never answers, a precise 5 ms single-shot timer on the
// GUI thread, restarted at every tick, records how late each tick comes after its due time.
double medianTimerLatencyMs()
{
    LoopbackServer silentServer;
    ScriptedReply silence;
    silence.silent = true;
    silentServer.enqueue(silence);

    constexpr int kInterval = 5;
    constexpr std::size_t kTicks = 400;
    std::vector<double> lateness;
    QElapsedTimer clock;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setSingleShot(true);
    double due = 0;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        const double now = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        lateness.push_back(now - due);
        if (lateness.size() < kTicks) {
            due = now + kInterval;
            ticker.start(kInterval);
        }
    });
    clock.start();
    due = kInterval;
    ticker.start(kInterval);
    xingfan::net::HttpRequestOptions options;
    options.timeoutSeconds = 1;
    xingfan::net::httpRequest(silentServer.url("/"), options);

    std::sort(lateness.begin(), lateness.end());
    return lateness.empty() ? -1 : lateness[lateness.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double ours = reporter.medians["BM_HttpRequestPost"];
    const double bare = reporter.medians["BM_BareCurlPost"];
    const double inet = reporter.medians["BM_InetPost"];
    if (inet > 0 && bare > 0)
        std::printf("HTTP platform alone / bare libcurl, median ratio: %.3f\n", inet / bare);
    if (ours > 0 && bare > 0)
        std::printf("httpRequest POST round trip / bare libcurl, median ratio: %.3f (target <= 1.25)\n", ours / bare);
    std::printf("GUI timer lateness while a request waits, median: %.3f ms (target <= 2 ms)\n",
                medianTimerLatencyMs());
    return 0;
}
