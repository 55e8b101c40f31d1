#pragma once

#include "pictures/PictureLoader.h"

#include <QObject>

#include <functional>
#include <memory>
#include <thread>

namespace pictures {

// Decodes pictures on a thread of its own, so a click on a 24-megapixel photo
// never freezes a window. One decoder serves one picture view: each request
// supersedes the one before it, a superseded request that has not started is
// skipped, and a result that arrives after a newer request is dropped. The
// result is delivered on the decoder's own thread through decoded().
class PictureDecoder : public QObject
{
    Q_OBJECT
public:
    using DecodeFunction = std::function<LoadedPicture(const QString& path, QSize box)>;

    explicit PictureDecoder(QObject* parent = nullptr);
    // For tests: decodes with `decode` instead of loadPicture.
    explicit PictureDecoder(DecodeFunction decode, QObject* parent = nullptr);
    // Waits for a decode in progress to finish; its result is not delivered.
    ~PictureDecoder() override;

    // Starts decoding the file for a box (device pixels; empty for full size)
    // and returns the request's ticket.
    quint64 request(const QString& path, QSize box = {});
    // Drops the current request: nothing more is delivered until the next one.
    void cancel();
    // True from a request until its result has been delivered or dropped.
    bool busy() const { return m_busy; }
    quint64 latestTicket() const { return m_latest; }

Q_SIGNALS:
    void decoded(quint64 ticket, const pictures::LoadedPicture& picture);

private:
    struct Shared;
    void deliver(quint64 ticket, const LoadedPicture& picture);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    quint64 m_latest = 0;
    bool m_busy = false;
};

} // namespace pictures

Q_DECLARE_METATYPE(pictures::LoadedPicture)
