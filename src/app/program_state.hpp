#pragma once

#include "letters/letters.hpp"

#include <string>

namespace xingfan::app {

// What outlives every window: the letter list and the two texts of the latest letter. Only the
// launcher's created step writes it.
struct ProgramState {
    letters::LetterList letterList;
    std::string latestVersionTitle;
    std::string latestLetterContent;
};

// Creates the state with an empty letter list and empty texts (replacing any earlier one).
ProgramState& createProgramState();
// The state while it exists, nullptr before it is created and after it is released.
ProgramState* programState();
// Releases the state; the program's exit routine, run when no window exists any more.
void releaseProgramState();

}  // namespace xingfan::app
