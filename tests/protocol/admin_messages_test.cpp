#include "protocol/admin_messages.h"
#include "tests/protocol/message_test_support.h"

namespace {

CAdminUserStuff Station(const std::string& group, const std::string& name, int32_t version) {
    CAdminUserStuff st;
    st.group = group;
    st.name = name;
    st.version = version;
    return st;
}

TEST(AdminMessages, StatusLinesPrintEachGroupOnce) {
    CAdminUserStuff first = Station("Net", "W1AW", 134);
    first.talking = 1;
    first.outQueue = 2;
    first.inQueue = 3;
    first.ping = 35;
    first.txCount = 10;
    first.rxCount = 20;
    CAdminUserStuff last = Station("net", "K9ZZ", 205);
    last.txCount = 4294967295u;
    last.ping = -12345;

    std::string previous;
    EXPECT_EQ(first.StatusLine(previous),
              "Net        W1AW       Tx Q(O=2/I=3) P=  35ms Tx=10,Rx=20 V=1.34");
    EXPECT_EQ(Station("Net", "K2XX", 1).StatusLine(previous),
              "           K2XX          Q(O=0/I=0) P=????ms Tx=0,Rx=0 V=1.02-1.05");
    // Group names compare case-sensitively.
    EXPECT_EQ(Station("net", "N0CALL", 0).StatusLine(previous),
              "net        N0CALL        Q(O=0/I=0) P=????ms Tx=0,Rx=0 V=1.01");
    EXPECT_EQ(previous, "net");
    EXPECT_EQ(last.StatusLine(previous),
              "           K9ZZ          Q(O=0/I=0) P=-12345ms Tx=4294967295,Rx=0 V=2.05");
}

TEST(AdminMessages, RecordsTravelInWireOrder) {
    CAdminNotifyMessage notify;
    CAdminUserStuff& st = *notify.stations.emplace_back(std::make_unique<CAdminUserStuff>());
    st = Station("Net", "W1AW", 134);
    st.talking = 1;
    st.inQueue = 3;
    st.outQueue = 2;
    st.ping = 35;
    st.rxCount = 20;
    st.txCount = 10;
    EXPECT_EQ(WireBytes(notify), Cat({{0x0F},
                                      Le32(1),
                                      Str("W1AW"),
                                      Str("Net"),
                                      {1},
                                      Le32(134),
                                      Le32(3),
                                      Le32(2),
                                      Le32(35),
                                      Le32(20),
                                      Le32(10)}));

    CAddRestrictionMessage add;
    add.restriction.id = 0xDEADBEEF;
    add.restriction.address = {192, 168, 1, 20};
    add.restriction.restriction = kKicked;
    add.restriction.end = 0x100000002LL;
    add.restriction.callSign = "W1AW";
    add.restriction.reason = "r";
    add.restriction.by = "b";
    const Bytes record = Cat({{0xEF, 0xBE, 0xAD, 0xDE},
                              Le32(192),
                              Le32(168),
                              Le32(1),
                              Le32(20),
                              Le32(2),
                              {2, 0, 0, 0, 1, 0, 0, 0},
                              Str("W1AW"),
                              Str("r"),
                              Str("b")});
    EXPECT_EQ(WireBytes(add), Cat({{0x12}, record}));
    CRemoveRestrictionMessage remove;
    remove.restriction = add.restriction;
    EXPECT_EQ(WireBytes(remove), Cat({{0x13}, record}));

    int err;
    auto list = ReadOne(Cat({{0x10}, Le32(1), record}), err);
    ASSERT_NE(list, nullptr);
    const auto& restrictions = As<CListRestrictionsMessage>(list).restrictions;
    ASSERT_EQ(restrictions.size(), 1u);
    EXPECT_EQ(restrictions[0]->id, 0xDEADBEEFu);
    EXPECT_EQ(restrictions[0]->address, (std::array<int32_t, 4>{192, 168, 1, 20}));
    EXPECT_EQ(restrictions[0]->end, 0x100000002LL);
    EXPECT_EQ(list->Describe(), "List Restrictions Message 1 users");

    list = ReadOne(Cat({{0x10}, Le32(0)}), err);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(As<CListRestrictionsMessage>(list).restrictions.empty());

    // A list cut off inside its second record fails as a whole.
    EXPECT_EQ(ReadOne(Cat({{0x10}, Le32(2), record, Bytes(record.begin(), record.end() - 2)}), err),
              nullptr);
    EXPECT_EQ(err, kErrPeerClosed);
}

TEST(AdminMessages, RestrictionKindNames) {
    EXPECT_STREQ(RestrictionKindName(0), "Not Restricted");
    EXPECT_STREQ(RestrictionKindName(1), "Muted");
    EXPECT_STREQ(RestrictionKindName(2), "Kicked");
    EXPECT_STREQ(RestrictionKindName(3), "Banned");
    for (int32_t other : {-1, 4, 7})
        EXPECT_STREQ(RestrictionKindName(other), "??????????");
}

} // namespace
