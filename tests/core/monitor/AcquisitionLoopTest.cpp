#include "core/monitor/AcquisitionLoop.h"

#include "core/config/AppConfig.h"
#include "core/platform/PrivateProfile.h"
#include "tests/core/monitor/AcquisitionTestDoubles.h"
#include "tests/support/TempDirectory.h"

#include <algorithm>
#include <fstream>
#include <future>
#include <gtest/gtest.h>

namespace orlo {
namespace {

using namespace std::chrono_literals;
using Event = test::RecordingReporter::Event;

struct Step {
    Step(ResultCode code = RC_OK, int exchangeMs = 0, bool gated = false, std::function<void()> during = {})
        : code(code), exchangeMs(exchangeMs), gated(gated), during(std::move(during)) {}

    ResultCode code;
    int exchangeMs;               // moves the fake clock
    bool gated;                   // the exchange lasts until OpenGate
    std::function<void()> during; // runs inside the exchange
};

struct Call {
    int imageKind;
    bool wantBlocks;
    std::uint16_t flags;
    std::int64_t startMs;
};

// Plays result codes from a script; each exchange moves the fake clock by its duration. A call beyond
// the script runs `afterScript`.
class ScriptedSource final : public DetectionSource {
public:
    explicit ScriptedSource(test::FakeClock& clock) : clock_(clock) {}

    void Append(const std::vector<Step>& steps) {
        std::lock_guard lock(mutex_);
        steps_.insert(steps_.end(), steps.begin(), steps.end());
    }
    void SetAfterScript(Step step) {
        std::lock_guard lock(mutex_);
        afterScript_ = std::move(step);
    }

    ResultCode Detect(int imageKind, bool wantBlocks, std::uint16_t functionFlags,
                      std::vector<DetectionResult>& results, bool& indicator, CImageData& image,
                      std::vector<CImageData>& blocks) override {
        Step step;
        {
            std::unique_lock lock(mutex_);
            calls_.push_back({imageKind, wantBlocks, functionFlags, clock_.NowMs()});
            step = next_ < steps_.size() ? steps_[next_++] : afterScript_;
            if (step.gated) {
                inGate_ = true;
                gateChanged_.notify_all();
                gateChanged_.wait(lock, [this] { return gateOpen_; });
                inGate_ = false;
            }
        }
        clock_.Advance(step.exchangeMs);
        if (step.during) {
            step.during();
        }
        if (step.code == RC_OK) {
            results.push_back({100, 200, 300, 400, 7, 0, 0, 0});
            indicator = true;
            if (imageKind == 1) {
                image.ImageData(320, 240, ImageFormat::Grey8, true);
            } else if (imageKind == 2) {
                image.ImageData(160, 120, ImageFormat::Grey8, true);
            }
            if (wantBlocks && (functionFlags & FUNCTION_MOTION_DETECTION)) {
                blocks.emplace_back(BLOCK_SIDE, BLOCK_SIDE, ImageFormat::Grey8, true);
            }
        }
        return step.code;
    }

    std::vector<Call> Calls() {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    void AwaitGate() {
        std::unique_lock lock(mutex_);
        gateChanged_.wait(lock, [this] { return inGate_; });
    }
    void OpenGate() {
        {
            std::lock_guard lock(mutex_);
            gateOpen_ = true;
        }
        gateChanged_.notify_all();
    }

private:
    test::FakeClock& clock_;
    std::mutex mutex_;
    std::condition_variable gateChanged_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    Step afterScript_;
    std::vector<Call> calls_;
    bool inGate_ = false;
    bool gateOpen_ = false;
};

// A loop on a scripted sensor, a fake clock and a configuration file of its own.
struct Rig {
    explicit Rig(bool jumpOnWait = true, bool detectionLogOn = false) : clock(jumpOnWait) {
        if (detectionLogOn) {
            std::ofstream(directory.Path() / "outputdetectlog") << "";
        }
        log.emplace(directory.Path());
        log->StartNewLogFile();
        loop.emplace(source, config, reporter, &*log, clock);
        reporter.Watch(*loop);
        // Asking beyond the script ends the run, so a loop that should have stopped itself is caught.
        source.SetAfterScript({RC_NO_LINK, 0, false, [this] {
                                   reporter.MarkScriptEnded();
                                   loop->RequestStop();
                               }});
    }

    // Starts monitoring on top of the script and returns what was reported once the loop stopped itself
    // or ran past the script.
    std::vector<Event> Run(const std::vector<Step>& steps) {
        const std::size_t before = reporter.Events().size();
        source.Append(steps);
        loop->StartMonitoring();
        reporter.Await([&](const std::vector<Event>& events) {
            return std::any_of(events.begin() + static_cast<std::ptrdiff_t>(before), events.end(),
                               [](Event e) { return e != Event::Cycle; });
        });
        loop->StopAndWaitIdle();
        const std::vector<Event> all = reporter.Events();
        return {all.begin() + static_cast<std::ptrdiff_t>(before), all.end()};
    }

    void SetRaw(const char* key, const char* value) {
        ASSERT_TRUE(WriteProfileString(config.ConfigFile(), "Application", key, value));
    }
    std::vector<std::uint16_t> Flags() {
        std::vector<std::uint16_t> flags;
        for (const Call& call : source.Calls()) {
            flags.push_back(call.flags);
        }
        return flags;
    }
    std::vector<std::int64_t> Starts() {
        std::vector<std::int64_t> starts;
        for (const Call& call : source.Calls()) {
            starts.push_back(call.startMs);
        }
        return starts;
    }

    test::TempDirectory directory;
    AppConfig config{directory.Path()};
    test::FakeClock clock;
    ScriptedSource source{clock};
    test::RecordingReporter reporter;
    std::optional<DetectionLog> log;
    std::optional<AcquisitionLoop> loop;
};

const Step Ok{RC_OK};
const Step Timeout{RC_TIMEOUT};

TEST(AcquisitionFailureCounter, OnlyThreeTimeoutsInARowStop) {
    Rig rig;
    EXPECT_EQ((std::vector{Event::Cycle, Event::ScriptEnded}),
              rig.Run({Timeout, Timeout, Ok, Timeout, Timeout}));
    EXPECT_EQ(6u, rig.source.Calls().size());

    Rig second;
    EXPECT_EQ((std::vector{Event::ResultLost}), second.Run({Timeout, Timeout, Timeout}));
    EXPECT_EQ(3u, second.source.Calls().size());
    EXPECT_FALSE(second.loop->IsRunning());
    EXPECT_FALSE(second.reporter.RunningAtAnyStopReport());
}

TEST(AcquisitionFailureCounter, OtherFailuresDoNotResetIt) {
    Rig rig;
    EXPECT_EQ((std::vector{Event::ResultLost}), rig.Run({Timeout, {RC_SHORT_RESPONSE}, Timeout, Timeout}));
    EXPECT_EQ(4u, rig.source.Calls().size());
}

TEST(AcquisitionFailureCounter, KeptAcrossStartMonitoringUntilASuccess) {
    Rig rig;
    ASSERT_EQ((std::vector{Event::ResultLost}), rig.Run({Timeout, Timeout, Timeout}));
    // A new connection: the first time-out stops the loop again at once.
    EXPECT_EQ((std::vector{Event::ResultLost}), rig.Run({Timeout}));
    EXPECT_EQ(4u, rig.source.Calls().size());
    // A success first resets it.
    EXPECT_EQ((std::vector{Event::Cycle, Event::ScriptEnded}), rig.Run({Ok, Timeout, Timeout}));
    EXPECT_EQ(8u, rig.source.Calls().size());
}

TEST(AcquisitionReports, StoppingCodesAndIgnoredCodes) {
    Rig sendFailed;
    EXPECT_EQ((std::vector{Event::LinkFailure}), sendFailed.Run({{RC_SEND_FAILED}}));
    EXPECT_EQ(1u, sendFailed.source.Calls().size());
    EXPECT_FALSE(sendFailed.reporter.RunningAtAnyStopReport());

    Rig abnormal;
    EXPECT_EQ((std::vector{Event::Cycle, Event::SettingsAbnormal}),
              abnormal.Run({Ok, {RC_SETTINGS_ABNORMAL}}));
    EXPECT_EQ(2u, abnormal.source.Calls().size());
    EXPECT_FALSE(abnormal.reporter.RunningAtAnyStopReport());
    // Monitoring again after the report works as before.
    EXPECT_EQ((std::vector{Event::Cycle, Event::ScriptEnded}), abnormal.Run({Ok}));

    Rig ignored;
    const std::vector<Step> others = {{RC_NO_LINK},          {RC_SHORT_TRANSFER},
                                      {RC_BAD_HEADER},       {RC_SHORT_RESPONSE},
                                      {RC_CHECKSUM},         {-0xF3},
                                      {RC_RECONNECT_FAILED}, {2}};
    EXPECT_EQ((std::vector{Event::ScriptEnded}), ignored.Run(others));
    EXPECT_EQ(others.size() + 1, ignored.source.Calls().size());
}

TEST(AcquisitionRequests, AlternateAndAskForTheBlockOnlyWhenGetDiffImageIsOne) {
    Rig rig;
    rig.config.WriteGetDiffImage(true);
    ASSERT_EQ((std::vector{Event::Cycle, Event::Cycle, Event::ScriptEnded}), rig.Run({Ok, Ok}));
    // The third call (beyond the script) was human detection, so without the reset the next would be
    // motion detection.
    ASSERT_EQ((std::vector{Event::Cycle, Event::Cycle, Event::ScriptEnded}), rig.Run({Ok, Ok}));
    EXPECT_EQ((std::vector<std::uint16_t>{1, 0x4000, 1, 1, 0x4000, 1}), rig.Flags());
    const auto calls = rig.source.Calls();
    EXPECT_FALSE(calls[0].wantBlocks);
    EXPECT_TRUE(calls[1].wantBlocks);
    EXPECT_FALSE(calls[2].wantBlocks);

    const auto cycles = rig.reporter.Cycles();
    ASSERT_EQ(4u, cycles.size());
    EXPECT_FALSE(cycles[0].IsMotionCycleWithBlock());
    EXPECT_EQ(nullptr, cycles[0].Block());
    ASSERT_TRUE(cycles[1].IsMotionCycleWithBlock());
    ASSERT_NE(nullptr, cycles[1].Block());
    EXPECT_EQ(BLOCK_SIDE, cycles[1].Block()->Width());

    Rig stored2;
    stored2.SetRaw("GetDiffImage", "2");
    ASSERT_EQ((std::vector{Event::Cycle, Event::Cycle, Event::ScriptEnded}), stored2.Run({Ok, Ok}));
    for (const Call& call : stored2.source.Calls()) {
        EXPECT_FALSE(call.wantBlocks);
    }
    EXPECT_FALSE(stored2.reporter.Cycles()[1].IsMotionCycleWithBlock());
}

TEST(AcquisitionRequests, ImageKindFromTheConfigurationOfEachCycle) {
    Rig rig;
    rig.config.WriteImageResolution(2);
    rig.config.WriteGetImage(false);
    ASSERT_EQ(5u, rig.Run({{RC_OK, 0, false, [&] { rig.config.WriteGetImage(true); }},
                           {RC_OK, 0, false, [&] { rig.config.WriteImageResolution(0); }},
                           {RC_OK, 0, false, [&] { rig.config.WriteImageResolution(1); }},
                           {RC_OK, 0, false, [&] { rig.SetRaw("ImageResolution", "7"); }}})
                      .size());
    std::vector<int> kinds;
    for (const Call& call : rig.source.Calls()) {
        kinds.push_back(call.imageKind);
    }
    EXPECT_EQ((std::vector{0, 2, 0, 1, 0}), kinds);
    const auto cycles = rig.reporter.Cycles();
    ASSERT_EQ(4u, cycles.size());
    EXPECT_FALSE(cycles[0].picture.HasPixels());
    EXPECT_EQ(160, cycles[1].picture.Width());
    EXPECT_EQ(320, cycles[3].picture.Width());
}

TEST(AcquisitionCycleOutput, CarriesResultsAndTheDisplayOptionsOfItsCycle) {
    Rig rig;
    rig.config.WriteIsShowDiff(0, false);
    rig.config.WriteDiffColor(0, 0x123456);
    // Read after the exchange, as the picture is composed.
    rig.Run({Ok, {RC_OK, 0, false, [&] { rig.config.WriteIsShowDiff(0, true); }}});
    const auto cycles = rig.reporter.Cycles();
    ASSERT_EQ(2u, cycles.size());
    EXPECT_EQ(0, cycles[0].isShowDiff);
    EXPECT_EQ(1, cycles[1].isShowDiff);
    EXPECT_EQ(0x123456, cycles[0].diffColor);
    EXPECT_EQ(1, cycles[0].imageKind);
    EXPECT_EQ(FUNCTION_HUMAN_DETECTION, cycles[0].functionFlags);
    EXPECT_EQ((std::vector<DetectionResult>{{100, 200, 300, 400, 7, 0, 0, 0}}), cycles[0].results);
    EXPECT_TRUE(cycles[0].indicator);
    EXPECT_NE(0, cycles[0].time.year);
}

TEST(AcquisitionCycleOutput, EachSuccessGoesToTheDetectionLog) {
    Rig rig(true, true);
    ASSERT_TRUE(rig.log->IsEnabled());
    rig.Run({Ok, Timeout, {RC_CHECKSUM}, Ok});
    const std::filesystem::path file = rig.log->CurrentFile();
    rig.log->StopDetectionLog();
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(2u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find(",1,1,1,100,200,300,400,0,0,0,7"));
}

TEST(AcquisitionRhythm, CyclesStartRenewIntervalApartFromTheStartOfTheLast) {
    Rig quick;
    quick.config.WriteRenewInterval(3000);
    quick.Run({{RC_OK, 500}, {RC_OK, 500}, {RC_OK, 500}});
    EXPECT_EQ((std::vector<std::int64_t>{0, 3000, 6000, 9000}), quick.Starts());

    Rig slow;
    slow.config.WriteRenewInterval(3000);
    slow.Run({{RC_OK, 3500}, {RC_TIMEOUT, 3500}, {RC_OK, 3500}});
    EXPECT_EQ((std::vector<std::int64_t>{0, 3500, 7000, 10500}), slow.Starts());

    Rig none;
    none.config.WriteRenewInterval(0);
    none.Run({{RC_OK, 500}, {RC_OK, 500}, {RC_CHECKSUM, 500}});
    EXPECT_EQ((std::vector<std::int64_t>{0, 500, 1000, 1500}), none.Starts());
    EXPECT_TRUE(none.clock.Deadlines().empty());
}

TEST(AcquisitionRhythm, IntervalIsReadEveryCycle) {
    Rig rig;
    rig.config.WriteRenewInterval(1000);
    rig.Run({{RC_OK, 100, false, [&] { rig.config.WriteRenewInterval(2000); }},
             {RC_OK, 100, false, [&] { rig.config.WriteRenewInterval(-5); }},
             {RC_OK, 100, false, [&] { rig.config.WriteRenewInterval(1000); }}});
    EXPECT_EQ((std::vector<std::int64_t>{0, 2000, 2100, 3100}), rig.Starts());
}

TEST(AcquisitionStop, EndsTheWaitBetweenCycles) {
    Rig rig(false); // the fake clock never reaches the deadline: only the stop can end the wait
    rig.config.WriteRenewInterval(3000);
    rig.source.Append({Ok});
    rig.loop->StartMonitoring();
    rig.clock.AwaitWaits(1);
    rig.loop->StopAndWaitIdle();
    EXPECT_TRUE(rig.loop->IsIdle());
    EXPECT_EQ(1u, rig.source.Calls().size());
    EXPECT_EQ((std::vector<std::int64_t>{3000}), rig.clock.Deadlines());

    // The non-blocking request alone also ends it.
    rig.source.Append({Ok});
    rig.loop->StartMonitoring();
    rig.clock.AwaitWaits(2);
    rig.loop->RequestStop();
    rig.loop->StopAndWaitIdle();
    EXPECT_EQ(2u, rig.source.Calls().size());
    EXPECT_EQ(2u, rig.reporter.CycleCount());
}

TEST(AcquisitionStop, WaitsForTheExchangeAndDropsItsResult) {
    Rig rig;
    rig.source.Append({{RC_TIMEOUT}, {RC_TIMEOUT}, {RC_TIMEOUT, 0, true}});
    rig.loop->StartMonitoring();
    rig.source.AwaitGate();
    auto stopped = std::async(std::launch::async, [&] { rig.loop->StopAndWaitIdle(); });
    // While the exchange lasts the stop cannot be complete; a correct loop never passes this early.
    EXPECT_EQ(std::future_status::timeout, stopped.wait_for(50ms));
    EXPECT_FALSE(rig.loop->IsIdle());
    rig.source.OpenGate();
    stopped.get();
    EXPECT_TRUE(rig.loop->IsIdle());
    // The third time-out came after the stop request: no report, and the sensor is left alone.
    EXPECT_TRUE(rig.reporter.Events().empty());
    EXPECT_EQ(3u, rig.source.Calls().size());
}

TEST(AcquisitionStop, StopWithoutMonitoringReturnsAtOnce) {
    Rig rig;
    rig.loop->StopAndWaitIdle();
    rig.loop->StartMonitoring();
    rig.loop->StopAndWaitIdle();
    rig.loop->StopAndWaitIdle();
    EXPECT_TRUE(rig.loop->IsIdle());
    EXPECT_FALSE(rig.loop->IsRunning());
}

TEST(AcquisitionLifetime, DestroyedWhileCycling) {
    Rig rig;
    rig.config.WriteRenewInterval(0);
    rig.source.SetAfterScript(Ok); // endless monitoring
    rig.loop->StartMonitoring();
    rig.reporter.AwaitCycles(5);
    rig.loop.reset();
    // At most the exchange in progress at destruction went unreported.
    EXPECT_LE(rig.source.Calls().size(), rig.reporter.CycleCount() + 1);
    for (const Event event : rig.reporter.Events()) {
        EXPECT_EQ(Event::Cycle, event);
    }
}

TEST(AcquisitionLifetime, DestroyedDuringAnExchangeReportsNothingMore) {
    Rig rig(false);
    rig.source.Append({{RC_SEND_FAILED, 0, true}});
    rig.loop->StartMonitoring();
    rig.source.AwaitGate();
    auto destroyed = std::async(std::launch::async, [&] { rig.loop.reset(); });
    EXPECT_EQ(std::future_status::timeout, destroyed.wait_for(50ms));
    rig.source.OpenGate();
    destroyed.get();
    EXPECT_TRUE(rig.reporter.Events().empty());
    EXPECT_EQ(1u, rig.source.Calls().size());
}

TEST(AcquisitionLifetime, DestroyedWhileWaitingBetweenCycles) {
    Rig rig(false);
    rig.config.WriteRenewInterval(60'000);
    rig.source.Append({Ok});
    rig.loop->StartMonitoring();
    rig.clock.AwaitWaits(1);
    rig.loop.reset();
    EXPECT_EQ(1u, rig.source.Calls().size());
}

} // namespace
} // namespace orlo
