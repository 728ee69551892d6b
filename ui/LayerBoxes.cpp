#include "ui/LayerBoxes.h"

#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include <algorithm>

LayerBoxes::LayerBoxes(wxWindow* panel)
    : panel(panel),
      plotSizer(new wxStaticBoxSizer(new wxStaticBox(panel, wxID_ANY, "Plot Layers"), wxVERTICAL)),
      treeSizer(new wxStaticBoxSizer(new wxStaticBox(panel, wxID_ANY, "Individual Stem Layers"),
                                     wxVERTICAL)),
      groupSizer(
          new wxStaticBoxSizer(new wxStaticBox(panel, wxID_ANY, "Group Layers"), wxVERTICAL)) {}

void LayerBoxes::Add(uint32_t flag, const char* label, LayerGroup group, int position, int weight) {
    wxCheckBox* checkBox = new wxCheckBox(panel, wxID_ANY, wxString::FromUTF8(label));
    const LayerDef* layer = FindLayer(group, flag);
    wxStaticBoxSizer* box = group == LayerGroup::Plot ? plotSizer : treeSizer;
    box = layer && NeedsGrouping(*layer) ? groupSizer : box;
    box->Add(checkBox, 0, 0, 0);
    const LayerEntry entry{flag, position, group, weight, layer, checkBox};
    checkBox->Show(!layer || !IsChangeLayer(*layer));
    // So the newest of equal positions leads.
    auto place = entries.end();
    if (position == 0) {
        place = entries.begin();
    } else if (position != -1) {
        place = std::find_if(entries.begin(), entries.end(),
                             [position](const LayerEntry& e) { return e.position >= position; });
    }
    entries.insert(place, entry);
}

std::vector<const LayerDef*> LayerBoxes::Ticked() const {
    std::vector<const LayerDef*> ticked;
    for (const LayerEntry& entry : entries) {
        if (entry.layer && entry.checkBox->GetValue()) {
            ticked.push_back(entry.layer);
        }
    }
    return ticked;
}

void LayerBoxes::Tick(const std::vector<const LayerDef*>& layers) {
    for (const LayerEntry& entry : entries) {
        if (std::find(layers.begin(), layers.end(), entry.layer) != layers.end()) {
            entry.checkBox->SetValue(true);
        }
    }
}

void LayerBoxes::ShowChanges(bool comparing) {
    for (const LayerEntry& entry : entries) {
        if (entry.layer && IsChangeLayer(*entry.layer)) {
            entry.checkBox->Show(comparing);
        }
    }
}
