// Ftp_Download of 64 MiB against libcurl downloading the same file from the same
// pyftpdlib, and against the physical limit: a bare client on blocking sockets that
// logs in, sends PORT and RETR like Ftp_Download, and copies the data connection
// into a file beside the target with 1 MiB reads before renaming it over. The same
// three again from vsftpd (when installed), a server in C that sends with sendfile, so
// the clients' own costs weigh more. 100 Smtp_Send
// calls against 100 libcurl sends to the same aiosmtpd. The sides alternate; each
// ratio is the median over the runs.
#include <arpa/inet.h>
#include <curl/curl.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../../tests/common/Loopback.h"
#include "kestrup.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const size_t FileSize = size_t(64) << 20;
const int Mails = 100;

using loopback::FreePort;
using loopback::PortOpen;

class TChild {
public:
    TChild(std::vector<std::string> argv, const std::string& log, int port) {
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&fa, 1, 2);
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        if (posix_spawn(&FPid, args[0], &fa, nullptr, args.data(), environ) != 0) FPid = -1;
        posix_spawn_file_actions_destroy(&fa);
        for (int i = 0; i < 250 && FPid > 0 && !PortOpen(port); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ~TChild() {
        if (FPid > 0) {
            ::kill(FPid, SIGTERM);
            int status;
            ::waitpid(FPid, &status, 0);
        }
    }
    bool Running() const { return FPid > 0; }

private:
    pid_t FPid = -1;
};

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool Whole(const fs::path& file) {
    std::error_code ec;
    return fs::file_size(file, ec) == FileSize;
}

// An FTP server of the benchmark and its log-in.
struct TFtpPeer {
    int Port = 0;
    std::string User = "bench", Password = "bench";
};

double KestrupDownload(const TFtpPeer& peer, const fs::path& target) {
    fs::remove(target);
    auto start = Clock::now();
    bool ok = Ftp_Download("127.0.0.1", peer.Port, peer.User.c_str(), peer.Password.c_str(), 10000,
                           "large.bin", target.c_str(), nullptr) != 0;
    double t = Seconds(start);
    return ok && Whole(target) ? t : -1;
}

double CurlDownload(const TFtpPeer& peer, const fs::path& target) {
    fs::remove(target);
    auto start = Clock::now();
    FILE* out = std::fopen(target.c_str(), "wb");
    CURL* curl = curl_easy_init();
    std::string url = "ftp://127.0.0.1:" + std::to_string(peer.Port) + "/large.bin";
    const std::string login = peer.User + ":" + peer.Password;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERPWD, login.c_str());
    // Active mode and image type, as Ftp_Download transfers.
    curl_easy_setopt(curl, CURLOPT_FTPPORT, "127.0.0.1");
    curl_easy_setopt(curl, CURLOPT_FTP_USE_EPRT, 0L);
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, long(CURL_MAX_READ_SIZE));
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, out);
    CURLcode rc = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    std::fclose(out);
    double t = Seconds(start);
    return rc == CURLE_OK && Whole(target) ? t : -1;
}

// The bare reference: the same dialogue and the same file work as Ftp_Download, with
// nothing else in the way.
class TBareFtp {
public:
    explicit TBareFtp(int port) {
        FControl = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(uint16_t(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        FOk = FControl >= 0 && ::connect(FControl, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~TBareFtp() {
        if (FControl >= 0) ::close(FControl);
    }
    // Sends a command (none when empty) and returns the reply's code, 0 on failure.
    int Say(const std::string& command) {
        if (!FOk) return 0;
        if (!command.empty()) {
            std::string line = command + "\r\n";
            if (::send(FControl, line.data(), line.size(), MSG_NOSIGNAL) != ssize_t(line.size()))
                return FOk = false, 0;
        }
        // A reply ends with a line "ddd " (a multi-line reply's lines have "ddd-").
        for (;;) {
            size_t lf;
            while ((lf = FIn.find('\n')) == std::string::npos) {
                char buf[4096];
                ssize_t n = ::recv(FControl, buf, sizeof buf, 0);
                if (n <= 0) return FOk = false, 0;
                FIn.append(buf, size_t(n));
            }
            std::string line = FIn.substr(0, lf);
            FIn.erase(0, lf + 1);
            if (line.size() >= 4 && line[3] == ' ') return std::atoi(line.c_str());
        }
    }

    bool Download(const TFtpPeer& peer, const std::string& remote, const fs::path& target) {
        if (Say("") != 220) return false;
        // A server may let a user in without a password (230 at once).
        const int user = Say("USER " + peer.User);
        if ((user != 230 && (user != 331 || Say("PASS " + peer.Password) != 230)) ||
            Say("TYPE I") != 200)
            return false;
        int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(listener, 1);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
        const int port = ntohs(a.sin_port);
        bool ok = Say("PORT 127,0,0,1," + std::to_string(port >> 8) + "," +
                      std::to_string(port & 255)) == 200 &&
                  Say("RETR " + remote) / 100 == 1;
        const fs::path part = target.string() + ".part";
        int data = ok ? ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC) : -1;
        ::close(listener);
        int file = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ok = ok && data >= 0 && file >= 0;
        static std::vector<char> buffer(size_t(1) << 20);
        while (ok) {
            ssize_t n = ::recv(data, buffer.data(), buffer.size(), 0);
            if (n == 0) break;
            ok = n > 0 && ::write(file, buffer.data(), size_t(n)) == n;
        }
        if (data >= 0) ::close(data);
        if (file >= 0) ::close(file);
        ok = ok && Say("") == 226 && Say("QUIT") == 221;
        return ok && ::rename(part.c_str(), target.c_str()) == 0;
    }

private:
    int FControl = -1;
    bool FOk = false;
    std::string FIn;
};

double BareDownload(const TFtpPeer& peer, const fs::path& target) {
    fs::remove(target);
    auto start = Clock::now();
    bool ok = TBareFtp(peer.Port).Download(peer, "large.bin", target);
    double t = Seconds(start);
    return ok && Whole(target) ? t : -1;
}

const char* const Body = "<p>Benchmark mail</p>\r\n<p>Second line</p>";

double KestrupMails(int port) {
    auto start = Clock::now();
    for (int i = 0; i < Mails; ++i)
        if (!Smtp_Send("anna@example.org", "Anna", "Bench", "bob@example.org", Body, "127.0.0.1",
                       port, "bench.example", 10000))
            return -1;
    return Seconds(start);
}

struct TReadState {
    std::string Text;
    size_t Pos = 0;
};

size_t CurlRead(char* buffer, size_t size, size_t count, void* user) {
    auto* s = static_cast<TReadState*>(user);
    size_t n = std::min(size * count, s->Text.size() - s->Pos);
    std::copy_n(s->Text.data() + s->Pos, n, buffer);
    s->Pos += n;
    return n;
}

double CurlMails(int port) {
    std::string url = "smtp://127.0.0.1:" + std::to_string(port) + "/bench.example";
    const std::string message =
        "From: Anna<anna@example.org>\r\nTo: bob@example.org\r\nSubject: Bench\r\n"
        "Mime-Version: 1.0\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n\r\n" +
        std::string(Body) + "\r\n";
    auto start = Clock::now();
    for (int i = 0; i < Mails; ++i) {
        // A fresh handle and connection for every mail, as Smtp_Send makes.
        CURL* curl = curl_easy_init();
        TReadState state{message, 0};
        curl_slist* rcpt = curl_slist_append(nullptr, "<bob@example.org>");
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_MAIL_FROM, "<anna@example.org>");
        curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt);
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, CurlRead);
        curl_easy_setopt(curl, CURLOPT_READDATA, &state);
        CURLcode rc = curl_easy_perform(curl);
        curl_slist_free_all(rcpt);
        curl_easy_cleanup(curl);
        if (rc != CURLE_OK) return -1;
    }
    return Seconds(start);
}

// One server's three downloads of a run, in rotating order so that drift in the
// machine's load is shared.
struct TFtpSeries {
    std::vector<double> VsCurl, VsRaw;   // per run: curl's time / ours, ours / the bare copy's
    double Ours = 0, Curl = 0, Raw = 0;  // sums of the times

    // False when a download failed.
    bool Run(const TFtpPeer& peer, int r, const fs::path& dir, double* ours, double* curl,
             double* raw) {
        for (int k = 0; k < 3; ++k) {
            switch ((r + k) % 3) {
                case 0:
                    *ours = KestrupDownload(peer, dir / "ours.bin");
                    break;
                case 1:
                    *curl = CurlDownload(peer, dir / "curl.bin");
                    break;
                default:
                    *raw = BareDownload(peer, dir / "raw.bin");
                    break;
            }
        }
        if (*ours < 0 || *curl < 0 || *raw < 0) return false;
        VsCurl.push_back(*curl / *ours);
        VsRaw.push_back(*ours / *raw);
        Ours += *ours;
        Curl += *curl;
        Raw += *raw;
        return true;
    }
    void PrintRawRatio(const char* label) const {
        std::printf("%s, time ratio median of %zu: %.2fx (spread %.2f-%.2f; aim <= 1.2)\n", label,
                    VsRaw.size(), Median(VsRaw), *std::min_element(VsRaw.begin(), VsRaw.end()),
                    *std::max_element(VsRaw.begin(), VsRaw.end()));
    }
};

// vsftpd serving folder to anonymous users on port, active and passive; null when it is
// not installed.
std::unique_ptr<TChild> StartVsftpd(const fs::path& dir, const fs::path& folder, int port) {
    if (!fs::exists("/usr/sbin/vsftpd")) return nullptr;
    fs::create_directories(dir / "vsftpd-empty");
    std::ofstream(dir / "vsftpd.conf")
        << "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=" << port
        << "\nbackground=NO\nanonymous_enable=YES\nno_anon_password=YES\nanon_root="
        << folder.string()
        << "\nlocal_enable=NO\nwrite_enable=NO\npasv_enable=YES\nport_enable=YES\n"
           "connect_from_port_20=NO\nrun_as_launching_user=YES\nsecure_chroot_dir="
        << (dir / "vsftpd-empty").string()
        << "\nseccomp_sandbox=NO\nisolate=NO\nisolate_network=NO\nxferlog_enable=NO\n";
    return std::make_unique<TChild>(
        std::vector<std::string>{"/usr/sbin/vsftpd", (dir / "vsftpd.conf").string()},
        (dir / "vsftpd.log").string(), port);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    curl_global_init(CURL_GLOBAL_DEFAULT);
    char tmpl[] = "/tmp/kestrup-bench-XXXXXX";
    fs::path dir = ::mkdtemp(tmpl);
    fs::create_directories(dir / "ftp");
    fs::create_directories(dir / "mail");
    {
        std::string data(FileSize, '\0');
        for (size_t i = 0; i < FileSize; ++i) data[i] = char(i * 2654435761u >> 13);
        std::ofstream(dir / "ftp" / "large.bin", std::ios::binary) << data;
    }
    int ftpPort = FreePort(), smtpPort = FreePort();
    int status = 0;
    {
        TChild ftp(
            {"/usr/bin/python3", "-m", "pyftpdlib", "-i", "127.0.0.1", "-p",
             std::to_string(ftpPort), "-d", (dir / "ftp").string(), "-u", "bench", "-P", "bench"},
            (dir / "ftpd.log").string(), ftpPort);
        TChild smtp(
            {"/usr/bin/python3", SMTP_PEER, std::to_string(smtpPort), (dir / "mail").string()},
            (dir / "smtpd.log").string(), smtpPort);
        if (!PortOpen(ftpPort) || !PortOpen(smtpPort)) {
            std::fprintf(stderr, "servers did not start\n");
            status = 1;
        }
        // vsftpd serves only a folder nobody but its owner may write to.
        fs::permissions(dir / "ftp", fs::perms(0755));
        const int vsftpdPort = FreePort();
        std::unique_ptr<TChild> vsftpd = StartVsftpd(dir, dir / "ftp", vsftpdPort);
        const bool withVsftpd = vsftpd && vsftpd->Running() && PortOpen(vsftpdPort);
        if (!withVsftpd)
            std::printf("vsftpd is not installed or did not start: its runs are left out\n");
        const TFtpPeer pyftpd{ftpPort}, vsftpdPeer{vsftpdPort, "anonymous", "guest"};
        TFtpSeries py, vs;
        std::vector<double> smtpRatio;
        double smtpOurs = 0, smtpCurl = 0;
        for (int r = 0; r < runs && status == 0; ++r) {
            double a = 0, b = 0, raw = 0;
            if (!py.Run(pyftpd, r, dir, &a, &b, &raw)) {
                std::fprintf(stderr, "run %d failed (ftp %g %g %g)\n", r, a, b, raw);
                status = 1;
                break;
            }
            double va = 0, vb = 0, vraw = 0;
            if (withVsftpd && !vs.Run(vsftpdPeer, r, dir, &va, &vb, &vraw)) {
                std::fprintf(stderr, "run %d failed (vsftpd %g %g %g)\n", r, va, vb, vraw);
                status = 1;
                break;
            }
            double c, d;
            if (r % 2 == 0) {
                c = KestrupMails(smtpPort);
                d = CurlMails(smtpPort);
            } else {
                d = CurlMails(smtpPort);
                c = KestrupMails(smtpPort);
            }
            if (c < 0 || d < 0) {
                std::fprintf(stderr, "run %d failed (smtp %g %g)\n", r, c, d);
                status = 1;
                break;
            }
            smtpRatio.push_back(c / d);  // time of ours relative to curl's
            smtpOurs += c;
            smtpCurl += d;
            std::printf("run %d: ftp ours %.3f s curl %.3f s | smtp ours %.3f s curl %.3f s\n", r,
                        a, b, c, d);
            std::printf("       ftp raw socket-to-file %.3f s\n", raw);
            if (withVsftpd)
                std::printf("       vsftpd: ours %.3f s curl %.3f s raw socket-to-file %.3f s\n",
                            va, vb, vraw);
        }
        if (status == 0) {
            double mib = double(FileSize) / (1 << 20);
            std::printf("\nFtp_Download 64 MiB: %.0f MiB/s, curl %.0f MiB/s (means)\n",
                        mib * runs / py.Ours, mib * runs / py.Curl);
            std::printf("  throughput ratio ours/curl, median of %d: %.2fx\n", runs,
                        Median(py.VsCurl));
            std::printf("  raw socket-to-file (same dialogue, 1 MiB reads): %.0f MiB/s (mean)\n",
                        mib * runs / py.Raw);
            py.PrintRawRatio("Ftp_Download / raw socket-to-file");
            if (withVsftpd) {
                std::printf(
                    "Ftp_Download 64 MiB from vsftpd: %.0f MiB/s, curl %.0f MiB/s, raw "
                    "socket-to-file %.0f MiB/s (means)\n",
                    mib * runs / vs.Ours, mib * runs / vs.Curl, mib * runs / vs.Raw);
                std::printf("  throughput ratio ours/curl (vsftpd), median of %d: %.2fx\n", runs,
                            Median(vs.VsCurl));
                vs.PrintRawRatio("Ftp_Download / raw socket-to-file (vsftpd)");
            }
            std::printf("%d Smtp_Send: %.1f ms, curl %.1f ms (means)\n", Mails,
                        1000 * smtpOurs / runs, 1000 * smtpCurl / runs);
            std::printf("  time ratio ours/curl, median of %d: %.2fx\n", runs, Median(smtpRatio));
        }
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    curl_global_cleanup();
    return status;
}
