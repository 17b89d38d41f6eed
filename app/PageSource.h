#pragma once

#include "CmdResult.h"

#include <QString>
#include <vector>

// Whose values the parameter pages hold. A local load fills them with the local module's values,
// a node's load with that node's, an import with a parameter set file's; at start they hold none.
enum EPageOwner : int { PO_NONE = 0, PO_LOCAL, PO_NODE, PO_FILE };

struct SPageSource {
    EPageOwner owner = PO_NONE;
    long node = 0;     // PO_NODE: the node address
    QString mac;       // PO_LOCAL, PO_NODE: the MAC address the pages show ("" until read)
    QString file;      // PO_FILE: the parameter set file
    QString localPort; // the COM name of the local module
    // The last values read from that module: the node's for PO_NODE, else the local module's
    // (what a local save compares the pages with).
    std::vector<SCmdResult> lastRead;
};

// The line that tells the operator whose values the pages hold.
QString PageSourceText(const SPageSource& source);
// The question before a local save while the pages hold a node's values (localMac "" when the
// local module's MAC was not read).
QString SaveNodeValuesQuestion(const SPageSource& source, const QString& localMac);
// The question before a node's save while the pages hold the local module's or another node's
// values; "" when they hold that node's own, a file's (an import is written on purpose) or none.
QString SaveOtherValuesToNodeQuestion(const SPageSource& source, long node);
