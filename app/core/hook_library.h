#pragma once
// The input hook library as the program sees it, and the descriptor its reports
// arrive on.

#include <cstdint>
#include <functional>

namespace corvane {

// The library's calls, behind an interface so that the monitoring reactions can be
// tested without a display.
class IHookLibrary {
public:
    virtual ~IHookLibrary() = default;
    virtual int RegisterHookSendWindow(int fd) = 0;  // a negative descriptor clears it
    virtual int StartCBT() = 0;                      // 0 when already started, else 1
    virtual int StopCBT() = 0;                       // 1
    virtual int StartKeyOrMouse() = 0;               // 0 when already started, else 1
    virtual int StopKeyOrMouse() = 0;                // 1
    // Starts the screen saver now; false when there is no display.
    virtual bool ActivateScreenSaver() = 0;
};

// libinputhook.so itself.
class CInputHookLibrary final : public IHookLibrary {
public:
    int RegisterHookSendWindow(int fd) override;
    int StartCBT() override;
    int StopCBT() override;
    int StartKeyOrMouse() override;
    int StopKeyOrMouse() override;
    bool ActivateScreenSaver() override;
};

// A connected pair of local sockets: the library writes its reports into one end, the
// shell watches the other from its event loop (IReactor) and calls ReadAll when it is
// readable. Each report is one packet, so a report is never split or merged.
class CHookChannel {
public:
    CHookChannel() = default;
    ~CHookChannel();
    CHookChannel(const CHookChannel&) = delete;
    CHookChannel& operator=(const CHookChannel&) = delete;

    bool Open();
    void Close();
    int LibraryFd() const { return m_libraryFd; }  // for RegisterHookSendWindow
    int ReadFd() const { return m_readFd; }        // for the event loop

    // Reads the reports waiting (at most a batch, so that a flood cannot hold up the
    // event loop; the descriptor stays readable for the rest), hands each message on
    // and returns how many there were. Never blocks.
    int ReadAll(const std::function<void(std::uint32_t message)>& onMessage);

    static constexpr int kBatch = 64;

private:
    int m_libraryFd = -1;
    int m_readFd = -1;
};

}  // namespace corvane
