#include "browse/IconList.h"

#include "platform/Icons.h"

namespace browse {

bool IconList::add(const QString& key, const QIcon& icon)
{
    if (m_icons.contains(key))
        return false;
    m_keys.append(key);
    m_icons.insert(key, icon);
    return true;
}

void IconList::clear()
{
    m_keys.clear();
    m_icons.clear();
}

IconList makeIconImageList()
{
    using platform::DrawnIcon;
    using platform::themedIcon;
    auto names = [](std::initializer_list<const char*> list) {
        QStringList out;
        for (const char* n : list)
            out.append(QString::fromLatin1(n));
        return out;
    };
    IconList list;
    list.add(images::folder, themedIcon(names({"folder"}), DrawnIcon::Folder));
    list.add(images::drive, themedIcon(names({"drive-harddisk"}), DrawnIcon::Drive));
    list.add(images::unknownFile,
             themedIcon(names({"application-x-generic", "text-x-generic"}), DrawnIcon::File));
    list.add(images::mylibraries, themedIcon(names({"computer"}), DrawnIcon::Computer));
    list.add(images::library,
             themedIcon(names({"folder-pictures", "user-bookmarks"}), DrawnIcon::Library));
    list.add(images::trash, themedIcon(names({"user-trash"}), DrawnIcon::Trash));
    list.add(images::desktop, themedIcon(names({"user-desktop"}), DrawnIcon::Desktop));
    list.add(images::mydocuments, themedIcon(names({"folder-documents"}), DrawnIcon::Documents));
    list.add(images::cd, themedIcon(names({"media-optical", "drive-optical"}), DrawnIcon::Optical));
    list.add(images::floppy,
             themedIcon(names({"media-removable", "drive-removable-media", "media-floppy"}),
                        DrawnIcon::Removable));
    list.add(images::open, themedIcon(names({"folder-open"}), DrawnIcon::OpenFolder));
    return list;
}

} // namespace browse
