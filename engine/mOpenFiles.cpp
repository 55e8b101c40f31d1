#include "engine/mOpenFiles.h"

#include "engine/mEncrypt.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QFileInfo>

namespace mOpenFiles {

namespace {

const QLatin1String kIexplore("iexplore.exe");

QString tooLargeText()
{
    return QStringLiteral("This file is too large to be opened while hidden. In order to view this "
                          "file you may first\r\nunhide it, or increase the 'Temporary File "
                          "Execution' threshold in the Options window.");
}

// The part of the readable name from its last dot on, dot included.
QString extensionWithDot(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

Outcome offerOpenWith(const QString& file, const QString& typeName, const Context& ctx)
{
    if (!ctx.openWith)
        return Outcome::Failed;
    const auto choice = ctx.openWith(file, typeName);
    if (!choice)
        return Outcome::Cancelled;
    const bool started = choice->app ? ctx.launcher.startApp(*choice->app, file)
                                     : ctx.launcher.startCommand(choice->command, file);
    if (started)
        return Outcome::Started;
    ctx.prompt.message(QStringLiteral("Cannot open file"));
    return Outcome::Refused;
}

// typeName is the readable name the file stands for: it picks the program and
// is what the Open With dialog shows, while the program gets the file itself.
Outcome launchAs(const QString& file, const QString& typeName, const Context& ctx)
{
    const auto app = ctx.launcher.defaultAppFor(typeName);
    const QString x = app ? app->executable : QString();
    if (!x.isEmpty()) {
        QString p = file;
        if (x.right(12).toLower() == kIexplore)
            p.prepend(QStringLiteral("file:///"));
        // Like the shell's own launch of the program, a failure here ends
        // the open without a message.
        return ctx.launcher.startApp(*app, p) ? Outcome::Started : Outcome::Failed;
    }
    // No program for the type. What the shell would answer for a file it
    // cannot even read is "Cannot open file"; otherwise the user picks one.
    if (!QFileInfo(file).isReadable()) {
        ctx.prompt.message(QStringLiteral("Cannot open file"));
        return Outcome::Refused;
    }
    return offerOpenWith(file, typeName, ctx);
}

} // namespace

QString readableName(const QString& path, bool hidden)
{
    const QString bare = platform::bareName(path);
    return hidden && mEncrypt::is_hidden_name(bare) ? mEncrypt::plain_name(bare) : bare;
}

QString find_executable(const QString& path, AppLauncher& launcher)
{
    const auto app = launcher.defaultAppFor(platform::bareName(path));
    return app ? app->executable : QString();
}

Outcome launch_file(const QString& file, bool plainNameFlag, const Context& ctx)
{
    // The association comes from the readable name, so a hidden file is never
    // renamed just to be looked up.
    return launchAs(file, readableName(file, plainNameFlag), ctx);
}

OpenResult open_file(const QString& path, bool hidden, const Context& ctx)
{
    OpenResult r;
    if (!platform::fileExists(path)) {
        ctx.prompt.message(QStringLiteral("File not found. Try refreshing the screen"));
        r.outcome = Outcome::Refused;
        return r;
    }
    // A named pipe, socket or device (the Explorer lists them anywhere) is
    // neither opened here, where it could block for ever, nor handed on.
    if (!platform::isRegularFile(path)) {
        ctx.prompt.message(QStringLiteral("Cannot open file"));
        r.outcome = Outcome::Refused;
        return r;
    }
    const QString bare = platform::bareName(path);
    const bool isHidden = hidden && mEncrypt::is_hidden_name(bare);
    const short level = isHidden ? mEncrypt::hidden_level(bare) : 0;
    const QString name = readableName(path, isHidden);
    const auto size = platform::fileSize(path);
    if (!size)
        return r;

    if (*size <= ctx.prefs.threshold) {
        const TempCopy copy = make_temporary_copy(path, level, extensionWithDot(name));
        if (copy.status == TempCopy::Status::FolderRefused) {
            ctx.prompt.message(QStringLiteral("This file cannot be opened, because no private "
                                              "temporary copy can be made. ") +
                               copy.reason);
            r.outcome = Outcome::Refused;
            return r;
        }
        if (copy.status != TempCopy::Status::Made)
            return r;
        r.openedPath = copy.path;
        // The copy's own name ends in the same extension, but the readable
        // name also types names without one ("Makefile"), and it is the name
        // the user knows when Open With asks.
        r.outcome = launchAs(copy.path, name, ctx);
        return r;
    }

    if (isHidden && level >= 2) {
        // Levels 2 and 3 leave the start of the file scrambled: no program can
        // read it in place, and a copy this large is what the threshold forbids.
        ctx.prompt.message(tooLargeText(), QStringLiteral("Level %1 Encryption Detected: \"%2\"")
                                               .arg(QString::number(level), name));
        r.outcome = Outcome::Refused;
        return r;
    }
    r.openedPath = path;
    r.outcome = launch_file(path, isHidden, ctx);
    return r;
}

} // namespace mOpenFiles
