#include "SimModule.h"

#include "ParamCatalogue.h"
#include "ParamRules.h"
#include "TextUtil.h"

CSimModule::CSimModule(std::string macText, uint16_t netAddress, int nodeType)
    : mac(std::move(macText)), address(netAddress) {
    Factory();
    current[PT_TYP] = std::to_string(nodeType);
    current[PT_NID] = std::to_string(netAddress);
    saved = current;
}

std::string CSimModule::Read(int code) const {
    if (code == PT_MID) return mac;
    if (code == PT_NCD) return std::to_string(address);
    auto it = current.find(code);
    return it == current.end() ? std::string() : it->second;
}

void CSimModule::SetLasting(int code, const std::string& text) {
    current[code] = text;
    saved[code] = text;
}

void CSimModule::Factory() {
    for (int code = PT_IPR; code <= PT_TLK; ++code) {
        const SParamRule* r = FindRule(code);
        if (r && r->factory) current[code] = r->factory;
    }
    saved = current;
}

int CSimModule::NodeType() const {
    return static_cast<int>(DecimalValue(Read(PT_TYP)));
}

void CSimModule::Restart(bool isLocal) {
    current = saved;
    long long nid = DecimalValue(Read(PT_NID));
    if (NodeType() == 0) {
        address = 0;
        joined = true;
    } else if (nid >= 1 && nid <= 65527) {
        address = static_cast<uint16_t>(nid);
        joined = true;
    } else if (!isLocal) {
        joined = false;
    }
}
