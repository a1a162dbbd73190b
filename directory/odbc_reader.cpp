#include "directory/odbc_reader.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "common/event_pump.h"
#include "directory/odbc_list.h"

namespace corvane {

// The ODBC objects of one load, made, used and freed by one thread.
class COdbcReader::CConversation {
public:
    explicit CConversation(std::string connectString) : m_connect(std::move(connectString)) {}

    Outcome Perform(Step step, OdbcError& error, std::unique_ptr<CPagerList>& pagers)
    {
        if (step == Step::Connect) return m_database.Open(m_connect, error) ? Outcome::Done : Outcome::Failed;
        if (!m_records) {
            auto records = std::make_unique<CODBCList>(m_database);
            if (!records->Create()) return Outcome::NoRecordSet;
            m_records = std::move(records);
        }
        pagers = std::make_unique<CPagerList>();
        if (m_records->Open(error) && m_records->ReadInto(*pagers, error)) return Outcome::Done;
        pagers.reset();
        return Outcome::Failed;
    }

private:
    std::string m_connect;
    COdbcConnection m_database;
    std::unique_ptr<CODBCList> m_records;  // declared after the connection: freed before it
};

// What the caller and the worker thread hand each other, under the mutex. The worker holds
// its own reference, so a caller that has gone leaves nothing behind that it could touch.
struct COdbcReader::Channel {
    std::mutex mutex;
    std::condition_variable asked;
    std::optional<Step> step;        // asked of the worker and not yet taken
    bool finish = false;             // the caller has gone: close and end
    std::optional<Outcome> outcome;  // the answer to the last step taken
    OdbcError error;
    std::unique_ptr<CPagerList> pagers;
};

COdbcReader::COdbcReader(std::string connectString, IEventPump* pump)
    : m_connect(std::move(connectString)), m_pump(pump)
{
}

COdbcReader::~COdbcReader()
{
    LetWorkerGo();
}

COdbcReader::Outcome COdbcReader::Connect(OdbcError& error)
{
    return Perform(Step::Connect, error);
}

COdbcReader::Outcome COdbcReader::Read(OdbcError& error)
{
    return Perform(Step::Read, error);
}

void COdbcReader::Close()
{
    OdbcError ignored;
    Perform(Step::Close, ignored);
}

COdbcReader::Outcome COdbcReader::Perform(Step step, OdbcError& error)
{
    if (m_abandoned) return Outcome::Abandoned;
    // The first step decides where the conversation runs.
    if (!m_here && !m_channel) {
        if (step == Step::Close) return Outcome::Done;
        if (!m_pump || !StartWorker()) m_here = std::make_unique<CConversation>(m_connect);
    }
    if (m_channel) return AwaitWorker(step, error);

    if (step == Step::Close) {
        m_here.reset();
        return Outcome::Done;
    }
    std::unique_ptr<CPagerList> pagers;
    Outcome outcome = m_here->Perform(step, error, pagers);
    if (step == Step::Read) m_pagers = std::move(pagers);
    return outcome;
}

bool COdbcReader::StartWorker()
{
    auto channel = std::make_shared<Channel>();
    try {
        std::thread(&COdbcReader::Converse, channel, m_connect).detach();
    } catch (const std::system_error&) {
        return false;  // no thread to be had: the conversation runs on this one
    }
    m_channel = std::move(channel);
    return true;
}

COdbcReader::Outcome COdbcReader::AwaitWorker(Step step, OdbcError& error)
{
    const std::shared_ptr<Channel> channel = m_channel;
    {
        std::lock_guard lock(channel->mutex);
        channel->step = step;
        channel->outcome.reset();
    }
    channel->asked.notify_one();
    // Short waits first, so that a server that answers at once costs no more than a few
    // milliseconds a step; then the pump's interval, so that a slow one costs nothing.
    int waitMs = 2;
    for (;;) {
        {
            std::lock_guard lock(channel->mutex);
            if (channel->outcome) {
                error = std::move(channel->error);
                if (step == Step::Read) m_pagers = std::move(channel->pagers);
                if (step == Step::Close) m_channel.reset();  // the worker has ended
                return *channel->outcome;
            }
        }
        // The program's events run meanwhile. The user's Cancel is meant for a page and
        // leaves the reading alone; only the end of the program ends the wait.
        if (m_pump->Wait(waitMs, -1, true) == PumpResult::DeferredQuit) {
            m_abandoned = true;
            LetWorkerGo();
            return Outcome::Abandoned;
        }
        waitMs = std::min(2 * waitMs, kPumpIntervalMs);
    }
}

void COdbcReader::LetWorkerGo()
{
    if (!m_channel) return;
    {
        std::lock_guard lock(m_channel->mutex);
        m_channel->finish = true;
    }
    m_channel->asked.notify_one();
    m_channel.reset();
}

void COdbcReader::Converse(std::shared_ptr<Channel> channel, std::string connectString)
{
    auto conversation = std::make_unique<CConversation>(std::move(connectString));
    std::unique_lock lock(channel->mutex);
    for (;;) {
        channel->asked.wait(lock, [&] { return channel->step.has_value() || channel->finish; });
        // A caller that has gone: the conversation is closed on leaving, after the lock.
        if (channel->finish) return;
        const Step step = *channel->step;
        channel->step.reset();
        lock.unlock();

        OdbcError error;
        std::unique_ptr<CPagerList> pagers;
        Outcome outcome = Outcome::Done;
        if (step == Step::Close)
            conversation.reset();
        else
            outcome = conversation->Perform(step, error, pagers);

        lock.lock();
        channel->error = std::move(error);
        channel->pagers = std::move(pagers);
        channel->outcome = outcome;
        if (step == Step::Close) return;
    }
}

}  // namespace corvane
