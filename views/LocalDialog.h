#pragma once

#include <QString>
#include <QWidget>
#include <string>

class QPlainTextEdit;

// The "Local Device" page (template 131): the software and boot loader versions of the module on
// the serial port, as its parameter load reports them. The field always shows the software block
// followed by the boot block, so the order in which the two replies arrive does not matter.
class CLocalDialog : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 131;
    static constexpr int kVersionEditId = 1019;
    // Heading label "Version Information" (no control ID of its own in the template).
    static constexpr int kHeadingCaptionId = 5000;

    explicit CLocalDialog(QWidget* parent = nullptr);

    // Replace one block and show both (code 4 and code 5 replies).
    void SetSoftVersion(const std::string& text);
    void SetBootVersion(const std::string& text);
    // Empty the field and both blocks (start of a load, an import, window start).
    void ClearVersions();

    // The shown text with its CR LF line ends: software block, then boot block.
    QString VersionText() const { return softBlock + bootBlock; }
    QPlainTextEdit* VersionEdit() const { return versionEdit; }

  private:
    void ShowBlocks();

    QPlainTextEdit* versionEdit = nullptr;
    QString softBlock;
    QString bootBlock;
};
