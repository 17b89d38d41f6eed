#include "RecordsOutput.h"

#include "Json.h"

#include <cstdio>
#include <string>

namespace {
std::string CsvField(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::vector<std::pair<const char*, std::string>> Fields(const SUnitRecord& r) {
    return {{"id", std::to_string(r.id)},
            {"time", r.time},
            {"station", r.station},
            {"port", r.port},
            {"mac", r.mac},
            {"firmware_before", r.firmwareBefore},
            {"firmware_after", r.firmwareAfter},
            {"params_hash", r.paramsHash},
            {"result", r.result},
            {"reason", r.reason},
            {"unit_values", r.unitValues}};
}
} // namespace

void PrintRecords(const std::vector<SUnitRecord>& records, bool csv, bool json) {
    if (json) {
        std::string out = "[";
        for (size_t i = 0; i < records.size(); ++i) {
            out += i ? ",{" : "{";
            bool first = true;
            for (const auto& [name, value] : Fields(records[i])) {
                out += std::string(first ? "" : ",") + JsonString(name) + ":" + JsonString(value);
                first = false;
            }
            out += "}";
        }
        std::printf("%s]\n", out.c_str());
        return;
    }
    if (csv) {
        bool first = true;
        for (const auto& f : Fields(SUnitRecord())) {
            std::printf("%s%s", first ? "" : ",", f.first);
            first = false;
        }
        std::printf("\r\n");
        for (const SUnitRecord& r : records) {
            first = true;
            for (const auto& f : Fields(r)) {
                std::printf("%s%s", first ? "" : ",", CsvField(f.second).c_str());
                first = false;
            }
            std::printf("\r\n");
        }
        return;
    }
    std::printf("%-5s %-19s %-12s %-8s %-17s %-7s %s\n", "ID", "TIME", "STATION", "PORT", "MAC", "RESULT", "REASON");
    for (const SUnitRecord& r : records)
        std::printf("%-5lld %-19s %-12s %-8s %-17s %-7s %s\n", r.id, r.time.c_str(), r.station.c_str(), r.port.c_str(),
                    r.mac.c_str(), r.result.c_str(), r.reason.c_str());
}
