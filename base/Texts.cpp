#include "Texts.h"

#include <cstdarg>
#include <cstdio>
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
    {390, "%s, line %d: unknown parameter \"%s\"."},
    {391, "%s, line %d: %s=%s is out of range (%s)."},
    {392, "%s is not a parameter set: it has no [CONFIG] section with a known parameter."},
    {393, "%s cannot be read: %s"},
    {394, "%s, line %d: %s is not written to a module; the line is ignored."},
    {395, "%s, line %d: %s stands twice; the first value counts."},
    {396, "Firmware image %s is empty: nothing was sent."},
    {397, "Firmware image %s is too large: %lld bytes, at most %d bytes fit; nothing was sent."},
    {398, "No answer from the module on %s."},
    {399, "Verify failed: %s reads %s on the module, %s was written."},
    {400, "The module refused %s=%s."},
    {401, "%d value(s) written, saved and verified."},
    {402, "No differences: nothing written."},
    {403, "Unknown port \"%s\": give COM<n>, a device path or a /dev/serial/by-id link."},
    {404, "%s has no COM number: create a symbolic link COM<n> to it in %s."},
    {405, "The firmware download failed."},
    {406, "The boot loader did not answer the handshake."},
    {407, "Recipe %s: %s"},
    {408, "Station %s: %d unit(s), %d passed, %d failed."},
    {409, "%s: unit %s %s %s"},
    {410, "%s: waiting for a module..."},
    {411, "No free value left for %s in the recipe."},
    {412, "Records file %s: %s"},
    {413, "The node %s did not answer."},
    {414, "Interrupted."},
    {415, "passed"},
    {416, "failed"},
    {417, "%d difference(s)."},
    {418, "Firmware image %s cannot be read: %s"},
    {419, "%d node(s) found."},
    {440, "The parameters that differ from the backup were not restored. To restore them: calyra-cli write %s --port %s (or flash with --restore)."},
    {441, "The restore of the backup did not verify. Write it again: calyra-cli write %s --port %s"},
    {TXT_UPGRADE_BUSY, "An upgrade is in progress: the new request was refused."},
    {TXT_IMAGE_EMPTY, "The image %s is empty: nothing was sent."},
    {TXT_IMAGE_TOO_LARGE,
     "The image %s has %d bytes, more than the %d bytes the module takes: nothing was sent."},
    {TXT_VALUES_OF_LOCAL, "Values shown: local module on %1, MAC %2"},
    {TXT_VALUES_OF_NODE, "Values shown: node %1, MAC %2"},
    {TXT_VALUES_OF_NONE, "Values shown: none loaded"},
    {TXT_VALUES_OF_FILE, "Values shown: parameter set file %1"},
    {TXT_SAVE_NODE_VALUES,
     "The pages hold the values of node %1 (MAC %2), not those of the local module on %3 "
     "(MAC %4).\r\nWrite the values that differ into the local module?"},
    {TXT_SAVE_NOT_WRITTEN, "Save Params cancelled: nothing was written to the local module."},
    {TXT_SAVE_LOCAL_TO_NODE, "The pages hold the values of the local module on %1 (MAC %2), not those of node %3.\r\nWrite the values that differ into node %3?"},
    {TXT_SAVE_NODE_TO_NODE, "The pages hold the values of node %1 (MAC %2), not those of node %3.\r\nWrite the values that differ into node %3?"},
    {TXT_NODE_SAVE_NOT_WRITTEN, "Save params cancelled: nothing was written to node %1."},
    {TXT_CLICK_NOT_RUN, "The value was out of range and was corrected to %1; \"%2\" was not run: check the "
                        "value and click it again."},
    {TXT_IMAGE_TOO_LARGE,
     "The image %s has %lld bytes, more than the %lld bytes the module takes: nothing was sent."},
    {TXT_DOCTOR_PERMISSION, "Permission denied on %s (owner %s, group \"%s\", mode %s)."},
    {TXT_DOCTOR_JOIN_GROUP, "Fix: join the group \"%s\" with: sudo usermod -aG %s $USER, then log out and in again."},
    {TXT_DOCTOR_LOG_IN_AGAIN, "You are in the group \"%s\", but this session started before you joined it: log out and in again (or run: newgrp %s)."},
    {TXT_DOCTOR_UDEV_RULE, "Joining the group \"%s\" does not help here. Install the udev rule that comes with Calyra: sudo cp %s /etc/udev/rules.d/ && sudo udevadm control --reload && sudo udevadm trigger, then plug the adapter in again."},
    {TXT_DOCTOR_BUSY, "%s is busy: it is held by %s."},
    {TXT_DOCTOR_BUSY_FIX, "Fix: close that program, or end it with: kill %s"},
    {TXT_DOCTOR_BUSY_UNSEEN, "%s is busy: a program of another user holds it (find it with: sudo fuser -v %s)."},
    {TXT_DOCTOR_HOLDER, "PID %s (%s)"},
    {TXT_DOCTOR_MODEM_MANAGER, "ModemManager is running and probes %s with AT commands, which takes the module's replies. Make it ignore the adapter with the udev rule that comes with Calyra (%s), or stop it: sudo systemctl stop ModemManager"},
    {TXT_DOCTOR_ENTRY_FAILED, "The module on %s did not answer \"+++\". Likely causes:"},
    {TXT_DOCTOR_ENTRY_BAUD, "- the module runs at another baud rate than %s (choose Config Mode \"Custom\" and the module's rate);"},
    {TXT_DOCTOR_ENTRY_READER, "- another program reads the port and takes the replies: %s."},
    {TXT_DOCTOR_NO_ACCESS, "Permission denied on %s."},
    {TXT_PIN_BUTTON, "Pin"},
    {TXT_PIN_TOOLTIP, "Pin this adapter to its COM number, so that it keeps the number when it is plugged in again"},
    {TXT_PIN_PROMPT, "COM number for %s:"},
    {TXT_PIN_DONE, "%s is pinned as %s (%s)."},
    {TXT_PIN_FAILED, "Cannot pin %s: %s"},
    {TXT_PIN_NO_ID, "%s has no name in /dev/serial/by-id (it is not a USB adapter), so it cannot be pinned."},
    {TXT_LOG_FILE, "The complete log is written to %s."},
    {TXT_LOG_FILE_FAILED, "The log file %s cannot be written: %s"},
    {TXT_SETTINGS_FILE, "Settings are kept in %s."},
    {TXT_SETTINGS_FALLBACK, "The working folder %s cannot be written (%s): the settings are kept in %s."},
    {TXT_SETTINGS_NOT_SAVED, "The settings could not be saved to %s: %s"},
    {TXT_LANGUAGE_NOT_SAVED, "The language could not be stored in %s: %s. The program is not restarted."},
    {TXT_LOW_LATENCY, "%s: low-latency mode on (%s)."},
    {TXT_PIN_TAKEN, "%s is already the alias of %s, which is present."},
    {TXT_PENDING_COUNT, "Changes: %d"},
    {TXT_PENDING_TIP, "Values Save Params writes: they differ from the module's last read values"},
    {TXT_SHOW_CHANGES, "Show Changes..."},
    {TXT_LIST_BEFORE_WRITING, "Show the List Before Writing"},
    {TXT_COMPARE_FILE, "Compare with a File..."},
    {TXT_CLEAR_COMPARISON, "Clear the Comparison"},
    {TXT_PENDING_TITLE, "Pending Changes"},
    {TXT_COLUMN_PARAMETER, "Parameter"},
    {TXT_COLUMN_MODULE, "Module Value"},
    {TXT_COLUMN_NEW, "New Value"},
    {TXT_WRITE, "Write"},
    {TXT_CANCEL, "Cancel"},
    {TXT_CLOSE, "Close"},
    {TXT_NOT_READ, "(not read)"},
    {TXT_MODULE_VALUE_TIP, "Module value: %s"},
    {TXT_FILE_VALUE_TIP, "File value: %s"},
    {TXT_COMPARED, "Compared with %s: %d differences."},
    {TXT_COMPARE_EMPTY, "%s holds no parameter to compare."},
    {TXT_NOTHING_PENDING, "No pending changes: the pages hold the module's values."},
    {TXT_NOT_READ_TIP, "Not read from the module: Save Params writes it"},
    {TXT_VALUE_LINE_BREAK, "%s: a value with a line break or a NUL character is not used!"},
    {TXT_COMMAND_LINE_BREAK,
     "A text command may not hold a line break or a NUL character (New Line adds the line end)!"},
    {TXT_IMPORT_FAILED, "Import Failed! %s"},
    {TXT_NOT_REGULAR_FILE, "%s is not a regular file."},
    {TXT_FILE_TOO_LARGE, "%s is larger than %d bytes."},
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

std::vector<int> SetTextTable(const std::map<int, std::string>& table) {
    std::vector<int> refused;
    std::map<int, std::string> next = kEnglish;
    for (const auto& [id, text] : table) {
        const auto english = kEnglish.find(id);
        const std::vector<std::string> expected =
            english == kEnglish.end() ? std::vector<std::string>() : TextConversions(english->second);
        if (TextConversions(text) == expected)
            next[id] = text;
        else
            refused.push_back(id);
    }
    std::lock_guard<std::mutex> g(tableLock);
    active = std::move(next);
    return refused;
}

std::string FillText(std::string_view text, std::initializer_list<std::string_view> args) {
    std::string out;
    auto next = args.begin();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char directive = text[i] == '%' && i + 1 < text.size() ? text[i + 1] : 0;
        if (directive == '%') {
            out += '%';
        } else if (directive == 's' || directive == 'd') {
            if (next != args.end()) out += *next++;
        } else {
            out += text[i];
            continue;
        }
        ++i;
    }
    return out;
}

std::string FormatText(int id, std::initializer_list<std::string_view> args) {
    return FillText(Text(id), args);
}

std::string TextPrintf(int id, ...) {
    const std::string format = Text(id);
    va_list args, again;
    va_start(args, id);
    va_copy(again, args);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const int length = std::vsnprintf(nullptr, 0, format.c_str(), args);
    std::string out(length > 0 ? std::size_t(length) : 0, '\0');
    if (length > 0) std::vsnprintf(out.data(), out.size() + 1, format.c_str(), again);
#pragma GCC diagnostic pop
    va_end(again);
    va_end(args);
    return out;
}

namespace {
// A printf-style text as its fixed parts and its conversions between them: parts holds one more
// entry than conversions, "%%" is a fixed "%".
void SplitText(std::string_view text, std::vector<std::string>& parts, std::vector<std::string>& conversions) {
    parts.assign(1, std::string());
    conversions.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            parts.back() += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '%') {
            parts.back() += '%';
            ++i;
            continue;
        }
        // Flags, width, precision and length as printf reads them, then the conversion itself.
        std::size_t end = i + 1;
        while (end < text.size() && std::string_view("-+ #0123456789.*hlLqjzt'").find(text[end]) != std::string_view::npos)
            ++end;
        if (end < text.size() && std::string_view("diouxXeEfFgGaAcspn").find(text[end]) != std::string_view::npos) {
            ++end;
        } else if (i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            // No printf conversion follows: the window's numbered place ("%1"), which the text
            // that comes after it ("%1 (", "%1（") must not change.
            end = i + 1;
            while (end < text.size() && text[end] >= '0' && text[end] <= '9')
                ++end;
        } else if (end < text.size()) {
            ++end;
        }
        conversions.emplace_back(text.substr(i, end - i));
        parts.emplace_back();
        i = end - 1;
    }
}
} // namespace

std::vector<std::string> TextConversions(std::string_view text) {
    std::vector<std::string> parts, conversions;
    SplitText(text, parts, conversions);
    return conversions;
}

bool PrintedFromText(std::string_view line, int id) {
    std::vector<std::string> parts, conversions;
    SplitText(Text(id), parts, conversions);
    if (line.substr(0, parts.front().size()) != parts.front()) return false;
    if (parts.size() == 1) return line.size() == parts.front().size();
    std::size_t at = parts.front().size();
    for (std::size_t i = 1; i + 1 < parts.size(); ++i) {
        at = line.find(parts[i], at);
        if (at == std::string_view::npos) return false;
        at += parts[i].size();
    }
    const std::string& last = parts.back();
    return line.size() >= at + last.size() && line.substr(line.size() - last.size()) == last;
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
