#pragma once

#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

// One unit of a production station.
struct SUnitRecord {
    long long id = 0;
    std::string time; // local "YYYY-MM-DD hh:mm:ss"
    std::string station, port, mac, firmwareBefore, firmwareAfter, paramsHash;
    std::string result; // "passed" or "failed"
    std::string reason; // why it failed; "" when it passed
    std::string unitValues; // the recipe's per-unit values, "NID=101;KEY=..."
};

// The station records: an SQLite file (WAL, so readers never wait for the writer; a busy
// time-out, so several stations on one file take turns). The schema carries its version in
// user_version and is created on first use. One connection per station; the slots of a station
// share it under its lock.
class CStationRecords {
  public:
    CStationRecords() = default;
    ~CStationRecords();
    CStationRecords(const CStationRecords&) = delete;
    CStationRecords& operator=(const CStationRecords&) = delete;

    // $XDG_DATA_HOME/calyra/stations.db (~/.local/share/calyra/stations.db).
    static std::string DefaultPath();
    // Opens or creates the file (and its folder); false with the reason in error.
    bool Open(const std::string& path, std::string& error);

    // Takes the first value of candidates that no unit holds yet for rule, for unit holder
    // (a slot's name until the unit is recorded). "" when every value is taken.
    std::string Allocate(const std::string& rule, const std::vector<std::string>& candidates,
                         const std::string& holder);
    // Gives back what holder took and has not recorded (a unit that failed before its write).
    void Release(const std::string& holder);
    // Adds the unit; values that holder took belong to it from now on. False with error.
    bool Add(SUnitRecord& record, const std::string& holder, std::string& error);
    bool List(std::vector<SUnitRecord>& out, std::string& error);

    static constexpr int kSchemaVersion = 1;

  private:
    bool Exec(const char* sql, std::string& error);
    std::mutex lock; // guards db: one statement at a time from the slots
    sqlite3* db = nullptr;
};
