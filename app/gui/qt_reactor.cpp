#include "app/gui/qt_reactor.h"

#include <QSocketNotifier>

namespace corvane {

CQtReactor::~CQtReactor()
{
    for (auto& [fd, watched] : m_watched) delete watched->notifier;
}

void CQtReactor::Watch(int fd, std::function<void()> onReadable)
{
    Unwatch(fd);
    auto watched = std::make_shared<Watched>();
    watched->onReadable = std::move(onReadable);
    watched->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    std::weak_ptr<Watched> weak = watched;
    QObject::connect(watched->notifier, &QSocketNotifier::activated, watched->notifier, [weak] {
        // The callback may unwatch its own descriptor: the entry lives until it returns.
        if (std::shared_ptr<Watched> alive = weak.lock()) alive->onReadable();
    });
    m_watched[fd] = std::move(watched);
}

void CQtReactor::Unwatch(int fd)
{
    auto it = m_watched.find(fd);
    if (it == m_watched.end()) return;
    // Called from the notifier's own signal, so it is deleted once the signal returns;
    // disabled now, it reports nothing for a descriptor number that is reused meanwhile.
    it->second->notifier->setEnabled(false);
    it->second->notifier->deleteLater();
    m_watched.erase(it);
}

}  // namespace corvane
