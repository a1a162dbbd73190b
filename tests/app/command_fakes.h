#pragma once
// A shell that records what the command topics asked of it.

#include <vector>

#include "app/core/command_topics.h"

namespace corvane::test {

class CRecordingCommandShell : public ICommandShell {
public:
    void AddNewPager() override { ++addPagerCalls; }
    void RereadPagers() override { ++rereadCalls; }
    void RequestClose() override { closeRequested = true; }
    void ShowQueueCount(int count) override { queueCounts.push_back(count); }

    int addPagerCalls = 0;
    int rereadCalls = 0;
    bool closeRequested = false;
    std::vector<int> queueCounts;
};

}  // namespace corvane::test
