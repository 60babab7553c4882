#include "core/device/ConnectProcedures.h"
#include "core/monitor/AcquisitionLoop.h"
#include "sim/Simulator.h"
#include "tests/core/monitor/AcquisitionTestDoubles.h"
#include "tests/support/TempDirectory.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>

namespace orlo {
namespace {

using Event = test::RecordingReporter::Event;

// The session's source, keeping every result code so that failures the loop ignores can be awaited.
class CountingSource final : public DetectionSource {
public:
    explicit CountingSource(DeviceSession& session) : inner_(session) {}

    ResultCode Detect(int imageKind, bool wantBlocks, std::uint16_t functionFlags,
                      std::vector<DetectionResult>& results, bool& indicator, CImageData& image,
                      std::vector<CImageData>& blocks) override {
        const ResultCode result =
            inner_.Detect(imageKind, wantBlocks, functionFlags, results, indicator, image, blocks);
        {
            std::lock_guard lock(mutex_);
            codes_.push_back(result);
        }
        changed_.notify_all();
        return result;
    }
    void AwaitCode(ResultCode code, std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] {
            return static_cast<std::size_t>(std::count(codes_.begin(), codes_.end(), code)) >= count;
        });
    }

private:
    SessionDetectionSource inner_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<ResultCode> codes_;
};

sim::FaultSet Faults(const std::string& list) {
    sim::FaultSet faults;
    std::string error;
    EXPECT_TRUE(faults.add(list, error)) << error;
    return faults;
}

// The loop on a real session over TCP to the in-process simulator, with cycles back to back.
class AcquisitionLoopSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SimConfig simConfig;
        simConfig.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
        simConfig.throttle = false;
        simulator = std::make_unique<sim::Simulator>(simConfig);
        std::string error;
        ASSERT_TRUE(simulator->start(error)) << error;
        ASSERT_EQ(RC_OK, ConnectLan(session, "127.0.0.1", simulator->tcpPort(), 90));
        config.WriteRenewInterval(0);
        config.WriteGetImage(true);
        config.WriteImageResolution(1);
        config.WriteGetDiffImage(true);
    }
    void CreateLoop(DetectionLog* log) {
        loop = std::make_unique<AcquisitionLoop>(source, config, reporter, log, clock);
    }

    test::TempDirectory directory;
    AppConfig config{directory.Path()};
    std::unique_ptr<sim::Simulator> simulator;
    DeviceSession session{directory.Path()};
    CountingSource source{session};
    test::RecordingReporter reporter;
    SteadyAcquisitionClock clock;
    std::unique_ptr<AcquisitionLoop> loop;
};

TEST_F(AcquisitionLoopSimTest, PicturesArriveAlternatingAndAreLogged) {
    std::ofstream(directory.Path() / "outputdetectlog") << "";
    DetectionLog log(directory.Path());
    log.StartNewLogFile();
    CreateLoop(&log);
    loop->StartMonitoring();
    reporter.AwaitCycles(6);
    loop->StopAndWaitIdle();

    const auto cycles = reporter.Cycles();
    bool anyResult = false;
    for (std::size_t i = 0; i < cycles.size(); ++i) {
        const CycleOutput& cycle = cycles[i];
        EXPECT_EQ(320, cycle.picture.Width());
        EXPECT_EQ(240, cycle.picture.Height());
        const bool motion = i % 2 == 1;
        EXPECT_EQ(motion ? FUNCTION_MOTION_DETECTION : FUNCTION_HUMAN_DETECTION, cycle.functionFlags) << i;
        EXPECT_EQ(motion, cycle.IsMotionCycleWithBlock()) << i;
        ASSERT_EQ(motion ? 1u : 0u, cycle.blocks.size()) << i;
        if (motion) {
            EXPECT_EQ(BLOCK_SIDE, cycle.blocks[0].Width());
        }
        anyResult = anyResult || !cycle.results.empty();
    }
    EXPECT_TRUE(anyResult);

    const auto file = log.CurrentFile();
    log.StopDetectionLog();
    std::ifstream in(file);
    std::size_t lines = 0;
    for (std::string line; std::getline(in, line);) {
        ++lines;
    }
    EXPECT_EQ(cycles.size(), lines);

    // Once stopped, the session is in step for its next user.
    std::vector<DetectionResult> results;
    bool indicator = false;
    CImageData picture;
    std::vector<CImageData> blocks;
    EXPECT_EQ(RC_OK,
              DetectOnce(session, 2, false, FUNCTION_HUMAN_DETECTION, results, indicator, picture, blocks));
    EXPECT_EQ(160, picture.Width());
}

TEST_F(AcquisitionLoopSimTest, ChecksumErrorsAreRetriedAndAbnormalSettingsStop) {
    CreateLoop(nullptr);
    simulator->setFaults(Faults("checksum"));
    loop->StartMonitoring();
    source.AwaitCode(RC_CHECKSUM, 3);
    EXPECT_TRUE(loop->IsRunning());
    simulator->setFaults({});
    reporter.AwaitCycles(2);

    simulator->setFaults(Faults("abnormal@0x03"));
    reporter.Await(
        [](const std::vector<Event>& events) { return !events.empty() && events.back() != Event::Cycle; });
    loop->StopAndWaitIdle();
    std::vector<Event> events = reporter.Events();
    EXPECT_EQ(Event::SettingsAbnormal, events.back());
    events.pop_back();
    EXPECT_TRUE(std::all_of(events.begin(), events.end(), [](Event e) { return e == Event::Cycle; }));

    simulator->setFaults({});
    const std::size_t before = reporter.CycleCount();
    loop->StartMonitoring();
    reporter.AwaitCycles(before + 1);
    loop->StopAndWaitIdle();
    EXPECT_EQ(FUNCTION_HUMAN_DETECTION, reporter.Cycles()[before].functionFlags);
}

TEST_F(AcquisitionLoopSimTest, ALinkThatIsGoneIsALinkFailure) {
    CreateLoop(nullptr);
    loop->StartMonitoring();
    reporter.AwaitCycles(1);
    loop->StopAndWaitIdle();
    session.SocketConnection().Close();
    loop->StartMonitoring();
    reporter.Await(
        [](const std::vector<Event>& events) { return !events.empty() && events.back() != Event::Cycle; });
    loop->StopAndWaitIdle();
    EXPECT_EQ(Event::LinkFailure, reporter.Events().back());
    EXPECT_FALSE(loop->IsRunning());
}

} // namespace
} // namespace orlo
