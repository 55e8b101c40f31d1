#pragma once

#include "mainwindow/CommandRules.h"
#include "mainwindow/Commands.h"

#include <QKeyCombination>
#include <QRgb>

#include <array>
#include <span>

// Every command in one row: the name and caption of its menu entry, its
// shortcut key, its toolbar button and image, and the rule that decides when
// it is offered. The menus, the toolbar, the enabled states and the context
// menus are all made from these rows, so a new command is one new row (and
// its handler).
namespace mainwindow {

// What the rules made of the focused pane, for the rows to read.
struct RuleResults
{
    ToolbarRules toolbar;
    MenuRules menu;
    ContextMenuRules context;
};
RuleResults rule_results(const PaneFacts& facts);

struct CommandRow
{
    Command command;
    const char* name;    // object name of the menu entry ("menu_file_hide")
    const char* caption; // with its access key ("&Hide")
    QKeyCombination shortcut = {};
    bool checkable = false; // a View entry with a check mark

    // The toolbar button; key nullptr: the command has none.
    const char* toolbarKey = nullptr;     // object name ("tb_hide")
    const char* toolbarCaption = nullptr; // the text under the image
    const char* toolTip = nullptr;
    const char* whatsThis = nullptr; // the button's description; "" for none
    std::array<const char*, 2> themeNames = {nullptr, nullptr};
    char glyph = 0; // drawn on a tile of that colour when the theme has no image
    QRgb tile = 0;

    // When the menu entry is offered (given a handler); nullptr: always.
    bool (*offered)(const RuleResults&) = nullptr;
    // When the toolbar button is; nullptr: as the menu entry.
    bool (*buttonOffered)(const RuleResults&) = nullptr;

    bool hasButton() const { return toolbarKey != nullptr; }
    bool offeredBy(const RuleResults& r) const { return !offered || offered(r); }
    bool buttonOfferedBy(const RuleResults& r) const
    {
        return buttonOffered ? buttonOffered(r) : offeredBy(r);
    }
};

// The row of each command, in the order of Command.
const CommandRow& command_row(Command command);
std::span<const CommandRow> command_table();

// The toolbar's buttons, left to right.
std::span<const Command> toolbar_commands();

} // namespace mainwindow
