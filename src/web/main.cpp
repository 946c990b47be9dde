// The browser's page: the battle of the page's address, driven by the page's script, which
// calls these once per picture the browser draws and for every key and button.

#include <emscripten.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "game/Countdown.h"
#include "game/OddsCourse.h"
#include "game/ResultsPanel.h"
#include "game/StateDigest.h"
#include "game/TurningPoints.h"
#include "web/PageBattle.h"

namespace {

std::unique_ptr<PageBattle> page;  // made by pageStart
std::string text;                  // the last text handed to the script

const char* handOver(std::string value)
{
    text = std::move(value);
    return text.c_str();
}

std::string hex(std::uint64_t value)
{
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016" PRIx64, value);
    return digits;
}

}  // namespace

extern "C" {

// Starts the battle of the address's values (null: not in the address).
EMSCRIPTEN_KEEPALIVE void pageStart(const char* seed, const char* counts, const char* loop, const char* moment)
{
    page = std::make_unique<PageBattle>(readPageAddress(seed, counts, loop, moment),
                                        static_cast<unsigned>(std::time(nullptr)), [] { return emscripten_get_now(); });
}

EMSCRIPTEN_KEEPALIVE int pageFrame()
{
    return page->frame() ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const std::uint32_t* pagePixels()
{
    return page->rgba();
}

EMSCRIPTEN_KEEPALIVE void pageDropDueTicks()
{
    page->dropDueTicks();
}

EMSCRIPTEN_KEEPALIVE void pageKey(int key)
{
    page->pressKey(static_cast<char>(key));
}

// ---- the timeline ----

// A move of the timeline: 0 Home, 1 Left, 2 Shift+Left, 3 Shift+Right, 4 Right, 5 End.
EMSCRIPTEN_KEEPALIVE void pageMove(int move)
{
    if (move >= 0 && move <= static_cast<int>(PageBattle::Move::End)) page->move(static_cast<PageBattle::Move>(move));
}

EMSCRIPTEN_KEEPALIVE void pageSeekTo(int frame)
{
    page->seekTo(frame);
}

EMSCRIPTEN_KEEPALIVE void pageGrab(int held)
{
    page->grab(held != 0);
}

// The timeline as it stands, nine numbers: the battle's time (its frame), the furthest frame
// seen, the frame a base fell in (-1 while none did), the team of that base (-1), the frames the
// timeline spans, the frame still being played ahead to (-1), the number of course samples and
// where they lie in memory (red's and blue's units alive, one second apart), and the frames
// between two reinforcement waves.
EMSCRIPTEN_KEEPALIVE const int* pageTimeline()
{
    static int figures[9];
    const Timeline& timeline = page->watched().timeline();
    const std::vector<AliveSample>& course = timeline.course();
    static_assert(sizeof(AliveSample) == 2 * sizeof(int), "a sample is red's and blue's units");
    const int values[9] = {page->moment(),
                           timeline.seen(),
                           timeline.endFrame(),
                           timeline.eliminatedTeam(),
                           page->span(),
                           page->goal(),
                           static_cast<int>(course.size()),
                           static_cast<int>(reinterpret_cast<std::uintptr_t>(course.data())),
                           kReinforcementFrames};
    std::copy(values, values + 9, figures);
    return figures;
}

// The moment as the field's texts write it, "1:30.5".
EMSCRIPTEN_KEEPALIVE const char* pageMomentText(int frame)
{
    return handOver(ResultsPanel::lengthText(frame));
}

EMSCRIPTEN_KEEPALIVE void pageNextBattle()
{
    page->nextBattle();
}

EMSCRIPTEN_KEEPALIVE void pagePreviousBattle()
{
    page->previousBattle();
}

EMSCRIPTEN_KEEPALIVE void pageReplay()
{
    page->replay();
}

// The picture's size from now on; the frame on the screen is handed over again at it.
EMSCRIPTEN_KEEPALIVE void pageShowAt(int width, int height)
{
    page->showAt(width, height);
}

EMSCRIPTEN_KEEPALIVE unsigned pageSeed()
{
    return page->seed();
}

EMSCRIPTEN_KEEPALIVE const char* pageTitle()
{
    return handOver(page->title());
}

EMSCRIPTEN_KEEPALIVE const char* pageQuery()
{
    return handOver(page->query());
}

EMSCRIPTEN_KEEPALIVE const char* pageMessage()
{
    return handOver(page->message());
}

EMSCRIPTEN_KEEPALIVE const char* pageDescription()
{
    return handOver(page->description());
}

EMSCRIPTEN_KEEPALIVE const char* pageCountdown()
{
    return handOver(page->countdown());
}

EMSCRIPTEN_KEEPALIVE const char* pageResults()
{
    return handOver(page->results());
}

// What is wrong with a value of the battle form, or an empty text.
EMSCRIPTEN_KEEPALIVE const char* pageSeedProblem(const char* seed)
{
    return handOver(seedProblem(seed));
}

EMSCRIPTEN_KEEPALIVE const char* pageCountProblem(const char* count)
{
    return handOver(countProblem(count));
}

EMSCRIPTEN_KEEPALIVE const char* pageMomentProblem(const char* moment)
{
    return handOver(momentProblem(moment));
}

EMSCRIPTEN_KEEPALIVE int pageOver()
{
    return page->battle().over() ? 1 : 0;
}

// The counts in the address's order and form, "200,50,50,200,50,50".
EMSCRIPTEN_KEEPALIVE const char* pageCounts()
{
    return handOver(countsText(page->battle().counts(), ','));
}

EMSCRIPTEN_KEEPALIVE int pagePaused()
{
    return page->watched().paused() ? 1 : 0;
}

// The speed as the field shows it above 1x and below; the page's label shows 1x too.
EMSCRIPTEN_KEEPALIVE const char* pageSpeedText()
{
    const std::string text = page->watched().speedText();
    return handOver(text.empty() ? "Speed 1x" : text);
}

// ---- for tests and measurements ----

EMSCRIPTEN_KEEPALIVE int pagePasses()
{
    return page->battle().passes();
}

EMSCRIPTEN_KEEPALIVE const char* pageDigest()
{
    return handOver(hex(stateDigest(page->battle().field())));
}

EMSCRIPTEN_KEEPALIVE void pageHold()
{
    page->hold();
}

EMSCRIPTEN_KEEPALIVE void pageStep(int frames)
{
    page->step(frames);
}

// The timeline's keyframes: "[count, spacing in frames, bytes]".
EMSCRIPTEN_KEEPALIVE const char* pageKeyframes()
{
    const Timeline& timeline = page->watched().timeline();
    return handOver("[" + std::to_string(timeline.keyframes()) + "," + std::to_string(timeline.spacing()) + "," +
                    std::to_string(timeline.keyframeBytes()) + "]");
}

EMSCRIPTEN_KEEPALIVE const char* pageDigestChain(int maxFrames)
{
    return handOver(hex(page->digestChain(maxFrames)));
}

EMSCRIPTEN_KEEPALIVE const char* pageSeekChain(unsigned scriptSeed, int moves)
{
    return handOver(hex(page->seekChain(scriptSeed, moves)));
}

// ---- the odds ----

EMSCRIPTEN_KEEPALIVE void pageToggleOdds()
{
    page->toggleOdds();
}

EMSCRIPTEN_KEEPALIVE int pageOddsShown()
{
    return page->watched().oddsShown() ? 1 : 0;
}

// The next moment whose odds the page's worker is to work out: "generation frame", or "".
EMSCRIPTEN_KEEPALIVE const char* pageOddsWanted()
{
    const std::optional<int> frame = page->takeOddsMoment();
    if (!frame) return handOver("");
    return handOver(std::to_string(page->watched().odds().generation()) + " " + std::to_string(*frame));
}

// A moment the worker worked out, for the battle of that generation.
EMSCRIPTEN_KEEPALIVE void pageAddOdds(unsigned generation, int frame, int rollouts, int red, int blue, int unfinished)
{
    page->addOdds(generation, {frame, rollouts, red, blue, unfinished});
}

// The worker could not work the moment out: it may be wanted again.
EMSCRIPTEN_KEEPALIVE void pageDropOdds()
{
    page->dropOddsMoment();
}

// Without a worker, moments worked out here for at most this many milliseconds; 1 when there
// was anything to do.
EMSCRIPTEN_KEEPALIVE int pageWorkOnOdds(double milliseconds)
{
    return page->workOnOdds(milliseconds) ? 1 : 0;
}

// In the page's worker: the odds of a moment of the battle of this seed and counts (as the
// address gives them), "red blue unfinished".
EMSCRIPTEN_KEEPALIVE const char* pageOddsOfMoment(unsigned seed, const char* counts, int frame, int rollouts)
{
    const UnitCounts armies = readPageAddress(nullptr, counts, nullptr).counts;
    const OddsCounts odds = PageBattle::oddsOfMoment(seed, armies, frame, rollouts);
    return handOver(std::to_string(odds.red) + " " + std::to_string(odds.blue) + " " + std::to_string(odds.unfinished));
}

namespace {
std::string oddsJson(const OddsCounts& odds)
{
    return "{\"frame\":" + std::to_string(odds.frame) + ",\"rollouts\":" + std::to_string(odds.rollouts) +
           ",\"red\":" + std::to_string(odds.red) + ",\"blue\":" + std::to_string(odds.blue) +
           ",\"unfinished\":" + std::to_string(odds.unfinished) + "}";
}
}  // namespace

// The odds of the moment shown, as the newest moment known at or before it:
// {"frame":F,"rollouts":R,"red":A,"blue":B,"unfinished":U}, or null while none is known.
EMSCRIPTEN_KEEPALIVE const char* pageOdds()
{
    const OddsCounts* odds = page->watched().odds().at(page->moment());
    return handOver(odds != nullptr ? oddsJson(*odds) : "null");
}

// Every moment known and the turning points: {"course":[odds, ...],"turning":[{"frame":F,
// "text":"0:42 blue 31% → 78%"}, ...]}, the turning points largest swing first.
EMSCRIPTEN_KEEPALIVE const char* pageOddsCourse()
{
    const OddsCourse& odds = page->watched().odds();
    std::string json = "{\"course\":[";
    bool first = true;
    for (const OddsCounts& moment : odds.course()) {
        json += (first ? "" : ",") + oddsJson(moment);
        first = false;
    }
    json += "],\"turning\":[";
    first = true;
    for (const TurningPoint& point : odds.turningPoints()) {
        json += std::string(first ? "" : ",") + "{\"frame\":" + std::to_string(point.frame) + ",\"text\":\"" +
                turningPointText(point) + "\"}";
        first = false;
    }
    return handOver(json + "]}");
}

}  // extern "C"
