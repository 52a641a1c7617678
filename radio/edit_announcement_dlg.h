#pragma once

#include "radio/announcement.h"
#include "radio/dialog_check.h"

#include <optional>
#include <string>

// The controls of the "Edit Announcement" dialog, as the view shows and edits them.
struct EditAnnouncementFields {
    std::string tick;        // "Announce At tick "
    bool tickEnabled = true; // false for the three fixed messages (tick -1)
    std::string file;        // "Wave File": a WAV file's path, or the Morse text
    bool morse = false;      // "Generate Morse Announcement"
};

// The logic of the "Edit Announcement" dialog: Open fills the fields from an announcement, the
// view lets the user edit them, Ok checks them and Result gives the announcement back.
class CEditAnnouncementDlg {
public:
    // What the browse button's file dialog offers.
    static constexpr char kFileFilter[] = "Wave Files (*.wav)|*.wav|All Files (*.*)|*.*||";
    static constexpr char kDefaultExtension[] = "WAV";
    static constexpr char kFileNameInvalid[] = "File Name Invalid";

    enum Field { kTickField, kFileField };

    void Open(const CAnnounceMent& announcement);

    // The browse button "..." works only for WAV files.
    bool BrowseEnabled() const { return !fields.morse; }
    // A file chosen with the browse button: it becomes the text, and the entry a WAV file.
    void FileChosen(const std::string& path);

    // Checks the fields: the tick must be an integer (when it is enabled), and a WAV entry
    // must name an existing file ("File Name Invalid" otherwise). A refusal keeps the dialog open.
    std::optional<DlgRefusal> Ok();
    // The announcement that the last accepted Ok gave.
    const CAnnounceMent& Result() const { return result_; }

    EditAnnouncementFields fields;

private:
    CAnnounceMent result_;
};
