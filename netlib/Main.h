// Library-wide state behind the exports.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Net.h"

namespace kestrup {

enum TBusyBit : uint8_t { bsHttp = 1, bsFtp = 2, bsSmtp = 4, bsServer = 8 };

struct TLibraryState {
    bool UseProxy = false;
    std::string ProxyHost;
    int ProxyPort = 0;
    int ProxyTimeOut = 0;
    // One operation at a time across the whole library.
    uint8_t BusySet = 0;
    // The last non-empty body returned by Http_Get; its text stays valid until
    // the next one replaces it.
    std::string ResultBuffer;
    // The same, when the body came in one body buffer (the usual case): handed over as it is.
    std::unique_ptr<TBodyBuffer> ResultBody;
    // Largest body Http_Get keeps in memory, and largest file Ftp_Download writes
    // (0 = no cap).
    int64_t MaxBody = 0;
    int64_t MaxFile = 0;
    // Ftp_Download asks for passive mode from the start.
    bool FtpPassive = false;
};

TLibraryState& Library();

}  // namespace kestrup
