#include "platform/PageWorker.h"

#include <QCoreApplication>
#include <QThread>

#include <glog/logging.h>

namespace platform {

PageWorker::PageWorker(MessageTarget *owner, std::string name)
    : m_pOwner(owner), m_name(std::move(name))
{
    if (m_pOwner)
        m_pOwner->m_workers.push_back(this);
}

PageWorker::~PageWorker()
{
    if (m_thread.joinable() && m_pOwner)
        m_pOwner->Detach();
    Stop();
    if (m_pOwner)
        std::erase(m_pOwner->m_workers, this);
}

void PageWorker::Start(Work work)
{
    Stop();
    m_bStop = false;
    auto finished = std::make_shared<std::atomic<bool>>(false);
    m_pFinished = finished;
    m_thread = std::thread([this, work = std::move(work), finished] {
        work(m_bStop);
        *finished = true;
    });
}

bool PageWorker::IsRunning() const
{
    return m_thread.joinable() && m_pFinished && !m_pFinished->load();
}

void PageWorker::Stop(std::chrono::milliseconds logAfter)
{
    m_bStop = true;
    if (!m_thread.joinable())
        return;
    JoinPumping(m_thread, *m_pFinished, m_name, logAfter);
}

void PageWorker::JoinPumping(std::thread &thread, const std::atomic<bool> &finished,
                             const std::string &name, std::chrono::milliseconds logAfter)
{
    if (!thread.joinable())
        return;
    auto *app = QCoreApplication::instance();
    const bool onGui = app && QThread::currentThread() == app->thread();
    const auto start = std::chrono::steady_clock::now();
    bool logged = false;
    while (!finished) {
        if (onGui)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!logged && std::chrono::steady_clock::now() - start > logAfter) {
            LOG(WARNING) << name << " still running " << logAfter.count()
                         << " ms after its stop; waiting on";
            logged = true;
        }
    }
    // An event handled while pumping may have stopped and joined this worker already.
    if (thread.joinable())
        thread.join();
}

}
