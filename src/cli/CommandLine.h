#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// How an option is written with a value.
enum class OptionValue {
    kNone,      // --loop; --loop=yes is refused: "--loop takes no value"
    kRequired,  // --seed 7 or --seed=7: after '=', or the next argument unless that begins with "--"
    kAttached,  // --summarize or --summarize=FILE: a value only after '='
};

// One option as a command line spells it: a row of a program's table of options.
struct OptionForm {
    const char* name;       // "--seed"
    const char* shortName;  // "-h", or null
    OptionValue value;
};

// A command line split into its options and the other arguments, as both programs read it:
//   --name VALUE, --name=VALUE  an option and its value, or a flag with --name alone;
//   -x                          a dash and a letter: a short option ("-h"), the whole argument;
//   --                          alone: every argument after it is positional;
//   anything else               positional, a dash and a digit ("-5") and a lone dash included.
// An unknown option, and a value after '=' for an option that takes none, are refused.
class CommandLine {
public:
    struct Word {
        enum class Kind {
            kOption,         // a known option: row and value
            kPositional,     // text is the argument
            kUnknownOption,  // text is the message: "unknown option '--bogus'"
            kUnwantedValue,  // text is the message: "--help takes no value"
        };
        Kind kind = Kind::kPositional;
        std::size_t row = 0;               // kOption: the option's row in the table
        const char* name = nullptr;        // kOption: its long name, as the table has it
        std::optional<std::string> value;  // kOption: after '=' or the next argument; none when not given
        std::string text;                  // kPositional: the argument; a refusal: what is wrong
    };

    // Splits argv[1 .. argc - 1] (up to a null, should one come first) by the given forms.
    static std::vector<Word> split(int argc, const char* const* argv, const std::vector<OptionForm>& forms);

    // The same, by a table whose rows hold their form as `form`.
    template <class Row, std::size_t N>
    static std::vector<Word> split(int argc, const char* const* argv, const Row (&rows)[N])
    {
        std::vector<OptionForm> forms;
        for (const Row& row : rows) forms.push_back(row.form);
        return split(argc, argv, forms);
    }
};
