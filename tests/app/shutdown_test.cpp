#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "config/app_state.h"
#include "app/shutdown.h"
#include "app/worker_threads.h"

namespace veltrin {
namespace {

using namespace std::chrono_literals;

struct ShutdownFixture : ::testing::Test {
    AppState state;
    std::atomic<int> gpsStop{0};
    std::atomic<int> netStop{0};
    WorkerThread gps;
    WorkerThread net;
    std::vector<std::string> order;

    ShutdownSteps recordingSteps()
    {
        ShutdownSteps steps;
        steps.disableTimer = [this] { order.push_back("timer"); };
        steps.closeCapture = [this] { order.push_back("capture"); };
        steps.closeKeyingPort = [this] { order.push_back("keying"); };
        steps.closeGpsPort = [this] { order.push_back("gpsPort"); };
        steps.closeRawLog = [this] { order.push_back("rawLog"); };
        steps.closeSocket = [this] { order.push_back("socket"); };
        steps.releaseSockets = [this] { order.push_back("sockets"); };
        return steps;
    }
    ShutdownThreads threads() { return {gpsStop, gps, netStop, net}; }
};

TEST_F(ShutdownFixture, StopsAnsweringThreadsAndRunsStepsInOrderOnce)
{
    std::atomic<int> gpsRounds{0}, netRounds{0};
    gps.start(gpsStop, [&] { ++gpsRounds; }, 50ms);
    net.start(netStop, [&] { ++netRounds; }, 200ms);
    std::this_thread::sleep_for(60ms);

    auto started = std::chrono::steady_clock::now();
    ShutdownOutcome first = shutDown(state, threads(), recordingSteps());
    auto took = std::chrono::steady_clock::now() - started;

    EXPECT_TRUE(first.ran);
    EXPECT_TRUE(state.shuttingDown);
    EXPECT_FALSE(first.abandonedAny());
    EXPECT_EQ(gpsStop.load(), 0);  // the threads' own answers
    EXPECT_EQ(netStop.load(), 0);
    EXPECT_FALSE(gps.started());
    EXPECT_FALSE(net.started());
    EXPECT_GE(gpsRounds.load(), 1);
    EXPECT_GE(netRounds.load(), 1);
    EXPECT_EQ(order, (std::vector<std::string>{"timer", "capture", "keying", "gpsPort", "rawLog", "socket",
                                               "sockets"}));
    // Both threads answer within one of their sleep steps, not a whole period.
    EXPECT_LT(took, 2s);
    std::printf("shutdown with two answering threads took %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));

    // "Exit" then closing the window: the second call does nothing.
    order.clear();
    ShutdownOutcome second = shutDown(state, threads(), recordingSteps());
    EXPECT_FALSE(second.ran);
    EXPECT_TRUE(order.empty());
}

TEST_F(ShutdownFixture, ThreadThatNeverAnswersIsAbandonedAfterTheSharedBudget)
{
    // A network job that hangs (a blocking connect, say) for much longer than
    // the budget; it sees its flag only after the job returns.
    auto hang = std::make_shared<std::atomic<bool>>(true);
    auto entered = std::make_shared<std::atomic<bool>>(false);
    gps.start(gpsStop, {}, 50ms);
    net.start(netStop, [hang, entered] {
        entered->store(true);
        while (hang->load())
            std::this_thread::sleep_for(5ms);
    }, 200ms);
    // On a busy machine the thread may take a while to reach its job.
    for (int i = 0; i < 1000 && !entered->load(); ++i)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(entered->load());

    int pumped = 0;
    ShutdownSteps steps = recordingSteps();
    steps.processPendingMessages = [&] { ++pumped; };
    WaitBudget budget{20, 10ms};
    ShutdownOutcome outcome = shutDown(state, threads(), steps, budget);

    EXPECT_TRUE(outcome.gpsAnswered);
    EXPECT_FALSE(outcome.networkAnswered);
    EXPECT_EQ(outcome.iterationsSpent, 20);  // the budget is shared by both waits
    EXPECT_EQ(pumped, outcome.iterationsSpent);
    EXPECT_FALSE(net.started());  // detached
    EXPECT_EQ(order.back(), "sockets");

    // Let the abandoned thread finish so the test process ends cleanly; it
    // still writes its answer.
    hang->store(false);
    for (int i = 0; i < 200 && netStop.load() != 0; ++i)
        std::this_thread::sleep_for(5ms);
    EXPECT_EQ(netStop.load(), 0);
}

TEST_F(ShutdownFixture, ThreadsNeverStartedCostNoWait)
{
    auto started = std::chrono::steady_clock::now();
    ShutdownOutcome outcome = shutDown(state, threads(), recordingSteps(), WaitBudget{350, 30ms});
    EXPECT_FALSE(outcome.abandonedAny());
    EXPECT_EQ(outcome.iterationsSpent, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
}

TEST(WaitBudget, DefaultIs350RoundsOf30Milliseconds)
{
    WaitBudget budget;
    EXPECT_EQ(budget.iterations, 350);
    EXPECT_EQ(budget.step, 30ms);
}

}  // namespace
}  // namespace veltrin
