#include "MessageBoxCustom.h"

#include "LanguageIndex.h"
#include "Messages.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int kWidth = 348, kHeight = 115;           // the box for a short message
constexpr int kWidestWidth = 560, kTallestHeight = 460; // a long one grows up to this, then scrolls
} // namespace

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
    // A long question (the names of two modules, a translation) is read whole without scrolling:
    // the box grows to the wrapped text, within bounds that fit any screen the window fits.
    const QString shown = message->toPlainText();
    const QFontMetrics fm(message->font());
    const int margins = 2 * (layout->contentsMargins().left() + int(message->document()->documentMargin()) + 4);
    int widest = 0;
    for (const QString& line : shown.split('\n'))
        widest = std::max(widest, fm.horizontalAdvance(line));
    const auto wrappedHeight = [&](int boxWidth) {
        return fm.boundingRect(QRect(0, 0, boxWidth - margins, 100000), Qt::TextWordWrap, shown).height();
    };
    // Two lines fit the small box.
    if (wrappedHeight(kWidth) <= 2 * fm.lineSpacing()) {
        resize(kWidth, kHeight);
    } else {
        const int width = std::clamp(widest + margins, kWidth, kWidestWidth);
        const int chrome = layout->contentsMargins().top() + layout->contentsMargins().bottom() +
                           layout->spacing() + yesButton->sizeHint().height() +
                           2 * int(message->document()->documentMargin()) + 8;
        resize(width, std::clamp(wrappedHeight(width) + chrome, kHeight, kTallestHeight));
    }

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
