// The layer check boxes of the main window: the plot layers, the tree
// layers and the layers of groups of trees (a group's own, and who takes up
// most by group) each in a box of their own, in registration order, and the
// layer list, ordered by position, that the picture is stacked in. A layer
// is ticked when its box is: the state is read from the box, never kept.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "render/LayerTable.h"

class wxCheckBox;
class wxStaticBoxSizer;
class wxWindow;

struct LayerEntry {
    uint32_t flag;
    int position;
    LayerGroup group;
    int weight;             // kept as registered; compositing does not use it
    const LayerDef* layer;  // what the flag names in its group; null for none
    wxCheckBox* checkBox;
};

class LayerBoxes {
  public:
    // Makes the three boxes on the panel; the caller places their sizers.
    explicit LayerBoxes(wxWindow* panel);

    wxStaticBoxSizer* GetPlotSizer() const { return plotSizer; }
    wxStaticBoxSizer* GetTreeSizer() const { return treeSizer; }
    wxStaticBoxSizer* GetGroupSizer() const { return groupSizer; }

    // A new, unticked box. Position 0 puts the layer at the front of the
    // list and -1 at the back; any other in front of the first layer at or
    // beyond that position.
    void Add(uint32_t flag, const char* label, LayerGroup group, int position, int weight);
    const std::list<LayerEntry>& GetEntries() const { return entries; }
    // The ticked layers, bottom first.
    std::vector<const LayerDef*> Ticked() const;
    void Tick(const std::vector<const LayerDef*>& layers);
    // The boxes of the change layers are shown only while a plot is
    // compared, so that the list stays as short as it was without; a tick
    // stays through a comparison's end for the next one.
    void ShowChanges(bool comparing);

  private:
    wxWindow* panel;
    wxStaticBoxSizer* plotSizer;
    wxStaticBoxSizer* treeSizer;
    wxStaticBoxSizer* groupSizer;
    std::list<LayerEntry> entries;
};
