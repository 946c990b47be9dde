// Plays seeded battles with no screen and no timer, frame by frame as the program does (one
// update pass, the reinforcement countdown, the frame drawn into a 1280 x 1024 16-bit memory
// bitmap with the countdown text), and prints one JSON line of timings per scenario. The
// record scenario times the whole clip of a battle (the GIF written to a temporary file) and
// gives its size. A last line times the scaling of frames to the picture sizes of desktops
// smaller than the frame.
//
// The copy scenarios time a copy of the whole battle (every unit, shot and particle) taken every
// 60 frames of a default battle and of one with both start zones packed. The seek scenarios
// play a battle as the viewer watches it, its timeline keeping keyframes, to its end (or the
// scenario's frames), then time seeks to random moments of what was seen, and give the memory
// the keyframes take.
//
// The odds scenario times rollouts (game/Rollout.h): one rollout from the start beside the lab's
// battle of the same seed (and ten of each, for a steadier figure), the odds of the start with
// 64 rollouts and 2 jobs, and the course of the odds of seed 11 every second with 64 rollouts
// and 2 jobs, as `battle-lab --odds --seed 11 --every 1` plays it.
//
//   battle-bench [--seed N] [--frames N] [scenario...]
//       scenarios: default, full, record, 8x, copy, copy-full, seek, seek-full, odds, odds-live
//
// odds-live plays the desktop at 1x in real time (a minute by default) with the odds worked out
// as the program works them out, and gives how far behind the moment shown they are.

#include <allegro.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "game/Battle.h"
#include "app/ClipRecorder.h"
#include "app/Display.h"
#include "app/FrameLoop.h"
#include "app/OddsWorker.h"
#include "game/Countdown.h"
#include "game/FrameRender.h"
#include "game/OddsCounts.h"
#include "game/Rollout.h"
#include "game/WatchedBattle.h"
#include "game/StateDigest.h"
#include "game/Timeline.h"
#include "gfx/Canvas.h"
#include "bitmap/FrameScaler.h"
#include "bitmap/MemoryCanvas.h"
#include "lab/BattleOutcome.h"
#include "lab/OddsJobs.h"
#include "world/Battlefield.h"

namespace {

struct Scenario {
    const char* name;
    UnitCounts counts;
    int frames;
};

const Scenario kScenarios[] = {
    {"default", UnitCounts(), 6000},
    {"full", UnitCounts::bothSides(2000, 2000, 2000), 9000},  // both start zones packed; three waves
    {"record", UnitCounts(), kDefaultClipFrames},
    {"8x", UnitCounts(), 6000},  // logical frames: 750 drawn frames
    {"copy", UnitCounts(), 6000},
    {"copy-full", UnitCounts::bothSides(2000, 2000, 2000), 3000},
    {"seek", UnitCounts(), 36000},
    {"seek-full", UnitCounts::bothSides(2000, 2000, 2000), 9000},
    {"odds", UnitCounts(), 0},
    {"odds-live", UnitCounts(), 1800},  // drawn frames at 1x, in real time: 30 s with the odds, 30 without
};

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Summary {
    double p50, p99, max, mean;
};

Summary summarise(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    auto at = [&](double q) { return samples[static_cast<size_t>(q * static_cast<double>(samples.size() - 1))]; };
    double total = 0;
    for (double sample : samples) total += sample;
    return {at(0.50), at(0.99), samples.back(), total / static_cast<double>(samples.size())};
}

double blitMilliseconds(BITMAP* source)
{
    BITMAP* copy = create_bitmap_ex(kColourDepth, kScreenWidth, kScreenHeight);
    std::vector<double> samples;
    for (int n = 0; n < 200; ++n) {
        const auto start = Clock::now();
        blit(source, copy, 0, 0, 0, 0, kScreenWidth, kScreenHeight);
        samples.push_back(millisecondsSince(start));
    }
    destroy_bitmap(copy);
    return summarise(samples).p50;
}

// Common desktops too small for the frame, each with the picture it gets.
struct Desktop {
    int width, height;
};
const Desktop kSmallDesktops[] = {{1366, 768}, {1024, 768}, {1280, 800}, {1600, 900}, {800, 600}};

// The processor time this thread has had, in milliseconds: unlike the clock, it does not run
// on while another process has the core.
double threadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// What scaling adds to a frame: for every small desktop in turn, 300 frames one after another
// of a battle 10 seconds in, each fitted to the desktop's picture as the program fits it. The
// scaler keeps the frame before and averages again what changed, so `first` times the first
// frame, averaged whole; p50, p99 and max are those of the 300 frames after it, and cpu_p99 the
// p99 of the processor time they took (on a shared machine, a frame the scheduler gives
// another process for its 4 ms slice shows in the clock's figures only).
void timeScaling(unsigned seed)
{
    MemoryCanvas canvas;
    std::printf("{\"scaling\": [");
    const char* separator = "";
    for (const Desktop& desktop : kSmallDesktops) {
        const PictureSize picture = pictureSizeFor(desktop.width, desktop.height);
        FrameScaler scaler(picture.width, picture.height);
        double first = 0;
        std::vector<double> samples, processor;
        Battle battle(UnitCounts(), seed);
        for (int n = 0; n < 600; ++n) battle.frame();  // armies on the march, some fights
        for (int n = 0; n <= 300; ++n) {
            battle.frame();
            renderFrame(battle.field(), canvas.canvas());
            drawCountdownText(canvas.surface(), battle.reinforcementTimer());
            const double startProcessor = threadMilliseconds();
            const auto start = Clock::now();
            scaler.fit(canvas.bitmap());
            (n == 0 ? first : samples.emplace_back()) = millisecondsSince(start);
            if (n > 0) processor.push_back(threadMilliseconds() - startProcessor);
        }
        const Summary scaling = summarise(samples);
        std::printf("%s{\"desktop\": \"%dx%d\", \"picture\": \"%dx%d\", \"ms\": {\"first\": %.4f, \"p50\": %.4f, "
                    "\"p99\": %.4f, \"max\": %.4f, \"cpu_p99\": %.4f}}",
                    separator, desktop.width, desktop.height, picture.width, picture.height, first, scaling.p50,
                    scaling.p99, scaling.max, summarise(processor).p99);
        separator = ", ";
    }
    std::printf("]}\n");
    std::fflush(stdout);
}

long peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void run(const Scenario& scenario, unsigned seed, int frames)
{
    MemoryCanvas canvas;

    std::vector<double> updateMs, renderMs;
    updateMs.reserve(frames);
    renderMs.reserve(frames);
    size_t peakUnits = 0, peakObjects = 0;
    double unitFrames = 0;   // units summed over all frames, for the cost per unit
    int gameOverFrame = -1;  // the frame in which a base fell; -1 while both stand
    std::uint64_t digest = 0;
    {
        Battle battle(scenario.counts, seed);
        Battlefield& field = battle.field();
        for (int n = 0; n < frames; ++n) {
            auto start = Clock::now();
            battle.frame();
            updateMs.push_back(millisecondsSince(start));

            start = Clock::now();
            renderFrame(field, canvas.canvas());
            drawCountdownText(canvas.surface(), battle.reinforcementTimer());
            renderMs.push_back(millisecondsSince(start));

            unitFrames += static_cast<double>(field.units().size());
            peakUnits = std::max(peakUnits, field.units().size());
            peakObjects = std::max(peakObjects, field.objects.size());
        }
        digest = stateDigest(field);
        gameOverFrame = battle.over() ? battle.endPass() : -1;
    }
    const double blitMs = blitMilliseconds(canvas.bitmap());

    const Summary update = summarise(updateMs);
    const Summary render = summarise(renderMs);
    std::printf(
        "{\"scenario\": \"%s\", \"seed\": %u, \"frames\": %d, \"game_over_frame\": %d, \"peak_units\": %zu, "
        "\"peak_objects\": %zu, "
        "\"mean_units\": %.1f, \"update_ms\": {\"p50\": %.4f, \"p99\": %.4f, \"max\": %.4f, \"mean\": %.4f}, "
        "\"update_ns_per_unit\": %.1f, "
        "\"render_ms\": {\"p50\": %.4f, \"p99\": %.4f, \"max\": %.4f}, \"blit_ms\": %.4f, "
        "\"peak_rss_kib\": %ld, \"digest\": \"%016" PRIx64 "\"}\n",
        scenario.name, seed, frames, gameOverFrame, peakUnits, peakObjects, unitFrames / frames, update.p50, update.p99,
        update.max, update.mean, update.mean * 1e6 / (unitFrames / frames), render.p50, render.p99, render.max, blitMs,
        peakResidentKiB(), digest);
    std::fflush(stdout);
}

// The clip a viewer records of the battle: the whole recording, and the file it makes.
void runRecord(const Scenario& scenario, unsigned seed, int frames)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("battle-bench-" + std::to_string(getpid()) + ".gif");
    const auto start = Clock::now();
    const std::string error = recordClip({path.string(), frames, seed, scenario.counts});
    const double seconds = millisecondsSince(start) / 1000;
    if (!error.empty()) {
        std::fprintf(stderr, "battle-bench: %s\n", error.c_str());
        std::exit(1);
    }
    const std::uintmax_t bytes = std::filesystem::file_size(path);
    std::filesystem::remove(path);
    std::printf(
        "{\"scenario\": \"%s\", \"seed\": %u, \"frames\": %d, \"pictures\": %d, \"seconds\": %.3f, "
        "\"bytes\": %ju, \"peak_rss_kib\": %ld}\n",
        scenario.name, seed, frames, (frames + 1) / kFramesPerPicture, seconds, bytes, peakResidentKiB());
    std::fflush(stdout);
}

// The drawn frames of the battle at 8x, each with one tick due: what the program must hold 60
// times a second.
void runFast(const Scenario& scenario, unsigned seed, int frames)
{
    MemoryCanvas canvas;
    std::vector<double> drawnMs;
    int gameOverFrame = -1;
    int logical = 0;
    {
        WatchedBattle watched(scenario.counts, seed);
        const Battle& battle = watched.battle();
        while (watched.speedStep() < kFastestSpeedStep) watched.faster();
        DueTicks due{0};
        const int perDrawn = 1 << kFastestSpeedStep;
        for (int n = 0; n < frames / perDrawn; ++n) {
            due.store(1);
            const auto start = Clock::now();
            // The first frame after the key drops the tick due and waits for the next one.
            watched.runFrame(due, [&due] { due.fetch_add(1); });
            drawShownFrame(watched, canvas.canvas());
            drawnMs.push_back(millisecondsSince(start));
        }
        logical = battle.passes();
        gameOverFrame = battle.over() ? battle.endPass() : -1;
    }

    const Summary drawn = summarise(drawnMs);
    std::printf(
        "{\"scenario\": \"%s\", \"seed\": %u, \"drawn_frames\": %zu, \"logical_frames\": %d, "
        "\"game_over_frame\": %d, \"drawn_frame_ms\": {\"p50\": %.4f, \"p99\": %.4f, \"max\": %.4f, "
        "\"mean\": %.4f}, \"budget_ms\": %.4f}\n",
        scenario.name, seed, drawnMs.size(), logical, gameOverFrame, drawn.p50, drawn.p99, drawn.max, drawn.mean,
        1000.0 / kTicksPerSecond);
    std::fflush(stdout);
}

// Copies of the battle under way, one every second of battle time, each destroyed at once.
void runCopies(const Scenario& scenario, unsigned seed, int frames)
{
    std::vector<double> copyMs;
    size_t peakObjects = 0;
    Battle battle(scenario.counts, seed);
    for (int n = 1; n <= frames && !battle.over(); ++n) {
        battle.frame();
        if (n % 60 != 0) continue;
        const auto start = Clock::now();
        const Battle copy(battle);
        copyMs.push_back(millisecondsSince(start));
        peakObjects = std::max(peakObjects, copy.field().objects.size());
    }
    const Summary copy = summarise(copyMs);
    std::printf(
        "{\"scenario\": \"%s\", \"seed\": %u, \"copies\": %zu, \"peak_objects\": %zu, "
        "\"copy_ms\": {\"p50\": %.4f, \"p99\": %.4f, \"max\": %.4f, \"mean\": %.4f}}\n",
        scenario.name, seed, copyMs.size(), peakObjects, copy.p50, copy.p99, copy.max, copy.mean);
    std::fflush(stdout);
}

// Random seeks within what the viewer has seen of the battle.
// The desktop at 1x in real time, a drawn frame every tick, the odds worked out by their thread
// as the program does it: how far behind the moment shown the odds shown are, and the drawn
// frames' time (the battle's part and the drawing, not the wait for the tick) with the odds
// shown and, in a second run of the same frames, hidden.
void runLiveOdds(const Scenario& scenario, unsigned seed, int frames)
{
    MemoryCanvas canvas;
    std::vector<double> drawnMs[2];
    std::vector<double> behindSeconds;
    for (const bool odds : {true, false}) {
        WatchedBattle watched(scenario.counts, seed);
        if (odds) watched.toggleOdds();
        OddsWorker worker;
        DueTicks due{0};
        auto tick = Clock::now();
        for (int n = 0; n < frames && !watched.battle().over(); ++n) {
            tick += std::chrono::microseconds(1000000 / kTicksPerSecond);
            std::this_thread::sleep_until(tick);
            due.store(1);
            const auto start = Clock::now();
            watched.runFrame(due, [&due] { due.fetch_add(1); });
            drawShownFrame(watched, canvas.canvas());
            drawnMs[odds ? 0 : 1].push_back(millisecondsSince(start));
            worker.trade(watched);
            if (const OddsCounts* shown = watched.odds().at(watched.moment())) {
                behindSeconds.push_back(static_cast<double>(watched.moment() - shown->frame) / kTicksPerSecond);
            }
        }
    }
    if (behindSeconds.empty()) behindSeconds.push_back(-1);  // no odds came at all
    const Summary on = summarise(drawnMs[0]);
    const Summary off = summarise(drawnMs[1]);
    const Summary behind = summarise(behindSeconds);
    std::printf(
        "{\"scenario\": \"%s\", \"seed\": %u, \"drawn_frames\": %zu, \"rollouts\": %d, "
        "\"odds_behind_s\": {\"p50\": %.2f, \"p99\": %.2f, \"max\": %.2f}, "
        "\"drawn_frame_ms_odds_on\": {\"p50\": %.4f, \"p99\": %.4f, \"max\": %.4f}, "
        "\"drawn_frame_ms_odds_off\": {\"p50\": %.4f, \"p99\": %.4f, \"max\": %.4f}}\n",
        scenario.name, seed, drawnMs[0].size(), kLiveRollouts, behind.p50, behind.p99, behind.max, on.p50, on.p99,
        on.max, off.p50, off.p99, off.max);
    std::fflush(stdout);
}

void runSeeks(const Scenario& scenario, unsigned seed, int frames)
{
    Battle battle(scenario.counts, seed);
    Timeline timeline;
    timeline.reset(battle);
    while (battle.passes() < frames && !battle.over()) {
        battle.frame();
        timeline.note(battle);
    }
    const int seen = timeline.seen();
    std::mt19937 draw(seed);
    std::vector<double> seekMs;
    for (int n = 0; n < 300; ++n) {
        const int target = static_cast<int>(draw() % static_cast<unsigned>(seen + 1));
        const auto start = Clock::now();
        timeline.seek(battle, target);
        seekMs.push_back(millisecondsSince(start));
    }
    const Summary seek = summarise(seekMs);
    std::printf(
        "{\"scenario\": \"%s\", \"seed\": %u, \"seen_frames\": %d, \"seeks\": %zu, \"keyframes\": %zu, "
        "\"keyframe_spacing\": %d, \"keyframe_mb\": %.1f, "
        "\"seek_ms\": {\"p50\": %.4f, \"p99\": %.4f, \"max\": %.4f, \"mean\": %.4f}}\n",
        scenario.name, seed, seen, seekMs.size(), timeline.keyframes(), timeline.spacing(),
        static_cast<double>(timeline.keyframeBytes()) / (1 << 20), seek.p50, seek.p99, seek.max, seek.mean);
    std::fflush(stdout);
}

// The processor time of the whole process (every thread), in milliseconds.
double processMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The odds of the battle at each moment with 64 rollouts over 2 jobs: the clock's and the
// processor's milliseconds.
struct OddsTime {
    double ms = 0;
    double cpuMs = 0;
};
OddsTime timeOdds(Battle battle, const std::vector<int>& moments)
{
    OddsJobs jobs(2, nullptr);
    const double startProcessor = processMilliseconds();
    const auto start = Clock::now();
    for (const int moment : moments) {
        while (Timeline::frameOf(battle) < moment && !battle.over()) battle.frame();
        OddsCounts counts;
        if (jobs.run(battle, 64, counts) != OddsJobs::Result::kDone) {
            std::fprintf(stderr, "battle-bench: %s\n", jobs.failure().c_str());
            std::exit(1);
        }
    }
    return {millisecondsSince(start), processMilliseconds() - startProcessor};
}

void runOdds(const Scenario& scenario, unsigned seed)
{
    // One rollout from the start against the lab's battle of the seed; then ten of each.
    double rolloutMs[2] = {}, battleMs[2] = {};
    int rolloutFrames[2] = {}, battleFrames[2] = {};
    for (int n = 0; n < 10; ++n) {
        Battle start(scenario.counts, seed + static_cast<unsigned>(n));
        start.setWatched(false);
        double before = threadMilliseconds();
        Battle rollout = startRollout(start, 0);
        while (!rolloutEnded(rollout)) rollout.frame();
        const double rollMs = threadMilliseconds() - before;
        before = threadMilliseconds();
        const BattleOutcome outcome = playBattle(start, kRolloutHorizon, nullptr);
        const double labMs = threadMilliseconds() - before;
        const int labFrames = outcome.finished() ? outcome.endFrame : start.passes();
        for (int i = n == 0 ? 0 : 1; i < 2; ++i) {
            rolloutMs[i] += rollMs;
            rolloutFrames[i] += Timeline::frameOf(rollout);
            battleMs[i] += labMs;
            battleFrames[i] += labFrames;
        }
    }
    Battle start(scenario.counts, seed);
    start.setWatched(false);
    const OddsTime startOdds = timeOdds(start, {0});

    // The course of seed 11 every second, to the fall of its base.
    constexpr unsigned kCourseSeed = 11;
    Battle course(scenario.counts, kCourseSeed);
    course.setWatched(false);
    Battle ended = course;
    while (!ended.over() && ended.passes() < kRolloutHorizon) ended.frame();
    const int end = Timeline::frameOf(ended);
    std::vector<int> moments;
    for (int frame = 0; frame < end; frame += kTicksPerSecond) moments.push_back(frame);
    moments.push_back(end);
    const OddsTime courseOdds = timeOdds(course, moments);

    std::printf(
        "{\"scenario\": \"%s\", \"seed\": %u, \"rollout\": {\"cpu_ms\": %.2f, \"frames\": %d}, "
        "\"lab_battle\": {\"cpu_ms\": %.2f, \"frames\": %d}, \"ten_rollouts\": {\"cpu_ms\": %.1f, \"frames\": %d}, "
        "\"ten_lab_battles\": {\"cpu_ms\": %.1f, \"frames\": %d}, "
        "\"start_odds\": {\"rollouts\": 64, \"jobs\": 2, \"ms\": %.1f, \"cpu_ms\": %.1f}, "
        "\"course\": {\"seed\": %u, \"moments\": %zu, \"rollouts\": 64, \"jobs\": 2, \"seconds\": %.2f, "
        "\"cpu_seconds\": %.2f}}\n",
        scenario.name, seed, rolloutMs[0], rolloutFrames[0], battleMs[0], battleFrames[0], rolloutMs[1],
        rolloutFrames[1], battleMs[1], battleFrames[1], startOdds.ms, startOdds.cpuMs, kCourseSeed, moments.size(),
        courseOdds.ms / 1000, courseOdds.cpuMs / 1000);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    unsigned seed = 1;
    int frames = 0;  // 0: the scenario's own
    std::vector<std::string> names;
    const char* const usage =
        "usage: battle-bench [--seed N] [--frames N] [scenario...]\n"
        "Times seeded battles with no screen and prints one JSON line per scenario, then the scaling\n"
        "of a frame. Scenarios: default, full, record, 8x, copy, copy-full, seek, seek-full, odds (all\n"
        "when none is named).\n";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
        } else if (argv[i][0] == '-') {
            std::fprintf(stderr, "battle-bench: unknown option '%s'\n%s", argv[i], usage);
            return 2;
        } else {
            names.emplace_back(argv[i]);
        }
    }
    if (names.empty()) {
        names = {"default", "full", "record", "8x", "copy", "copy-full", "seek", "seek-full", "odds", "odds-live"};
    }

    install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(kColourDepth);
    for (const std::string& name : names) {
        const Scenario* found = nullptr;
        for (const Scenario& s : kScenarios) {
            if (name == s.name) found = &s;
        }
        if (found == nullptr) {
            std::fprintf(stderr,
                         "battle-bench: unknown scenario '%s' (default, full, record, 8x, copy, copy-full, seek, "
                         "seek-full, odds, odds-live)\n",
                         name.c_str());
            return 2;
        }
        if (std::strcmp(found->name, "record") == 0) {
            runRecord(*found, seed, frames > 0 ? frames : found->frames);
        } else if (std::strncmp(found->name, "seek", 4) == 0) {
            runSeeks(*found, seed, frames > 0 ? frames : found->frames);
        } else if (std::strncmp(found->name, "copy", 4) == 0) {
            runCopies(*found, seed, frames > 0 ? frames : found->frames);
        } else if (std::strcmp(found->name, "odds-live") == 0) {
            runLiveOdds(*found, seed, frames > 0 ? frames : found->frames);
        } else if (std::strcmp(found->name, "odds") == 0) {
            runOdds(*found, seed);
        } else if (std::strcmp(found->name, "8x") == 0) {
            runFast(*found, seed, frames > 0 ? frames : found->frames);
        } else {
            run(*found, seed, frames > 0 ? frames : found->frames);
        }
    }
    timeScaling(seed);
    return 0;
}
END_OF_MAIN()
