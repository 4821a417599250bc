#include "cli/CommandLine.h"

#include "cli/Duration.h"
#include "settings/AsciiCase.h"

namespace kmx {
namespace {

struct OptionName {
    Option option;
    const wchar_t* name;
    bool CommandArgs::*flag;  // null for the options with a value
};

constexpr OptionName kOptionNames[] = {
    {kReplaceOption, L"y", &CommandArgs::replace},
    {kJsonOption, L"json", &CommandArgs::json},
    {kNowOption, L"now", &CommandArgs::now},
    {kFullOption, L"full", &CommandArgs::full},
    {kGppOption, L"gpp", &CommandArgs::gpp},
    {kForOption, L"for", nullptr},
    {kSinceOption, L"since", nullptr},
    {kRedactOption, L"redact", &CommandArgs::redact},
    {kRedactAlsoOption, L"redact-also", nullptr},
};

bool Spells(const std::wstring& word, const OptionName& option) {
    const std::wstring name = option.name;
    return EqualsIgnoringAsciiCase(word, L"/" + name) ||
           EqualsIgnoringAsciiCase(word, (name.size() == 1 ? L"-" : L"--") + name);
}

}  // namespace

bool IsOptionWord(const std::wstring& word, Option option) {
    for (const OptionName& known : kOptionNames)
        if (known.option == option) return Spells(word, known);
    return false;
}

bool ParseCommandArgs(const std::vector<std::wstring>& words, unsigned options, CommandArgs* args,
                      ArgsProblem* problem) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const OptionName* taken = nullptr;
        for (const OptionName& known : kOptionNames)
            if ((options & known.option) != 0 && Spells(words[i], known)) taken = &known;
        if (taken == nullptr) {
            args->operands.push_back(words[i]);
        } else if (taken->flag != nullptr) {
            args->*taken->flag = true;
        } else if (taken->option == kForOption) {
            // A time box's length ends the line: the words before it name the preset.
            std::uint64_t seconds = 0;
            if (i + 2 < words.size()) {
                *problem = {L"--for DURATION comes last", true};
                return false;
            }
            if (!ParseDuration(i + 1 < words.size() ? words[i + 1] : L"", &seconds, &problem->text)) {
                problem->withUsage = true;
                return false;
            }
            args->forSeconds = seconds;
            return true;
        } else if (taken->option == kRedactAlsoOption) {
            // Taken as it stands, even when it looks like an option.
            if (i + 1 >= words.size() || words[i + 1].empty()) {
                *problem = {L"--redact-also needs the TEXT to hide", false};
                return false;
            }
            args->redactAlso.push_back(words[++i]);
        } else {
            std::uint64_t seconds = 0;
            std::wstring text;
            const std::wstring value = i + 1 < words.size() ? words[++i] : L"";
            if (value.empty() || !ParseDuration(value, &seconds, &text)) {
                *problem = {L"--since: " + (text.empty() ? std::wstring(kDurationForm) : text), false};
                return false;
            }
            args->sinceSeconds = seconds;
        }
    }
    return true;
}

}  // namespace kmx
