#include "protocol/conference_messages.h"
#include "protocol/msg.h"
#include "tests/support/run_tool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string WriteTempFile(const std::vector<uint8_t>& bytes) {
    char path[] = "/tmp/tavro-stream-XXXXXX";
    const int fd = mkstemp(path);
    FILE* file = fdopen(fd, "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
}

TEST(DecodeStreamTool, DescribesEachMessageThenTheEndingCode) {
    std::vector<uint8_t> bytes;
    CByteWriter out(bytes);
    CVersionMessage version;
    version.command = kCmdVersion;
    version.version = 120;
    version.Encode(out);
    CMsg(kCmdPing).Encode(out);
    CTextMessage text;
    text.text = "Welcome";
    text.Encode(out);

    const std::string complete = WriteTempFile(bytes);
    ToolResult result = RunTool("decode-stream " + complete);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Version 120 - HD = 0\nPing\nText : \"Welcome\" \nend: error 1\n");

    // A stream cut inside a message and one with an unknown code.
    bytes.push_back(kCmdText);
    bytes.push_back(10);
    const std::string cut = WriteTempFile(bytes);
    result = RunTool("decode-stream - < " + cut);
    EXPECT_EQ(result.out, "Version 120 - HD = 0\nPing\nText : \"Welcome\" \nend: error 1\n");
    const std::string unknown = WriteTempFile({kCmdPing, 200, kCmdPing});
    result = RunTool("decode-stream " + unknown);
    EXPECT_EQ(result.out, "Ping\nend: error 0\n");

    EXPECT_EQ(RunTool("decode-stream a b").exitCode, 2);
    EXPECT_EQ(RunTool("decode-stream --bogus").exitCode, 2);
    EXPECT_EQ(RunTool("decode-stream /nonexistent/stream").exitCode, 1);
    // A directory opens, but holds no stream.
    result = RunTool("decode-stream /tmp");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    for (const std::string& path : {complete, cut, unknown})
        std::remove(path.c_str());
}

} // namespace
