#include "SimNetwork.h"

#include "ParamCatalogue.h"
#include "ParamRules.h"
#include "TextUtil.h"

#include <algorithm>
#include <random>
#include <set>

namespace {
constexpr uint8_t kReplyKind = 0x07; // byte 2 of a remote reply, as in the request
constexpr size_t kRequestHeader = 7; // address, 0x07, 0x01, three letters

std::string MacFrom(uint32_t serial) {
    return Format("00124B00%08X", serial);
}

std::string ValueForLog(int code, const Bytes& value) {
    const SParamRule* r = FindRule(code);
    if (r && r->kind == VK_NUMBER && value.size() == 2) return std::to_string(value[0] * 256 + value[1]);
    Bytes shown = value;
    if (r && r->kind == VK_KEY) std::reverse(shown.begin(), shown.end());
    return BytesToHex(shown.data(), static_cast<int>(shown.size()), false);
}
} // namespace

CSimNetwork::CSimNetwork(int nodes, unsigned seed) : local(MacFrom(0), 0, 0) {
    std::mt19937 rng(seed);
    std::set<uint16_t> addresses;
    std::set<uint32_t> serials;
    uint32_t localSerial = static_cast<uint32_t>(rng());
    serials.insert(localSerial);
    local.SetMac(MacFrom(localSerial));
    for (int i = 1; i <= nodes; ++i) {
        uint16_t address;
        do
            address = static_cast<uint16_t>(1 + rng() % 65527);
        while (!addresses.insert(address).second);
        uint32_t serial;
        do
            serial = static_cast<uint32_t>(rng());
        while (!serials.insert(serial).second);
        remotes.emplace_back(MacFrom(serial), address, i % 2 ? 1 : 2);
    }
}

CSimModule* CSimNetwork::Find(uint16_t address) {
    return const_cast<CSimModule*>(static_cast<const CSimNetwork*>(this)->Find(address));
}

const CSimModule* CSimNetwork::Find(uint16_t address) const {
    if (local.Address() == address) return &local;
    for (const CSimModule& m : remotes)
        if (m.Joined() && m.Address() == address) return &m;
    return nullptr;
}

std::vector<uint16_t> CSimNetwork::RemoteAddresses() const {
    std::vector<uint16_t> out;
    for (const CSimModule& m : remotes)
        if (m.Joined()) out.push_back(m.Address());
    return out;
}

std::vector<std::string> CSimNetwork::SearchRecords() const {
    std::vector<std::string> out;
    for (const CSimModule& m : remotes)
        if (m.Joined())
            out.push_back(Format("+NWS:%d,%u,%s,%d\r\n", StatusOf(m.Address()), m.Address(), m.Mac().c_str(),
                                 m.NodeType()));
    return out;
}

void CSimNetwork::SetStatus(uint16_t address, int status) {
    if (status)
        forcedStatus[address] = status;
    else
        forcedStatus.erase(address);
}

int CSimNetwork::StatusOf(uint16_t address) const {
    auto it = forcedStatus.find(address);
    return it == forcedStatus.end() ? RS_OK : it->second;
}

CSimNetwork::SRequestOutcome CSimNetwork::HandleRequest(const Bytes& request) {
    SRequestOutcome out;
    std::string& logLine = out.logLine;
    if (request.size() < kRequestHeader) {
        logLine =
            "API remote malformed " + BytesToHex(request.data(), static_cast<int>(request.size()), false);
        return out;
    }
    uint16_t node = static_cast<uint16_t>(request[0] | (request[1] << 8));
    std::string letters(request.begin() + 4, request.begin() + 7);
    Bytes value(request.begin() + kRequestHeader, request.end());
    const SParamInfo* info = FindParamByMnemonic(letters);
    int code = info ? info->code : 0;
    bool isCommand = code == PT_SAV || code == PT_FAC || code == PT_SRS;

    if (!value.empty())
        logLine =
            Format("API remote write %u %s %s", node, letters.c_str(), ValueForLog(code, value).c_str());
    else
        logLine = Format("API remote %s %u %s", isCommand ? "command" : "read", node, letters.c_str());

    Bytes reply(request.begin(), request.begin() + 2);
    reply.push_back(kReplyKind);
    for (char letter : letters)
        reply.push_back(static_cast<uint8_t>(letter));
    CSimModule* m = Find(node);
    int status = RS_OK;
    Bytes replyValue;
    bool restart = false;
    if (!m) {
        status = RS_NO_SUCH_NODE;
    } else if (StatusOf(node) != RS_OK) {
        status = StatusOf(node);
    } else if (code == PT_SAV) {
        m->Save();
    } else if (code == PT_FAC) {
        m->Factory();
    } else if (code == PT_SRS) {
        restart = true;
    } else if (!FindRule(code)) {
        status = RS_BAD_VALUE;
    } else if (value.empty()) {
        replyValue = RemoteReplyValue(code, m->Read(code));
    } else if (auto accepted = AcceptRemoteValue(code, value)) {
        m->Set(code, *accepted);
    } else {
        status = RS_BAD_VALUE;
    }
    reply.push_back(static_cast<uint8_t>(status));
    reply.insert(reply.end(), replyValue.begin(), replyValue.end());
    // The reply leaves from the old address; the new one counts from the restart on.
    if (restart) {
        out.localRestarted = m == &local;
        m->Restart(out.localRestarted);
    }
    out.reply = std::move(reply);
    return out;
}
