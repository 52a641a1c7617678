#pragma once

#include <string>

// What a socket error (an errno value) means for the connection to the
// server, as a sentence for the log: "the server reset the connection".
std::string SocketErrorSentence(int error);
