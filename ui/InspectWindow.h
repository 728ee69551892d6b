// The floating "Inspector" window beside the main window: the selected stem's
// label and layer colour on one page, its attributes on another.
#pragma once

#include <wx/bitmap.h>
#include <wx/frame.h>

#include <map>
#include <vector>

class RenderHelper;
class wxCheckBox;
class wxColourPickerCtrl;
class wxColourPickerEvent;
class wxPanel;
class wxStaticText;
class wxToolBar;

class InspectWindow : public wxFrame {
  public:
    enum { ID_TOOL_COLORS = 1001, ID_TOOL_INFO = 1002 };

    // The data set is not owned; null until the main window hands one over.
    InspectWindow(wxWindow* parent, RenderHelper* renderHelper);

    // The main window passes null when a load starts, so that the colour
    // picker never acts on a data set that is gone, and the new one when it ends.
    void SetRenderHelper(RenderHelper* helper) { renderHelper = helper; }
    RenderHelper* GetRenderHelper() const { return renderHelper; }

    // An empty label shows "No stem selected." and hides the stem's controls.
    void SetStem(const wxString& stem);
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
    RenderHelper* renderHelper;
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
