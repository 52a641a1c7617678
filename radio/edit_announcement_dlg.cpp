#include "radio/edit_announcement_dlg.h"

#include <filesystem>
#include <system_error>

void CEditAnnouncementDlg::Open(const CAnnounceMent& announcement) {
    result_ = announcement;
    fields.tick = std::to_string(announcement.tick);
    fields.tickEnabled = announcement.tick != -1;
    fields.file = announcement.file;
    fields.morse = announcement.morse != 0;
}

void CEditAnnouncementDlg::FileChosen(const std::string& path) {
    fields.file = path;
    fields.morse = false;
}

std::optional<DlgRefusal> CEditAnnouncementDlg::Ok() {
    CAnnounceMent edited = result_;
    if (fields.tickEnabled) {
        const DlgInteger tick = ReadDialogInteger(fields.tick, kTickField);
        if (tick.refusal)
            return tick.refusal;
        edited.tick = tick.value;
    }
    edited.file = fields.file;
    edited.morse = fields.morse ? 1 : 0;
    std::error_code error;
    if (!fields.morse && !std::filesystem::is_regular_file(fields.file, error))
        return DlgRefusal{kFileNameInvalid, DlgRefusal::Icon::Stop, kFileField};
    result_ = edited;
    return std::nullopt;
}
