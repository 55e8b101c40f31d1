// Linked into every test program: before main() runs, HOME, the XDG folders
// and TMPDIR point into one private folder for the whole run, and at the very
// end (after the application object and the dialogs that save their history
// on the way out) that folder goes, whatever the tests left in it. So no test
// writes the real user's configuration, and nothing stays in the temporary
// folder.
#include "TestWorld.h"

#include <QByteArray>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

class TestEnvironment
{
public:
    TestEnvironment()
    {
        const char* tmp = std::getenv("TMPDIR");
        m_root = QByteArray(tmp && *tmp ? tmp : "/tmp") + "/cloakwell-run-XXXXXX";
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
