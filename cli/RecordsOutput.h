#pragma once

#include "StationRecords.h"

#include <vector>

// The records on standard output: a table, CSV (RFC 4180, with a header line) or JSON.
void PrintRecords(const std::vector<SUnitRecord>& records, bool csv, bool json);
