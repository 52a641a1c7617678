#pragma once

#include "audio/queues.h"
#include "protocol/admin_messages.h"
#include "radio/admin_settings.h"
#include "radio/restriction_editor_columns.h"
#include "radio/restriction_editor_comment.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CSettingsStore;

// The logic of the "Edit Restrictions" dialog: the server's restrictions as a list of lines
// that can be sorted by any column, and the buttons that mute, kick, ban or restore the
// stations of the selected lines by sending messages to the server. The list changes only
// when the server sends a new one (FillRestrictions). Used on the UI thread only.
class CRestrictionEditEx {
public:
    // Seconds since 1970 UTC.
    using Clock = std::function<int64_t()>;
    // Runs the "Restriction Comment" dialog on the given logic; true when it closed with OK.
    using CommentRunner = std::function<bool(CRestrictionComment&)>;

    // Hours that "Mute" and "Kick" offer.
    static constexpr int kMuteHours = 1;
    static constexpr int kKickHours = 24;

    // Messages for the server go to `outgoing`; the column widths and the "Restricted By" name
    // live in section "Admin" of `settings`.
    CRestrictionEditEx(CMsgQueue& outgoing, CSettingsStore& settings, Clock now = SystemClock);

    // The dialog opens: the list is emptied and the server is asked for its restrictions.
    // Returns the column widths to show: the stored ones, else `headingWidths` (each heading's
    // text width plus 20).
    AdminColumnWidths Open(const AdminColumnWidths& headingWidths);
    // The dialog closes: the widths are stored for the next opening and the list is emptied.
    void Close(const AdminColumnWidths& widths);

    // The server's list replaces the lines, in its order, none selected. The sort order is
    // not applied to them.
    void FillRestrictions(const CListRestrictionsMessage& message);

    size_t LineCount() const { return lines_.size(); }
    const CRestrictedUserInfo& Record(size_t line) const { return lines_[line].record; }
    std::string Text(size_t line, int column) const;

    bool IsSelected(size_t line) const { return lines_[line].selected; }
    // Selects exactly the given lines; positions beyond the list are ignored.
    void SetSelection(const std::vector<size_t>& selectedLines);

    // A click on a column heading: that column sorts ascending, a second click on the same
    // column reverses the order. Selected lines stay selected.
    void ClickHeading(int column);
    int SortColumn() const { return sortColumn_; }
    bool SortDescending() const { return sortDescending_; }

    // "Mute", "Kick" and "Ban": with at least one line selected, the comment dialog asks for
    // a reason, a name and (not for Ban) a duration; after its OK every selected line's record
    // is sent back as an Add Restriction with that kind, reason and name. Mute and Kick end
    // the duration after now; Ban keeps the record's end.
    void Mute(const CommentRunner& runComment);
    void Kick(const CommentRunner& runComment);
    void Ban(const CommentRunner& runComment);
    // "Restore": every selected line's record is sent as a Remove Restriction with kind
    // "not restricted", without a question.
    void Restore();

    // Called after the lines or their order changed, for the view to redraw; empty for none.
    void SetLinesChanged(std::function<void()> linesChanged);

    static int64_t SystemClock();

private:
    struct Line {
        CRestrictedUserInfo record;
        bool selected = false;
    };

    void Restrict(int32_t kind, std::optional<int> durationHours, const CommentRunner& runComment);
    // In list order.
    std::vector<CRestrictedUserInfo> SelectedRecords() const;
    void Clear();
    void LinesChanged();

    CMsgQueue& outgoing_;
    CSettingsStore& settings_;
    Clock now_;
    std::vector<Line> lines_;
    int sortColumn_ = -1;
    bool sortDescending_ = false;
    std::function<void()> linesChanged_;
};
