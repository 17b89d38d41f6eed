// Firmware download into the module's boot loader: optional restart into the boot loader,
// handshake every period until it answers, then the image as block-write frames and the enable record.
#include "Engine.h"
#include "ParamCatalogue.h"
#include "RegularFile.h"
#include "TextUtil.h"
#include "Texts.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr uint8_t kHandshake[] = {0xFE, 0x01, 0x4D, 0x04, 0x02, 0x4A};
constexpr uint8_t kEnable[] = {0xFE, 0x00, 0x4D, 0x03, 0x4E};
constexpr int kBlockBytes = 64;
constexpr int kBlockFrameLength = 71;
// Block addresses count 4-byte units; the boot loader's area ends here (3743 blocks).
constexpr uint32_t kAddressLimit = 59888;
} // namespace

bool CEngine::UpgradeInProgress() const {
    // The transaction's reads before and after the transfer belong to the download too.
    return TransferRunning() || upgradePhase != UP_NONE;
}

bool CEngine::CheckImageSize(const std::string& path) {
    struct stat st {};
    if (fstat(fileno(imageFile), &st) != 0 || !S_ISREG(st.st_mode)) {
        host.AppendLog(Text(277));
        return false;
    }
    if (st.st_size == 0) {
        host.AppendLog(FormatText(TXT_IMAGE_EMPTY, {path}));
        return false;
    }
    if (st.st_size > kMaxImageBytes) {
        host.AppendLog(FormatText(TXT_IMAGE_TOO_LARGE, {path, std::to_string(static_cast<long long>(st.st_size)),
                                                        std::to_string(kMaxImageBytes)}));
        return false;
    }
    return true;
}

void CEngine::CloseImage() {
    if (imageFile) {
        std::fclose(imageFile);
        imageFile = nullptr;
    }
}

void CEngine::OnUpgradeRequest(int wParam, const std::string& text) {
    if (wParam != 0) return;
    // The flag is the text after the last comma: a comma in the file name stays in the path.
    const std::size_t comma = text.rfind(',');
    const std::string path = comma == std::string::npos ? text : text.substr(0, comma);
    const long long restart = comma == std::string::npos ? 0 : DecimalValue(text.substr(comma + 1));
    // The download in progress reads its image and sends from its queue: a second request must
    // neither reopen the one nor rebuild the other.
    if (UpgradeInProgress()) {
        host.AppendLog(Text(TXT_UPGRADE_BUSY));
        return;
    }
    if (!serial.IsOpen()) {
        host.AppendLog(Text(138));
        ui.StopTimer(kHandshakeTimer);
        return;
    }
    CloseImage();
    // Only a regular file: a folder is refused here, before the handshake, and a FIFO cannot
    // block the window thread in the open.
    int fd = -1;
    std::string reason;
    if (!path.empty() && OpenRegularFile(path, fd, reason) == FILE_OPENED) imageFile = fdopen(fd, "rb");
    if (!imageFile) {
        if (fd >= 0) close(fd);
        host.AppendLog(reason.empty() ? Text(277) : Text(277) + " " + reason);
        return;
    }
    // A larger image would be cut at the area's end and an empty one would leave the handshake
    // waiting: both are refused before the module is touched.
    if (!CheckImageSize(path)) {
        CloseImage();
        return;
    }
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    imageBytes = ec ? 0 : static_cast<long>(std::min<std::uintmax_t>(size, kAddressLimit / 16 * kBlockBytes));
    bool withRestart = restart != 0;
    if (withRestart && bootLoaderLeft &&
        host.CustomMessageBox(Text(TXT_RECOVER_PROMPT), MB_STYLE_YESNO) == MB_RESULT_YES) {
        host.AppendLog(Text(TXT_RECOVER_STARTED));
        withRestart = false;
    }
    if (withRestart) {
        BeginBackup(); // the restart step follows once the backup is written
        return;
    }
    upgradePhase = UP_DOWNLOAD;
    OnUpgradeStep(1);
}

void CEngine::OnUpgradeStep(int step) {
    rawMode = 0;
    upgradeRunning = true;
    linkMode = LM_UPGRADE;
    if (step == 0) {
        const auto job = BeginJobBuild();
        ClearQueues();
        linkMode = LM_UPGRADE_ENTER;
        SCmdItem record;
        record.type = PT_SRS;
        const uint16_t command = 0x2C21;
        const uint8_t payload = 0x02;
        const int32_t length = 1;
        const int n = _MakeAPISendFrame(&command, &payload, &length, record.data);
        if (n > 0) {
            record.length = n;
            pendingQueue.Push(record);
        }
        PostWorker(WM_CMD_START, LM_UPGRADE_ENTER, 1);
    } else if (step == 1) {
        handshakeCount = 0;
        host.ShowProgress(5);
        ui.StartTimer(kHandshakeTimer, timings.handshakeMs, [this] { OnHandshakeTimer(); });
        host.SetJobRunning(true);
    } else if (step == 2) {
        const auto job = BeginJobBuild();
        ClearQueues();
        SCmdItem block;
        block.type = PT_UPGRADE_BLOCK;
        for (bool first = true; BuildBlockFrame(first, block) > 0; first = false)
            pendingQueue.Push(block);
        if (pendingQueue.IsEmpty()) return;
        SCmdItem enable;
        enable.type = PT_UPGRADE_ENABLE;
        std::memcpy(enable.data, kEnable, sizeof kEnable);
        enable.length = sizeof kEnable;
        pendingQueue.Push(enable);
        ShowJobProgress(271);
        telemetry.Start(imageBytes, lineBaud, lineBitsPerChar, CTransferTelemetry::Clock::now());
        progressShownAt = {};
        PostWorker(WM_CMD_START, LM_UPGRADE, 0);
        host.SetJobRunning(true);
    }
}

void CEngine::OnHandshakeTimer() {
    if (!serial.IsOpen()) {
        host.AppendLog(Text(138));
        ui.StopTimer(kHandshakeTimer);
        return;
    }
    linkMode = LM_UPGRADE;
    SendData(kHandshake, sizeof kHandshake);
    if (displayPacket) LogReceivedPacket(kHandshake, sizeof kHandshake);
    if (++handshakeCount % 10 == 0) host.AppendLog(Text(276));
}

int CEngine::BuildBlockFrame(bool first, SCmdItem& record) {
    if (!imageFile) return 0;
    uint8_t frame[kBlockFrameLength];
    if (first) blockAddress = 0;
    const size_t n = std::fread(frame + 6, 1, kBlockBytes, imageFile);
    if (!first) blockAddress += 16;
    if (n == 0 || (!first && blockAddress == kAddressLimit)) {
        CloseImage();
        return 0;
    }
    frame[0] = 0xFE;
    frame[1] = 0x42;
    frame[2] = 0x4D;
    frame[3] = 0x01;
    frame[4] = blockAddress & 0xFF;
    frame[5] = (blockAddress >> 8) & 0xFF;
    if (n < kBlockBytes) {
        std::memset(frame + 6 + n, 0xFF, kBlockBytes - n);
        CloseImage(); // the last block
    }
    uint8_t fcs = 0;
    for (int i = 1; i < kBlockFrameLength - 1; ++i)
        fcs ^= frame[i];
    frame[kBlockFrameLength - 1] = fcs;
    std::memcpy(record.data, frame, kBlockFrameLength);
    record.length = kBlockFrameLength;
    return kBlockFrameLength;
}

void CEngine::OnUpgradeReply(const SApiResult& reply) {
    switch (reply.command) {
    case 0x2C61: // the application accepted the restart into the boot loader
        bootLoaderLeft = true;
        OnCmdResult(reply.success, reply.type ? reply.type : PT_SRS);
        AnswerWait();
        OnUpgradeStep(1);
        break;
    case 0x844D: // handshake answered
        // A late second answer while blocks are being sent must not rebuild the queue in use.
        if (!ui.IsTimerRunning(kHandshakeTimer)) break;
        ui.StopTimer(kHandshakeTimer);
        bootLoaderLeft = true;
        OnUpgradeStep(2);
        host.AppendLog(Text(275));
        break;
    case 0x814D: // block written
        host.StepProgress(host.GetProgressMax() - pendingQueue.GetCount());
        replyEvent.Set();
        OnTransferBlockDone();
        break;
    case 0x834D: // image enabled
        upgradeRunning = false;
        host.AppendLog(Text(273));
        host.StepProgress(host.GetProgressMax() - pendingQueue.GetCount());
        host.SetJobRunning(false);
        replyEvent.Set();
        OnImageEnabled();
        break;
    default:
        break;
    }
}
