#pragma once
// Fixed facts of the course that demo pictures must agree with: the clock times and their frames
// in the clock strip, the languages of the demo set, the help pictures' screens.
#include <string>
#include <vector>

namespace parlora {

struct ClockTime {
    int hour = 12, minute = 0;
};

namespace DemoFacts {

// Time item 1..36 as shown on a clock.
ClockTime TimeOfItem(int item);
// Frame of the clock strip that shows time item 1..36; frame 3(h-1)+j is the j-th time of hour h.
int ClockFrameOfItem(int item);
// The time item a clock-strip frame 0..35 shows.
int ItemOfClockFrame(int frame);

// Index into the sheet's languages (0 English, 1 French, 2 Spanish, others from 3) of a course language
// number; -1 when the demo has no words for it.
int LanguageIndex(int number);
// The name of language `number` written in the language `inIndex`.
std::string LanguageName(int number, int inIndex);
// espeak-ng voice of a course language number ("fr", "es", "en-us").
std::string VoiceOf(int number);

// What help picture `n` explains, in English.
std::string HelpSubject(int n);

} // namespace DemoFacts
} // namespace parlora
