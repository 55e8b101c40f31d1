#include "mainwindow/UiAppSetup.h"

#include "mainwindow/UiIcons.h"
#include "mainwindow/Version.h"

#include <QApplication>
#include <QImageReader>

#include <cstdio>

// The resources are compiled into a static library; nothing in the program
// refers to them by name, so the linker leaves them out unless they are
// loaded by name here (outside any namespace, as the macro requires).
static void loadProgramResources()
{
    Q_INIT_RESOURCE(cloakwell);
}

namespace mainwindow {

void setUpApplication()
{
    loadProgramResources();
    QApplication::setApplicationName(productName());
    QApplication::setApplicationVersion(versionText());
    setUpIconTheme();
    QApplication::setWindowIcon(programIcon());
}

QStringList requiredResources()
{
    return {QStringLiteral(":/icons/cloakwell-32.png"), QStringLiteral(":/icons/cloakwell-64.png"),
            QStringLiteral(":/icons/cloakwell-128.png")};
}

QStringList missingResources()
{
    QStringList missing;
    for (const QString& path : requiredResources()) {
        QImageReader reader(path);
        if (reader.read().isNull())
            missing << path;
    }
    return missing;
}

int checkResources()
{
    const QStringList missing = missingResources();
    for (const QString& path : missing)
        std::fprintf(stderr, "missing resource: %s\n", qPrintable(path));
    if (QApplication::windowIcon().isNull()) {
        std::fprintf(stderr, "no program icon\n");
        return 1;
    }
    return missing.isEmpty() ? 0 : 1;
}

} // namespace mainwindow
