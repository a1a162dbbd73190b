// 100 gateway pages (Corvane/md) handed to a real SMTP server on loopback in one run,
// through the same HandToGateway the send run uses. Reports pages per second (wall
// clock), the CPU time per page, and how many SMTP connections the 100 pages took
// (libcurl keeps the connection between mails where the server allows).
//
// The servers are the tests' own (tests/servers/test_servers.sh), started here in a
// folder of their own on two free ports and stopped at the end:
//
//   gateway_bench [--benchmark_repetitions=3]
#include <benchmark/benchmark.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "common/poll_pump.h"
#include "engine/transports.h"
#include "settings/mail_password.h"
#include "mail/mail_system.h"
#include "modem/port_slots.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"

namespace corvane {
namespace {

constexpr int kPages = 100;

std::string g_servers;  // the servers' state folder
int g_imapPort = 0;
int g_smtpPort = 0;

double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool Servers(const char* action, const char* kind, int port)
{
    std::string command = std::string(CORVANE_SOURCE_DIR "/tests/servers/test_servers.sh ") + action + " " + kind +
                          " " + g_servers + (port ? " " + std::to_string(port) : "") + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// The distinct client ports of the mails stored so far: one per SMTP connection.
std::size_t Connections()
{
    std::set<std::string> peers;
    std::error_code error;
    for (const auto& file : std::filesystem::directory_iterator(g_servers + "/smtp/Maildir/new", error)) {
        std::ifstream in(file.path());
        for (std::string line; std::getline(in, line);)
            if (line.rfind("X-Peer: ", 0) == 0) peers.insert(line);
    }
    return peers.size();
}

void BM_GatewayPages(benchmark::State& state)
{
    CMemorySettings settings;
    settings.Write(key::MailImapServer, "imap://127.0.0.1:" + std::to_string(g_imapPort) + "/INBOX");
    settings.Write(key::MailSmtpServer, "smtp://127.0.0.1:" + std::to_string(g_smtpPort));
    settings.Write(key::MailName, "testuser");
    settings.Write(key::MailPassword, ScrambleMailPassword("testpass"));
    settings.Write(key::PagePort, "MD");
    settings.Write(key::MailAddress, "gateway@example.org");
    CSystemClock clock;
    CPollPump pump;
    test::CRecordingMessageBox boxes;
    CPortSlots ports(settings, boxes, pump, clock);
    CMailSystem mail({settings, pump, clock, boxes});
    CTransports transports({settings, ports, nullptr, pump, clock, boxes, &mail});
    if (mail.Logon() != kMailOk) {
        state.SkipWithError(("logon failed: " + mail.LastError()).c_str());
        return;
    }
    PagerRecord pager;
    pager.UserName = "Bench";
    pager.PagerType = "1";
    pager.PhoneNumber = "5550100";
    pager.PagerID = "1001";

    double cpu = 0;
    std::size_t before = Connections();
    for (auto _ : state) {
        double start = CpuSeconds();
        for (int i = 0; i < kPages; ++i) {
            if (!transports.HandToGateway(pager, "Benchmark page " + std::to_string(i) + ": the quick brown fox", false)) {
                state.SkipWithError(("page not handed over: " + mail.LastError()).c_str());
                return;
            }
        }
        cpu += CpuSeconds() - start;
    }
    double pages = static_cast<double>(state.iterations()) * kPages;
    state.SetItemsProcessed(static_cast<std::int64_t>(pages));
    state.counters["pages_per_s"] = benchmark::Counter(pages, benchmark::Counter::kIsRate);
    state.counters["cpu_us_per_page"] = benchmark::Counter(cpu * 1e6 / pages);
    state.counters["smtp_connections"] = benchmark::Counter(static_cast<double>(Connections() - before));
}
BENCHMARK(BM_GatewayPages)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// A port nobody listens on now.
int FreePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

}  // namespace
}  // namespace corvane

int main(int argc, char** argv)
{
    using namespace corvane;
    char folder[] = "/tmp/corvane-gateway-bench-XXXXXX";
    if (!::mkdtemp(folder)) return 2;
    ::chmod(folder, 0755);  // the IMAP server's mail user must reach the mail folders
    g_servers = folder;
    g_imapPort = FreePort();
    g_smtpPort = FreePort();
    if (!Servers("start", "imap", g_imapPort) || !Servers("start", "smtp", g_smtpPort)) {
        std::fprintf(stderr, "gateway_bench: the test servers (dovecot, aiosmtpd) did not start\n");
        Servers("stop", "imap", 0);
        Servers("stop", "smtp", 0);
        return 2;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Servers("stop", "imap", 0);
    Servers("stop", "smtp", 0);
    std::error_code ignored;
    std::filesystem::remove_all(g_servers, ignored);
    return 0;
}
