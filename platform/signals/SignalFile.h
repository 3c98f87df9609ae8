#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "InfraredSignal.h"

// The text of a signal file, as `qlr-remote press` reads it and the server
// takes it, in one of two forms:
// - durations: microseconds, mark first, separated by white space, with an
//   optional leading "carrier=HZ" (38000 when missing; 0 for no carrier);
// - a learned Pronto code (first word 0000): the frequency word, the burst pair
//   counts of the once and the repeat sequence, then the bursts in carrier
//   periods. Both sequences are sent, once then repeat.
// "#" starts a comment that runs to the end of the line.
class SignalFile
{
public:
    static constexpr std::size_t maxDurations = 20000;
    static constexpr double maxDuration = 10e6;  // 10 s, far beyond any real burst
    static constexpr int maxCarrier = 1000000;

    // False with *error naming the first problem.
    static bool parse(std::string_view text, InfraredSignal &signal, std::string *error);
    static bool parseDurations(std::string_view text, InfraredSignal &signal, std::string *error);
    // A learned Pronto code and nothing else.
    static bool parsePronto(std::string_view text, InfraredSignal &signal, std::string *error);
    // The durations form; parseDurations reads it back exactly.
    static std::string format(const InfraredSignal &signal);

private:
    static std::vector<std::string_view> tokens(std::string_view text);
    static bool parseDurationTokens(const std::vector<std::string_view> &words, InfraredSignal &signal,
                                    std::string *error);
    static bool parsePronto(const std::vector<std::string_view> &words, InfraredSignal &signal, std::string *error);
};
