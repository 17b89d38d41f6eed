#include "MessageBoxCustom.h"

#include "LanguageIndex.h"
#include "Messages.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CMessageBoxCustom::SButtonTexts CMessageBoxCustom::ButtonTexts(int languageIndex) {
    switch (languageIndex) {
    case LANG_CHINESE:
        return {QString::fromUtf8("确认"), QString::fromUtf8("是"), QString::fromUtf8("否")};
    case LANG_ENGLISH:
        return {QStringLiteral("OK"), QStringLiteral("Yes"), QStringLiteral("No")};
    default:
        return {};
    }
}

CMessageBoxCustom::CMessageBoxCustom(QWidget* owner, const QString& text, const QString& caption, int style,
                                     int languageIndex)
    : QDialog(owner) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(caption.isEmpty() ? QStringLiteral("Calyra") : caption);

    message = new QPlainTextEdit(this);
    message->setObjectName("message");
    message->setReadOnly(true);
    message->setFrameShape(QFrame::NoFrame);
    message->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    message->setPlainText(QString(text).replace("\r\n", "\n"));
    message->setFocusPolicy(Qt::NoFocus);
    QPalette pal = message->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    message->setPalette(pal);

    const SButtonTexts texts = ButtonTexts(languageIndex);
    yesButton = new QPushButton(this);
    yesButton->setObjectName("yesButton");
    noButton = new QPushButton(this);
    noButton->setObjectName("noButton");
    if (style == MB_STYLE_OK) {
        yesButton->hide();
        noButton->setText(texts.ok);
    } else {
        yesButton->setText(texts.yes);
        noButton->setText(texts.no);
    }
    connect(yesButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(noButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yesButton);
    buttons->addWidget(noButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addLayout(buttons);
    resize(348, 115);

    if (style == MB_STYLE_OK)
        noButton->setFocus();
    else
        yesButton->setFocus();
}

QString CMessageBoxCustom::MessageText() const {
    return message->toPlainText();
}

int CustomMessageBox(QWidget* owner, const QString& text, const QString& caption, int style) {
    CMessageBoxCustom box(owner, text, caption, style, ProcessLanguageIndex());
    return box.exec() == QDialog::Accepted ? MB_RESULT_YES : MB_RESULT_NO;
}
