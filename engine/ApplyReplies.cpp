// Status lines of command outcomes and the routing of read values to the pages and views.
#include "Engine.h"
#include "ParamCatalogue.h"
#include "ReplyValidity.h"
#include "TextUtil.h"
#include "Texts.h"

int CEngine::ReportStatus(const SCmdItem& record, int result) {
    const int type = record.type;
    if (type == PT_UPGRADE_BLOCK || type == PT_UPGRADE_ENABLE) {
        AppendLog(Text(FindParam(type)->failTextId));
        return 0;
    }
    if (type >= PT_SAV && type <= PT_NWS) {
        // Commands: their own success and failure lines; any non-zero result counts as success.
        const SParamInfo* info = FindParam(type);
        AppendLog(Text(result == 0 ? info->failTextId : info->captionId));
        if (type == PT_NWS && result == 0) {
            host.EndSearch();
            host.StopAutoSearch();
        }
        return 0;
    }
    if ((type >= PT_SOFT_VERSION && type <= PT_NID) || (type >= PT_ITV && type <= PT_TLK)) {
        std::string line = Text(curWrite == 0 ? 227 : 228) + ParamCaption(type);
        if (result == 0)
            line += Text(255);
        else if (result == 1)
            line += Text(256);
        AppendLog(line);
        return 1;
    }
    return 0;
}

void CEngine::ApplyResult(const SCmdResult& result) {
    if (result.values.empty()) return;
    const std::string v = result.values.size() == 1 ? result.values[0] : std::string();
    const int type = result.type;
    if (type == PT_SOFT_VERSION) {
        host.SetSoftVersion(v);
        host.SetPinCaptions(v.find("R7730") != std::string::npos);
    } else if (type == PT_BOOT_VERSION) {
        host.SetBootVersion(v);
    } else if (type == PT_NCD) {
        if (linkMode == LM_AT) host.SetOwnAddress(static_cast<int>(DecimalValue(v)));
    } else if (type == PT_SRS) {
        if (DecimalValue(v) != 0) linkMode = LM_IDLE;
    } else if (type == PT_NWS) {
        std::vector<std::string> f;
        std::string why;
        if (CheckSearchRecord(result.values, f, why))
            host.AddNode(f[1], f[0], f[2], f[3]);
        else
            DebugTrace("[WARN]", "Search record not listed: %s", why.c_str());
    } else if (type >= PT_IPR && type <= PT_TLK) {
        // Nothing that could end a command early reaches a page (a module's reply or an import).
        if (HasLineBreak(v))
            host.AppendLog(FormatText(TXT_VALUE_LINE_BREAK, {ParamCaption(type)}));
        else
            host.SetParam(type, v);
    }
}

int CEngine::OnPageAction(int nodeTypeIndex) {
    if (nodeTypeIndex == 0)
        host.EnableSleepSettings(false);
    else if (nodeTypeIndex == 1 || nodeTypeIndex == 2)
        host.EnableSleepSettings(true);
    return 0;
}
