#pragma once
// Shells and libraries that record what the program core asked of them.

#include <string>
#include <utility>
#include <vector>

#include "app/core/command_topics.h"
#include "app/core/hook_library.h"

namespace corvane::test {

class CRecordingCommandShell : public ICommandShell {
public:
    void AddNewPager() override { ++addPagerCalls; }
    void RereadPagers() override { ++rereadCalls; }
    void RequestClose() override { closeRequested = true; }
    void ShowQueueCount(int count) override { queueCounts.push_back(count); }
    void BringToFront() override { ++frontCalls; }

    int addPagerCalls = 0;
    int rereadCalls = 0;
    int frontCalls = 0;
    bool closeRequested = false;
    std::vector<int> queueCounts;
};

// The input hook library's results without X: a watch that is on already answers 0.
// Each call is logged with its result.
class CFakeHookLibrary : public IHookLibrary {
public:
    int RegisterHookSendWindow(int fd) override { return Log("Register " + std::to_string(fd), 1); }
    int StartCBT() override { return Log("StartCBT", 1); }
    int StopCBT() override { return Log("StopCBT", 1); }
    int StartKeyOrMouse() override { return Log("StartKeyOrMouse", std::exchange(watching, true) ? 0 : 1); }
    int StopKeyOrMouse() override
    {
        watching = false;
        return Log("StopKeyOrMouse", 1);
    }
    bool ActivateScreenSaver() override { return Log("ActivateScreenSaver", 1); }

    bool watching = false;
    std::vector<std::string> calls;

private:
    int Log(const std::string& call, int result)
    {
        calls.push_back(call + "=" + std::to_string(result));
        return result;
    }
};

}  // namespace corvane::test
