#include <wx/app.h>
#include <wx/frame.h>

class PlaceholderApp : public wxApp {
  public:
    bool OnInit() override {
        (new wxFrame(nullptr, wxID_ANY, "Quenvar", wxDefaultPosition, wxSize(750, 550)))->Show();
        return true;
    }
};

wxIMPLEMENT_APP(PlaceholderApp);
