#include "CmdResult.h"

SCmdResult* CResultList::Find(int type) {
    for (SCmdResult& r : entries)
        if (r.type == type && !r.values.empty()) return &r;
    return nullptr;
}

const SCmdResult* CResultList::Find(int type) const {
    for (const SCmdResult& r : entries)
        if (r.type == type && !r.values.empty()) return &r;
    return nullptr;
}

SCmdResult* CResultList::FindAny(int type) {
    for (SCmdResult& r : entries)
        if (r.type == type) return &r;
    return nullptr;
}
