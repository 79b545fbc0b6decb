// The per-test identifier that prefixes remote test-file names, and the
// process-wide random generator it draws from.
#pragma once

#include "views/Dialogs.h"

#include <functional>
#include <string>

namespace pordane::ftptests {

// A local calendar date and time of day.
struct LocalDateTime {
    int year = 1899;
    int month = 12; // 1..12
    int day = 30;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Where GeneraID takes its inputs from; tests pin both.
struct IdSources {
    std::function<double()> random;          // 0 <= r < 1
    std::function<LocalDateTime()> localNow; // the local clock
};

// Seeds the process-wide generator from the clock; the program entry calls it
// once at start.
void seedRandomGenerator();
// Next number of the process-wide generator, 0 <= r < 1.
double nextRandom();
// The local clock, to the millisecond.
LocalDateTime currentLocalDateTime();
// The process-wide generator and the local clock.
IdSources defaultIdSources();

// Whole days since 30 December 1899, plus the elapsed fraction of the day.
double dayCount(const LocalDateTime& when);

// trunc((r + now) * 10^7) - trunc(today / 10^4) * 10^11 in extended
// precision: a whole number from 0 to just under 10^11. Shows
// "Error creando ID" when it is 0 and returns it either way.
double GeneraID(views::Dialogs& dialogs, const IdSources& sources = defaultIdSources());

// The identifier as remote names use it: shortest decimal text with up to 15
// significant digits, no grouping; plain digits for every whole number below 10^15.
std::string IdText(double id);

} // namespace pordane::ftptests
