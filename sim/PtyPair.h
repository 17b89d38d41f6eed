#pragma once

#include <string>

// A pseudo-terminal pair in raw mode. The simulator keeps its own descriptor of the slave open
// so that the master never reports a hang-up while no program has the port open; closing the
// master is what a program on the slave sees as an unplugged device.
class CPtyPair {
  public:
    CPtyPair() = default;
    CPtyPair(const CPtyPair&) = delete;
    CPtyPair& operator=(const CPtyPair&) = delete;
    ~CPtyPair() { Close(); }

    bool Open(std::string* error);
    void Close();
    int Master() const { return master; }
    const std::string& SlavePath() const { return slavePath; }

  private:
    int master = -1, slave = -1;
    std::string slavePath;
};

// A "COM<n>" symbolic link to target in folder (created with its parents when missing). An old
// link of that name is replaced; anything else of that name is left alone and reported.
bool CreatePortAlias(const std::string& folder, int number, const std::string& target, std::string* path,
                     std::string* error);
// Removes the link only while it still points to target (another simulator may own it now).
void RemovePortAlias(const std::string& path, const std::string& target);
