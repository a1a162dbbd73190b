#pragma once
// COdbcReader: one load's conversation with the data source of the shared pager table:
// connect, read the table, close; each step repeated as often as the caller asks.
//
// With an event pump the conversation runs on a thread of its own and the caller waits
// through the pump in steps of kPumpIntervalMs, so a server that does not answer (up to the
// login and query time-outs) holds neither the window nor the tick nor a page. Without one
// (tools, benchmarks, the readers' own tests) each step runs on the calling thread.
//
// Threads and ODBC: every handle of a load (environment, connection, statement) is
// allocated, used and freed by the one thread that runs its conversation, and no call is
// ever made on a handle from another thread (no SQLCancel). What this relies on of
// unixODBC is only that its driver manager guards its own handle lists, so that threads may
// allocate and free handles of their own at the same time (another load's worker, or the
// Pager Data page listing the data sources on the program's thread), and that the drivers
// are safe for separate connections on separate threads, as ODBC requires of them. With
// the driver manager's default threading level (0) no lock is held across a driver call;
// a driver entry with "Threading = 3" would make such listing wait for the worker.
//
// The end of the program while a step waits (the pump reports DeferredQuit) abandons the
// conversation: the worker holds everything it uses, finishes its call whenever the server
// lets it, frees its handles and ends by itself; nothing of the caller's is touched.

#include <memory>
#include <string>

#include "directory/odbc_connection.h"
#include "directory/pager_list.h"

namespace corvane {

class IEventPump;

class COdbcReader {
public:
    enum class Outcome {
        Done,
        Failed,       // the driver's error says why
        NoRecordSet,  // no statement could be made on the connection
        Abandoned,    // the program is ending: the conversation was left behind
    };

    // pump null: every step runs on the calling thread.
    COdbcReader(std::string connectString, IEventPump* pump);
    // Without a Close(), a conversation still under way is abandoned.
    ~COdbcReader();
    COdbcReader(const COdbcReader&) = delete;
    COdbcReader& operator=(const COdbcReader&) = delete;

    Outcome Connect(OdbcError& error);
    // Reads the table from its first row into a list of shared pagers of its own (Pagers());
    // the pagers of a pass that failed are dropped.
    Outcome Read(OdbcError& error);
    // Discards the record set and the connection.
    void Close();
    // The pagers of the last Read that was Done; null before that.
    std::unique_ptr<CPagerList> TakePagers() { return std::move(m_pagers); }

private:
    enum class Step { Connect, Read, Close };
    class CConversation;
    struct Channel;

    Outcome Perform(Step step, OdbcError& error);
    Outcome AwaitWorker(Step step, OdbcError& error);
    bool StartWorker();
    static void Converse(std::shared_ptr<Channel> channel, std::string connectString);
    void LetWorkerGo();

    std::string m_connect;
    IEventPump* m_pump;
    std::unique_ptr<CConversation> m_here;  // the conversation when it runs on this thread
    std::shared_ptr<Channel> m_channel;     // shared with the worker thread
    std::unique_ptr<CPagerList> m_pagers;
    bool m_abandoned = false;
};

}  // namespace corvane
