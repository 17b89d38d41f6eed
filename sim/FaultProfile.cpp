#include "FaultProfile.h"

#include <cstdlib>

namespace {
SFaultProfile Split() {
    SFaultProfile p;
    p.chunkMax = 3;
    return p;
}
SFaultProfile Late() {
    SFaultProfile p;
    p.lateEvery = 8;
    return p;
}
SFaultProfile Stray() {
    SFaultProfile p;
    p.strayStarts = true;
    return p;
}
SFaultProfile DoubleOk() {
    SFaultProfile p;
    p.doubleOk = true;
    return p;
}
SFaultProfile Rough() {
    SFaultProfile p = Split();
    p.strayStarts = p.doubleOk = true;
    return p;
}
SFaultProfile Hostile() {
    SFaultProfile p = Rough();
    p.lateEvery = Late().lateEvery;
    return p;
}

struct SNamed {
    const char* name;
    SFaultProfile (*make)();
};
constexpr SNamed kProfiles[] = {
    {"clean", [] { return SFaultProfile{}; }},
    {"split", Split},
    {"late", Late},
    {"stray", Stray},
    {"double-ok", DoubleOk},
    {"rough", Rough},
    {"hostile", Hostile},
};
} // namespace

bool FaultProfileByName(const std::string& name, SFaultProfile& out) {
    for (const SNamed& p : kProfiles)
        if (name == p.name) {
            out = p.make();
            return true;
        }
    return false;
}

const std::vector<std::string>& FaultProfileNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (const SNamed& p : kProfiles)
            v.emplace_back(p.name);
        return v;
    }();
    return names;
}

bool FaultProfileFromEnvironment(SFaultProfile& out, std::string* error) {
    const char* name = std::getenv("CALYRA_SIM_FAULTS");
    out = SFaultProfile{};
    if (!name || !*name) return true;
    if (FaultProfileByName(name, out)) return true;
    if (error) *error = std::string("CALYRA_SIM_FAULTS names no fault profile: ") + name;
    return false;
}
