#include "ui/MainMenu.h"

#include <wx/event.h>
#include <wx/menu.h>

namespace {

// GTK takes no plain arrow key as a menu accelerator (it needs them to move
// through menus), so those items name their key instead.
struct ViewItem {
    int id;
    const char* label;
};

const ViewItem kViewItems[] = {
    {ID_ZOOM_IN, "Zoom &In\t+"},
    {ID_ZOOM_OUT, "Zoom &Out\t-"},
    {ID_PAN_LEFT, "Pan &Left (Left arrow)"},
    {ID_PAN_RIGHT, "Pan &Right (Right arrow)"},
    {ID_PAN_UP, "Pan &Up (Up arrow)"},
    {ID_PAN_DOWN, "Pan &Down (Down arrow)"},
    {ID_FULL_EXTENT, "&Full Extent\tHome"},
    {ID_NEXT_PLOT, "Ne&xt Plot\tPgDn"},
    {ID_PREVIOUS_PLOT, "Pre&vious Plot\tPgUp"},
};

wxMenu* CreateViewMenu() {
    wxMenu* menu = new wxMenu;
    for (const ViewItem& item : kViewItems) {
        menu->Append(item.id, item.label);
        if (item.id == ID_ZOOM_OUT || item.id == ID_PAN_DOWN || item.id == ID_FULL_EXTENT) {
            menu->AppendSeparator();
        }
    }
    menu->AppendSeparator();
    menu->AppendCheckItem(ID_TRUE_PROPORTIONS, "True &Proportions");
    menu->AppendCheckItem(ID_NORTH_UP, "&North Up");
    menu->AppendSeparator();
    menu->Append(ID_GROUP_BY, "&Group Trees By", new wxMenu);
    menu->FindItem(ID_ZOOM_IN)->AddExtraAccel(wxAcceleratorEntry(wxACCEL_NORMAL, '=', ID_ZOOM_IN));
    return menu;
}

}  // namespace

wxMenuBar* CreateMainMenuBar() {
    wxMenu* fileMenu = new wxMenu;
    fileMenu->Append(ID_OPEN_DATASET, "&Open Dataset...\tCtrl+o");
    fileMenu->Append(ID_OPEN_RECENT, "Open &Recent", new wxMenu);
    fileMenu->Append(ID_RELOAD, "&Reload\tCtrl+R");
    fileMenu->FindItem(ID_RELOAD)->AddExtraAccel(
        wxAcceleratorEntry(wxACCEL_NORMAL, WXK_F5, ID_RELOAD));
    fileMenu->Append(ID_IMPORT_TEXT, "&Import Delimited Text...");
    fileMenu->AppendSeparator();
    fileMenu->Append(ID_COMPARE, "&Compare With...");
    fileMenu->Append(ID_END_COMPARISON, "&End Comparison");
    fileMenu->AppendSeparator();
    fileMenu->Append(ID_SAVE_IMAGE, "&Save Current Image...\tCtrl+S");
    fileMenu->Append(ID_EXPORT_GRID, "Export &Grid...");
    fileMenu->Append(wxID_EXIT, "&Quit");
    wxMenu* editMenu = new wxMenu;
    editMenu->Append(ID_SELECT_ALL, "Select &All\tCtrl+a");
    editMenu->Append(ID_SELECT_NONE, "Select &None\tCtrl+shift+a");
    editMenu->AppendSeparator();
    editMenu->Append(ID_COPY_VIEW, "&Copy View as Command");
    editMenu->Enable(ID_SELECT_ALL, false);
    wxMenu* advancedMenu = new wxMenu;
    advancedMenu->Append(ID_DELETE_INDEXES, "&Delete Index Tables");
    advancedMenu->Append(ID_TREE_STATS, "Tree &Statistics...");
    advancedMenu->Append(wxID_PREFERENCES, "&Preferences...\tCtrl+,");
    wxMenu* windowMenu = new wxMenu;
    windowMenu->Append(ID_SHOW_INSPECTOR, "Show &Inspector\tCtrl+I");
    wxMenu* helpMenu = new wxMenu;
    helpMenu->Append(wxID_ABOUT, "About Quenvar");
    wxMenuBar* menuBar = new wxMenuBar;
    menuBar->Append(fileMenu, "&File");
    menuBar->Append(editMenu, "&Edit");
    menuBar->Append(CreateViewMenu(), "&View");
    menuBar->Append(advancedMenu, "&Advanced");
    menuBar->Append(windowMenu, "&Window");
    menuBar->Append(helpMenu, "&Help");
    return menuBar;
}

// Key codes name the key, whatever Shift makes of it.
int ViewCommandForKey(const wxKeyEvent& event) {
    if (event.HasModifiers()) {
        return 0;
    }
    switch (event.GetKeyCode()) {
        case '+':
        case '=':
        case WXK_NUMPAD_ADD:
            return ID_ZOOM_IN;
        case '-':
        case WXK_NUMPAD_SUBTRACT:
            return event.ShiftDown() ? 0 : ID_ZOOM_OUT;
        case WXK_LEFT:
            return ID_PAN_LEFT;
        case WXK_RIGHT:
            return ID_PAN_RIGHT;
        case WXK_UP:
            return ID_PAN_UP;
        case WXK_DOWN:
            return ID_PAN_DOWN;
        case WXK_HOME:
            return ID_FULL_EXTENT;
        case WXK_PAGEDOWN:
            return ID_NEXT_PLOT;
        case WXK_PAGEUP:
            return ID_PREVIOUS_PLOT;
        default:
            return 0;
    }
}
