// A main window as the application builds it, and the few ways tests of
// different programs reach into it: the progress window, the layer boxes and
// the viewer's pixels.
#pragma once

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/gdicmn.h>
#include <wx/listbox.h>
#include <wx/string.h>

#include <cmath>

#include "TestSupport.h"
#include "render/ColorSettings.h"
#include "render/LayerTable.h"
#include "render/RenderHelper.h"
#include "ui/MainWindow.h"
#include "ui/ProgressWindow.h"
#include "ui/Viewer.h"

// A main window with every layer of the catalogue; the caller destroys it.
inline MainWindow* NewTestWindow() {
    if (!colorSettings) {
        colorSettings = new ColorSettings;
    }
    MainWindow* window = new MainWindow(wxEmptyString, false);
    for (const LayerDef& layer : LayerCatalogue()) {
        window->AddLayer(layer.flag, layer.label, layer.group, layer.position, layer.weight);
    }
    // The window the toolkit takes for the application's own.
    wxTheApp->SetTopWindow(window);
    return window;
}

// The progress window the parent shows, or null when none is up.
inline ProgressWindow* ShownProgressWindow(wxWindow* parent) {
    for (wxWindow* child : parent->GetChildren()) {
        if (auto* progress = dynamic_cast<ProgressWindow*>(child); progress && child->IsShown()) {
            return progress;
        }
    }
    return nullptr;
}

// Pumps events until no work on the file runs and no progress window is up:
// selecting a tree may make its set behind one first.
inline bool WaitUntilIdle(MainWindow* window) {
    return PumpUntil([window] { return !window->IsLoading() && !ShownProgressWindow(window); });
}

// Selects a row of the stem list as a user's click does, and waits for the
// work it starts.
inline void ClickStemRow(MainWindow* window, int row) {
    wxListBox* list = window->GetStemList();
    list->SetSelection(row, true);
    wxCommandEvent event(wxEVT_LISTBOX, list->GetId());
    event.SetEventObject(list);
    event.SetInt(row);
    event.SetExtraLong(1);
    list->GetEventHandler()->ProcessEvent(event);
    ASSERT_TRUE(WaitUntilIdle(window));
}

inline wxCheckBox* LayerBox(MainWindow* window, const wxString& label) {
    for (const LayerEntry& entry : window->GetLayers()) {
        if (entry.checkBox->GetLabel() == label) {
            return entry.checkBox;
        }
    }
    ADD_FAILURE() << "no layer " << label.utf8_str().data();
    return nullptr;
}

// Sets a layer's box as a click on it would, event and all.
inline void ToggleLayer(MainWindow* window, const wxString& label, bool on) {
    wxCheckBox* box = LayerBox(window, label);
    if (!box) {
        return;
    }
    box->SetValue(on);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetEventObject(box);
    event.SetInt(on);
    box->GetEventHandler()->ProcessEvent(event);
}

// The viewer pixel of a plot point under the current view.
inline wxPoint ViewerPixelOf(MainWindow* window, double x, double y) {
    const wxSize size = window->GetViewer()->GetClientSize();
    const PlotRect& view = window->OpenSession()->GetView();
    return wxPoint(int(std::floor((x - view.xMin) * size.x / view.Width())),
                   int(std::floor((y - view.yMin) * size.y / view.Height())));
}
