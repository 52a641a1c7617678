// Runs the tavro-server program as a user would: its options, its log on
// standard error and a clean stop on SIGTERM.

#include "protocol/conference_messages.h"
#include "tests/server/admin_station.h"
#include "tests/server/test_station.h"

#include "tests/support/run_tool.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

extern char** environ;

namespace {

using Strings = std::vector<std::string>;

// One run of the program with its standard output and error on pipes.
class CProgramRun {
public:
    // With journal set, the program's standard error is named by JOURNAL_STREAM,
    // as systemd names a service's.
    CProgramRun(const std::string& path, Strings args, bool journal = false) {
        args.insert(args.begin(), path);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2], err[2];
        EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
        EXPECT_EQ(pipe2(err, O_CLOEXEC), 0);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_adddup2(&files, out[1], 1);
        posix_spawn_file_actions_adddup2(&files, err[1], 2);
        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e)
            if (!std::string_view(*e).starts_with("JOURNAL_STREAM="))
                environment.emplace_back(*e);
        struct stat st {};
        fstat(err[1], &st);
        if (journal)
            environment.push_back("JOURNAL_STREAM=" + std::to_string(st.st_dev) + ":" +
                                  std::to_string(st.st_ino));
        std::vector<char*> envp;
        for (std::string& e : environment)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid_, path.c_str(), &files, nullptr, argv.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&files);
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~CProgramRun() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
        close(err_);
    }

    // The next line of standard error; empty at its end or on time-out.
    std::string ErrLine(std::chrono::milliseconds timeout = kWait) {
        for (;;) {
            const size_t newline = errText_.find('\n', errTaken_);
            if (newline != std::string::npos) {
                std::string line = errText_.substr(errTaken_, newline - errTaken_);
                errTaken_ = newline + 1;
                return line;
            }
            if (!ReadSome(err_, errText_, timeout))
                return "";
        }
    }
    // Waits for the exit and returns the status; reads what is left.
    int Finish() {
        while (ReadSome(out_, outText_, kWait)) {
        }
        while (ReadSome(err_, errText_, kWait)) {
        }
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    void Signal(int signal) { kill(pid_, signal); }
    const std::string& Out() const { return outText_; }
    const std::string& Err() const { return errText_; }

private:
    static bool ReadSome(int fd, std::string& into, std::chrono::milliseconds timeout) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, int(timeout.count())) <= 0)
            return false;
        char buffer[4096];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        into.append(buffer, size_t(n));
        return true;
    }

    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    std::string outText_, errText_;
    size_t errTaken_ = 0;
};

class ServerProgram : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = ProgramPath("tavro-server");
        if (!std::filesystem::exists(path_))
            GTEST_SKIP() << "no tavro-server at " << path_ << "; set TAVRO_SERVER";
    }
    std::string path_;
};

TEST_F(ServerProgram, RejectsBadArgumentsWithStatus2) {
    CProgramRun help(path_, {"--help"});
    EXPECT_EQ(help.Finish(), 0);
    EXPECT_TRUE(help.Out().starts_with("Usage: tavro-server [OPTION]..."));
    CProgramRun version(path_, {"--version"});
    EXPECT_EQ(version.Finish(), 0);
    EXPECT_TRUE(version.Out().starts_with("tavro-server 1.")) << version.Out();

    const std::vector<std::pair<Strings, std::string>> cases = {
        {{"--bogus"}, "unknown argument \"--bogus\""},
        {{"--server-version", "12a"}, "--server-version takes a whole number"},
        {{"--ping-interval", "-1"}, "--ping-interval takes seconds from 0 to 1000000"},
        {{"--id-interval=soon"}, "--id-interval takes seconds"},
        {{"--listen", "[::1]"}, "--listen: \"[::1]\" is not HOST:PORT"},
        {{"--listen", "::1:80"}, "--listen: an IPv6 address needs brackets: [::1]:80"},
        {{"--welcome"}, "option --welcome needs a value"},
    };
    for (const auto& [args, message] : cases) {
        CProgramRun run(path_, args);
        EXPECT_EQ(run.Finish(), 2) << args[0];
        EXPECT_NE(run.Err().find(message), std::string::npos) << run.Err();
    }
}

TEST_F(ServerProgram, ServesUntilSigtermAndLogsEachEventWithATimestamp) {
    CProgramRun run(path_,
                    {"--listen", "127.0.0.1:0", "--server-version=199", "--welcome", "Hi there",
                     "--ping-interval", "0.2", "--password", "pw", "--admin-password", "boss"});
    // The first line names the port the system picked.
    const std::string first = run.ErrLine();
    const std::regex listening(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} listening on )"
                               R"(127\.0\.0\.1:(\d+) as version 199, password required, )"
                               R"(administration enabled$)");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(first, match, listening)) << first;

    {
        CTestStation station(uint16_t(std::stoi(match[1])));
        EXPECT_EQ(station.Join("N0CALL", "R", kCmdJoinWithPassword, "pw"),
                  (Strings{"text \"Hi there\"", "users clear +N0CALL", "rooms R"}));
        EXPECT_EQ(station.NextOf(kCmdPing), "Ping");
        station.Send(CMsg(kCmdBye));
        EXPECT_TRUE(station.WaitForEnd());
    }
    for (const char* event :
         {"connected", "sent Version 134 - HD = 7", "joined room \"R\"", "disconnected: said Bye"})
        EXPECT_NE(run.ErrLine().find(event), std::string::npos) << event;
    {
        CTestStation admin(uint16_t(std::stoi(match[1])));
        AdminLogin(admin, "boss");
        EXPECT_EQ(admin.NextOf(kCmdAdminNotify), "Admin Notify");
    }

    run.Signal(SIGTERM);
    EXPECT_EQ(run.Finish(), 0);
    EXPECT_NE(run.Err().find("stopping on SIGTERM"), std::string::npos) << run.Err();
}

TEST_F(ServerProgram, ExitsWith1WhenItCannotListen) {
    CProgramRun holder(path_, {"--listen", "127.0.0.1:0"});
    const std::string first = holder.ErrLine();
    const size_t colon = first.rfind(':');
    const std::string port = first.substr(colon + 1, first.find(' ', colon) - colon - 1);

    CProgramRun second(path_, {"--listen", "127.0.0.1:" + port});
    EXPECT_EQ(second.Finish(), 1);
    EXPECT_NE(second.Err().find("Address already in use"), std::string::npos) << second.Err();
}

// Under systemd each line starts with its priority, which the journal keeps
// (journalctl -p warning); SIGHUP stops the server as SIGTERM does.
TEST_F(ServerProgram, LinesCarryTheirPriorityWhenStandardErrorIsTheJournal) {
    CProgramRun run(path_,
                    {"--listen", "127.0.0.1:0", "--server-version", "100", "--password", "pw"},
                    /*journal=*/true);
    EXPECT_TRUE(run.ErrLine().starts_with("<4>")); // the password warning
    EXPECT_TRUE(run.ErrLine().starts_with("<6>")); // listening
    run.Signal(SIGHUP);
    EXPECT_EQ(run.Finish(), 0);
    EXPECT_TRUE(run.ErrLine().starts_with("<6>")) << run.Err(); // stopping on SIGHUP
    EXPECT_NE(run.Err().find("stopping on SIGHUP"), std::string::npos) << run.Err();

    CProgramRun failed(path_, {"--listen", "nowhere.invalid:1"}, /*journal=*/true);
    EXPECT_EQ(failed.Finish(), 1);
    EXPECT_TRUE(failed.Err().starts_with("<3>")) << failed.Err();
}

} // namespace
