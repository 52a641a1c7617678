// The headless log: priorities, membership changes and outages as a person
// reading a journal wants them.

#include "app/client/console_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Logged {
    LogPriority priority;
    std::string text;
    bool operator==(const Logged&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Logged& line) {
    return out << "<" << int(line.priority) << ">" << line.text;
}

class ConsoleLog : public ::testing::Test {
protected:
    std::vector<Logged> Take() { return std::exchange(lines_, {}); }

    std::vector<Logged> lines_;
    LogSink sink_ = [this](LogPriority p, const std::string& text) { lines_.push_back({p, text}); };
    CManualClock clock_;
};

constexpr LogPriority kError = LogPriority::Error, kWarning = LogPriority::Warning,
                      kInfo = LogPriority::Info;

TEST_F(ConsoleLog, ErrorsAndRefusedFieldsNameTheirSettingWithErrorPriority) {
    CConsolePrompt prompt(false, sink_);
    prompt.ShowFieldMessage("PORT", "Enter an integer between 1 and 65535.");
    prompt.ShowMessage("Cannot Open\nComm Port", "", IUserPrompt::Icon::Stop);
    prompt.ShowMessage("Welcome", "", IUserPrompt::Icon::None);
    EXPECT_EQ(Take(), (std::vector<Logged>{
                          {kError, "Error: PORT: Enter an integer between 1 and 65535."},
                          {kError, "Error: Cannot Open Comm Port"},
                          {kInfo, "Message: Welcome"},
                      }));
}

TEST_F(ConsoleLog, MembersAreLoggedWholeOnceThenAsWhoJoinedAndLeft) {
    CConsoleEvents events(sink_, clock_);
    events.Joined("UK-1", "G4ABC");
    events.MembersChanged({"G4ABC\tgateway", "M0XYZ\t"});
    events.MembersChanged({"G4ABC\tgateway", "2E0AAA\tportable"});
    events.MembersChanged({"G4ABC\tmoved", "2E0AAA\tportable"});
    events.Joined("UK-2", "G4ABC");
    events.MembersChanged({"G4ABC\tmoved"});
    EXPECT_EQ(Take(), (std::vector<Logged>{
                          {kInfo, "Joining room UK-1 as G4ABC"},
                          {kInfo, "Members (2): G4ABC [gateway], M0XYZ"},
                          {kInfo, "M0XYZ left the room"},
                          {kInfo, "2E0AAA [portable] joined the room"},
                          {kInfo, "Now G4ABC [moved]"},
                          {kInfo, "Joining room UK-2 as G4ABC"},
                          {kInfo, "Members (1): G4ABC [moved]"},
                      }));
}

// A lost connection, then the watchdog's attempts every 5 s for two and a
// half minutes: one line when the outage starts, a count each minute, one
// line when it ends; the attempts' own lines stay out of the log.
TEST_F(ConsoleLog, AnOutageIsOneLineAtEachEndAndACountEveryMinute) {
    bool autoReconnect = true;
    CConsoleEvents events(sink_, clock_);
    events.Follow({[] { return true; }, [&] { return autoReconnect; }});
    events.Warning("Connection ended: the server reset the connection");
    events.Disconnected(false);
    for (int attempt = 0; attempt < 30; ++attempt) {
        clock_.Advance(5000);
        events.ConnectAttemptChanged(true);
        events.Warning("Connect failed: 10.0.0.1:10024: the server refused the connection");
        events.Note("Unable to connect to the Server");
        events.ConnectAttemptChanged(false);
    }
    clock_.Advance(5000);
    events.ConnectAttemptChanged(true);
    events.Connected("10.0.0.1", 10024);
    events.ConnectAttemptChanged(false);
    const std::string refused =
        "\"Connect failed: 10.0.0.1:10024: the server refused the connection\"";
    EXPECT_EQ(Take(),
              (std::vector<Logged>{
                  {kWarning, "Connection ended: the server reset the connection"},
                  {kWarning, "Connection lost"},
                  {kInfo, "Connecting"},
                  {kWarning, "Connect failed: 10.0.0.1:10024: the server refused the connection"},
                  {kInfo, "Unable to connect to the Server"},
                  {kWarning, "Outage: no connection to the server; the gateway keeps trying and "
                             "logs a count every minute until it connects"},
                  {kWarning, "Still no connection after 1 min 5 s: 13 attempts failed, the last "
                             "with " +
                                 refused},
                  {kWarning, "Still no connection after 2 min 5 s: 25 attempts failed, the last "
                             "with " +
                                 refused},
                  {kInfo, "Outage over after 2 min 35 s and 30 failed attempts"},
                  {kInfo, "Connected to 10.0.0.1:10024"},
              }));

    // Without Auto-Reconnect the loss says so, and nothing is retried.
    autoReconnect = false;
    events.Disconnected(false);
    EXPECT_EQ(Take(), (std::vector<Logged>{
                          {kWarning, "Connection lost"},
                          {kWarning, "Auto-Reconnect is off (RECO=0 in [Tavro_CLIENT]): the "
                                     "gateway will not reconnect"},
                      }));
}

} // namespace
