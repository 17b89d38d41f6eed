#include "PageSource.h"

#include "TextUtil.h"
#include "UiText.h"

namespace {
// An address not read yet shows as a dash.
QString OrDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : text;
}
} // namespace

QString PageSourceText(const SPageSource& source) {
    switch (source.owner) {
    case PO_LOCAL:
        return UiText(TXT_VALUES_OF_LOCAL).arg(OrDash(source.localPort), OrDash(source.mac));
    case PO_NODE:
        return UiText(TXT_VALUES_OF_NODE).arg(QString::number(source.node), OrDash(source.mac));
    case PO_FILE:
        return UiText(TXT_VALUES_OF_FILE).arg(source.file);
    case PO_NONE:
        break;
    }
    return UiText(TXT_VALUES_OF_NONE);
}

QString SaveOtherValuesToNodeQuestion(const SPageSource& source, long node) {
    const QString target = QString::number(node);
    if (source.owner == PO_LOCAL)
        return UiText(TXT_SAVE_LOCAL_TO_NODE).arg(OrDash(source.localPort), OrDash(source.mac), target);
    if (source.owner == PO_NODE && source.node != node)
        return UiText(TXT_SAVE_NODE_TO_NODE).arg(QString::number(source.node), OrDash(source.mac), target);
    return {};
}

QString SaveNodeValuesQuestion(const SPageSource& source, const QString& localMac) {
    return UiText(TXT_SAVE_NODE_VALUES)
        .arg(QString::number(source.node), OrDash(source.mac), OrDash(source.localPort), OrDash(localMac));
}
