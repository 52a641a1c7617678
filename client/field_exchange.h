#pragma once

#include "client/control_ids.h"
#include "client/dialog_controls.h"
#include "client/user_prompt.h"
#include "radio/client_settings.h"

// The exchange between the main window's fields and its settings record.

// Reads the fields into `settings`, checking each in turn: Server, Port (1 to
// 65535), Server Password, Callsign, Comment (at most 100 characters), Talk
// Group (at most 10), Morse speed (0 to 99), tone (300 to 2000), ID and
// courtesy texts, volume (0 to 32767), squelch settling, the option check
// boxes and the two DTMF codes.
//
// The callsign may have at most 10 characters; it is taken in upper case, must
// not be empty and must begin with a letter or a digit, and when it passes the
// upper-case text goes back into its field. The messages for an empty or
// badly started callsign are shown only when `showCallsignMessages` is set
// (a connect is in progress and the window is not closing); the messages for a
// number out of range, a field that is not a number and a text that is too
// long are always shown.
//
// At the first field that fails, the focus goes to that field and false is
// returned; that field's setting and all later ones keep their values.
//
// The password field (1044) holds the server's password (PSWD) in the
// gateway layout and the administrator's (PASS) in the administration layout.
bool SaveFields(CDialogControls& controls, ClientSettings& settings, IUserPrompt& prompt,
                bool showCallsignMessages, int templateId = kGatewayTemplate);

// Shows `settings` in the fields, except the DTMF codes, which the window shows
// itself once at start-up. The Talk Group selects the first entry beginning
// with the room (letter case ignored), adding the room when none does.
void LoadFields(CDialogControls& controls, const ClientSettings& settings,
                int templateId = kGatewayTemplate);
