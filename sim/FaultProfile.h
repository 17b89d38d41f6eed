#pragma once

#include <string>
#include <vector>

// The faults of a real line that the simulator can put on every reply, as one named set. A sound
// program survives "rough" without a failed command; "late" and "hostile" make commands fail by
// time-out, and the program must then report failures, never successes that did not happen.
struct SFaultProfile {
    int chunkMax = 0;       // replies cut into random pieces of 1..chunkMax bytes (0 = whole)
    int lateEvery = 0;      // about one reply in lateEvery goes out lateMs late (0 = none)
    int lateMs = 900;       // beyond the 600 ms reply wait the tests use
    bool strayStarts = false; // noise before frames holds a 0xFE with a plausible length byte
    bool doubleOk = false;    // the "OK" of an escape comes twice, the second a little later

    bool Any() const { return chunkMax || lateEvery || strayStarts || doubleOk; }
};

// "clean", "split", "late", "stray", "double-ok", "rough" (split, stray and double-ok) and
// "hostile" (rough and late). False for any other name.
bool FaultProfileByName(const std::string& name, SFaultProfile& out);
// The names above, in that order.
const std::vector<std::string>& FaultProfileNames();
// The profile named by $CALYRA_SIM_FAULTS (unset or empty: clean), as the test fixtures and the
// soak benchmark take it. False, with the reason in error, for an unknown name.
bool FaultProfileFromEnvironment(SFaultProfile& out, std::string* error = nullptr);
