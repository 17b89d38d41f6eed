#pragma once

// Loads and saves in a row through the engine against the simulator with a fault profile on,
// checked against what the simulated module holds: the figures an operator trusts the log for.
#include "FaultProfile.h"
#include "Timings.h"

#include <functional>
#include <string>

struct SSoakOptions {
    int jobs = 1000;          // loads and saves, alternating, a load first
    SFaultProfile faults;     // on every reply
    STimings timings = STimings::Fast();
    unsigned seed = 1;        // the simulator's and the edits'
    int retries = 1;          // Yes to the retry prompt this often per job, then No
    int hangMs = 60000;       // a job not ended after this is a hang
};

struct SSoakFigures {
    int jobs = 0, completed = 0, withFailures = 0;
    int wrongValues = 0;    // page values (and version texts) that differ from the module's
    int falseSuccesses = 0; // "Success" status lines for what the module does not hold
    int rewrites = 0;       // writes of values known to be the module's already
    int hangs = 0;
    int ignoredReplies = 0; // late or unexpected replies the engine logged and dropped
    double seconds = 0;
};

// Runs the soak; progress (if given) after every job with the figures so far.
SSoakFigures RunSoak(const SSoakOptions& options, const std::function<void(const SSoakFigures&)>& progress = {});
