// Http_Get of a 1 KiB and a 64 MiB document against libcurl fetching the same
// documents from the same local nginx in the same run; prints the ratios.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "kestrup.h"
#include "../../tests/common/Loopback.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

int GPort = 0;
const size_t Small = 1024;
const size_t Large = size_t(64) << 20;

using loopback::FreePort;
using loopback::PortOpen;

// Our own nginx: generated configuration, temp folder, loopback port, child process.
class TNginx {
public:
    TNginx() {
        char tmpl[] = "/tmp/kestrup-bench-XXXXXX";
        FDir = ::mkdtemp(tmpl);
        fs::create_directories(FDir / "www");
        WriteDocument("small.bin", Small);
        WriteDocument("large.bin", Large);
        Port = FreePort();
        std::string d = FDir.string();
        std::ofstream(FDir / "nginx.conf")
            << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
            << "error_log " << d << "/error.log;\npid " << d << "/nginx.pid;\n"
            << "events { worker_connections 64; }\n"
            << "http {\n  access_log off;\n  sendfile on;\n"
            << "  client_body_temp_path " << d << "/t1;\n  proxy_temp_path " << d << "/t2;\n"
            << "  fastcgi_temp_path " << d << "/t3;\n  uwsgi_temp_path " << d << "/t4;\n"
            << "  scgi_temp_path " << d << "/t5;\n"
            << "  server { listen 127.0.0.1:" << Port << "; root " << d << "/www; }\n}\n";
        std::string conf = (FDir / "nginx.conf").string();
        std::string err = (FDir / "error.log").string();
        const char* argv[] = {NGINX_BINARY, "-p", d.c_str(),   "-c",
                              conf.c_str(), "-e", err.c_str(), nullptr};
        if (posix_spawn(&FPid, NGINX_BINARY, nullptr, nullptr, const_cast<char**>(argv), environ) !=
            0)
            FPid = -1;
        for (int i = 0; i < 250 && FPid > 0 && !PortOpen(Port); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ~TNginx() {
        if (FPid > 0) {
            ::kill(FPid, SIGTERM);
            int status;
            ::waitpid(FPid, &status, 0);
        }
        std::error_code ec;
        fs::remove_all(FDir, ec);
    }
    bool Running() const { return FPid > 0 && PortOpen(Port); }
    int Port = 0;

private:
    fs::path FDir;
    pid_t FPid = -1;
    void WriteDocument(const std::string& name, size_t size) {
        std::string data(size, '\0');
        for (size_t i = 0; i < size; ++i) data[i] = char('A' + (i * 7 + i / 4096) % 26);
        std::ofstream(FDir / "www" / name, std::ios::binary) << data;
    }
};

// The document holds no zero byte: the terminator right after the last byte
// shows the whole length arrived, without a pass over 64 MiB in the timed loop.
bool WholeBody(const char* body, size_t size) {
    return body && body[size - 1] != '\0' && body[size] == '\0';
}

std::string Url(size_t size) {
    return "http://127.0.0.1:" + std::to_string(GPort) +
           (size == Small ? "/small.bin" : "/large.bin");
}

void BM_KestrupGet(benchmark::State& state) {
    size_t size = size_t(state.range(0));
    std::string url = Url(size);
    for (auto _ : state) {
        const char* body = Http_Get(url.c_str(), "", "", 10000);
        if (!WholeBody(body, size)) {
            state.SkipWithError("Http_Get failed");
            break;
        }
        benchmark::DoNotOptimize(body);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

size_t CurlWrite(char* data, size_t n, size_t m, void* user) {
    static_cast<std::string*>(user)->append(data, n * m);
    return n * m;
}

void BM_CurlGet(benchmark::State& state) {
    size_t size = size_t(state.range(0));
    std::string url = Url(size);
    for (auto _ : state) {
        // A fresh handle and connection each time, as Http_Get makes.
        CURL* curl = curl_easy_init();
        std::string body;
        body.reserve(size);  // Http_Get sizes its buffer from Content-Length too
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, long(CURL_MAX_READ_SIZE));
        curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CurlWrite);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
        CURLcode rc = curl_easy_perform(curl);
        curl_easy_cleanup(curl);
        if (rc != CURLE_OK || body.size() != size) {
            state.SkipWithError("curl failed");
            break;
        }
        benchmark::DoNotOptimize(body.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

// The physical limit beside the peers: the same request on a plain blocking socket,
// the reply received into one buffer allocated (and touched) beforehand. Returns the
// bytes of the reply, header included.
size_t RawFetch(size_t size, std::vector<char>& buffer) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(GPort));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0) {
        ::close(fd);
        return 0;
    }
    std::string request = std::string("GET ") + (size == Small ? "/small.bin" : "/large.bin") +
                          " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    if (::send(fd, request.data(), request.size(), 0) != ssize_t(request.size())) {
        ::close(fd);
        return 0;
    }
    size_t got = 0;
    for (;;) {
        ssize_t n = ::recv(fd, buffer.data() + got, buffer.size() - got, 0);
        if (n <= 0) break;
        got += size_t(n);
        if (got == buffer.size()) break;
    }
    ::close(fd);
    return got;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The three fetches in turn within each iteration, so that load from elsewhere on the
// machine falls on all alike; the counters give the median times and their ratios (a
// median, not a mean: one fetch slowed by something else does not decide).
void BM_Paired(benchmark::State& state) {
    size_t size = size_t(state.range(0));
    std::string url = Url(size);
    std::vector<double> kestrup, curl, raw;
    std::vector<char> rawBuffer(size + 4096, 1);
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        auto r0 = Clock::now();
        size_t rawBytes = RawFetch(size, rawBuffer);
        auto r1 = Clock::now();
        raw.push_back(std::chrono::duration<double>(r1 - r0).count());
        if (rawBytes < size) {
            state.SkipWithError("raw fetch failed");
            break;
        }
        auto t0 = Clock::now();
        const char* body = Http_Get(url.c_str(), "", "", 10000);
        auto t1 = Clock::now();
        CURL* c = curl_easy_init();
        std::string got;
        got.reserve(size);
        curl_easy_setopt(c, CURLOPT_URL, url.c_str());
        curl_easy_setopt(c, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
        curl_easy_setopt(c, CURLOPT_BUFFERSIZE, long(CURL_MAX_READ_SIZE));
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, CurlWrite);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &got);
        CURLcode rc = curl_easy_perform(c);
        curl_easy_cleanup(c);
        auto t2 = Clock::now();
        if (!body || !WholeBody(body, size) || rc != CURLE_OK || got.size() != size) {
            state.SkipWithError("fetch failed");
            break;
        }
        kestrup.push_back(std::chrono::duration<double>(t1 - t0).count());
        curl.push_back(std::chrono::duration<double>(t2 - t1).count());
    }
    const double k = Median(kestrup), c = Median(curl), r = Median(raw);
    state.counters["kestrup_us"] = k * 1e6;
    state.counters["curl_us"] = c * 1e6;
    state.counters["time_ratio"] = c > 0 ? k / c : 0;
    state.counters["raw_us"] = r * 1e6;
    state.counters["raw_ratio"] = r > 0 ? k / r : 0;
    state.counters["fetches"] = double(kestrup.size());
}

BENCHMARK(BM_KestrupGet)->Arg(Small)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_CurlGet)->Arg(Small)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_KestrupGet)->Arg(Large)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CurlGet)->Arg(Large)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Paired)->Arg(Small)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_Paired)->Arg(Large)->Unit(benchmark::kMillisecond)->MinTime(4.0);

// Keeps the real time (the median with repetitions) per run name, and the paired counters.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> Times;
    std::map<std::string, double> Ratios;
    std::map<std::string, double> RawRatios;
    std::map<std::string, double> Fetches;
    void ReportRuns(const std::vector<Run>& runs) override {
        // With repetitions the median stands for the name; otherwise the one run.
        for (const auto& r : runs) {
            if (r.error_occurred) continue;
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median") continue;
            Times[r.run_name.str()] = r.GetAdjustedRealTime();
            auto c = r.counters.find("time_ratio");
            if (c != r.counters.end()) Ratios[r.run_name.str()] = c->second;
            auto w = r.counters.find("raw_ratio");
            if (w != r.counters.end()) RawRatios[r.run_name.str()] = w->second;
            auto f = r.counters.find("fetches");
            if (f != r.counters.end()) Fetches[r.run_name.str()] = f->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    TNginx nginx;
    if (!nginx.Running()) {
        std::fprintf(stderr, "nginx did not start\n");
        return 1;
    }
    GPort = nginx.Port;
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto time = [&](const char* name, size_t size) {
        auto it = reporter.Times.find(std::string(name) + "/" + std::to_string(size) +
                                      (size == Small ? "/min_time:1.000" : "/min_time:2.000"));
        if (it == reporter.Times.end())
            it = reporter.Times.find(std::string(name) + "/" + std::to_string(size));
        return it == reporter.Times.end() ? 0.0 : it->second;
    };
    double ks = time("BM_KestrupGet", Small), cs = time("BM_CurlGet", Small);
    double kl = time("BM_KestrupGet", Large), cl = time("BM_CurlGet", Large);
    if (ks > 0 && cs > 0)
        std::printf("1 KiB:  Http_Get time / curl time = %.2f (aim: at most 1.2)\n", ks / cs);
    if (kl > 0 && cl > 0)
        std::printf("64 MiB: Http_Get throughput / curl throughput = %.2f (aim: at least 0.9)\n",
                    cl / kl);
    for (const auto& [name, n] : reporter.Fetches)
        std::printf("paired %s: medians of %.0f rounds of raw recv, Http_Get and curl in turn\n",
                    name.find("/1024") != std::string::npos ? "1 KiB" : "64 MiB", n);
    for (const auto& [name, ratio] : reporter.Ratios) {
        bool small = name.find("/1024") != std::string::npos;
        if (small)
            std::printf("paired 1 KiB:  Http_Get time / curl time = %.2f\n", ratio);
        else
            std::printf("paired 64 MiB: Http_Get throughput / curl throughput = %.2f\n"
                        "paired 64 MiB: Http_Get time / curl time = %.2f (aim: at most 0.8)\n",
                        1.0 / ratio, ratio);
    }
    for (const auto& [name, ratio] : reporter.RawRatios) {
        bool small = name.find("/1024") != std::string::npos;
        std::printf("paired %-7s Http_Get time / raw recv into one buffer = %.2f%s\n",
                    small ? "1 KiB:" : "64 MiB:", ratio, small ? "" : " (aim: at most 2.5)");
    }
    curl_global_cleanup();
    return 0;
}
