#include "LocalDialog.h"

#include "UiText.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVBoxLayout>

CLocalDialog::CLocalDialog(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(UiCaption(kTemplateId, kHeadingCaptionId, "Version Information"), this);
    versionEdit = new QPlainTextEdit(this);
    versionEdit->setObjectName(QString::number(kVersionEditId));
    versionEdit->setReadOnly(true);
    versionEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    versionEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    versionEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(heading);
    layout->addWidget(versionEdit, 1);
}

void CLocalDialog::SetSoftVersion(const std::string& text) {
    softBlock = UiText(230) + ":\r\n" + QString::fromStdString(text) + "\r\n\r\n";
    ShowBlocks();
}

void CLocalDialog::SetBootVersion(const std::string& text) {
    bootBlock = UiText(269) + ":\r\n" + QString::fromStdString(text) + "\r\n";
    ShowBlocks();
}

void CLocalDialog::ClearVersions() {
    softBlock.clear();
    bootBlock.clear();
    versionEdit->clear();
}

void CLocalDialog::ShowBlocks() {
    // The text widget keeps paragraphs, not CR LF pairs; VersionText() keeps the exact form.
    QString shown = VersionText();
    shown.replace("\r\n", "\n");
    versionEdit->setPlainText(shown);
    versionEdit->moveCursor(QTextCursor::End);
}
