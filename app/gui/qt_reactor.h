#pragma once
// Descriptors of the core (the command server's sockets, the hook channel) watched by
// the Qt event loop.

#include <functional>
#include <map>
#include <memory>

#include "common/reactor.h"

class QSocketNotifier;

namespace corvane {

class CQtReactor final : public IReactor {
public:
    CQtReactor() = default;
    ~CQtReactor() override;
    CQtReactor(const CQtReactor&) = delete;
    CQtReactor& operator=(const CQtReactor&) = delete;

    void Watch(int fd, std::function<void()> onReadable) override;
    void Unwatch(int fd) override;
    bool Watching(int fd) const { return m_watched.count(fd) != 0; }

private:
    struct Watched {
        QSocketNotifier* notifier = nullptr;
        std::function<void()> onReadable;
    };
    std::map<int, std::shared_ptr<Watched>> m_watched;
};

}  // namespace corvane
