#pragma once

#include "CmdResult.h"
#include "PendingWrites.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class IParamPage;
class QWidget;

// Follows which page values differ from the values last read from the module the pages belong to
// (pending: the next save writes them, by the same rule) and, while a parameter set file is being
// compared, which differ from the file's values. It marks their controls (ChangeMark) and tells
// how many writes are pending.
class CChangeTracker : public QObject {
    Q_OBJECT
  public:
    // The values last read from the module whose values the pages hold.
    using LastReadValues = std::function<const CResultList&()>;

    // pages: network, advanced, IO and encryption page, the order of a save.
    CChangeTracker(std::vector<IParamPage*> pages, LastReadValues lastRead, QObject* parent = nullptr);

    // Follows the operator's edits of the page's lists and fields.
    void Watch(QWidget* page);
    // Looks again once the current event is handled: many changes in a row cost one look.
    void Schedule();
    // Looks again now.
    void Refresh();

    const std::vector<SPendingWrite>& Pending() const { return pending; }
    int PendingCount() const { return static_cast<int>(pending.size()); }

    // A pending write as the operator reads it.
    struct SRow {
        QString caption, moduleValue, newValue;
    };
    std::vector<SRow> PendingRows() const;
    // The same for a save that compares the pages with other values (a local save of a node's).
    std::vector<SRow> PendingRows(const CResultList& against) const;

    // Compares the pages with a file's values (as the import reads them); codes that are never
    // written (the MAC address, the own address) are left out. An empty list ends the comparison.
    // Returns the number of differences.
    int Compare(std::vector<SCmdResult> fileValues);
    void EndComparison();
    bool Comparing() const { return !fileValues.empty(); }
    int FileDifferences() const { return fileDifferences; }

  signals:
    void pendingChanged(int count);

  private:
    std::vector<SCmdItem> PageValues() const;
    std::vector<SRow> Rows(const std::vector<SPendingWrite>& writes) const;
    std::vector<QWidget*> ControlsOf(int code) const;
    QString Shown(int code, const std::string& value) const;

    std::vector<IParamPage*> pages;
    LastReadValues lastRead;
    std::vector<SPendingWrite> pending;
    std::vector<SCmdResult> fileValues;
    int fileDifferences = 0;
    bool scheduled = false;
};
