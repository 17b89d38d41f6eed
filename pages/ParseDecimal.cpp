#include "ParseDecimal.h"

#include <climits>

int ParseDecimal(const std::string& text) {
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return -1;
        // Saturate instead of overflowing: a long run of digits stays at INT_MAX.
        if (value <= INT_MAX) value = value * 10 + (c - '0');
    }
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}
