#include "pictures/PictureDecoder.h"

#include <condition_variable>
#include <mutex>
#include <optional>

namespace pictures {

struct PictureDecoder::Shared
{
    struct Job
    {
        quint64 ticket;
        QString path;
        QSize box;
    };
    std::mutex mutex;
    std::condition_variable wake;
    std::optional<Job> pending; // only the newest waiting request is kept
    bool stop = false;
    DecodeFunction decode;
};

PictureDecoder::PictureDecoder(QObject* parent)
    : PictureDecoder([](const QString& path, QSize box) { return loadPicture(path, box); }, parent)
{
}

PictureDecoder::PictureDecoder(DecodeFunction decode, QObject* parent)
    : QObject(parent), m_shared(std::make_shared<Shared>())
{
    m_shared->decode = std::move(decode);
    // The thread only touches the shared state and posts results back to the
    // decoder's thread; the decoder itself is never used from the worker. It
    // outlives the thread (the destructor joins it), and Qt discards calls
    // still queued for it when it is deleted.
    m_thread = std::thread([shared = m_shared, self = this] {
        for (;;) {
            Shared::Job job;
            {
                std::unique_lock lock(shared->mutex);
                shared->wake.wait(lock, [&] { return shared->stop || shared->pending; });
                if (shared->stop)
                    return;
                job = std::move(*shared->pending);
                shared->pending.reset();
            }
            LoadedPicture result = shared->decode(job.path, job.box);
            {
                std::lock_guard lock(shared->mutex);
                if (shared->stop)
                    return;
            }
            QMetaObject::invokeMethod(
                self,
                [self, ticket = job.ticket, result = std::move(result)] {
                    self->deliver(ticket, result);
                },
                Qt::QueuedConnection);
        }
    });
}

PictureDecoder::~PictureDecoder()
{
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stop = true;
        m_shared->pending.reset();
    }
    m_shared->wake.notify_all();
    m_thread.join();
}

quint64 PictureDecoder::request(const QString& path, QSize box)
{
    const quint64 ticket = ++m_latest;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->pending = Shared::Job{ticket, path, box};
    }
    m_shared->wake.notify_one();
    m_busy = true;
    return ticket;
}

void PictureDecoder::cancel()
{
    ++m_latest;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->pending.reset();
    }
    m_busy = false;
}

void PictureDecoder::deliver(quint64 ticket, const LoadedPicture& picture)
{
    if (ticket != m_latest)
        return; // a newer request has taken over
    m_busy = false;
    Q_EMIT decoded(ticket, picture);
}

} // namespace pictures
