// Finding the instrument on its own, through a real JACK server with
// morvane-sim processes on different device numbers and models, and one that
// never answers.
#include "InstrumentSearch.h"
#include "SystemMidiBackend.h"
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>

namespace morvane {
namespace {

using namespace std::chrono_literals;
using Failures = std::vector<std::pair<std::string, std::string>>;

class InstrumentSearchEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(jackServerRunning()) << "No JACK server is reachable; run bash scripts/test.sh.";
        tg33 = new test::SimProcess({"--device", "6", "--model", "tg33"});
        sy = new test::SimProcess({"--device", "3", "--model", "sy"});
        silent = new test::SimProcess({"--silent"});
        for (const test::SimProcess* sim : {tg33, sy, silent})
            ASSERT_TRUE(sim->started()) << sim->output();
    }

    static void TearDownTestSuite()
    {
        delete tg33;
        delete sy;
        delete silent;
    }

    SearchResult search(std::vector<std::string> inputs, std::vector<std::string> outputs,
                        std::function<void(InstrumentSearch&, int)> onProgress = {})
    {
        InstrumentSearch search([](const std::string& name) -> std::unique_ptr<MidiBackend> {
                                    return std::make_unique<SystemMidiBackend>(name, SystemMidiBackend::System::Jack);
                                },
                                std::move(inputs), std::move(outputs), stem);
        // The simulators answer within milliseconds, but a busy machine can
        // hold them up for longer than an instrument ever takes.
        search.setReplyWait(2s);
        SearchResult result;
        std::atomic<int> done{0};
        search.start(
            [&](int index, int, const std::string&) {
                progress.push_back(index);
                if (onProgress)
                    onProgress(search, index);
            },
            [&](const SearchResult& r) {
                result = r;
                ++done;
            });
        search.wait();
        EXPECT_EQ(done, 1);
        // Every port the search opened is gone again.
        SystemMidiBackend look(test::uniqueClientName("look"), SystemMidiBackend::System::Jack);
        for (const auto& names : {look.inputNames(), look.outputNames()})
            for (const std::string& name : names)
                EXPECT_EQ(name.find(stem), std::string::npos) << name;
        return result;
    }

    static inline test::SimProcess* tg33 = nullptr;
    static inline test::SimProcess* sy = nullptr;
    static inline test::SimProcess* silent = nullptr;
    std::string stem = test::uniqueClientName("search");
    std::vector<int> progress;
};

TEST_F(InstrumentSearchEndToEnd, TheFirstAnswerNamesItsPortsDeviceAndLayout)
{
    struct Case {
        std::vector<std::string> outputs;
        const test::SimProcess* answering;
        int device;
        DumpLayout layout;
    };
    const Case cases[] = {
        {{silent->inputPort(), tg33->inputPort(), sy->inputPort()}, tg33, 5, DumpLayout::Tg33},
        {{silent->inputPort(), sy->inputPort(), tg33->inputPort()}, sy, 2, DumpLayout::Sy},
    };
    for (const Case& c : cases) {
        progress.clear();
        const SearchResult result =
            search({silent->outputPort(), sy->outputPort(), tg33->outputPort()}, c.outputs);
        ASSERT_EQ(result.outcome, SearchResult::Outcome::Found) << c.answering->name();
        EXPECT_EQ(result.output, c.answering->inputPort());
        EXPECT_EQ(result.input, c.answering->outputPort());
        EXPECT_EQ(result.device, c.device);
        EXPECT_EQ(result.layout, c.layout);
        EXPECT_EQ(result.inputsOpen, 3);
        // The outputs after the one that answered are not tried.
        EXPECT_EQ(result.tried, (std::vector<std::string>{c.outputs[0], c.outputs[1]}));
        EXPECT_EQ(progress, (std::vector<int>{0, 1}));
    }
}

TEST_F(InstrumentSearchEndToEnd, WithNoAnswerItNamesWhatItTriedAndWhatFailed)
{
    const std::string earlier = silent->output();
    const auto before = std::count(earlier.begin(), earlier.end(), '\n');
    const SearchResult result = search({silent->outputPort(), "gone:out"}, {"gone:in", silent->inputPort()});
    EXPECT_EQ(result.outcome, SearchResult::Outcome::NothingFound);
    EXPECT_EQ(result.tried, std::vector<std::string>{silent->inputPort()});
    EXPECT_EQ(result.failedOutputs, (Failures{{"gone:in", "it is no longer there"}}));
    EXPECT_EQ(result.failedInputs, (Failures{{"gone:out", "it is no longer there"}}));
    EXPECT_EQ(result.inputsOpen, 1);
    // Both requests for every device number reached the port.
    ASSERT_TRUE(silent->waitFor("\"LM  0012VE\" device 0x2F"));
    const std::string log = silent->output();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n') - before, 32);
    EXPECT_NE(log.find("\"PK  2203AE\" device 0x20"), std::string::npos);
}

TEST_F(InstrumentSearchEndToEnd, CancelledHalfWayItStopsAndSaysSo)
{
    const std::vector<std::string> outputs(6, silent->inputPort());
    const SearchResult result = search({silent->outputPort()}, outputs, [](InstrumentSearch& s, int index) {
        if (index == 2)
            s.cancel();
    });
    EXPECT_EQ(result.outcome, SearchResult::Outcome::Cancelled);
    EXPECT_EQ(progress, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(result.tried.size(), 2u);
}

} // namespace
} // namespace morvane
