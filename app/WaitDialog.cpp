#include "WaitDialog.h"

#include "UiText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kTemplate = 136;
}

CWaitDialog::CWaitDialog(QWidget* owner) : QDialog(owner) {
    // A frame without a caption; it stays above its owner but does not block it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint);
    setModal(false);

    status = new QLabel(UiCaption(kTemplate, 1040, "Loading...."), this);
    status->setAlignment(Qt::AlignCenter);
    bar = new QProgressBar(this);
    bar->setTextVisible(false);
    bar->setRange(0, endPosition);
    bar->setValue(0);
    abortButton = new QPushButton(UiCaption(kTemplate, 1043, "Abort"), this);
    abortButton->setAutoDefault(false);
    connect(abortButton, &QPushButton::clicked, this, &CWaitDialog::abortRequested);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(abortButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status);
    layout->addWidget(bar);
    layout->addLayout(buttons);
    resize(555, 100);
}

void CWaitDialog::SetProgressText(const QString& text) {
    status->setText(text);
}

void CWaitDialog::SetProgressRange(int low, int high) {
    bar->setRange(low, high);
    endPosition = high;
}

void CWaitDialog::CenterOverOwner() {
    QWidget* owner = parentWidget();
    if (!owner) return;
    const QPoint centre = owner->mapToGlobal(owner->rect().center());
    move(centre - QPoint(width() / 2, height() / 2));
}

void CWaitDialog::ShowProgress(int showCommand) {
    CenterOverOwner();
    shownCommand = showCommand;
    if (showCommand != 0)
        show();
    else
        hide();
}

void CWaitDialog::StepProgress(int position) {
    bar->setValue(position);
    if (position == endPosition) {
        done(QDialog::Accepted);
        shownCommand = 0;
        bar->setValue(0);
    }
}

QString CWaitDialog::ProgressText() const {
    return status->text();
}
int CWaitDialog::ProgressValue() const {
    return bar->value();
}
