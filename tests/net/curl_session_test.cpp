// The libcurl session against a small HTTP server on loopback: a transfer completes,
// a second one reuses the connection, a silent server times out, and a cancel from the
// event pump ends the transfer.

#include "net/curl_session.h"

#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "common/clock.h"
#include "common/poll_pump.h"
#include "tests/net/loopback.h"

namespace corvane {
namespace {

// Answers every request on a connection with "hello", or stays silent.
class CLoopbackHttp {
public:
    explicit CLoopbackHttp(bool silent) : m_silent(silent), m_thread([this] { Serve(); }) {}
    ~CLoopbackHttp()
    {
        m_listener.Close();
        m_thread.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_listener.port()) + "/"; }
    int Connections() const { return m_connections; }

private:
    void Serve()
    {
        for (;;) {
            int client = ::accept(m_listener.fd(), nullptr, nullptr);
            if (client < 0) return;
            ++m_connections;
            char buffer[4096];
            std::string request;
            while (true) {
                ssize_t n = ::read(client, buffer, sizeof buffer);
                if (n <= 0) break;
                request.append(buffer, static_cast<std::size_t>(n));
                if (m_silent) continue;
                while (request.find("\r\n\r\n") != std::string::npos) {
                    request.erase(0, request.find("\r\n\r\n") + 4);
                    const char reply[] = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello";
                    if (::write(client, reply, sizeof reply - 1) < 0) break;
                }
            }
            ::close(client);
        }
    }

    bool m_silent;
    test::CLoopbackListener m_listener {5};
    std::atomic<int> m_connections{0};
    std::thread m_thread;
};

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* target)
{
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

CURL* PrepareGet(CCurlSession& session, const std::string& url, std::string& body)
{
    CURL* easy = session.Prepare();
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    return easy;
}

TEST(CurlSessionTest, TransfersCompleteAndShareOneConnection)
{
    CLoopbackHttp server(false);
    CPollPump pump;
    CSystemClock clock;
    CCurlSession session(pump, clock);
    for (int i = 0; i < 2; ++i) {
        std::string body;
        PrepareGet(session, server.Url(), body);
        CurlOutcome outcome = session.Perform(5000);
        EXPECT_TRUE(outcome.Ok()) << outcome.error;
        EXPECT_EQ(outcome.responseCode, 200);
        EXPECT_EQ(body, "hello");
    }
    EXPECT_EQ(server.Connections(), 1);
}

// Reports Cancel from its third wait on, as the user's Cancel would.
class CCancellingPump : public IEventPump {
public:
    PumpResult Wait(int maxMs, int fd, bool takeEvents) override
    {
        if (++waits >= 3 && takeEvents) return PumpResult::Cancel;
        return inner.Wait(maxMs, fd, takeEvents);
    }
    CPollPump inner;
    int waits = 0;
};

TEST(CurlSessionTest, ASilentServerTimesOutAndACancelEndsTheTransfer)
{
    CLoopbackHttp server(true);
    CSystemClock clock;
    {
        CPollPump pump;
        CCurlSession session(pump, clock);
        std::string body;
        PrepareGet(session, server.Url(), body);
        CurlOutcome outcome = session.Perform(300);
        EXPECT_TRUE(outcome.timedOut);
        EXPECT_FALSE(outcome.Ok());
    }
    CCancellingPump pump;
    CCurlSession session(pump, clock);
    std::string body;
    PrepareGet(session, server.Url(), body);
    CurlOutcome outcome = session.Perform(10000);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(body, "");
}

}  // namespace
}  // namespace corvane
