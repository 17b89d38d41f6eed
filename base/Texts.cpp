#include "Texts.h"

#include <mutex>

namespace {
const std::map<int, std::string> kEnglish = {
    {138, "Open Com Failed!"},
    {149, "Default"},
    {150, "Custom"},
    {162, "Open Com"},
    {163, "Close Com"},
    {164, "English"},
    {165, "Chinese"},
    {166, "Local Device"},
    {167, "Remote Device"},
    {168, "Calyra"},
    {169, "Advanced Config"},
    {170, "IO Settings"},
    {171, "Encryption"},
    {172, "Cmd / Upgrade"},
    {173, "After you change the language, you need to restart the program, whether to restart?"},
    {174, "Device Name"},
    {175, "Node Address"},
    {176, "Mac Address"},
    {177, "None"},
    {178, "Odd"},
    {179, "Even"},
    {180, "1 Bit"},
    {181, "2 Bit"},
    {182, "No"},
    {183, "Yes"},
    {184, "Random"},
    {185, "Assign(0-65531)"},
    {186, "Coordinator"},
    {187, "Routing"},
    {188, "End Device"},
    {189, "Random"},
    {190, "Assign(1-65527)"},
    {191, "No"},
    {192, "Yes"},
    {193, "Transparent"},
    {194, "AT"},
    {195, "API"},
    {196, "No Sleep"},
    {197, "Timer Sleep"},
    {198, "Deep Sleep"},
    {199, "Disabled"},
    {200, "ADC"},
    {201, "DI"},
    {202, "D0(Low Level)"},
    {203, "D0(High Level)"},
    {204, "Pulse Countin"},
    {205, "Disabled"},
    {206, "Enable"},
    {207, "Enter an integer in"},
    {208, "Enter a char in "},
    {209, "Some parameters failed to load, whether to re-load these parameters?"},
    {210, "Failed to save some of the parameters, whether to re-save these parameters?"},
    {211, "Import Success!"},
    {212, "Export Success!"},
    {213, "Loading...."},
    {214, "Saving...."},
    {215, "COM is not open!"},
    {216, "Factory Failed!"},
    {217, "Restart Failed!"},
    {218, "Save Parameter Failed!"},
    {219, "Restore factory set up, parameters are reloaded...."},
    {220, "Restart Success!"},
    {221, "Save Parameter Success,Please Restart Device to Enable the Parameters!"},
    {222, "Enter Configuration State Failed, Please \r\nre-powered device to enter the configuration state!"},
    {224, "Close COM Success!"},
    {225, "Open COM Success!"},
    {226, "Open COM Failed!"},
    {227, "*Read "},
    {228, "*Write "},
    {230, "Soft Version"},
    {231, "Baudrate"},
    {232, "Parity Bit"},
    {233, "Stop Bit"},
    {234, "Debug Level"},
    {235, "Echo AT Command String"},
    {236, "Node Type"},
    {237, "Node Address"},
    {238, "PID"},
    {239, "Auto Join Network"},
    {240, "Physical Channel"},
    {241, "MAC Address"},
    {242, "Data Interval"},
    {243, "Apply Mode"},
    {244, "Sleep Mode"},
    {245, "Sleep Time"},
    {246, "Wake up Time"},
    {247, "Endpoint"},
    {248, "Profile ID"},
    {249, "Cluster ID"},
    {250, "Work Mode"},
    {251, "Time"},
    {252, "Data Encryption"},
    {253, "NetWork Key"},
    {254, "Link Key"},
    {255, " Failed!"},
    {256, " Success!"},
    {257, "Search"},
    {258, "*Read network information for all nodes \r\n in the network is successful, the network "
          "\r\ninformation will gradually upload!"},
    {259, "*Read network information for all nodes  \r\nin the network is failed!"},
    {260, "Disabled"},
    {261, "Enable"},
    {262, "Broadcast"},
    {263, "Assign(0-65527)"},
    {264, "Hardware Flow Control"},
    {265, "Trans Address"},
    {266, "Data is empty, add data and then export!"},
    {267, "Enter Configuration State Failed!"},
    {268, "Invalid"},
    {269, "Boot Version"},
    {270, "There are tasks to perform, after the abort, then quit!"},
    {271, "Upgrading...."},
    {272, "Upgrade program failed!"},
    {273, "The upgrade process is complete!"},
    {274, "Enable failed!"},
    {275, "Handshake succeeds, start the download program, please wait ...."},
    {276, "Handshake fails, reboot the device!"},
    {277, "File open error!"},
    {TXT_OPEN_FAILED_NO_DEVICE, "No such device: %s"},
    {TXT_OPEN_FAILED_PERMISSION, "Permission denied on %s: join the group \"%s\" and log in again."},
    {TXT_OPEN_FAILED_BUSY, "%s is busy: another program holds it."},
    {TXT_OPEN_FAILED_OTHER, "%s: %s"},
    {TXT_EXPORT_FAILED, "Export Failed! The file could not be written: %s"},
    {TXT_COMMAND_TOO_LONG, "Command too long, not sent (at most %d characters)!"},
    {TXT_HEX_INVALID, "Hex command may hold only 0-9, A-F, a-f and blanks!"},
    {TXT_RECORD_TOO_LONG, "Command too long for a record, not queued: %s"},
    {TXT_PORT_VANISHED, "The port %s has vanished."},
    {TXT_OPENED_DEVICE, "%s is %s"},
    {TXT_LATE_REPLY, "Ignored a late or unexpected reply: %s"},
    {TXT_UPGRADE_BUSY, "An upgrade is in progress: the new request was refused."},
    {TXT_IMAGE_EMPTY, "The image %s is empty: nothing was sent."},
    {TXT_VALUES_OF_LOCAL, "Values shown: local module on %1, MAC %2"},
    {TXT_VALUES_OF_NODE, "Values shown: node %1, MAC %2"},
    {TXT_VALUES_OF_NONE, "Values shown: none loaded"},
    {TXT_VALUES_OF_FILE, "Values shown: parameter set file %1"},
    {TXT_SAVE_NODE_VALUES,
     "The pages hold the values of node %1 (MAC %2), not those of the local module on %3 "
     "(MAC %4).\r\nWrite the values that differ into the local module?"},
    {TXT_SAVE_NOT_WRITTEN, "Save Params cancelled: nothing was written to the local module."},
    {TXT_CLICK_NOT_RUN, "The value was out of range and was corrected to %1; \"%2\" was not run: check the "
                        "value and click it again."},
    {TXT_IMAGE_TOO_LARGE,
     "The image %s has %lld bytes, more than the %lld bytes the module takes: nothing was sent."},
    {TXT_BACKUP_READING, "Reading the module's parameters for a backup before the download ...."},
    {TXT_BACKUP_WRITTEN, "Parameters backed up to %s"},
    {TXT_BACKUP_FAILED, "The backup could not be written (%s): the download was not started."},
    {TXT_BACKUP_INCOMPLETE, "Not every parameter could be read for the backup: the download was not started."},
    {TXT_WAITING_FOR_APP, "Waiting for the module to start its new firmware ...."},
    {TXT_APP_BACK, "The module runs its new firmware: %s"},
    {TXT_APP_NOT_BACK, "The module did not come back in its application: it stays in its boot loader. Download again; the restart step is not needed."},
    {TXT_PARAMS_EQUAL, "All %d parameters equal the backup."},
    {TXT_PARAMS_DIFFER, "%d parameters differ from the backup:"},
    {TXT_PARAM_DIFFERENCE, "    %s: %s before, %s now"},
    {TXT_RESTORE_PROMPT, "%d parameters differ from the backup taken before the download. Restore them?"},
    {TXT_RESTORING, "Restoring the parameters of the backup ...."},
    {TXT_RESTORE_VERIFIED, "Restore verified: every parameter equals the backup."},
    {TXT_RESTORE_INCOMPLETE, "Restore incomplete: %d parameters still differ from the backup."},
    {TXT_RECOVER_PROMPT, "The module is still in its boot loader after an interrupted download and answers the handshake at once. Download again without the restart step?"},
    {TXT_RECOVER_UNREACHED_PROMPT, "The module does not answer in its application: it may be in its boot loader. Download without the restart step?"},
    {TXT_RECOVER_STARTED, "Downloading again without the restart step: the boot loader answers the handshake at once."},
    {TXT_LEFT_IN_BOOT, "The download did not finish: the module stays in its boot loader. Start it again; the restart step is not needed."},
    {TXT_TRANSFER_PROGRESS, "%ld of %ld bytes, %.0f bytes/s, %.1f %% of the line-rate limit at %u baud, %s left"},
    {TXT_TRANSFER_TOTALS, "Transfer totals: %ld bytes in %.1f s, %.0f bytes/s, %.1f %% of the line-rate limit at %u baud (%.0f bytes/s)"},
};

std::mutex tableLock; // guards active (replaced once at start-up, read everywhere)
std::map<int, std::string> active = kEnglish;
} // namespace

std::string Text(int id) {
    std::lock_guard<std::mutex> g(tableLock);
    auto it = active.find(id);
    return it == active.end() ? std::string() : it->second;
}

void SetTextTable(const std::map<int, std::string>& table) {
    std::lock_guard<std::mutex> g(tableLock);
    active = kEnglish;
    for (const auto& [id, text] : table)
        active[id] = text;
}

const std::map<int, std::string>& BuiltinEnglishTexts() {
    return kEnglish;
}

namespace {
std::mutex captionLock; // guards captions (replaced once at start-up, read when windows are built)
std::map<std::pair<int, int>, std::string> captions;
} // namespace

std::string Caption(int templateId, int controlId, const std::string& english) {
    std::lock_guard<std::mutex> g(captionLock);
    auto it = captions.find({templateId, controlId});
    return it == captions.end() ? english : it->second;
}

void SetCaptionTable(const std::map<std::pair<int, int>, std::string>& table) {
    std::lock_guard<std::mutex> g(captionLock);
    captions = table;
}
