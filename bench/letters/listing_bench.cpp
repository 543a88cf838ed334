// The listing parse over pages of growing size and over adversarial pages; the time per byte
// should stay flat. The plain repeated search is measured beside it where it finishes in time.
#include "letters/listing_page.hpp"
#include "plain_listing_search.hpp"

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace xingfan::letters;

const std::string kBr = "<br />";
const std::string kTitle = "\xB1\xEA\xCC\xE2\xA3\xBA";    // 标题：
const std::string kContent = "\xC4\xDA\xC8\xDD\xA3\xBA";  // 内容：
const std::string kAuthor = "\xD7\xF7\xD5\xDF";           // 作者
const std::string kSequence = "\xCB\xB3\xD0\xF2";         // 顺序
const std::string kStar = "\xD0\xC7\xB7\xAB";             // 星帆

// About 210 bytes per letter, as the service lays them out.
std::string letterPage(int letters)
{
    std::string page = "<html><head><title>mailbox</title></head><body>\r\n";
    for (int i = 0; i < letters; ++i) {
        page += "<div class=\"xin\">" + kTitle + kStar + "V1." + std::to_string(i) + kBr + kContent;
        page += "notice text " + kStar + kStar + " line one\r\nline two " + std::to_string(i * 7);
        page += " and a third line of the notice, a little longer" + kBr;
        page += kAuthor + "\xA3\xBA" + kStar + kBr + "<b>" + kSequence + std::to_string(i + 1) + kBr + "</b></div>\r\n";
        page += "<hr />\r\n";
    }
    return page + "</body></html>\r\n";
}

// Thousands of letters that stop after their content, each followed by a long tail of markup.
std::string unfinishedRunsPage(std::size_t size)
{
    std::string tail;
    while (tail.size() < 360)
        tail += "<p>" + kStar + " filler " + kBr + "<b>bold</b></p>\r\n";
    std::string page;
    while (page.size() < size)
        page += kTitle + "t" + kBr + kContent + "c" + kBr + tail;
    return page;
}

// One finished letter, then one whose closing marker never comes, followed by field after field:
// the plain search backtracks through every combination of them.
std::string openLetterPage(std::size_t size)
{
    std::string page = letterPage(1) + kTitle + "t";
    while (page.size() < size)
        page += kBr + kContent + "c" + kBr + kAuthor + "a" + kBr + "<b>" + kSequence + "s";
    return page;
}

void runParse(benchmark::State& state, const std::string& page)
{
    std::size_t letters = 0;
    for (auto _ : state) {
        const LetterList list = parseListingReply(page);
        letters = list.size();
        benchmark::DoNotOptimize(list.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
    state.counters["page_bytes"] = static_cast<double>(page.size());
    state.counters["letters"] = static_cast<double>(letters);
}

void runPlain(benchmark::State& state, const std::string& page)
{
    std::size_t runs = 0;
    bool refused = false;
    for (auto _ : state) {
        const testing::PlainSearchResult result = testing::plainListingSearch(page);
        runs = result.runs.size();
        refused = result.refused;
        benchmark::DoNotOptimize(result.runs.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
    state.counters["page_bytes"] = static_cast<double>(page.size());
    state.counters["letters"] = static_cast<double>(runs);
    state.counters["refused"] = refused ? 1 : 0;
}

const std::string& page20() { static const std::string page = letterPage(20); return page; }
const std::string& page1000() { static const std::string page = letterPage(1000); return page; }
const std::string& page10000() { static const std::string page = letterPage(10000); return page; }
const std::string& unfinished2M() { static const std::string page = unfinishedRunsPage(2u << 20); return page; }
const std::string& open2M() { static const std::string page = openLetterPage(2u << 20); return page; }
const std::string& open8K() { static const std::string page = openLetterPage(8u << 10); return page; }

void BM_Parse_20Letters(benchmark::State& state) { runParse(state, page20()); }
void BM_Parse_1000Letters(benchmark::State& state) { runParse(state, page1000()); }
void BM_Parse_10000Letters(benchmark::State& state) { runParse(state, page10000()); }
void BM_Parse_Adversarial_UnfinishedRuns_2MB(benchmark::State& state) { runParse(state, unfinished2M()); }
void BM_Parse_Adversarial_OpenLetter_2MB(benchmark::State& state) { runParse(state, open2M()); }
void BM_Parse_Adversarial_OpenLetter_8KB(benchmark::State& state) { runParse(state, open8K()); }

// Finding the runs only, like for like with the plain search below; same_as_plain checks the
// result against it once, outside the timing.
void BM_FindRuns_10000Letters(benchmark::State& state)
{
    std::vector<std::string_view> runs;
    for (auto _ : state) {
        runs = findListingRuns(page10000());
        benchmark::DoNotOptimize(runs.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page10000().size()));
    state.counters["same_as_plain"] = runs == testing::plainListingSearch(page10000()).runs ? 1 : 0;
}

void BM_PlainSearch_20Letters(benchmark::State& state) { runPlain(state, page20()); }
void BM_PlainSearch_10000Letters(benchmark::State& state) { runPlain(state, page10000()); }
// Each runs at least a second: shorter runs on this shared machine gave uneven per-byte figures.
// The 2 MB adversarial pages keep the plain search busy for tens of seconds before it gives up;
// the small one shows the blow-up.
void BM_PlainSearch_Adversarial_OpenLetter_8KB(benchmark::State& state) { runPlain(state, open8K()); }

BENCHMARK(BM_Parse_20Letters)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_Parse_1000Letters)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_Parse_10000Letters)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Parse_Adversarial_UnfinishedRuns_2MB)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Parse_Adversarial_OpenLetter_2MB)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Parse_Adversarial_OpenLetter_8KB)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_FindRuns_10000Letters)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PlainSearch_20Letters)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_PlainSearch_10000Letters)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PlainSearch_Adversarial_OpenLetter_8KB)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
