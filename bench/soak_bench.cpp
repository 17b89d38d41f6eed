// Soak: loads and saves in a row through the engine against the simulator with line faults on,
// counting completed jobs, wrong values delivered to the pages, successes that were not,
// rewrites of unchanged values and hangs.
// Usage: engine_soak [jobs] [--faults PROFILE] [--late-every K]   (defaults: 1000, hostile, 100)
// Exit status 1 when any wrong value, false success, rewrite or hang was counted.
#include "Soak.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    SSoakOptions o;
    std::string profile = "hostile";
    int lateEvery = 100;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--faults") && i + 1 < argc)
            profile = argv[++i];
        else if (!std::strcmp(argv[i], "--late-every") && i + 1 < argc)
            lateEvery = std::atoi(argv[++i]);
        else if (std::atoi(argv[i]) > 0)
            o.jobs = std::atoi(argv[i]);
        else {
            std::fprintf(stderr, "usage: engine_soak [jobs] [--faults PROFILE] [--late-every K]\n");
            return 2;
        }
    }
    if (!FaultProfileByName(profile, o.faults)) {
        std::fprintf(stderr, "engine_soak: no fault profile %s\n", profile.c_str());
        return 2;
    }
    if (o.faults.lateEvery) o.faults.lateEvery = lateEvery;
    std::printf("soak: %d jobs (loads and saves), faults %s, one reply in %d late by %d ms (reply wait %d ms)\n",
                o.jobs, profile.c_str(), o.faults.lateEvery, o.faults.lateMs, o.timings.replyMs);
    const SSoakFigures f = RunSoak(o, [](const SSoakFigures& now) {
        if (now.jobs % 100 == 0)
            std::fprintf(stderr, "  %d jobs, %.0f s, %d wrong, %d false, %d rewrites, %d hangs\n", now.jobs,
                         now.seconds, now.wrongValues, now.falseSuccesses, now.rewrites, now.hangs);
    });
    if (f.hangs < 0) return 1;
    std::printf("jobs %d, completed %d (with failures reported %d), wrong values %d, false successes %d, "
                "rewrites of unchanged values %d, hangs %d, late or unexpected replies dropped %d, %.1f s\n",
                f.jobs, f.completed, f.withFailures, f.wrongValues, f.falseSuccesses, f.rewrites, f.hangs,
                f.ignoredReplies, f.seconds);
    return f.wrongValues || f.falseSuccesses || f.rewrites || f.hangs ? 1 : 0;
}
