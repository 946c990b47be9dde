#include "cli/CommandLine.h"

#include <cctype>
#include <cstring>

#include "cli/Quoted.h"

namespace {

bool startsWithDashes(const char* text)
{
    return std::strncmp(text, "--", 2) == 0;
}

// "-h", or any other dash and letter: an option as other programs write one.
bool isShortOption(const char* text)
{
    return text[0] == '-' && std::isalpha(static_cast<unsigned char>(text[1])) != 0;
}

}  // namespace

std::vector<CommandLine::Word> CommandLine::split(int argc, const char* const* argv,
                                                  const std::vector<OptionForm>& forms)
{
    std::vector<Word> words;
    bool optionsEnded = false;
    for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
        const std::string arg = argv[i];
        Word word;
        const bool isLong = startsWithDashes(argv[i]);
        if (optionsEnded || (!isLong && !isShortOption(argv[i]))) {
            word.text = arg;
            words.push_back(word);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // A short option is the whole argument; a long one ends at '='.
        const std::size_t equals = isLong ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        const OptionForm* form = nullptr;
        for (const OptionForm& candidate : forms) {
            if (name == (isLong ? candidate.name : candidate.shortName ? candidate.shortName : "")) form = &candidate;
        }
        if (form == nullptr) {
            word.kind = Word::Kind::kUnknownOption;
            word.text = "unknown option " + quoted(name);
        } else if (equals != std::string::npos && form->value == OptionValue::kNone) {
            word.kind = Word::Kind::kUnwantedValue;
            word.text = std::string(form->name) + " takes no value";
        } else {
            word.kind = Word::Kind::kOption;
            word.row = static_cast<std::size_t>(form - forms.data());
            word.name = form->name;
            if (equals != std::string::npos) {
                word.value = arg.substr(equals + 1);
            } else if (form->value == OptionValue::kRequired && i + 1 < argc && argv[i + 1] != nullptr &&
                       !startsWithDashes(argv[i + 1])) {
                word.value = argv[++i];
            }
        }
        words.push_back(word);
    }
    return words;
}
