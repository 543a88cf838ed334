#include "app/program_state.hpp"

#include <memory>

namespace xingfan::app {

namespace {

std::unique_ptr<ProgramState>& current()
{
    static std::unique_ptr<ProgramState> state;
    return state;
}

}  // namespace

ProgramState& createProgramState()
{
    current() = std::make_unique<ProgramState>();
    return *current();
}

ProgramState* programState()
{
    return current().get();
}

void releaseProgramState()
{
    current().reset();
}

}  // namespace xingfan::app
