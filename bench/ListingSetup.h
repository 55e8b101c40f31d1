#pragma once

// One pane over a folder, with its own settings file and base images, for
// the benchmarks that list folders without a window.
#include "bench/BenchSupport.h"
#include "browse/BrowseContext.h"
#include "browse/BrowsePane.h"
#include "browse/mFileInfo.h"
#include "browse/mGetFolders.h"
#include "platform/DataFolders.h"
#include "settings/mRegistry.h"

#include <memory>

namespace bench {

struct ListingSetup
{
    ListingSetup(const QString& root, bool libraries)
        : store(root + QStringLiteral("/Cloakwell.ini")), folders{root, root, store.filePath(),
                                                                  root + QStringLiteral("/KZ Bin")},
          base(browse::makeIconImageList()), ctx{prefs, prompt, store,  folders,
                                                 focus, base,   staging},
          pane(libraries)
    {
        mGetFolders::copy_icons(pane.treeIcons, base);
        mGetFolders::copy_icons(pane.listIcons, base);
        mFileInfo::set_list_columns(pane.list, store);
    }
    // Puts a node for the folder in the tree and selects it, as a click does.
    void show(const QString& dir)
    {
        auto node = std::make_unique<browse::TreeNode>();
        node->key = dir;
        node->text = dir;
        node->image = browse::images::folder;
        pane.tree.selectNode(pane.tree.addNode(nullptr, std::move(node)));
    }
    mFileInfo::ListingResult list() { return mFileInfo::list_folder(ctx, pane); }

    SilentPrompt prompt;
    settings::SettingsStore store;
    platform::DataFolders folders;
    settings::Preferences prefs;
    short focus = 2;
    browse::IconList base;
    browse::StagingList staging;
    browse::BrowseContext ctx;
    browse::BrowsePane pane;
};

} // namespace bench
