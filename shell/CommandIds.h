// The command set: every command's ID with its menu text, status-bar prompt and tooltip.
// Menus, toolbar, context menu and sidebar all take their words from this one table, so a
// command reads the same wherever the user meets it.
#pragma once

#include <cstddef>

namespace quorrel {

enum ECommandId : int {
    ID_TIP_OF_THE_DAY = 32771,
    ID_INDICATOR_LOGO = 32772,
    ID_ADD_FILES = 32773,
    ID_REMOVE_SELECTED = 32776,
    ID_REMOVE_ALL = 32777,
    ID_OPTIONS = 32778,
    ID_SELECT_ALL = 32781,
    ID_WIPE_SELECTED = 32784,
    ID_WIPE_ALL = 32785,
    ID_WIPE_FOLDER = 32799,
    ID_ADD_FOLDER = 32807,
    ID_WIPE_RECYCLE_BIN = 32808,
    ID_WIPE_FREE_SPACE = 32809,
    ID_VIEW_RESTORE_SIDEBAR = 32810,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57667,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    // The action log bar's own ID: the View menu item that shows and hides it carries it.
    ID_VIEW_OUTPUT_BAR = 17001,
    // The status-bar pane that holds the progress control.
    ID_INDICATOR_PROGRESS = 101,
};

// What the user reads of a command. `pszMenuText` is the menu item (with its & mnemonic),
// `pszPrompt` the status-bar prompt while the item is highlighted or the pointer rests on its
// button, `pszTooltip` the toolbar tooltip; "" where the command has none. `pszObjectName`
// names its QAction.
struct SCommandText {
    int nId;
    const char* pszObjectName;
    const char* pszMenuText;
    const char* pszPrompt;
    const char* pszTooltip;
};

inline constexpr SCommandText kCommandTexts[] = {
    {ID_ADD_FILES, "addFiles", "Add F&iles...", "Add files to list box thet will be deleted",
     "Add files"},
    {ID_ADD_FOLDER, "addFolder", "Add F&older...", "Add folder to list box thet will be deleted",
     "Add folder"},
    {ID_WIPE_SELECTED, "wipeSelected", "WIPE Selected", "Permanently delete selected files",
     "WIPE Selected"},
    {ID_WIPE_ALL, "wipeAll", "WIPE All", "Permanently delete all files from list", "WIPE All"},
    {ID_WIPE_FOLDER, "wipeFolder", "WIPE Folder...",
     "Permanently delete all files from specific folder", "WIPE Folder"},
    {ID_WIPE_RECYCLE_BIN, "wipeRecycleBin", "WIPE Recycle Bin",
     "Permanently delete all files from recycle bin", "WIPE Recycle Bin"},
    {ID_WIPE_FREE_SPACE, "wipeFreeSpace", "WIPE Free &Space...",
     "Overwrite the free space of a disk, where deleted files still lie", "WIPE Free Space"},
    {ID_OPTIONS, "options", "Options...", "Program options", "Options"},
    {ID_REMOVE_SELECTED, "removeSelected", "&Remove Selected Items",
     "Remove only selected items from a list box", "Remove selected items"},
    {ID_REMOVE_ALL, "removeAll", "Remove All Items", "Empty list box", "Remove all items"},
    {ID_SELECT_ALL, "selectAll", "Select All", "Select all items in the list", "Select all"},
    {ID_TIP_OF_THE_DAY, "tipOfTheDay", "Tip of The Day...", "Shows Tip Of The Day dialog box", ""},
    {ID_APP_ABOUT, "appAbout", "&About Quorrel...",
     "Display program information, version number and copyright", "About"},
    {ID_APP_EXIT, "appExit", "E&xit", "Quit the application; prompts to save documents", "Exit"},
    {ID_HELP_FINDER, "helpFinder", "&Help Topics", "List Help topics", "Help Topics"},
    {ID_VIEW_TOOLBAR, "viewToolbar", "&Toolbar", "Show or hide the toolbar", "Toggle ToolBar"},
    {ID_VIEW_STATUS_BAR, "viewStatusBar", "&Status Bar", "Show or hide the status bar",
     "Toggle StatusBar"},
    {ID_VIEW_OUTPUT_BAR, "viewOutputBar", "Action Log Window", "", ""},
    {ID_VIEW_RESTORE_SIDEBAR, "viewRestoreSidebar", "Restore Sidebar &Groups",
     "Put the sidebar's groups and shortcuts back as they were at the start", ""},
};

// The texts of command `nId`; null when the table has no such command.
constexpr const SCommandText* FindCommandText(int nId) {
    for (const SCommandText& text : kCommandTexts) {
        if (text.nId == nId) {
            return &text;
        }
    }
    return nullptr;
}

// Toolbar 128, left to right; 0 stands for a separator.
inline constexpr int kToolbarCommands[] = {
    ID_ADD_FILES,
    ID_ADD_FOLDER,
    0,
    ID_WIPE_SELECTED,
    ID_WIPE_ALL,
    0,
    ID_WIPE_FOLDER,
    ID_WIPE_RECYCLE_BIN,
    0,
    ID_OPTIONS,
    0,
    ID_REMOVE_SELECTED,
    ID_REMOVE_ALL,
    0,
    ID_APP_ABOUT,
    ID_HELP_FINDER,
};

// The list's context menu (menu 153), top to bottom; 0 stands for a separator.
inline constexpr int kContextMenuCommands[] = {
    ID_ADD_FILES,       ID_ADD_FOLDER, 0, ID_WIPE_SELECTED, ID_WIPE_ALL, 0,
    ID_REMOVE_SELECTED, ID_REMOVE_ALL, 0, ID_SELECT_ALL,    0,           ID_OPTIONS,
};

}  // namespace quorrel
