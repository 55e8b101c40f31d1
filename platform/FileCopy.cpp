#include "platform/FileCopy.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

CopyResult failed(int err)
{
    return CopyResult{false, err ? err : EIO};
}

bool writeFully(int out, const char* data, ssize_t n)
{
    for (ssize_t done = 0; done < n;) {
        const ssize_t w = ::write(out, data + done, static_cast<size_t>(n - done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            if (w == 0)
                errno = ENOSPC;
            return false;
        }
        done += w;
    }
    return true;
}

CopyResult readWriteCopy(int in, int out)
{
    std::vector<char> buf(1 << 20);
    for (;;) {
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed(errno);
        if (n == 0)
            return CopyResult{true, 0};
        if (faults::injected(faults::Step::Write))
            return failed(ENOSPC);
        if (!writeFully(out, buf.data(), n))
            return failed(errno);
    }
}

} // namespace

CopyResult copyDescriptor(int in, int out)
{
    // Both descriptors' offsets advance as bytes move, so a fallback part way
    // continues where the last call stopped.
    constexpr size_t kStep = size_t(64) << 20;
    bool useRange = true;
    for (;;) {
        if (faults::injected(faults::Step::Write))
            return failed(ENOSPC);
        const ssize_t n = useRange ? ::copy_file_range(in, nullptr, out, nullptr, kStep, 0)
                                   : ::sendfile(out, in, nullptr, kStep);
        if (n == 0)
            return CopyResult{true, 0};
        if (n > 0 || errno == EINTR)
            continue;
        if (useRange && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                         errno == EOPNOTSUPP || errno == EPERM)) {
            useRange = false;
            continue;
        }
        if (!useRange && (errno == EINVAL || errno == ENOSYS))
            return readWriteCopy(in, out);
        return failed(errno);
    }
}

CopyResult copyToNewFile(int in, int folderFd, const QByteArray& name, mode_t mode, bool flush)
{
    if (faults::injected(faults::Step::Open))
        return failed(EIO);
    // O_EXCL makes the name ours alone: nothing existing is replaced, and a
    // link planted under the name is refused rather than written through.
    const int out = ::openat(folderFd, name.constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (out < 0)
        return failed(errno);
    CopyResult r = copyDescriptor(in, out);
    if (r.ok && flush) {
        if (faults::injected(faults::Step::Flush))
            r = failed(EIO);
        else if (::fdatasync(out) != 0)
            r = failed(errno);
    }
    // close() reports write-back errors some file systems only find now.
    if (::close(out) != 0 && r.ok)
        r = failed(errno);
    if (!r.ok)
        ::unlinkat(folderFd, name.constData(), 0);
    return r;
}

} // namespace platform
