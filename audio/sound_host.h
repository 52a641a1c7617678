#pragma once

#include "audio/rig_link.h"

#include <cstdint>
#include <string>

class CMixInSound;

// What the capture and playback engines need from their owner, the main
// window, and from the rig link. Every call comes from the window's thread,
// from inside CSoundIn and CSoundOut operations.
class ISoundHost {
public:
    virtual ~ISoundHost() = default;

    // The client is connected to the server.
    virtual bool IsConnected() const = 0;
    // The floor check for one captured packet (see MayTalkOnFloor).
    virtual bool MayTalk(bool silent) const = 0;
    // The test mode of the command line; it silences one capture error.
    virtual bool IsTestMode() const = 0;
    // Shows an error to the user (a message box with the stop icon).
    virtual void ShowError(const std::string& text) = 0;

    // The receiver's squelch input.
    virtual RigSquelchLine SquelchLine() const = 0;
    // The rig link's keying method; RigKeyingMethod::Tone keys by tone.
    virtual RigKeyingMethod KeyingMethod() const = 0;
    virtual bool IsKeyed() const = 0;
    virtual void Key() = 0;
    virtual void Unkey() = 0;
    // Unkeys once ms milliseconds have passed; keying again cancels it.
    virtual void UnkeyAfter(uint32_t ms) = 0;
    // The tone that playback loops into its output while keyed by tone. The
    // host owns it; playback advances its position.
    virtual CMixInSound& KeyingTone() = 0;

    // Queues the window's "connection lost" command (1018): the transmitter
    // has been keyed over silence for too long. Queued, never run inside the
    // call, since it ends the connection.
    virtual void PostConnectionLost() = 0;

    // The half-duplex hand-over: start the other engine once this one's
    // device has closed. StartPlayback is true when playback runs; the
    // transmitter is keyed only then.
    virtual void StartCapture() = 0;
    virtual bool StartPlayback() = 0;
};

// The floor rule behind ISoundHost::MayTalk: with nobody holding the floor
// (an empty talker) a packet with speech may go; otherwise only while this
// station holds the floor, and then silent packets go too (as Silence). Call
// signs compare byte for byte, case-sensitively.
inline bool MayTalkOnFloor(const std::string& talker, const std::string& ownCall, bool silent) {
    if (talker.empty() && !silent)
        return true;
    return talker == ownCall;
}
