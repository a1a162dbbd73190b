// The paging-server client and listener: the request to the byte against a receiver on
// loopback, the dotted address, the failure texts, and the texts the server sends back.

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "engine/transports.h"
#include "modem/port_slots.h"
#include "net/paging_server_client.h"
#include "net/paging_server_listener.h"
#include "settings/memory_settings.h"
#include "tests/net/loopback.h"
#include "tests/support/fakes.h"

namespace corvane {
namespace {

using namespace test;

// Takes connections and keeps what each one brought, up to the peer's close.
class CReceiver {
public:
    CReceiver()
    {
        m_thread = std::thread([this] {
            for (int client; (client = ::accept(m_listener.fd(), nullptr, nullptr)) >= 0; ::close(client)) {
                std::string bytes;
                char chunk[4096];
                for (ssize_t n; (n = ::read(client, chunk, sizeof chunk)) > 0;) bytes.append(chunk, static_cast<std::size_t>(n));
                std::lock_guard lock(m_mutex);
                m_requests.push_back(bytes);
            }
        });
    }
    ~CReceiver()
    {
        m_listener.Close();
        m_thread.join();
    }
    int port() const { return m_listener.port(); }
    std::vector<std::string> Requests(std::size_t expected)
    {
        for (int i = 0; i < 500; ++i) {
            {
                std::lock_guard lock(m_mutex);
                if (m_requests.size() >= expected) return m_requests;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    CLoopbackListener m_listener {5};
    std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

PagerRecord Alpha()
{
    PagerRecord p;
    p.UserName = "Bob";
    p.PagerType = "1";
    p.PhoneNumber = "5550100";
    p.PagerID = "1002";
    p.SystemPassword = "pw";
    return p;
}

PagerRecord Numeric()
{
    PagerRecord p;
    p.UserName = "Net";
    p.PhoneNumber = "123";
    p.PagerID = "77";
    p.DelayTime = "2";
    p.PinDelayTime = "3";
    p.Separator = "#";
    return p;
}

TEST(PagingServer, AddressesAndRequestBytes)
{
    struct Case {
        const char* setting;
        const char* dotted;
    };
    const Case addresses[] = {{"3232235777", "192.168.1.1"}, {"167772165", "10.0.0.5"}, {"4294967295", "255.255.255.255"},
                              {"0", "0.0.0.0"},              {"router", "0.0.0.0"},     {"99999999999", "255.255.255.255"}};
    for (const Case& c : addresses) EXPECT_EQ(DottedAddress(PagingServerAddress(c.setting)), c.dotted) << c.setting;

    EXPECT_EQ(PagingServerRequest(Alpha(), std::string("Hi\x02there", 8), "300"),
              std::string("Hi\x02there\x02" "Bob\x02" "A/5550100/1002/300/pw/80"));
    PagerRecord fast = Alpha();
    fast.BaudRate = "2400";
    EXPECT_EQ(PagerDescriptor(fast, "300"), "A/5550100/1002/2400/pw/80");
    EXPECT_EQ(PagerDescriptor(Alpha(), "1200"), "A/5550100/1002/1200/pw/80");  // "<default>"
    EXPECT_EQ(PagerDescriptor(Numeric(), "300"), "N/123/77/2/3/#");
    PagerRecord empty;  // every field empty but its separator is still there
    empty.PagerType = "2";
    empty.DelayTime = empty.PinDelayTime = empty.Separator = "";
    EXPECT_EQ(PagerDescriptor(empty, "300"), "N/////");
}

class PagingServerSend : public ::testing::Test {
protected:
    PagingServerSend() { settings.Write(key::IPAddress, "2130706433"); }  // 127.0.0.1
    bool Send(const PagerRecord& pager, const std::string& text, bool show = true)
    {
        return SendToPagingServer({settings, pump, clock, boxes}, pager, text, show);
    }
    CMemorySettings settings;
    CFakeClock clock;
    CFastForwardPump pump{clock};
    CRecordingMessageBox boxes;
};

TEST_F(PagingServerSend, OneConnectionPerPageAndNothingAfterTheDescriptor)
{
    CReceiver receiver;
    settings.Write(key::IPPort, std::to_string(receiver.port()));
    settings.Write(key::PagePortBaud, "9600");
    EXPECT_TRUE(Send(Alpha(), "Call the office"));
    // The send run's way there: "PagePort" "SV".
    settings.Write(key::PagePort, "SV");
    CPortSlots ports(settings, boxes, pump, clock);
    CTransports transports({settings, ports, nullptr, pump, clock, boxes});
    EXPECT_TRUE(transports.HandToGateway(Numeric(), "5551212", true));
    EXPECT_EQ(receiver.Requests(2),
              (std::vector<std::string>{"Call the office\x02" "Bob\x02" "A/5550100/1002/9600/pw/80",
                                        "5551212\x02" "Net\x02" "N/123/77/2/3/#"}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PagingServerSend, RefusedSilentAndCancelledConnections)
{
    const std::string prefix = "Socket Error: Unable to connect to the Corvane/sv paging server.  ";
    settings.Write(key::IPPort, std::to_string(ClosedLoopbackPort()));
    EXPECT_FALSE(Send(Alpha(), "x"));
    EXPECT_EQ(boxes.Texts(), prefix + "The paging server cannot be found at the specified IP and Port.  The paging "
                                      "server may be down, or you may have selected an incorrect IP address or port.  "
                                      "Check the IP and Port settings on the modem configuration dialog box.\n");
    EXPECT_FALSE(Send(Alpha(), "x", false));
    EXPECT_EQ(boxes.shown.size(), 1u);

    // A server whose queue is full never completes the handshake: no response.
    CLoopbackListener full(0, true);
    settings.Write(key::IPPort, std::to_string(full.port()));
    boxes.shown.clear();
    std::uint64_t start = clock.TickMs();
    EXPECT_FALSE(Send(Alpha(), "x"));
    EXPECT_GE(clock.TickMs() - start, static_cast<std::uint64_t>(kPagingServerTimeoutMs));
    EXPECT_EQ(boxes.Texts(), prefix + "There was no response at the selected IP address.  Check the IP setting on the "
                                      "modem configuration dialog box.\n");

    // Cancel while waiting: no message, nothing sent.
    CFakePump cancelling(clock);
    cancelling.PostCancel();
    boxes.shown.clear();
    EXPECT_FALSE(SendToPagingServer({settings, cancelling, clock, boxes}, Alpha(), "x", true));
    EXPECT_TRUE(boxes.shown.empty());

    EXPECT_EQ(PagingServerConnectText(EHOSTUNREACH).substr(prefix.size() - 14), "Error code 0x71 was received.");
    EXPECT_EQ(PagingServerSocketText(EMFILE), "Unable to create socket.  Error code 18 was received.");
}

// Watches descriptors with poll(), as the headless shell's loop does.
class CTestReactor : public IReactor {
public:
    void Watch(int fd, std::function<void()> onReadable) override { m_watched[fd] = std::move(onReadable); }
    void Unwatch(int fd) override { m_watched.erase(fd); }
    void RunFor(int ms)
    {
        for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
             std::chrono::steady_clock::now() < end;) {
            std::vector<pollfd> fds;
            for (auto& [fd, callback] : m_watched) fds.push_back({fd, POLLIN, 0});
            if (::poll(fds.data(), fds.size(), 10) <= 0) continue;
            for (const pollfd& p : fds)
                if ((p.revents & (POLLIN | POLLHUP)) && m_watched.count(p.fd)) {
                    auto callback = m_watched[p.fd];
                    callback();
                }
        }
    }
    std::size_t Watched() const { return m_watched.size(); }

private:
    std::map<int, std::function<void()>> m_watched;
};

TEST(PagingServerListener, ShowsEachTextAndLetsGoOfClosedConnections)
{
    CTestReactor reactor;
    CRecordingMessageBox boxes;
    {
        CPagingServerListener listener(reactor, boxes);
        ASSERT_TRUE(listener.Listen(0));
        CPagingServerListener second(reactor, boxes);
        EXPECT_FALSE(second.Listen(listener.Port()));  // the port is taken: no listener, no harm

        int client = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = LoopbackAddress(listener.Port());
        ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        const std::string text = "Page to Bob delivered";
        ASSERT_EQ(::write(client, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        reactor.RunFor(200);
        EXPECT_EQ(listener.Connections(), 1u);
        ::close(client);
        reactor.RunFor(200);
        EXPECT_EQ(listener.Connections(), 0u);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, text);
        EXPECT_EQ(boxes.shown[0].caption, "Message from Paging Server");
        EXPECT_EQ(boxes.shown[0].buttons, MbButtons::Ok);
    }
    EXPECT_EQ(reactor.Watched(), 0u);
}

}  // namespace
}  // namespace corvane
