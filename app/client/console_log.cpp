#include "app/client/console_log.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace {
// Message texts may span lines; a log line may not.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}
} // namespace

void LogLine(const std::string& line) {
    static std::mutex lock;
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local;
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::lock_guard<std::mutex> guard(lock);
    std::fprintf(stderr, "%s %s\n", stamp, line.c_str());
    std::fflush(stderr);
}

void CConsolePrompt::ShowMessage(const std::string& text, const std::string& caption, Icon icon) {
    std::string line = icon == Icon::Stop ? "Error: " : "Message: ";
    if (!caption.empty())
        line += caption + ": ";
    LogLine(line + OneLine(text));
}

// A question asked again and again (the retry of a refused connect) is
// logged once: each attempt already has its own line.
bool CConsolePrompt::AskYesNo(const std::string& text) {
    if (text != lastQuestion_)
        LogLine("Question: " + OneLine(text) + " -> " + (answer_ ? "yes" : "no") +
                " (the same answer from now on)");
    lastQuestion_ = text;
    return answer_;
}

// The attempt's end needs no line of its own: its outcome has one.
void CConsoleEvents::ConnectAttemptChanged(bool running) {
    if (running)
        LogLine("Connecting");
}

void CConsoleEvents::Connected(const std::string& host, int port) {
    LogLine("Connected to " + host + ":" + std::to_string(port));
}

void CConsoleEvents::Disconnected(bool byUser) {
    LogLine(byUser ? "Disconnected" : "Connection lost");
}

void CConsoleEvents::Joined(const std::string& room, const std::string& callsign) {
    LogLine("Joining room " + room + " as " + callsign);
}

void CConsoleEvents::MembersChanged(const std::vector<std::string>& lines) {
    std::string text = "Members (" + std::to_string(lines.size()) + "):";
    for (const std::string& line : lines) {
        const size_t tab = line.find('\t');
        text += ' ';
        text += line.substr(0, tab);
        if (tab != std::string::npos && tab + 1 < line.size())
            text += " [" + line.substr(tab + 1) + "]";
        text += ",";
    }
    if (!lines.empty())
        text.pop_back();
    LogLine(text);
}

void CConsoleEvents::TalkerChanged(const std::string& talker) {
    LogLine(talker.empty() ? "Talker: nobody" : "Talker: " + talker);
}

void CConsoleEvents::KeyingChanged(bool keyed) {
    LogLine(keyed ? "Transmitter keyed" : "Transmitter released");
}

void CConsoleEvents::Note(const std::string& line) {
    LogLine(line);
}
