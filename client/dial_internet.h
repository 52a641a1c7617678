#pragma once

#include <string>

class CIniFile;
class CStopFlag;

// The page fetched to test that the Internet can be reached: key "DIALURL" of
// section "Tavro_CLIENT", or a well-known public page.
std::string DialTestUrl(const CIniFile& ini);

class CDialInternet {
public:
    // Sends an HTTP GET for a plain "http://host[:port]/path" URL; true when
    // the request reached the server. The answer is not read. Waits at most
    // 10 s and ends at once when the stop flag is set.
    static bool TestConnection(const std::string& url, const CStopFlag& stop);
};
