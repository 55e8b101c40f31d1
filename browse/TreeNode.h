#pragma once

#include "settings/Preferences.h"

#include <QString>

#include <memory>
#include <vector>

namespace browse {

// One node of a folder tree. The image key doubles as the node's kind:
// commands test it ("mylibraries", "library", "folder", "trash", ...).
struct TreeNode
{
    QString key;           // a fixed word for the roots, else the folder's path as on disk
    QString text;          // the caption
    QString image;         // image key in the pane's tree image list
    QString selectedImage; // shown while selected; "" shows the image
    // Libraries tree: the folder is hidden. Explorer tree: its subfolders are loaded.
    bool flag = false;
    bool hasColor = false; // colour and bold are set (folder nodes of the Libraries tree)
    settings::WinColor color = 0;
    bool bold = false;
    bool sorted = false; // children kept in ascending order of their text
    bool expanded = false;
    // The folder is reached through a symbolic link. The Libraries tree never
    // walks into one: a link back up would make a whole Library endless.
    bool isLink = false;
    // The folder's name did not decode to text that leads back to it (bytes
    // invalid in the locale's encoding): the node is shown but never filled,
    // since its key cannot reach the folder.
    bool lossyName = false;

    TreeNode* parent = nullptr;
    int row = 0; // position among the parent's children (or the roots)
    std::vector<std::unique_ptr<TreeNode>> children;
};

} // namespace browse
