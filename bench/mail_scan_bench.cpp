// Inbox scans of the e-mail monitor against a real IMAP server (dovecot) holding 10,000
// unread messages: the scan at the start of monitoring, which only remembers the inbox;
// a scan with one new message among them, which must read that message alone; and, for
// the largest a scan can meet, one that finds all 10,000 new. Each reports its time and
// the bytes that crossed the connection (counted by a proxy between the program and the
// server), the headers and bodies read, and the pages composed.
//
// The server is the tests' own (tests/servers/test_servers.sh), started here in a folder
// of its own on a free port and stopped at the end:
//
//   mail_scan_bench [--benchmark_repetitions=3]
#include <benchmark/benchmark.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/poll_pump.h"
#include "mail/mail_monitor.h"
#include "mail/mail_status.h"
#include "mail/mail_system.h"
#include "settings/mail_password.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"

namespace corvane {
namespace {

constexpr int kInboxSize = 10000;

std::string g_servers;
int g_imapPort = 0;

int Listener(int& port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    ::listen(fd, 8);
    return fd;
}

// Passes every connection on to the IMAP server and counts the bytes each way.
class CCountingProxy {
public:
    CCountingProxy() : m_listener(Listener(m_port)), m_thread([this] { Accept(); }) {}
    ~CCountingProxy()
    {
        m_stop = true;
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
        for (auto& pipe : m_pipes) pipe.join();
    }
    int port() const { return m_port; }
    std::uint64_t Sent() const { return m_sent; }
    std::uint64_t Received() const { return m_received; }

private:
    void Accept()
    {
        while (!m_stop) {
            int client = ::accept(m_listener, nullptr, nullptr);
            if (client < 0) return;
            int server = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(static_cast<std::uint16_t>(g_imapPort));
            if (::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
                ::close(client);
                ::close(server);
                continue;
            }
            m_pipes.emplace_back([this, client, server] { Pass(client, server); });
        }
    }
    void Pass(int client, int server)
    {
        char buffer[65536];
        pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        while (!m_stop && ::poll(fds, 2, 200) >= 0) {
            for (int i = 0; i < 2; ++i) {
                if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
                ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
                if (n <= 0) goto done;
                (i == 0 ? m_sent : m_received) += static_cast<std::uint64_t>(n);
                for (ssize_t done = 0; done < n;) {
                    ssize_t w = ::write(fds[1 - i].fd, buffer + done, static_cast<std::size_t>(n - done));
                    if (w <= 0) goto done;
                    done += w;
                }
            }
        }
    done:
        ::close(client);
        ::close(server);
    }

    int m_port = 0;
    int m_listener;
    std::atomic<bool> m_stop{false};
    std::atomic<std::uint64_t> m_sent{0}, m_received{0};
    std::vector<std::thread> m_pipes;
    std::thread m_thread;
};

// The mail system, with what the monitor asked of it counted.
class CCountingInbox final : public IMailInbox {
public:
    explicit CCountingInbox(CMailSystem& mail) : m_mail(mail) {}
    bool Installed() override { return m_mail.Installed(); }
    int Logon() override { return m_mail.Logon(); }
    bool LoggedOn() const override { return m_mail.LoggedOn(); }
    void Logoff() override { m_mail.Logoff(); }
    int ListUnread(InboxListing& listing) override { return m_mail.ListUnread(listing); }
    int ReadHeaders(const std::vector<std::uint32_t>& uids, std::vector<MailHeader>& headers) override
    {
        headerCount += uids.size();
        return m_mail.ReadHeaders(uids, headers);
    }
    int Peek(std::uint32_t uid, MailMessage& message) override
    {
        ++bodies;
        return m_mail.Peek(uid, message);
    }
    int MarkRead(std::uint32_t uid) override { return m_mail.MarkRead(uid); }
    const std::string& LastError() const override { return m_mail.LastError(); }

    std::size_t headerCount = 0;
    std::size_t bodies = 0;

private:
    CMailSystem& m_mail;
};

// Real milliseconds for the waits; the date moves only when told, so each scan is due.
class CSteppedClock : public IClock {
public:
    std::time_t Now() const override { return m_now; }
    std::uint64_t TickMs() const override { return m_real.TickMs(); }
    void Advance(int seconds) { m_now += seconds; }

private:
    std::time_t m_now = std::time(nullptr);
    CSystemClock m_real;
};

std::string Maildir()
{
    return g_servers + "/imap/mail/testuser";
}

void Deliver(int n, const std::string& subject)
{
    static int serial = 0;
    std::string name = "bench." + std::to_string(++serial) + ".corvane";
    std::string tmp = Maildir() + "/tmp/" + name;
    {
        std::ofstream out(tmp, std::ios::binary);
        out << "From: \"Build " << n << "\" <build@example.org>\r\nTo: desk@example.org\r\nSubject: " << subject
            << "\r\n\r\n";
        for (int line = 0; line < 40; ++line) out << "Line " << line << " of the nightly report, all is well.\r\n";
    }
    if (::chown(tmp.c_str(), 65534, 65534) != 0) {
        // Not root: the server runs as this user.
    }
    std::rename(tmp.c_str(), (Maildir() + "/new/" + name).c_str());
}

struct Scanner {
    CCountingProxy proxy;
    CMemorySettings settings;
    CSteppedClock clock;
    CPollPump pump;
    test::CRecordingMessageBox boxes;
    CMailSystem mail{{settings, pump, clock, boxes}};
    CCountingInbox inbox{mail};
    CMailFilterList filters;
    CPagerList pagers;
    std::size_t pages = 0;
    CMailMonitor monitor{{settings, boxes, clock, &inbox, filters, pagers, [this](MailPageSet& set) {
                              for (const MailPagerPages& pager : set.pagers) pages += pager.pages.size();
                          }}};

    Scanner()
    {
        settings.Write(key::MailImapServer, "imap://127.0.0.1:" + std::to_string(proxy.port()) + "/INBOX");
        settings.Write(key::MailName, "testuser");
        settings.Write(key::MailPassword, ScrambleMailPassword("testpass"));
        settings.Write(key::MailMonitor, "1");
        CMailFilter& alert = filters.NewFilter();
        alert.fields[0] = kFieldSubject;
        alert.comparisons[0] = kCompareContains;
        alert.keywords[0] = "ALERT";
        alert.includeFrom = alert.includeSubject = alert.includeBody = 1;
        PagerRecord& pager = *pagers.NewPager();
        pager.UserName = "On call";
        pager.PagerType = "1";
        pager.AutoPageFlags = kAutoMail;
    }
    // One scan, timed, with its costs as counters.
    void Scan(benchmark::State& state)
    {
        const std::uint64_t sent = proxy.Sent(), received = proxy.Received();
        const std::size_t headers = inbox.headerCount, bodies = inbox.bodies, paged = pages;
        for (auto _ : state) {
            state.PauseTiming();
            clock.Advance(61);
            state.ResumeTiming();
            monitor.Tick(60);
        }
        const double scans = static_cast<double>(state.iterations());
        state.counters["bytes_to_server"] = benchmark::Counter(static_cast<double>(proxy.Sent() - sent) / scans);
        state.counters["bytes_from_server"] = benchmark::Counter(static_cast<double>(proxy.Received() - received) / scans);
        state.counters["headers_read"] = benchmark::Counter(static_cast<double>(inbox.headerCount - headers) / scans);
        state.counters["bodies_read"] = benchmark::Counter(static_cast<double>(inbox.bodies - bodies) / scans);
        state.counters["pages"] = benchmark::Counter(static_cast<double>(pages - paged) / scans);
        state.counters["unread"] = benchmark::Counter(static_cast<double>(monitor.SeenList().entries.size()));
    }
};

std::unique_ptr<Scanner> g_scanner;

// Monitoring begins: the 10,000 unread messages are only remembered.
void BM_ScanAtMonitoringStart(benchmark::State& state)
{
    g_scanner->monitor.EmptySeenLists();
    g_scanner->monitor.StartMonitoring();
    g_scanner->Scan(state);
}
BENCHMARK(BM_ScanAtMonitoringStart)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// One new message among the 10,000 already seen: paged, and nothing else read.
void BM_ScanWithOneNewMessage(benchmark::State& state)
{
    const std::uint64_t sent = g_scanner->proxy.Sent(), received = g_scanner->proxy.Received();
    const std::size_t bodies = g_scanner->inbox.bodies, pages = g_scanner->pages;
    for (auto _ : state) {
        state.PauseTiming();
        Deliver(0, "ALERT disk full on db1");
        g_scanner->clock.Advance(61);
        state.ResumeTiming();
        g_scanner->monitor.Tick(60);
    }
    const double scans = static_cast<double>(state.iterations());
    state.counters["bytes_to_server"] = benchmark::Counter(static_cast<double>(g_scanner->proxy.Sent() - sent) / scans);
    state.counters["bytes_from_server"] =
        benchmark::Counter(static_cast<double>(g_scanner->proxy.Received() - received) / scans);
    state.counters["bodies_read"] = benchmark::Counter(static_cast<double>(g_scanner->inbox.bodies - bodies) / scans);
    state.counters["pages"] = benchmark::Counter(static_cast<double>(g_scanner->pages - pages) / scans);
}
BENCHMARK(BM_ScanWithOneNewMessage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// A scan with no new mail: the listing alone.
void BM_ScanWithNothingNew(benchmark::State& state)
{
    g_scanner->Scan(state);
}
BENCHMARK(BM_ScanWithNothingNew)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The most a scan meets: every unread message is new to it (a first scan that came
// late); headers for all, bodies for none, since no filter takes them.
void BM_ScanWithAllNew(benchmark::State& state)
{
    CSeenMailList empty = g_scanner->monitor.SeenList();
    empty.entries.clear();
    const std::uint64_t sent = g_scanner->proxy.Sent(), received = g_scanner->proxy.Received();
    std::size_t examined = 0;
    for (auto _ : state) {
        InboxScanOutcome outcome = ScanInbox({g_scanner->inbox, g_scanner->filters, g_scanner->pagers, g_scanner->settings},
                                             &empty, 0, g_scanner->clock.Now());
        examined = outcome.dealtWith.size();
        if (outcome.status != kMailOk) state.SkipWithError("the scan failed");
    }
    const double scans = static_cast<double>(state.iterations());
    state.counters["bytes_to_server"] = benchmark::Counter(static_cast<double>(g_scanner->proxy.Sent() - sent) / scans);
    state.counters["bytes_from_server"] =
        benchmark::Counter(static_cast<double>(g_scanner->proxy.Received() - received) / scans);
    state.counters["messages_matched"] = benchmark::Counter(static_cast<double>(examined));
}
BENCHMARK(BM_ScanWithAllNew)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

bool Servers(const char* action, int port)
{
    std::string command = std::string(CORVANE_SOURCE_DIR "/tests/servers/test_servers.sh ") + action + " imap " +
                          g_servers + (port ? " " + std::to_string(port) : "") + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

}  // namespace
}  // namespace corvane

int main(int argc, char** argv)
{
    using namespace corvane;
    char folder[] = "/tmp/corvane-mail-scan-bench-XXXXXX";
    if (!::mkdtemp(folder)) return 2;
    ::chmod(folder, 0755);  // the IMAP server's mail user must reach the mail folders
    g_servers = folder;
    ::close(Listener(g_imapPort));  // a port nobody listens on now
    if (!Servers("start", g_imapPort)) {
        std::fprintf(stderr, "mail_scan_bench: the IMAP test server (dovecot) did not start\n");
        Servers("stop", 0);
        return 2;
    }
    for (const char* sub : {"", "/new", "/cur", "/tmp"}) {
        const std::string path = Maildir() + sub;
        ::mkdir(path.c_str(), 0700);
        if (::chown(path.c_str(), 65534, 65534) != 0) {
            // Not root: the server runs as this user.
        }
    }
    for (int n = 1; n <= kInboxSize; ++n) Deliver(n, "Nightly report " + std::to_string(n));
    g_scanner = std::make_unique<Scanner>();
    // The server indexes the new folder at its first look: that is its cost, not a scan's.
    InboxListing warm;
    if (g_scanner->mail.Logon() != kMailOk || g_scanner->mail.ListUnread(warm) != kMailOk ||
        warm.unread.size() != static_cast<std::size_t>(kInboxSize) || !g_scanner->monitor.Apply(false)) {
        std::fprintf(stderr, "mail_scan_bench: the inbox could not be read (%zu unread): %s\n", warm.unread.size(),
                     g_scanner->mail.LastError().c_str());
        g_scanner.reset();
        Servers("stop", 0);
        return 2;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_scanner.reset();
    Servers("stop", 0);
    std::error_code ignored;
    std::filesystem::remove_all(g_servers, ignored);
    return 0;
}
