// The complete log on disk: appends, rotation at the size bound with the oldest dropped, the
// XDG place, and the developer traces that reach it.
#include "Engine.h"
#include "LogFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}
struct STempDir {
    std::string path;
    STempDir() {
        char pattern[] = "/tmp/calyra-log-XXXXXX";
        path = mkdtemp(pattern) ? pattern : "";
    }
    ~STempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
};
} // namespace

TEST(LogFile, RotatesAtItsBoundAndKeepsTheNewest) {
    STempDir dir;
    const std::string path = dir.path + "/state/calyra/calyra.log"; // folders made as needed
    CLogFile log(path, 100, 2);
    ASSERT_TRUE(log.Open()) << log.LastError();
    const std::string line(40, 'a');
    for (char c : std::string("abcdefg"))
        ASSERT_TRUE(log.Append(std::string(39, c) + "\n"));
    // 7 lines of 40 bytes, 2 to a file of at most 100: g in the file, e f in .1, c d in .2.
    EXPECT_EQ(Read(path), std::string(39, 'g') + "\n");
    EXPECT_EQ(Read(path + ".1"), std::string(39, 'e') + "\n" + std::string(39, 'f') + "\n");
    EXPECT_EQ(Read(path + ".2"), std::string(39, 'c') + "\n" + std::string(39, 'd') + "\n");
    EXPECT_FALSE(Exists(path + ".3"));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(LogFile, UnwritablePlaceIsReported) {
    STempDir dir;
    std::ofstream(dir.path + "/file") << "x";
    CLogFile log(dir.path + "/file/calyra.log");
    EXPECT_FALSE(log.Open());
    EXPECT_FALSE(log.LastError().empty());
    EXPECT_FALSE(log.Append("line\n"));
}

TEST(LogFile, XdgStateHomeAndTraces) {
    STempDir dir;
    const char* old = std::getenv("XDG_STATE_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_STATE_HOME", dir.path.c_str(), 1);
    EXPECT_EQ(DefaultLogPath(), dir.path + "/calyra/calyra.log");
    setenv("XDG_STATE_HOME", "relative/not/allowed", 1);
    EXPECT_NE(DefaultLogPath().find("/.local/state/calyra/calyra.log"), std::string::npos);
    if (old) setenv("XDG_STATE_HOME", saved.c_str(), 1); else unsetenv("XDG_STATE_HOME");

    CLogFile log(dir.path + "/calyra.log");
    ASSERT_TRUE(log.Open());
    SetProcessLog(&log);
    CEngine::DebugTrace("[ERROR]", "%s", "[CCalyraDlg::SendCmd]COM is not open");
    SetProcessLog(nullptr);
    EXPECT_NE(Read(log.Path()).find("]\n[ERROR][CCalyraDlg::SendCmd]COM is not open\n"), std::string::npos);
}
