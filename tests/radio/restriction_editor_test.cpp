#include "radio/restriction_editor.h"

#include "radio/settings_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <limits>

namespace {
namespace fs = std::filesystem;

constexpr int64_t kNow = 1'700'000'000;

CRestrictedUserInfo Record(std::string callSign, int32_t kind, int64_t end,
                           std::array<int32_t, 4> address = {10, 0, 0, 1}, uint32_t id = 0,
                           std::string reason = "", std::string by = "") {
    CRestrictedUserInfo r;
    r.callSign = std::move(callSign);
    r.restriction = kind;
    r.end = end;
    r.address = address;
    r.id = id;
    r.reason = std::move(reason);
    r.by = std::move(by);
    return r;
}

CListRestrictionsMessage List(const std::vector<CRestrictedUserInfo>& records) {
    CListRestrictionsMessage message;
    for (const CRestrictedUserInfo& r : records)
        message.restrictions.push_back(std::make_unique<CRestrictedUserInfo>(r));
    return message;
}

std::vector<std::string> Column(const CRestrictionEditEx& editor, int column) {
    std::vector<std::string> texts;
    for (size_t i = 0; i < editor.LineCount(); ++i)
        texts.push_back(editor.Text(i, column));
    return texts;
}

class RestrictionEditorTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tavro-restrict-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        path_ = (dir_ / "tavro.INI").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    // The messages queued since the last call, the Get Restrict of opening included.
    std::vector<std::unique_ptr<CMsg>> Sent() {
        std::vector<std::unique_ptr<CMsg>> sent;
        while (auto message = queue_.Get())
            sent.push_back(std::move(message));
        return sent;
    }

    fs::path dir_;
    std::string path_;
    CMsgQueue queue_;
};

TEST(RestrictionColumns, CellTextsOfEachKindAddressAndId) {
    const char* oldTz = std::getenv("TZ");
    const std::string savedTz = oldTz ? oldTz : "";
    setenv("TZ", "UTC", 1);
    tzset();

    const std::array<int32_t, 4> address = {192, 168, 1, 20};
    const CRestrictedUserInfo muted = Record("G4ABC", kMuted, kNow, address, 0x1a2b, "Noise", "Op");
    EXPECT_EQ(RestrictionCellText(muted, kColumnCallsign), "G4ABC");
    EXPECT_EQ(RestrictionCellText(muted, kColumnBy), "Op");
    EXPECT_EQ(RestrictionCellText(muted, kColumnRestriction), "Muted");
    EXPECT_EQ(RestrictionCellText(muted, kColumnExpires), "Tue Nov 14 22:13:20 2023");
    EXPECT_EQ(RestrictionCellText(muted, kColumnIp), "192.168.1.20");
    EXPECT_EQ(RestrictionCellText(muted, kColumnId), "00001a2b");
    EXPECT_EQ(RestrictionCellText(muted, kColumnComment), "Noise");
    EXPECT_EQ(RestrictionCellText(Record("K", kKicked, 0), kColumnExpires),
              "Thu Jan  1 00:00:00 1970");

    // The end shows for muted and kicked stations only.
    for (int32_t kind : {int32_t{kNotRestricted}, int32_t{kBanned}, int32_t{7}})
        EXPECT_EQ(RestrictionCellText(Record("X", kind, kNow), kColumnExpires), "") << kind;
    EXPECT_EQ(RestrictionCellText(Record("X", 7, kNow), kColumnRestriction), "??????????");
    // An end that local time cannot hold shows nothing.
    EXPECT_EQ(RestrictionCellText(Record("X", kMuted, std::numeric_limits<int64_t>::max()),
                                  kColumnExpires),
              "");
    EXPECT_EQ(RestrictionCellText(Record("X", kMuted, 0, {0, 0, 0, 0}, 0xffffffffu), kColumnId),
              "ffffffff");

    if (oldTz)
        setenv("TZ", savedTz.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST_F(RestrictionEditorTest, KickOfThreeLinesSendsKindTwoEndingTheChosenHoursAfterNow) {
    CSettingsStore store(path_);
    store.Ini().SetText(kAdminSection, "RestrictedBy", "Earlier");
    CRestrictionEditEx editor(queue_, store, [] { return kNow; });
    editor.Open({});
    editor.FillRestrictions(List({Record("A1", kNotRestricted, 5, {1, 2, 3, 4}, 11, "first"),
                                  Record("B2", kMuted, 6, {5, 6, 7, 8}, 22, "second"),
                                  Record("C3", kBanned, 7, {9, 9, 9, 9}, 33, "third"),
                                  Record("D4", 7, 8, {4, 3, 2, 1}, 44, "fourth")}));
    ASSERT_EQ(Sent().size(), 1u);

    // Nothing selected: no question, nothing sent.
    int runs = 0;
    editor.Kick([&](CRestrictionComment&) { return ++runs, true; });
    EXPECT_EQ(runs, 0);

    editor.SetSelection({3, 1, 0, 9});
    // Cancel sends nothing and keeps the stored name.
    editor.Kick([&](CRestrictionComment& comment) {
        comment.restrictedBy = "Changed";
        return false;
    });
    EXPECT_TRUE(Sent().empty());

    editor.Kick([&](CRestrictionComment& comment) {
        // The first selected line's reason, the last name and a day are offered.
        EXPECT_EQ(comment.reason, "first");
        EXPECT_EQ(comment.restrictedBy, "Earlier");
        EXPECT_EQ(comment.durationHours, std::optional<int>(24));
        comment.reason = "Swearing\non air";
        comment.restrictedBy = "G4ABC";
        comment.durationHours = 2;
        comment.Ok();
        return true;
    });
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 3u);
    const std::vector<std::string> calls = {"A1", "B2", "D4"};
    for (size_t i = 0; i < sent.size(); ++i) {
        auto* add = dynamic_cast<CAddRestrictionMessage*>(sent[i].get());
        ASSERT_NE(add, nullptr);
        EXPECT_EQ(add->restriction.callSign, calls[i]);
        EXPECT_EQ(add->restriction.restriction, kKicked);
        EXPECT_EQ(add->restriction.end, kNow + 2 * 3600);
        EXPECT_EQ(add->restriction.reason, "Swearing\non air");
        EXPECT_EQ(add->restriction.by, "G4ABC");
    }
    // The list stays as the server sent it.
    EXPECT_EQ(editor.Text(0, kColumnRestriction), "Not Restricted");
    // The name is in the file for the next time.
    EXPECT_EQ(CSettingsStore(path_).Ini().GetText(kAdminSection, "RestrictedBy", ""), "G4ABC");

    // Mute offers an hour and ends that far ahead when left alone.
    editor.Mute([&](CRestrictionComment& comment) {
        EXPECT_EQ(comment.restrictedBy, "G4ABC");
        EXPECT_EQ(comment.durationHours, std::optional<int>(1));
        return true;
    });
    const auto muted = Sent();
    ASSERT_EQ(muted.size(), 3u);
    auto* mute = dynamic_cast<CAddRestrictionMessage*>(muted[0].get());
    ASSERT_NE(mute, nullptr);
    EXPECT_EQ(mute->restriction.restriction, kMuted);
    EXPECT_EQ(mute->restriction.end, kNow + 3600);

    // A new list that arrives while the comment dialog is open does not change whom the
    // restriction is for.
    editor.SetSelection({2});
    editor.Mute([&](CRestrictionComment&) {
        editor.FillRestrictions(List({Record("Z9", kNotRestricted, 0)}));
        return true;
    });
    const auto during = Sent();
    ASSERT_EQ(during.size(), 1u);
    auto* kept = dynamic_cast<CAddRestrictionMessage*>(during[0].get());
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->restriction.callSign, "C3");
}

TEST_F(RestrictionEditorTest, BanKeepsEachEndAndRestoreSendsEvenForAnUnrestrictedLine) {
    CSettingsStore store(path_);
    CRestrictionEditEx editor(queue_, store, [] { return kNow; });
    editor.FillRestrictions(List(
        {Record("A1", kMuted, 1234), Record("B2", kNotRestricted, 0), Record("C3", kKicked, -5)}));

    editor.SetSelection({0, 2});
    editor.Ban([](CRestrictionComment& comment) {
        EXPECT_EQ(comment.durationHours, std::nullopt);
        comment.reason = "Gone";
        return true;
    });
    auto sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    const std::vector<int64_t> ends = {1234, -5};
    for (size_t i = 0; i < sent.size(); ++i) {
        auto* add = dynamic_cast<CAddRestrictionMessage*>(sent[i].get());
        ASSERT_NE(add, nullptr);
        EXPECT_EQ(add->restriction.restriction, kBanned);
        EXPECT_EQ(add->restriction.end, ends[i]);
        EXPECT_EQ(add->restriction.reason, "Gone");
    }

    editor.SetSelection({});
    editor.Restore();
    EXPECT_TRUE(Sent().empty());

    editor.SetSelection({1, 2});
    editor.Restore();
    sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    auto* unrestricted = dynamic_cast<CRemoveRestrictionMessage*>(sent[0].get());
    auto* kicked = dynamic_cast<CRemoveRestrictionMessage*>(sent[1].get());
    ASSERT_NE(unrestricted, nullptr);
    ASSERT_NE(kicked, nullptr);
    EXPECT_EQ(unrestricted->restriction.callSign, "B2");
    EXPECT_EQ(kicked->restriction.callSign, "C3");
    EXPECT_EQ(kicked->restriction.restriction, kNotRestricted);
    EXPECT_EQ(kicked->restriction.end, -5);
}

TEST_F(RestrictionEditorTest, HeadingClicksSortAndASecondClickReverses) {
    CSettingsStore store(path_);
    CRestrictionEditEx editor(queue_, store);
    int redraws = 0;
    editor.SetLinesChanged([&] { ++redraws; });
    editor.FillRestrictions(List({Record("bravo", kMuted, 300, {10, 0, 0, 2}, 2),
                                  Record("Alpha", kBanned, -1, {200, 1, 1, 1}, 0x80000000u),
                                  Record("charlie", kKicked, 5'000'000'000, {10, 0, 0, 1}, 1)}));
    EXPECT_EQ(editor.SortColumn(), -1);
    editor.SetSelection({1}); // Alpha

    editor.ClickHeading(kColumnExpires);
    EXPECT_EQ(Column(editor, kColumnCallsign),
              (std::vector<std::string>{"Alpha", "bravo", "charlie"}));
    editor.ClickHeading(kColumnExpires);
    EXPECT_TRUE(editor.SortDescending());
    EXPECT_EQ(Column(editor, kColumnCallsign),
              (std::vector<std::string>{"charlie", "bravo", "Alpha"}));
    // The selection moved with its line.
    EXPECT_TRUE(editor.IsSelected(2));
    EXPECT_FALSE(editor.IsSelected(0));

    // Another column starts ascending; 200.x.x.x is the highest address.
    editor.ClickHeading(kColumnIp);
    EXPECT_EQ(editor.SortColumn(), kColumnIp);
    EXPECT_FALSE(editor.SortDescending());
    EXPECT_EQ(Column(editor, kColumnIp),
              (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "200.1.1.1"}));

    // Texts ignore case; ids compare unsigned.
    editor.ClickHeading(kColumnCallsign);
    EXPECT_EQ(Column(editor, kColumnCallsign),
              (std::vector<std::string>{"Alpha", "bravo", "charlie"}));
    editor.ClickHeading(kColumnId);
    EXPECT_EQ(Column(editor, kColumnId),
              (std::vector<std::string>{"00000001", "00000002", "80000000"}));
    EXPECT_EQ(redraws, 6);
}

TEST_F(RestrictionEditorTest, ANewListReplacesTheLinesUnsortedAndUnselected) {
    CSettingsStore store(path_);
    CRestrictionEditEx editor(queue_, store);
    editor.FillRestrictions(List({Record("A", kMuted, 1), Record("B", kMuted, 2)}));
    editor.ClickHeading(kColumnCallsign);
    editor.ClickHeading(kColumnCallsign);
    editor.SetSelection({0});

    editor.FillRestrictions(
        List({Record("X", kBanned, 0), Record("Z", kBanned, 0), Record("Y", kBanned, 0)}));
    EXPECT_EQ(Column(editor, kColumnCallsign), (std::vector<std::string>{"X", "Z", "Y"}));
    EXPECT_FALSE(editor.IsSelected(0));
    // The next click on the same heading still reverses the kept order.
    editor.ClickHeading(kColumnCallsign);
    EXPECT_EQ(Column(editor, kColumnCallsign), (std::vector<std::string>{"X", "Y", "Z"}));

    editor.FillRestrictions(List({}));
    EXPECT_EQ(editor.LineCount(), 0u);
}

TEST_F(RestrictionEditorTest, ColumnWidthsSurviveClosingAndTheListEmptiesOnOpenAndClose) {
    const AdminColumnWidths headings = {70, 80, 90, 65, 35, 35, 80};
    const AdminColumnWidths resized = {120, 60, 95, 210, 110, 90, 300};
    {
        CSettingsStore store(path_);
        CRestrictionEditEx editor(queue_, store);
        EXPECT_EQ(editor.Open(headings), headings);
        auto sent = Sent();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0]->command, kCmdGetRestrict);

        editor.FillRestrictions(List({Record("A", kMuted, 1)}));
        editor.Close(resized);
        EXPECT_EQ(editor.LineCount(), 0u);
        // Opening again in the same run.
        editor.FillRestrictions(List({Record("A", kMuted, 1)}));
        EXPECT_EQ(editor.Open(headings), resized);
        EXPECT_EQ(editor.LineCount(), 0u);
    }
    // And after a restart.
    CSettingsStore store(path_);
    EXPECT_EQ(store.Ini().GetInt(kAdminSection, "Col3", 0), 210);
    CRestrictionEditEx editor(queue_, store);
    EXPECT_EQ(editor.Open(headings), resized);
}

} // namespace
