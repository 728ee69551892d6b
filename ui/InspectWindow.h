// The floating "Inspector" window beside the main window: the selected stem's
// label and layer colour on one page, its attributes on another.
#pragma once

#include <wx/bitmap.h>
#include <wx/frame.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class PlotFile;
class TreeColors;
class wxCheckBox;
class wxColourPickerCtrl;
class wxColourPickerEvent;
class wxPanel;
class wxStaticText;
class wxToolBar;

class InspectWindow : public wxFrame {
  public:
    enum { ID_TOOL_COLORS = 1001, ID_TOOL_INFO = 1002 };

    // colorChanged tells the owner that the user gave the stem a new colour.
    InspectWindow(wxWindow* parent, std::function<void(const wxString& stem)> colorChanged);

    // The trees' colours the picker shows and changes: the open plot's,
    // null while none is open, so that the picker never acts on a plot that is gone.
    void SetTreeColors(std::shared_ptr<TreeColors> colors) { treeColors = std::move(colors); }
    const std::shared_ptr<TreeColors>& GetTreeColors() const { return treeColors; }

    // An empty label shows "No stem selected." and hides the stem's controls.
    void SetStem(const wxString& stem);
    // Shows the stem with its attributes as the plot holds them (none
    // without a plot).
    void ShowStem(const wxString& stem, PlotFile* plot);
    const wxString& GetCurrentStem() const { return currentStem; }
    void ClearInfo();
    // A label added twice is listed twice, both lines with the latest value.
    void AddInfo(const wxString& label, const wxString& value);
    // 1001 shows the Colors page, 1002 the Info page, anything else neither.
    void ShowPage(int id);

    wxToolBar* GetToolBar() const { return toolBar; }
    wxPanel* GetColorsPage() const { return colorsPage; }
    wxPanel* GetInfoPage() const { return infoPage; }
    wxStaticText* GetStemLabel() const { return stemLabel; }
    wxCheckBox* GetGreyOutBox() const { return greyOutBox; }
    wxColourPickerCtrl* GetColourPicker() const { return colourPicker; }
    wxStaticText* GetNoInfoText() const { return noInfoText; }
    wxStaticText* GetLabelsText() const { return labelsText; }
    wxStaticText* GetValuesText() const { return valuesText; }

  private:
    void OnClose(wxCloseEvent& event);
    void OnToolCommand(wxCommandEvent& event);
    void OnColourChanged(wxColourPickerEvent& event);

    void BuildControls();
    void RefreshInfoPage();

    std::map<wxString, wxString> infoValues;
    std::vector<wxString> infoOrder;
    wxString currentStem;
    std::function<void(const wxString& stem)> colorChanged;
    std::shared_ptr<TreeColors> treeColors;
    wxBitmap colorsBitmap;
    wxBitmap infoBitmap;
    wxPanel* mainPanel = nullptr;
    wxToolBar* toolBar = nullptr;
    wxPanel* colorsPage = nullptr;
    wxStaticText* stemLabel = nullptr;
    wxCheckBox* greyOutBox = nullptr;
    wxStaticText* stemColorText = nullptr;
    wxColourPickerCtrl* colourPicker = nullptr;
    wxPanel* infoPage = nullptr;
    wxStaticText* noInfoText = nullptr;
    wxStaticText* labelsText = nullptr;
    wxStaticText* valuesText = nullptr;

    wxDECLARE_EVENT_TABLE();
};
