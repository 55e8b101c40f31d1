// Linked into every test program: before main() runs, HOME, the XDG folders
// and TMPDIR point into one private folder for the whole run, and at the very
// end (after the application object and the dialogs that save their history
// on the way out) that folder goes, whatever the tests left in it. So no test
// writes the real user's configuration, and nothing stays in the temporary
// folder.
#include "TestWorld.h"

#include <QByteArray>
#include <QList>

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

class TestEnvironment
{
public:
    TestEnvironment()
    {
        const char* tmp = std::getenv("TMPDIR");
        const QByteArray base(tmp && *tmp ? tmp : "/tmp");
        removeLeftovers(base);
        m_root = base + "/cloakwell-run-" + QByteArray::number(::getpid()) + "-XXXXXX";
        if (!::mkdtemp(m_root.data())) {
            std::perror("cloakwell tests: no private folder for the run");
            std::abort();
        }
        point("HOME", "home");
        point("XDG_CONFIG_HOME", "home/.config");
        point("XDG_DATA_HOME", "home/.local/share");
        point("XDG_STATE_HOME", "home/.local/state");
        point("XDG_CACHE_HOME", "home/.cache");
        point("XDG_RUNTIME_DIR", "runtime");
        point("TMPDIR", "tmp");
    }

    ~TestEnvironment()
    {
        // A child a test forked that ends through exit() runs this too; the
        // folder belongs to the program that made it.
        if (::getpid() != m_owner)
            return;
        if (!TestWorld::removeTree(m_root))
            std::fprintf(stderr, "cloakwell tests: could not remove %s\n", m_root.constData());
    }

private:
    // A test program that crashed or was killed could not remove its folder;
    // the next one removes those whose program is gone.
    static void removeLeftovers(const QByteArray& base)
    {
        DIR* dir = ::opendir(base.constData());
        if (!dir)
            return;
        while (const dirent* e = ::readdir(dir)) {
            const QByteArray name(e->d_name);
            if (!name.startsWith("cloakwell-run-"))
                continue;
            bool ok = false;
            const pid_t pid = name.mid(14).split('-').value(0).toInt(&ok);
            struct stat st
            {
            };
            if (ok && pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH &&
                ::lstat((base + '/' + name).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
                st.st_uid == ::getuid())
                TestWorld::removeTree(base + '/' + name);
        }
        ::closedir(dir);
    }

    void point(const char* variable, const char* relative)
    {
        const QByteArray path = m_root + '/' + relative;
        // One level at a time: the runtime folder must be private (0700).
        for (qsizetype at = m_root.size() + 1; at <= path.size(); ++at)
            if (at == path.size() || path[at] == '/')
                ::mkdir(path.left(at).constData(), 0700);
        ::setenv(variable, path.constData(), 1);
    }

    QByteArray m_root;
    const pid_t m_owner = ::getpid();
};

const TestEnvironment environment;

} // namespace
