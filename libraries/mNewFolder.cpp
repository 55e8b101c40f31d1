#include "libraries/mNewFolder.h"

#include "browse/BrowseContext.h"
#include "browse/BrowsePane.h"
#include "browse/HiddenLook.h"
#include "browse/NodeKinds.h"
#include "browse/mGetFolders.h"
#include "engine/mEncrypt.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <cerrno>

using namespace Qt::StringLiterals;

namespace mNewFolder {

namespace {

// More numbers than any folder holds "New Folder"s; past them something is
// wrong with the folder itself.
constexpr int kMaxNumber = 100000;

QString candidateName(const QString& name, int k)
{
    return k == 0 ? name : u"%1 (%2)"_s.arg(name).arg(k);
}

bool taken(const QString& parent, const QString& candidate, bool hidden)
{
    return mEncrypt::name_exists(parent, candidate) ||
           (hidden && mEncrypt::name_exists(parent, mEncrypt::make_hidden_name(candidate, 1)));
}

void reportFailure(platform::PromptService& prompt, const QString& path, int err)
{
    prompt.ask({u"An unexpected error occured. Folder creation failed."_s, QString(),
                platform::PromptButtons::Ok, platform::PromptIcon::Warning,
                path + u": "_s + platform::systemReason(err)});
}

browse::TreeNode* childByKey(browse::TreeNode* parent, const QString& key)
{
    for (const auto& child : parent->children)
        if (child->key == key)
            return child.get();
    return nullptr;
}

} // namespace

QString free_folder_name(const QString& parent, const QString& name, bool hidden)
{
    for (int k = 0; k <= kMaxNumber; ++k) {
        const QString candidate = candidateName(name, k);
        if (!taken(parent, candidate, hidden))
            return candidate;
    }
    return {};
}

Outcome new_folder(const browse::BrowseContext& ctx, browse::BrowsePane& pane, const QString& name)
{
    using namespace browse::kinds;
    Outcome out;
    browse::FolderTreeModel& tree = pane.tree;
    browse::TreeNode* parent = tree.selectedNode();
    if (!parent)
        return out;
    const bool libraries = pane.isLibraries();
    if (libraries && parent->image == kMyLibraries) {
        ctx.prompt.message(u"You may only create Libaries at this node"_s);
        out.focusTree = true;
        return out;
    }
    if (parent->image == kTrash || parent->image == kMyLibraries || parent->image == kCd ||
        !parent->key.startsWith(u'/')) {
        // The bin, the Explorer's root (no folder of its own) and read-only discs.
        ctx.prompt.message(u"You may not create folders at this node"_s);
        out.focusTree = true;
        return out;
    }
    const QString folder = parent->key;
    if (parent->lossyName || !platform::folderExists(folder)) {
        reportFailure(ctx.prompt, folder, parent->lossyName ? EILSEQ : ENOENT);
        return out;
    }

    // mkdir never takes over a taken name, so a folder made by someone else
    // between the look and the creation only moves us on to the next number.
    QString text;
    QString stored;
    for (int k = 0; k <= kMaxNumber; ++k) {
        const QString candidate = candidateName(name, k);
        if (taken(folder, candidate, libraries))
            continue;
        const QString bare = libraries ? mEncrypt::make_hidden_name(candidate, 1) : candidate;
        int err = 0;
        if (platform::makeFolder(platform::joinPath(folder, bare), err)) {
            text = candidate;
            stored = bare;
            break;
        }
        if (err != EEXIST) {
            reportFailure(ctx.prompt, platform::joinPath(folder, bare), err);
            return out;
        }
    }
    if (stored.isEmpty()) {
        reportFailure(ctx.prompt, folder, EEXIST);
        return out;
    }

    const QString key = platform::joinPath(folder, stored);
    browse::TreeNode* node = nullptr;
    if (!libraries && !parent->flag) {
        // An Explorer node whose subfolders were never read: read them now,
        // the new one among them.
        mGetFolders::refresh_folder_node(ctx, tree, parent, mGetFolders::kExplorerDepth);
        node = childByKey(parent, key);
    } else {
        auto made = std::make_unique<browse::TreeNode>();
        made->key = key;
        made->text = text;
        made->image = browse::images::folder;
        made->selectedImage = browse::images::open;
        made->sorted = true;
        if (libraries) {
            made->flag = true; // hidden
            const browse::ItemLook look = browse::item_look(ctx.prefs, true);
            made->hasColor = true;
            made->color = look.color;
            made->bold = look.bold;
        }
        node = tree.addNode(parent, std::move(made));
    }
    if (node)
        tree.selectNode(node);
    out.node = node;
    return out;
}

} // namespace mNewFolder
