#pragma once

#include <QString>

namespace platform {
class PromptService;
}

namespace mainwindow {

// Opens documents and web addresses with the desktop's default handler.
// Injected, so that tests can see what would have been opened without
// anything being started.
class DocumentOpener
{
public:
    virtual ~DocumentOpener() = default;

    // Opens a web address or a file with the desktop's default handler for it.
    // True when a handler was started.
    virtual bool openDocument(const QString& pathOrAddress) = 0;
};

// The desktop's handlers through GIO: the default application for the
// address's scheme or the file's type, started directly (never through a
// shell, so no name is ever parsed as a command line).
class GioDocumentOpener : public DocumentOpener
{
public:
    bool openDocument(const QString& pathOrAddress) override;
};

// Opens a path or an address with its default action, without an owner
// window. Used by Online Help and the about box's address.
bool open_document(DocumentOpener& opener, const QString& pathOrAddress);

// Opens a web address in the desktop's browser; where none is set up (or it
// cannot be started), says so and gives the address to type in elsewhere.
// True when a browser was started.
bool open_web_address(DocumentOpener& opener, platform::PromptService& prompt,
                      const QString& address);

// The URI that stands for the text: an address with a scheme as it is, an
// absolute path as a file URI; "" for anything else.
QString documentUri(const QString& pathOrAddress);

} // namespace mainwindow
