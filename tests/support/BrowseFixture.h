#pragma once

#include "browse/BrowseContext.h"
#include "browse/BrowsePane.h"
#include "browse/IconList.h"
#include "browse/mGetFolders.h"
#include "engine/mEncrypt.h"
#include "libraries/mLibraries.h"
#include "platform/DataFolders.h"
#include "settings/Preferences.h"
#include "settings/mRegistry.h"
#include "support/ScriptedPrompt.h"
#include "support/TestWorld.h"

#include <QFile>
#include <QGuiApplication>

#include <memory>
#include <unistd.h>

// Records, besides what ScriptedPrompt records, whether the hourglass was up
// when each prompt appeared: a message must never show under it.
class CursorCheckingPrompt : public ScriptedPrompt
{
public:
    platform::PromptAnswer ask(const platform::PromptRequest& request) override
    {
        hourglassAtPrompt.append(QGuiApplication::overrideCursor() != nullptr);
        return ScriptedPrompt::ask(request);
    }
    QList<bool> hourglassAtPrompt;
};

// One private world for the tree and listing tests: a settings file, a
// program folder with its bin, preferences whose two looks differ, and the
// main window's share of the state (focus, base images, staging list).
struct BrowseFixture
{
    BrowseFixture()
        : store(world.settingsFile()), folders{world.folder(QStringLiteral("program")),
                                               world.path(QStringLiteral("program")),
                                               world.settingsFile(),
                                               world.path(QStringLiteral("program/KZ Bin"))},
          base(browse::makeIconImageList()), ctx{prefs, prompt,  store, folders, focus,
                                                 base,  staging, {},    {}}
    {
        prefs.color_1 = 0x00112233;
        prefs.color_2 = 0x00C05000;
        prefs.bold_1 = false;
        prefs.bold_2 = true;
    }

    // Registers a Library and returns its folder.
    QString library(const QString& name, const QString& relative)
    {
        const QString path = world.folder(relative);
        mLibraries::add_library_entry(store, name, path);
        return path;
    }

    static QString hidden(const QString& plain, short level = 1)
    {
        return mEncrypt::make_hidden_name(plain, level);
    }

    static bool link(const QString& target, const QString& at)
    {
        return ::symlink(QFile::encodeName(target).constData(),
                         QFile::encodeName(at).constData()) == 0;
    }

    TestWorld world;
    CursorCheckingPrompt prompt;
    settings::SettingsStore store;
    platform::DataFolders folders;
    settings::Preferences prefs;
    short focus = 0;
    browse::IconList base;
    browse::StagingList staging;
    browse::BrowseContext ctx;
};

// Children texts of a node, in tree order.
inline QStringList childTexts(const browse::TreeNode* node)
{
    QStringList out;
    if (node)
        for (const auto& c : node->children)
            out.append(c->text);
    return out;
}

inline browse::TreeNode* childByText(const browse::TreeNode* node, const QString& text)
{
    if (node)
        for (const auto& c : node->children)
            if (c->text == text)
                return c.get();
    return nullptr;
}
