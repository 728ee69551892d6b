// The main window's left column: the layer boxes, the list of available
// stems and the boxes of groups of trees, on a panel that scrolls when the
// window is too low to show them all, so that no box is ever cut off.
#pragma once

#include <functional>
#include <memory>

#include "ui/LayerBoxes.h"
#include "ui/TreeGrouping.h"

class PlotSession;
class wxListBox;
class wxMenu;
class wxScrolledWindow;
class wxWindow;

class LayerColumn {
  public:
    // groupsChanged: the grouping or the selected groups changed.
    LayerColumn(wxWindow* parent, wxMenu* groupMenu, PlotSession& session,
                std::function<void()> groupsChanged, TreeGrouping::Inform inform);
    ~LayerColumn();

    wxWindow* GetWindow() const;
    LayerBoxes& GetBoxes() { return *boxes; }
    wxListBox* GetStemList() const { return stemList; }
    TreeGrouping& GetGrouping() { return *grouping; }

    // The grouping's menu and boxes show the open plot's (or none).
    void Refill();
    // Follows what it holds now (layers added, boxes shown or hidden): as
    // wide as its widest box, scrolling down to its last.
    void Fit();
    // The height that shows everything without scrolling.
    int ContentHeight() const;

  private:
    wxScrolledWindow* panel;
    std::unique_ptr<LayerBoxes> boxes;
    wxListBox* stemList;
    std::unique_ptr<TreeGrouping> grouping;
};
