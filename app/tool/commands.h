#pragma once

// One function per tavro-tool command. Each gets the arguments after the
// command name and returns the process exit code: 0 on success, 1 when the
// work failed (a one-line error on stderr), 2 for invalid arguments (usage
// on stderr).
int RunDecodeStream(int argc, char** argv);
int RunDtmf(int argc, char** argv);
int RunMorse(int argc, char** argv);
int RunLoadWave(int argc, char** argv);
int RunAmrEncode(int argc, char** argv);
int RunAmrDecode(int argc, char** argv);
