#include "mainwindow/CommandLine.h"

#include "mainwindow/Version.h"

namespace mainwindow {

namespace {

QString helpText()
{
    return QStringLiteral("Usage: cloakwell [OPTION] [PICTURE...]\n"
                          "%1 keeps picture and video collections out of sight behind a password.\n"
                          "Pictures named on the command line open in viewers after the password.\n"
                          "\n"
                          "Options:\n"
                          "  -h, --help     show this help and exit\n"
                          "  -v, --version  show the version and exit\n"
                          "\n"
                          "Qt's own options (such as -platform or -style) are also accepted.\n")
        .arg(productName());
}

// Options Qt's application object takes itself, with the number of values each
// takes; they are left for it.
int qtOptionValues(const QString& arg)
{
    static const QStringList withValue = {QStringLiteral("-platform"),
                                          QStringLiteral("-platformpluginpath"),
                                          QStringLiteral("-platformtheme"),
                                          QStringLiteral("-plugin"),
                                          QStringLiteral("-qmljsdebugger"),
                                          QStringLiteral("-style"),
                                          QStringLiteral("-stylesheet"),
                                          QStringLiteral("-display"),
                                          QStringLiteral("-geometry"),
                                          QStringLiteral("-qwindowgeometry"),
                                          QStringLiteral("-qwindowtitle"),
                                          QStringLiteral("-qwindowicon"),
                                          QStringLiteral("-title"),
                                          QStringLiteral("-name"),
                                          QStringLiteral("-session"),
                                          QStringLiteral("-fn"),
                                          QStringLiteral("-font"),
                                          QStringLiteral("-bg"),
                                          QStringLiteral("-fg"),
                                          QStringLiteral("-btn"),
                                          QStringLiteral("-visual"),
                                          QStringLiteral("-im"),
                                          QStringLiteral("-inputstyle")};
    static const QStringList alone = {QStringLiteral("-reverse"),     QStringLiteral("-nograb"),
                                      QStringLiteral("-dograb"),      QStringLiteral("-sync"),
                                      QStringLiteral("-widgetcount"), QStringLiteral("-cmap"),
                                      QStringLiteral("-ncols")};
    if (withValue.contains(arg))
        return 1;
    if (alone.contains(arg))
        return 0;
    return -1;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine out;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            return {CommandLine::Action::PrintAndExit, helpText(), {}};
        }
        if (arg == QLatin1String("-v") || arg == QLatin1String("--version")) {
            return {CommandLine::Action::PrintAndExit,
                    productName() + QLatin1Char(' ') + versionText() + QLatin1Char('\n'),
                    {}};
        }
        const int values = qtOptionValues(arg);
        if (values >= 0) {
            i += values;
            continue;
        }
        if (arg == QLatin1String("--")) {
            out.files += arguments.mid(i + 1);
            break;
        }
        if (!arg.startsWith(QLatin1Char('-'))) {
            out.files.append(arg);
            continue;
        }
        return {CommandLine::Action::Fail,
                QStringLiteral("cloakwell: unknown option '%1'\nTry 'cloakwell --help' for more "
                               "information.\n")
                    .arg(arg),
                {}};
    }
    return out;
}

} // namespace mainwindow
