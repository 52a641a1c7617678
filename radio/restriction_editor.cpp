#include "radio/restriction_editor.h"

#include "radio/settings_store.h"

#include <algorithm>
#include <ctime>
#include <memory>

CRestrictionEditEx::CRestrictionEditEx(CMsgQueue& outgoing, CSettingsStore& settings, Clock now)
    : outgoing_(outgoing), settings_(settings), now_(std::move(now)) {}

int64_t CRestrictionEditEx::SystemClock() {
    return static_cast<int64_t>(std::time(nullptr));
}

AdminColumnWidths CRestrictionEditEx::Open(const AdminColumnWidths& headingWidths) {
    Clear();
    outgoing_.Add(std::make_unique<CMsg>(kCmdGetRestrict));
    return LoadAdminColumnWidths(settings_.Ini(), headingWidths);
}

void CRestrictionEditEx::Close(const AdminColumnWidths& widths) {
    SaveAdminColumnWidths(settings_.Ini(), widths);
    settings_.Save();
    Clear();
}

void CRestrictionEditEx::FillRestrictions(const CListRestrictionsMessage& message) {
    lines_.clear();
    lines_.reserve(message.restrictions.size());
    for (const auto& record : message.restrictions)
        lines_.push_back({*record, false});
    LinesChanged();
}

std::string CRestrictionEditEx::Text(size_t line, int column) const {
    return RestrictionCellText(lines_[line].record, column);
}

void CRestrictionEditEx::SetSelection(const std::vector<size_t>& selectedLines) {
    for (Line& line : lines_)
        line.selected = false;
    for (size_t index : selectedLines)
        if (index < lines_.size())
            lines_[index].selected = true;
}

void CRestrictionEditEx::ClickHeading(int column) {
    if (column < 0 || column >= kRestrictionColumnCount)
        return;
    if (column == sortColumn_) {
        sortDescending_ = !sortDescending_;
    } else {
        sortColumn_ = column;
        sortDescending_ = false;
    }
    std::stable_sort(lines_.begin(), lines_.end(), [this](const Line& a, const Line& b) {
        const int order = CompareRestrictions(a.record, b.record, sortColumn_);
        return sortDescending_ ? order > 0 : order < 0;
    });
    LinesChanged();
}

void CRestrictionEditEx::Mute(const CommentRunner& runComment) {
    Restrict(kMuted, kMuteHours, runComment);
}

void CRestrictionEditEx::Kick(const CommentRunner& runComment) {
    Restrict(kKicked, kKickHours, runComment);
}

void CRestrictionEditEx::Ban(const CommentRunner& runComment) {
    Restrict(kBanned, std::nullopt, runComment);
}

void CRestrictionEditEx::Restrict(int32_t kind, std::optional<int> durationHours,
                                  const CommentRunner& runComment) {
    // The records selected now: a new list that arrives while the comment dialog is open
    // replaces the lines and their selection, but the choice was made on these.
    const std::vector<CRestrictedUserInfo> chosen = SelectedRecords();
    if (chosen.empty())
        return;
    CRestrictionComment comment(settings_);
    comment.Open(chosen.front().reason, durationHours);
    if (!runComment(comment))
        return;
    const int64_t now = now_();
    for (const CRestrictedUserInfo& record : chosen) {
        auto message = std::make_unique<CAddRestrictionMessage>();
        message->restriction = record;
        message->restriction.reason = comment.reason;
        message->restriction.by = comment.restrictedBy;
        message->restriction.restriction = kind;
        if (durationHours && comment.durationHours)
            message->restriction.end = now + int64_t{*comment.durationHours} * 3600;
        outgoing_.Add(std::move(message));
    }
}

void CRestrictionEditEx::Restore() {
    for (const CRestrictedUserInfo& record : SelectedRecords()) {
        auto message = std::make_unique<CRemoveRestrictionMessage>();
        message->restriction = record;
        message->restriction.restriction = kNotRestricted;
        outgoing_.Add(std::move(message));
    }
}

void CRestrictionEditEx::SetLinesChanged(std::function<void()> linesChanged) {
    linesChanged_ = std::move(linesChanged);
}

std::vector<CRestrictedUserInfo> CRestrictionEditEx::SelectedRecords() const {
    std::vector<CRestrictedUserInfo> records;
    for (const Line& line : lines_)
        if (line.selected)
            records.push_back(line.record);
    return records;
}

void CRestrictionEditEx::Clear() {
    lines_.clear();
    LinesChanged();
}

void CRestrictionEditEx::LinesChanged() {
    if (linesChanged_)
        linesChanged_();
}
