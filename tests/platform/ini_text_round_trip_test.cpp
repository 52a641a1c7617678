#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A text read from the file, written back and read again must not change: the file trims the
// blanks around a value, so a cut that ends in blanks must not hand them to the caller.
TEST(IniTextRoundTripTest, TextCutInsideBlanksSurvivesWritingBack) {
    const std::string head(CIniFile::kMaxTextLength - 2, 'a');
    for (const std::string tail : {"  b", " \tb", "\t b"}) {
        SCOPED_TRACE(testing::PrintToString(tail));
        CIniFile ini;
        ini.LoadText("[S]\nLONG=" + head + tail + "\nSHORT=x \n");
        const std::string read = ini.GetText("S", "LONG", "");
        EXPECT_TRUE(read == head) << "read " << read.size() << " characters";

        ini.SetText("S", "LONG", read);
        CIniFile again;
        again.LoadText(ini.ToText());
        EXPECT_TRUE(again.GetText("S", "LONG", "") == read);
        EXPECT_EQ(again.GetText("S", "SHORT", ""), "x");
    }
    // A default that the cut leaves with a trailing blank is read the same way.
    CIniFile empty;
    EXPECT_TRUE(empty.GetText("S", "NONE", head + "  b") == head);
}

} // namespace
