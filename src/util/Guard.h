// Guard groups: a group of registry reads or writes runs until its first
// failure, which is swallowed, and the next group still runs. Callers rely
// on a missing integer value raising while a missing string reads empty.
#pragma once

#include <exception>

namespace kip {

// Runs the step; returns false when it failed (its error is dropped).
template <typename Step>
bool RunGuarded(Step&& step) noexcept {
  try {
    step();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// Runs `body`, then `last` whether or not `body` raised (the error goes on
// to the caller after `last`): controls disabled for an operation come back
// however it ends.
template <typename Body, typename Last>
void RunThenAlways(Body&& body, Last&& last) {
  try {
    body();
  } catch (...) {
    last();
    throw;
  }
  last();
}

}  // namespace kip
