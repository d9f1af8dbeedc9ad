// The FTP and SMTP reply reader on a real connection: a loopback server in this process
// sends the input as everything the server says (cut into pieces at 0xFF bytes), while
// a whole session runs against it. The first byte picks FTP (even) or SMTP (odd).
// A PORT command is answered by connecting back and sending a small file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "FtpClient.h"
#include "LoopbackPeer.h"
#include "SmtpClient.h"

namespace {

// "PORT h1,h2,h3,h4,p1,p2": the port, or 0.
int PortOf(const std::string& line) {
    if (line.compare(0, 5, "PORT ") != 0) return 0;
    int f[6] = {};
    if (std::sscanf(line.c_str() + 5, "%d,%d,%d,%d,%d,%d", &f[0], &f[1], &f[2], &f[3], &f[4],
                    &f[5]) != 6)
        return 0;
    return f[4] * 256 + f[5];
}

void ConnectBack(const std::string& line) {
    int port = PortOf(line);
    if (port <= 0 || port > 65535) return;
    int fd = fuzz::ConnectLoopback(port);
    if (fd < 0) return;
    fuzz::SendAll(fd, std::string(3000, 'f'));
    ::close(fd);
}

void Ftp(int port) {
    static const std::string local = "/tmp/orbelle-fuzz-ftp-" + std::to_string(::getpid());
    kestrup::TFtpClient c;
    c.Host = "127.0.0.1";
    c.Port = port;
    c.UserID = "user";
    c.Password = "secret";
    c.Passive = false;  // a passive reply would pick a local port to connect to
    c.TimeOut = 2000;
    c.AcceptTimeOut = 200;
    c.MaxBody = 2048;  // smaller than the file sent back: the cap path runs too
    try {
        c.Connect();
        c.Command("SYST");
        c.SetTransferType(2);
        c.Download("remote.bin", local);
    } catch (const std::exception&) {
    }
    try {
        c.MaxBody = 0;
        c.Download("remote.bin", local);
    } catch (const std::exception&) {
    }
    try {
        c.Disconnect();
    } catch (const std::exception&) {
    }
    std::remove(local.c_str());
}

void Smtp(int port) {
    kestrup::TSmtpClient c;
    c.Host = "127.0.0.1";
    c.Port = port;
    c.TimeOut = 2000;
    c.PostMessage.FromAddress = "a@example.org";
    c.PostMessage.FromName = "A";
    c.PostMessage.Subject = "s";
    c.PostMessage.ToAddress = {"b@example.org", "C <c@example.org>"};
    c.PostMessage.Body = {"hello", ".", "end"};
    try {
        c.Connect();
        c.SendMail();
    } catch (const std::exception&) {
    }
    try {
        c.Disconnect();
    } catch (const std::exception&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::TLoopbackPeer server(ConnectBack);
    if (size < 1 || size > 65536) return 0;
    server.SetScript(fuzz::Pieces(data + 1, size - 1));
    if (data[0] & 1)
        Smtp(server.Port);
    else
        Ftp(server.Port);
    return 0;
}
