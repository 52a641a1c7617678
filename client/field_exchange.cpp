#include "client/field_exchange.h"

#include "client/control_ids.h"
#include "client/talk_group_selector.h"
#include "radio/dialog_check.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

namespace {

constexpr char kNotAnInteger[] = "Please enter an integer.";
constexpr char kOutOfRange[] = "Enter an integer between %1 and %2.";
constexpr char kTooLong[] = "Enter no more than %1 characters.";
constexpr char kCallsignBlank[] = "Callsign blank!";
constexpr char kCallsignStart[] = "Callsign Must start with a Letter or a Number";

constexpr size_t kCallsignMaxChars = 10;
constexpr size_t kCommentMaxChars = 100;
constexpr size_t kRoomMaxChars = 10;

// Fills "%1" and "%2" of a message pattern.
std::string Format(std::string pattern, const std::string& first, const std::string& second = {}) {
    if (const size_t at = pattern.find("%1"); at != std::string::npos)
        pattern.replace(at, 2, first);
    if (const size_t at = pattern.find("%2"); at != std::string::npos)
        pattern.replace(at, 2, second);
    return pattern;
}

// Characters of UTF-8 text: every byte that does not continue a sequence.
size_t CharacterCount(const std::string& text) {
    size_t count = 0;
    for (const unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++count;
    return count;
}

// The settings key ("Tavro_CLIENT") that stores a field, for messages about it.
const char* SettingOf(int id, int templateId) {
    switch (id) {
    case IDC_SERVER:
        return "HOST";
    case IDC_PORT:
        return "PORT";
    case IDC_SERVER_PASSWORD:
        return templateId == kAdminTemplate ? "PASS" : "PSWD";
    case IDC_CALLSIGN:
        return "CALL";
    case IDC_COMMENT:
        return "COMM";
    case IDC_TALK_GROUP:
        return "ROOM";
    case IDC_CW_SPEED:
        return "WPM";
    case IDC_CW_FREQUENCY:
        return "FREQ";
    case IDC_ID_TEXT:
        return "ID";
    case IDC_COURTESY_TEXT:
        return "R";
    case IDC_CW_VOLUME:
        return "VOL";
    case IDC_SQUELCH_SETTLING:
        return "SQUE";
    case IDC_CONNECT_CODE:
        return "ConnectDTMF";
    case IDC_DISCONNECT_CODE:
        return "DisconnectDTMF";
    default:
        return "";
    }
}

// One direction of the exchange: fields into members, each step reporting
// whether its field passed.
class FieldReader {
public:
    FieldReader(CDialogControls& controls, IUserPrompt& prompt, int templateId)
        : controls_(controls), prompt_(prompt), templateId_(templateId) {}

    bool Text(int id, std::string& member, size_t maxChars = std::string::npos) {
        std::string text = controls_.Text(id);
        if (!FitsLength(id, text, maxChars))
            return false;
        member = std::move(text);
        return true;
    }

    bool Integer(int id, int& member) {
        const std::optional<int> value = ParseDialogInteger(controls_.Text(id));
        if (!value)
            return Fail(id, kNotAnInteger);
        member = *value;
        return true;
    }

    bool Integer(int id, int& member, int min, int max) {
        int value = 0;
        if (!Integer(id, value))
            return false;
        if (value < min || value > max)
            return Fail(id, Format(kOutOfRange, std::to_string(min), std::to_string(max)));
        member = value;
        return true;
    }

    bool Callsign(std::string& member, bool showMessages) {
        std::string text = controls_.Text(IDC_CALLSIGN);
        if (!FitsLength(IDC_CALLSIGN, text, kCallsignMaxChars))
            return false;
        for (char& c : text)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        if (text.empty())
            return Fail(IDC_CALLSIGN, showMessages ? kCallsignBlank : "");
        if (!std::isalnum(static_cast<unsigned char>(text.front())))
            return Fail(IDC_CALLSIGN, showMessages ? kCallsignStart : "");
        controls_.SetText(IDC_CALLSIGN, text);
        member = std::move(text);
        return true;
    }

    // The combo box's own text, or its selected entry when it has one.
    bool Room(std::string& member) {
        const int selection = controls_.CurSel(IDC_TALK_GROUP);
        std::string text = selection >= 0 ? controls_.ItemText(IDC_TALK_GROUP, selection)
                                          : controls_.Text(IDC_TALK_GROUP);
        if (!FitsLength(IDC_TALK_GROUP, text, kRoomMaxChars))
            return false;
        member = std::move(text);
        return true;
    }

    bool Check(int id, bool& member) {
        member = controls_.Check(id) != 0;
        return true;
    }

private:
    bool FitsLength(int id, const std::string& text, size_t maxChars) {
        if (maxChars == std::string::npos || CharacterCount(text) <= maxChars)
            return true;
        return Fail(id, Format(kTooLong, std::to_string(maxChars)));
    }

    // Shows the message (none when empty) and returns the focus to the field.
    bool Fail(int id, const std::string& message) {
        if (!message.empty())
            prompt_.ShowFieldMessage(SettingOf(id, templateId_), message);
        controls_.SetFocus(id);
        return false;
    }

    CDialogControls& controls_;
    IUserPrompt& prompt_;
    int templateId_;
};

std::string& PasswordField(ClientSettings& settings, int templateId) {
    return templateId == kAdminTemplate ? settings.adminPassword : settings.serverPassword;
}

} // namespace

bool SaveFields(CDialogControls& controls, ClientSettings& settings, IUserPrompt& prompt,
                bool showCallsignMessages, int templateId) {
    FieldReader read(controls, prompt, templateId);
    return read.Text(IDC_SERVER, settings.serverHost) &&
           read.Integer(IDC_PORT, settings.serverPort, 1, 65535) &&
           read.Text(IDC_SERVER_PASSWORD, PasswordField(settings, templateId)) &&
           read.Callsign(settings.callsign, showCallsignMessages) &&
           read.Text(IDC_COMMENT, settings.comment, kCommentMaxChars) && read.Room(settings.room) &&
           read.Integer(IDC_CW_SPEED, settings.cwSpeedWpm, 0, 99) &&
           read.Integer(IDC_CW_FREQUENCY, settings.cwToneHz, 300, 2000) &&
           read.Text(IDC_ID_TEXT, settings.idText) &&
           read.Text(IDC_COURTESY_TEXT, settings.courtesyText) &&
           read.Integer(IDC_CW_VOLUME, settings.cwVolume, 0, 32767) &&
           read.Integer(IDC_SQUELCH_SETTLING, settings.squelchSettlingMs) &&
           read.Check(IDC_COURTESY_TONES, settings.courtesyEnabled) &&
           read.Check(IDC_FORCE_ID, settings.forceIdEnabled) &&
           read.Check(IDC_ID_IF_IDLE, settings.idIfIdleEnabled) &&
           read.Check(IDC_AUTO_RECONNECT, settings.autoReconnect) &&
           read.Check(IDC_DIAL_UP, settings.dialUpOnConnect) &&
           read.Check(IDC_ALC, settings.alcEnabled) &&
           read.Text(IDC_CONNECT_CODE, settings.connectCode) &&
           read.Text(IDC_DISCONNECT_CODE, settings.disconnectCode);
}

void LoadFields(CDialogControls& controls, const ClientSettings& settings, int templateId) {
    controls.SetText(IDC_SERVER, settings.serverHost);
    controls.SetText(IDC_PORT, std::to_string(settings.serverPort));
    controls.SetText(IDC_SERVER_PASSWORD, templateId == kAdminTemplate ? settings.adminPassword
                                                                       : settings.serverPassword);
    controls.SetText(IDC_CALLSIGN, settings.callsign);
    controls.SetText(IDC_COMMENT, settings.comment);
    SelectTalkGroup(controls, settings.room);
    controls.SetText(IDC_CW_SPEED, std::to_string(settings.cwSpeedWpm));
    controls.SetText(IDC_CW_FREQUENCY, std::to_string(settings.cwToneHz));
    controls.SetText(IDC_ID_TEXT, settings.idText);
    controls.SetText(IDC_COURTESY_TEXT, settings.courtesyText);
    controls.SetText(IDC_CW_VOLUME, std::to_string(settings.cwVolume));
    controls.SetText(IDC_SQUELCH_SETTLING, std::to_string(settings.squelchSettlingMs));
    controls.SetCheck(IDC_COURTESY_TONES, settings.courtesyEnabled);
    controls.SetCheck(IDC_FORCE_ID, settings.forceIdEnabled);
    controls.SetCheck(IDC_ID_IF_IDLE, settings.idIfIdleEnabled);
    controls.SetCheck(IDC_AUTO_RECONNECT, settings.autoReconnect);
    controls.SetCheck(IDC_DIAL_UP, settings.dialUpOnConnect);
    controls.SetCheck(IDC_ALC, settings.alcEnabled);
}
