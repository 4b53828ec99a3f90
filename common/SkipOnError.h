// Runs one step of a procedure whose policy is to skip a failing step and go on.
#pragma once

// Any exception the step raises is swallowed; what the step would have produced keeps
// its previous value.
template <typename Step>
void SkipOnError(Step&& step) noexcept
{
    try {
        step();
    } catch (...) {
    }
}
