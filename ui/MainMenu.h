// The main window's menu bar with its commands' identifiers, and the keys of
// its View menu (zoom about the centre, pan by a tenth of the view, the whole
// plot).
#pragma once

class wxKeyEvent;
class wxMenuBar;

enum MainMenuId {
    ID_SAVE_IMAGE = 101,
    ID_EXPORT_GRID = 102,
    ID_OPEN_DATASET = 103,
    ID_IMPORT_TEXT = 104,
    ID_OPEN_RECENT = 105,
    ID_RELOAD = 106,
    ID_SHOW_INSPECTOR = 201,
    ID_DELETE_INDEXES = 301,
    ID_TREE_STATS = 302,
    ID_SELECT_ALL = 401,
    ID_SELECT_NONE = 402,
    ID_COPY_VIEW = 403,
    ID_ZOOM_IN = 501,
    ID_ZOOM_OUT = 502,
    ID_PAN_LEFT = 503,
    ID_PAN_RIGHT = 504,
    ID_PAN_UP = 505,
    ID_PAN_DOWN = 506,
    ID_FULL_EXTENT = 507,
    ID_TRUE_PROPORTIONS = 508,
    ID_NORTH_UP = 509,
    ID_NEXT_PLOT = 510,
    ID_PREVIOUS_PLOT = 511,
    ID_COMPARE = 107,
    ID_END_COMPARISON = 108,
    ID_GROUP_BY = 600,
    ID_GROUP_NONE = 601,
    // Group Trees By's items of the open plot's stem columns, in table order.
    ID_GROUP_COLUMN_FIRST = 610,
    ID_GROUP_COLUMN_LAST = 999,
};

// "Select All" comes disabled: nothing is behind it. File > Open Recent
// (ID_OPEN_RECENT) holds an empty submenu for the list of recent plots, and
// View > Group Trees By (ID_GROUP_BY) one for the open plot's stem columns.
wxMenuBar* CreateMainMenuBar();

// The View command of a key, or 0: "+" (and "=", which shares its key on
// many keyboards), "-", the arrow keys and Home, without Ctrl or Alt.
int ViewCommandForKey(const wxKeyEvent& event);
