#include "StationRecords.h"

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>

namespace {
constexpr int kBusyMs = 10000;

// A prepared statement that finalises itself.
class CStatement {
  public:
    CStatement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr); }
    ~CStatement() { sqlite3_finalize(stmt); }
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;
    bool Ok() const { return stmt != nullptr; }
    CStatement& Bind(int i, const std::string& v) {
        sqlite3_bind_text(stmt, i, v.c_str(), int(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    int Step() { return sqlite3_step(stmt); }
    std::string Column(int i) const {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        return t ? t : "";
    }
    long long Integer(int i) const { return sqlite3_column_int64(stmt, i); }

  private:
    sqlite3_stmt* stmt = nullptr;
};

const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS units (
    id INTEGER PRIMARY KEY,
    time TEXT NOT NULL,
    station TEXT NOT NULL,
    port TEXT NOT NULL,
    mac TEXT NOT NULL,
    firmware_before TEXT NOT NULL,
    firmware_after TEXT NOT NULL,
    params_hash TEXT NOT NULL,
    result TEXT NOT NULL,
    reason TEXT NOT NULL,
    unit_values TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS allocations (
    rule TEXT NOT NULL,
    value TEXT NOT NULL,
    holder TEXT NOT NULL,
    unit INTEGER,
    PRIMARY KEY (rule, value)
);
)";
} // namespace

CStationRecords::~CStationRecords() {
    if (db) sqlite3_close(db);
}

std::string CStationRecords::DefaultPath() {
    std::string base;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x == '/')
        base = x;
    else if (const char* h = std::getenv("HOME"); h && *h)
        base = std::string(h) + "/.local/share";
    else
        base = ".";
    return base + "/calyra/stations.db";
}

bool CStationRecords::Exec(const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    error = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    return false;
}

bool CStationRecords::Open(const std::string& path, std::string& error) {
    std::lock_guard g(lock);
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "out of memory";
        return false;
    }
    sqlite3_busy_timeout(db, kBusyMs);
    // WAL with synchronous NORMAL: a commit is not flushed to the disk on its own (the slots would
    // queue on each other's fsync); a crash of the program loses nothing, a power cut at most the
    // last commits before the next checkpoint, and never corrupts the file.
    if (!Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", error)) return false;
    CStatement version(db, "PRAGMA user_version;");
    const int have = version.Ok() && version.Step() == SQLITE_ROW ? int(version.Integer(0)) : 0;
    if (have > kSchemaVersion) {
        error = "made by a newer program (schema " + std::to_string(have) + ", this one knows " +
                std::to_string(kSchemaVersion) + ")";
        return false;
    }
    if (have < kSchemaVersion) {
        const std::string create = std::string("BEGIN IMMEDIATE;") + kSchema + "PRAGMA user_version=" +
                                   std::to_string(kSchemaVersion) + ";COMMIT;";
        if (!Exec(create.c_str(), error)) {
            std::string ignored;
            Exec("ROLLBACK;", ignored);
            return false;
        }
    }
    return true;
}

std::string CStationRecords::Allocate(const std::string& rule, const std::vector<std::string>& candidates,
                                      const std::string& holder) {
    std::lock_guard g(lock);
    // The primary key makes a value one unit's, also against other stations on the same file.
    for (const std::string& value : candidates) {
        CStatement insert(db, "INSERT OR IGNORE INTO allocations(rule, value, holder) VALUES(?, ?, ?);");
        if (!insert.Ok()) return {};
        insert.Bind(1, rule).Bind(2, value).Bind(3, holder);
        if (insert.Step() != SQLITE_DONE) return {};
        if (sqlite3_changes(db) == 1) return value;
    }
    return {};
}

void CStationRecords::Release(const std::string& holder) {
    std::lock_guard g(lock);
    CStatement erase(db, "DELETE FROM allocations WHERE holder = ? AND unit IS NULL;");
    if (erase.Ok()) erase.Bind(1, holder).Step();
}

bool CStationRecords::Add(SUnitRecord& r, const std::string& holder, std::string& error) {
    std::lock_guard g(lock);
    if (!Exec("BEGIN IMMEDIATE;", error)) return false;
    CStatement insert(db, "INSERT INTO units(time, station, port, mac, firmware_before, firmware_after, "
                          "params_hash, result, reason, unit_values) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?);");
    bool ok = insert.Ok();
    if (ok) {
        insert.Bind(1, r.time).Bind(2, r.station).Bind(3, r.port).Bind(4, r.mac).Bind(5, r.firmwareBefore);
        insert.Bind(6, r.firmwareAfter).Bind(7, r.paramsHash).Bind(8, r.result).Bind(9, r.reason).Bind(10, r.unitValues);
        ok = insert.Step() == SQLITE_DONE;
    }
    if (ok) {
        r.id = sqlite3_last_insert_rowid(db);
        CStatement claim(db, "UPDATE allocations SET unit = ?, holder = '' WHERE holder = ? AND unit IS NULL;");
        ok = claim.Ok() && claim.Bind(1, std::to_string(r.id)).Bind(2, holder).Step() == SQLITE_DONE;
    }
    if (!ok) {
        error = sqlite3_errmsg(db);
        std::string ignored;
        Exec("ROLLBACK;", ignored);
        return false;
    }
    return Exec("COMMIT;", error);
}

bool CStationRecords::List(std::vector<SUnitRecord>& out, std::string& error) {
    std::lock_guard g(lock);
    CStatement select(db, "SELECT id, time, station, port, mac, firmware_before, firmware_after, params_hash, "
                          "result, reason, unit_values FROM units ORDER BY id;");
    if (!select.Ok()) {
        error = sqlite3_errmsg(db);
        return false;
    }
    int rc;
    while ((rc = select.Step()) == SQLITE_ROW) {
        SUnitRecord r;
        r.id = select.Integer(0);
        r.time = select.Column(1);
        r.station = select.Column(2);
        r.port = select.Column(3);
        r.mac = select.Column(4);
        r.firmwareBefore = select.Column(5);
        r.firmwareAfter = select.Column(6);
        r.paramsHash = select.Column(7);
        r.result = select.Column(8);
        r.reason = select.Column(9);
        r.unitValues = select.Column(10);
        out.push_back(r);
    }
    if (rc != SQLITE_DONE) error = sqlite3_errmsg(db);
    return rc == SQLITE_DONE;
}
