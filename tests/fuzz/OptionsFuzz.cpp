// libFuzzer target for the whole command line: the input is split at NUL bytes into
// arguments, as argv would hold them. Any line must be read without a crash or undefined
// behaviour; a bad line's message must stay one printable line; a good line must hold only
// what a good line can; and a line with no option must read exactly as the counts alone.

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Options.h"
#include "cli/CountArguments.h"

namespace {

void require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args;
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    args.push_back(current);

    std::vector<const char*> argv = {"battle"};
    bool anyOption = false;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
        // "--..." or a dash and a letter ("-h"); a dash and a digit is a count.
        anyOption = anyOption || arg.rfind("--", 0) == 0 ||
                    (arg.size() >= 2 && arg[0] == '-' && std::isalpha(static_cast<unsigned char>(arg[1])));
    }
    const Options options = parseOptions(static_cast<int>(argv.size()), argv.data());

    for (const char c : options.error) {
        require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f, "a message with a control character");
    }
    if (options.error.empty()) {
        require(options.frames >= 1 && options.frames <= kMaxRecordFrames, "frames out of range");
        require(options.recording() || options.frames == kDefaultClipFrames, "frames without a clip");
        require(!(options.loop && options.recording()), "--loop with --record");
    }
    if (!anyOption) {
        const UnitCounts counts = parseUnitCounts(static_cast<int>(argv.size()), argv.data());
        require(options.error.empty() && !options.help && !options.version && !options.seed && !options.loop &&
                    !options.recording(),
                "something read from a line of counts");
        require(counts == options.counts, "counts read otherwise than on their own");
    }
    return 0;
}
