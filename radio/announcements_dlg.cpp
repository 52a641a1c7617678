#include "radio/announcements_dlg.h"

#include "radio/client_settings.h"

#include <algorithm>

// The fixed message `which`, read-only or to change.
template <class Self> auto& CAnnouncementsDlg::MessageOf(Self& self, FixedMessage which) {
    switch (which) {
    case FixedMessage::Connect:
        return self.connect_;
    case FixedMessage::PresetRoom1:
        return self.presetRoom1_;
    case FixedMessage::Disconnect:
        break;
    }
    return self.disconnect_;
}

void CAnnouncementsDlg::Open(const ClientSettings& settings) {
    tickSeconds_ = settings.announcementTickSeconds;
    announcements_ = settings.announcements;
    connect_ = settings.connectMessage;
    presetRoom1_ = settings.presetRoom1Message;
    disconnect_ = settings.disconnectMessage;
    fields = {};
    fields.tickSeconds = std::to_string(tickSeconds_);
    Refresh();
}

void CAnnouncementsDlg::New(const EditRunner& runEdit) {
    CEditAnnouncementDlg edit;
    edit.Open(CAnnounceMent{0, "", 1});
    if (!runEdit(edit))
        return;
    announcements_.push_back(edit.Result());
    Refresh();
}

void CAnnouncementsDlg::Edit(const EditRunner& runEdit) {
    if (!HasSelection())
        return;
    const size_t index = size_t(fields.selection);
    CEditAnnouncementDlg edit;
    edit.Open(announcements_[index]);
    if (!runEdit(edit))
        return;
    announcements_[index] = edit.Result();
    Refresh();
}

void CAnnouncementsDlg::Delete() {
    if (!HasSelection())
        return;
    announcements_.erase(announcements_.begin() + fields.selection);
    Refresh();
}

void CAnnouncementsDlg::EditFixedMessage(FixedMessage which, const EditRunner& runEdit) {
    CAnnounceMent& message = MessageOf(*this, which);
    CEditAnnouncementDlg edit;
    edit.Open(CAnnounceMent{message.morse, message.file, -1});
    if (!runEdit(edit))
        return;
    message.file = edit.Result().file;
    message.morse = edit.Result().morse;
}

std::optional<DlgRefusal> CAnnouncementsDlg::Ok() {
    const DlgInteger tick = ReadDialogInteger(fields.tickSeconds, kTickSecondsField);
    if (tick.refusal)
        return tick.refusal;
    tickSeconds_ = tick.value;
    return std::nullopt;
}

void CAnnouncementsDlg::TakeInto(ClientSettings& settings) const {
    settings.announcementTickSeconds = tickSeconds_;
    settings.announcements = announcements_;
    settings.connectMessage = connect_;
    settings.presetRoom1Message = presetRoom1_;
    settings.disconnectMessage = disconnect_;
}

const CAnnounceMent& CAnnouncementsDlg::Message(FixedMessage which) const {
    return MessageOf(*this, which);
}

void CAnnouncementsDlg::Refresh() {
    std::stable_sort(announcements_.begin(), announcements_.end());
    fields.lines.clear();
    for (const CAnnounceMent& announcement : announcements_)
        fields.lines.push_back(std::to_string(announcement.tick) + "\t" + announcement.file);
    if (fields.selection >= int(fields.lines.size()))
        fields.selection = -1;
}

bool CAnnouncementsDlg::HasSelection() const {
    return fields.selection >= 0 && fields.selection < int(announcements_.size());
}
