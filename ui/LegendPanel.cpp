#include "ui/LegendPanel.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/settings.h>

#include "render/LegendDrawing.h"

namespace {

// Wide enough for a range of two six-digit numbers beside its swatch.
const int kPanelWidth = 180;

bool SameEntries(const std::vector<LegendEntry>& a, const std::vector<LegendEntry>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].color != b[i].color || a[i].text != b[i].text) {
            return false;
        }
    }
    return true;
}

// The panel's own font and colours on a drawing context of the window.
class DcLegend : public LegendTarget {
  public:
    DcLegend(wxDC& dc, const wxColour& textColor) : dc(dc), textColor(textColor) {}
    wxSize TextSize(const wxString& text) override { return dc.GetTextExtent(text); }
    int CharHeight() override { return dc.GetCharHeight(); }
    void DrawText(const wxString& text, int x, int y) override {
        dc.SetTextForeground(textColor);
        dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
        dc.DrawText(text, x, y);
    }
    void DrawSwatch(int x, int y, int side, const wxColour& color) override {
        // A one-pixel pen of the fill colour keeps the swatch solid to its edge.
        dc.SetPen(wxPen(color, 1, wxPENSTYLE_SOLID));
        dc.SetBrush(wxBrush(color, wxBRUSHSTYLE_SOLID));
        dc.DrawRectangle(x, y, side, side);
    }
    void DrawBox(int x, int y, int w, int h, const wxColour& color) override {
        dc.SetPen(wxPen(color, 1, wxPENSTYLE_SOLID));
        dc.SetBrush(wxBrush(color, wxBRUSHSTYLE_SOLID));
        dc.DrawRectangle(x, y, w, h);
    }

  private:
    wxDC& dc;
    wxColour textColor;
};

bool SameLegend(const std::vector<LegendSection>& a, const std::vector<LegendSection>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].title != b[i].title || a[i].note != b[i].note ||
            !SameEntries(a[i].entries, b[i].entries) || !(a[i].bar == b[i].bar)) {
            return false;
        }
    }
    return true;
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(LegendPanel, wxScrolledWindow)
    EVT_PAINT(LegendPanel::OnPaint)
wxEND_EVENT_TABLE();
// clang-format on

LegendPanel::LegendPanel(wxWindow* parent)
    : wxScrolledWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(kPanelWidth, -1),
                       wxVSCROLL | wxHSCROLL | wxBORDER_THEME) {
    SetMinSize(wxSize(kPanelWidth, -1));
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetScrollRate(10, 10);
}

void LegendPanel::SetSections(const std::vector<LegendSection>& newSections) {
    if (SameLegend(sections, newSections)) {
        return;
    }
    sections = newSections;
    wxClientDC dc(this);
    dc.SetFont(GetFont());
    DcLegend target(dc, wxColour());
    // Titles wrap to the panel's width rather than run out of sight.
    SetVirtualSize(MeasureLegend(target, Shown(), GetClientSize().x));
    Refresh();
}

std::vector<LegendSection> LegendPanel::Shown() const {
    if (!sections.empty()) {
        return sections;
    }
    LegendSection hint;
    hint.title = "Legend";
    hint.note = "no value layer ticked";
    return {hint};
}

void LegendPanel::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    DoPrepareDC(dc);
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)));
    dc.Clear();
    dc.SetFont(GetFont());
    DcLegend target(dc, wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    DrawLegend(target, Shown(), wxPoint(0, 0), GetClientSize().x);
}
