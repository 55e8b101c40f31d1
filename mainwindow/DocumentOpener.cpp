// GIO before Qt: its headers use names that Qt's macros would otherwise take.
#include <gio/gio.h>

#include "mainwindow/DocumentOpener.h"

#include "mainwindow/Version.h"
#include "platform/Prompt.h"

#include <QUrl>

namespace mainwindow {

QString documentUri(const QString& pathOrAddress)
{
    if (pathOrAddress.startsWith(QLatin1Char('/')))
        return QUrl::fromLocalFile(pathOrAddress).toString(QUrl::FullyEncoded);
    const QUrl url(pathOrAddress, QUrl::StrictMode);
    // A one-letter scheme is a drive letter ("C:\..."), not an address.
    if (url.isValid() && url.scheme().size() > 1)
        return url.toString(QUrl::FullyEncoded);
    return QString();
}

bool GioDocumentOpener::openDocument(const QString& pathOrAddress)
{
    const QString uri = documentUri(pathOrAddress);
    if (uri.isEmpty())
        return false;
    GError* error = nullptr;
    const gboolean ok =
        g_app_info_launch_default_for_uri(uri.toUtf8().constData(), nullptr, &error);
    if (error)
        g_error_free(error);
    return ok;
}

bool open_document(DocumentOpener& opener, const QString& pathOrAddress)
{
    return opener.openDocument(pathOrAddress);
}

bool open_web_address(DocumentOpener& opener, platform::PromptService& prompt,
                      const QString& address)
{
    if (open_document(opener, address))
        return true;
    prompt.message(QStringLiteral("No web browser could be started on this computer to show "
                                  "the page. You can open it in a browser yourself:\n\n") +
                       address,
                   productName(), platform::PromptIcon::Information);
    return false;
}

} // namespace mainwindow
