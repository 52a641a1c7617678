#pragma once

#include "radio/announcement.h"
#include "radio/dialog_check.h"
#include "radio/edit_announcement_dlg.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ClientSettings;

// The controls of the "Announcements" dialog, as the view shows and edits them.
struct AnnouncementsFields {
    std::string tickSeconds; // "Announcement tick time (seconds)"
    // The list's lines "tick<TAB>file" (columns "Tick No." and "Filename"), one per
    // announcement in order, and the selected line (-1: none).
    std::vector<std::string> lines;
    int selection = -1;
};

// The logic of the "Announcements" dialog: the timed announcements, the tick time and the three
// fixed messages played after DTMF commands. It works on copies; Ok then TakeInto hands them
// to the settings, and a cancelled dialog changes nothing.
class CAnnouncementsDlg {
public:
    // Runs the "Edit Announcement" dialog on the given logic; true when it closed with OK.
    using EditRunner = std::function<bool(CEditAnnouncementDlg&)>;
    enum class FixedMessage { Connect, PresetRoom1, Disconnect };
    enum Field { kTickSecondsField };

    void Open(const ClientSettings& settings);

    // "New...": a new entry (tick 1, empty text, WAV) is edited and, on OK, added.
    void New(const EditRunner& runEdit);
    // "Edit..." or a double click: the selected entry is edited and, on OK, replaced.
    void Edit(const EditRunner& runEdit);
    // "Delete": the selected entry goes, without a question.
    void Delete();
    // "Connect Message...", "Preset Room 1 Message...", "DisConnect Message...": the message
    // is edited with its tick disabled; on OK its text and Morse flag are taken.
    void EditFixedMessage(FixedMessage which, const EditRunner& runEdit);

    // Checks the tick time (an integer); a refusal keeps the dialog open.
    std::optional<DlgRefusal> Ok();
    // Puts what an accepted Ok gave into `settings`: the tick time, the announcements in
    // their order and the three fixed messages.
    void TakeInto(ClientSettings& settings) const;

    const std::vector<CAnnounceMent>& Announcements() const { return announcements_; }
    const CAnnounceMent& Message(FixedMessage which) const;

    AnnouncementsFields fields;

private:
    template <class Self> static auto& MessageOf(Self& self, FixedMessage which);
    // Sorts the entries and rebuilds the lines, keeping the selected position when it still
    // exists.
    void Refresh();
    bool HasSelection() const;

    int tickSeconds_ = 0;
    std::vector<CAnnounceMent> announcements_;
    CAnnounceMent connect_, presetRoom1_, disconnect_;
};
