#pragma once

// Identifiers of the main window's controls and commands.
enum ControlId : int {
    IDC_MAIN_LIST = 1015, // members, connection errors, administration lines
    IDC_CALLSIGN = 1010,
    IDC_COMMENT = 1011,
    IDC_SEND = 1016,
    IDC_PRESETS = 1045, // also the command "redraw the member display"
    IDC_SERVER = 1008,
    IDC_PORT = 1009,
    IDC_SERVER_PASSWORD = 1044,
    IDC_TALK_GROUP = 1012,
    IDC_MONITOR = 1090,
    IDC_EDIT_PRESETS = 1046,
    IDC_HELP = 1107,
    IDC_CONNECT = 1000,
    IDC_DISCONNECT = 1038,
    IDC_PTT = 1035,
    IDC_VOX = 1032,
    IDC_DIAL_UP = 1037,
    IDC_AUTO_RECONNECT = 1036,
    IDC_ALC = 1121,
    IDC_CW_SPEED = 1020,
    IDC_CW_FREQUENCY = 1021,
    IDC_CW_VOLUME = 1024,
    IDC_SQUELCH_SETTLING = 1026,
    IDC_COURTESY_TONES = 1029,
    IDC_ID_IF_IDLE = 1030,
    IDC_FORCE_ID = 1031,
    IDC_COURTESY_TEXT = 1025,
    IDC_ID_TEXT = 1022,
    IDC_RIG_KEYING = 1076,
    IDC_APPLY = 1023,
    IDC_ANNOUNCEMENTS = 1117,
    IDC_LINE_IN = 1119,
    IDC_INPUT_GROUP = 1120,
    IDC_INPUT_COLUMNS = 1094,
    IDC_VOX_LEVEL = 1027,
    IDC_INPUT_METER = 1013,
    IDC_INPUT_FADER = 1014,
    IDC_OUTPUT_METER = 1028,
    IDC_OUTPUT_FADER = 1017,
    IDC_SILENCE_LEVEL = 1042,
    IDC_TX_LAMP = 1087,
    IDC_IDLE_TIMER = 1109,
    IDC_DTMF_DIGITS = 1130,
    IDC_CONNECT_CODE = 1132,
    IDC_DISCONNECT_CODE = 1133,
    IDC_DTMF_HELP = 1135,
    IDC_CONNECTION_LOST = 1018, // hidden
    IDC_PTT_START = 1039,       // hidden
    IDC_PTT_STOP = 1040,        // hidden
    IDC_HIDDEN_6399 = 6399,     // hidden, no visible effect
    IDC_RESTRICTIONS = 1054,    // administration layout only
    IDC_RTS_CLEAR = 1140,       // commands without a control
    IDC_RTS_SET = 1143,
};

// The eight DTMF gain sliders and level meters, in detector order.
inline constexpr int kDtmfGainSliders[8] = {1033, 1034, 1043, 1048, 1050, 1052, 1054, 1056};
inline constexpr int kDtmfLevelMeters[8] = {1019, 1041, 1047, 1049, 1051, 1053, 1055, 1057};

// The VOX slider (1027) runs from 0 to this; its position is this minus the VOX level.
inline constexpr int kVoxSliderMaximum = 32768;

// Command notification codes.
constexpr int kNotifyClicked = 0;
constexpr int kNotifySelectionChange = 1;

// Dialog templates.
constexpr int kGatewayTemplate = 102;
constexpr int kAdminTemplate = 104;

// Timers of the main window.
constexpr int kHeartbeatTimer = 2;
constexpr int kReceiveTimeoutTimer = 555;
constexpr int kTestModeTimer = 1;
