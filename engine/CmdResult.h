#pragma once

#include <string>
#include <vector>

// One decoded reply.
struct SCmdResult {
    int type = 0;
    std::vector<std::string> values;
};

// Result lists: grow at the end; lookups take the first entry of a type with values.
class CResultList {
public:
    void Append(const SCmdResult& r) { entries.push_back(r); }
    void Clear() { entries.clear(); }
    int Size() const { return static_cast<int>(entries.size()); }
    const SCmdResult& operator[](int i) const { return entries[i]; }
    SCmdResult& operator[](int i) { return entries[i]; }
    // First entry of type with a non-empty values list, nullptr when none.
    SCmdResult* Find(int type);
    const SCmdResult* Find(int type) const;
    // First entry of type whatever its values, nullptr when none.
    SCmdResult* FindAny(int type);

private:
    std::vector<SCmdResult> entries;
};
