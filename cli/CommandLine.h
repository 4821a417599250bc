// The words after a command's verb, sorted into its operands and the options
// its row in the command table takes. An option is spelled /name or --name
// (/y and -y for the one-letter one), in any case, anywhere after the verb.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kmx {

enum Option : unsigned {
    kReplaceOption = 1u << 0,     // /y: replace an existing file
    kJsonOption = 1u << 1,        // --json
    kNowOption = 1u << 2,         // --now
    kFullOption = 1u << 3,        // --full
    kGppOption = 1u << 4,         // --gpp
    kForOption = 1u << 5,         // --for DURATION, last on the line
    kSinceOption = 1u << 6,       // --since DURATION
    kOwnOptions = 1u << 7,        // the command reads its words itself
    kRedactOption = 1u << 8,      // --redact
    kRedactAlsoOption = 1u << 9,  // --redact-also TEXT, any number of times
};

struct CommandArgs {
    std::wstring verb;                   // as typed
    std::vector<std::wstring> operands;  // the words that are not options, in order
    bool replace = false, json = false, now = false, full = false, gpp = false, redact = false;
    std::optional<std::uint64_t> forSeconds, sinceSeconds;
    std::vector<std::wstring> redactAlso;  // in the order given
    std::wstring version;                  // the program's, for --version and collect's about.txt
};

struct ArgsProblem {
    std::wstring text;  // without the program's name
    bool withUsage = true;
};

// Sorts `words` into *args by `options` (Option bits); a word that is not one
// of them is an operand. False with *problem for a DURATION that is missing,
// not one, or (--for) not last, and for a TEXT that is missing or empty.
bool ParseCommandArgs(const std::vector<std::wstring>& words, unsigned options, CommandArgs* args,
                      ArgsProblem* problem);

// Whether `word` spells `option` (one bit).
bool IsOptionWord(const std::wstring& word, Option option);

}  // namespace kmx
