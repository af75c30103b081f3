#pragma once

// What the simulated COM runtime holds at a given moment, for tests that
// check that every query gives back what it took.
namespace sim {

int ComInitializations();
int LiveWmiObjects();

}  // namespace sim
