#include "platform/log_line.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <regex>
#include <string>

namespace {

// JOURNAL_STREAM names the stream by device and inode; a stream handed on to
// another file (a redirection in a child) is no longer the journal.
TEST(LogLine, PriorityPrefixOnlyWhenTheStreamIsTheOneJournalStreamNames) {
    FILE* journal = std::tmpfile();
    FILE* other = std::tmpfile();
    struct stat st {};
    ASSERT_EQ(fstat(fileno(journal), &st), 0);
    const std::string names = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    EXPECT_TRUE(IsJournalStream(fileno(journal), names.c_str()));
    EXPECT_FALSE(IsJournalStream(fileno(other), names.c_str()));
    EXPECT_FALSE(IsJournalStream(fileno(journal), nullptr));
    EXPECT_FALSE(IsJournalStream(fileno(journal), (names + "x").c_str()));
    EXPECT_FALSE(IsJournalStream(fileno(journal), std::to_string(st.st_ino).c_str()));
    std::fclose(journal);
    std::fclose(other);

    const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} lost: the server reset it)");
    const std::string plain =
        FormatLogLine(LogPriority::Warning, "lost:\nthe server reset it", false);
    EXPECT_TRUE(std::regex_match(plain, stamped)) << plain;
    EXPECT_EQ(FormatLogLine(LogPriority::Error, "x", true).substr(0, 3), "<3>");
    EXPECT_EQ(FormatLogLine(LogPriority::Warning, "x", true).substr(0, 3), "<4>");
    const std::string info = FormatLogLine(LogPriority::Info, "lost: the server reset it", true);
    EXPECT_TRUE(info.starts_with("<6>") && std::regex_match(info.substr(3), stamped)) << info;
}

} // namespace
