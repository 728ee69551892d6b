#include "render/LegendDrawing.h"

#include <wx/dcmemory.h>
#include <wx/graphics.h>

#include <algorithm>

namespace {

const int kMargin = 6;
const int kTextGap = 6;     // between a swatch and its text
const int kSectionGap = 8;  // between two sections
const int kIndent = 4;      // of the swatches under a title

const wxColour kStripBackground(32, 32, 32);
const wxColour kStripText(255, 255, 255);

wxFont StripFont() {
    return wxFont(wxFontInfo(9).Family(wxFONTFAMILY_SWISS));
}

int LineHeight(wxDC& dc) {
    return std::max(kLegendSwatch, dc.GetCharHeight()) + 3;
}

// Walks the lines of the legend in drawing order; each line is either a text
// alone (title, note) or a swatch with its text.
template <class Visit>
void ForEachLine(const std::vector<LegendSection>& sections, Visit visit) {
    for (size_t i = 0; i < sections.size(); ++i) {
        const LegendSection& section = sections[i];
        visit(section.title, nullptr, i > 0);
        for (const LegendEntry& entry : section.entries) {
            visit(entry.text, &entry, false);
        }
        if (!section.note.empty()) {
            visit(section.note, nullptr, false);
        }
    }
}

}  // namespace

wxSize MeasureLegend(wxDC& dc, const std::vector<LegendSection>& sections) {
    if (sections.empty()) {
        return wxSize(0, 0);
    }
    const int line = LineHeight(dc);
    int width = 0;
    int height = 0;
    ForEachLine(sections, [&](const wxString& text, const LegendEntry* entry, bool newSection) {
        const int indent = entry != nullptr ? kIndent + kLegendSwatch + kTextGap : 0;
        width = std::max(width, indent + dc.GetTextExtent(text).x);
        height += line + (newSection ? kSectionGap : 0);
    });
    return wxSize(width + 2 * kMargin, height + 2 * kMargin);
}

void DrawLegend(wxDC& dc, const std::vector<LegendSection>& sections, const wxPoint& origin,
                const wxColour& textColor) {
    const int line = LineHeight(dc);
    const int x = origin.x + kMargin;
    int y = origin.y + kMargin;
    dc.SetTextForeground(textColor);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    ForEachLine(sections, [&](const wxString& text, const LegendEntry* entry, bool newSection) {
        y += newSection ? kSectionGap : 0;
        const int textTop = y + (line - dc.GetCharHeight()) / 2;
        if (entry == nullptr) {
            dc.DrawText(text, x, textTop);
        } else {
            // A one-pixel pen of the fill colour keeps the swatch solid to its edge.
            dc.SetPen(wxPen(entry->color, 1, wxPENSTYLE_SOLID));
            dc.SetBrush(wxBrush(entry->color, wxBRUSHSTYLE_SOLID));
            dc.DrawRectangle(x + kIndent, y + (line - kLegendSwatch) / 2, kLegendSwatch,
                             kLegendSwatch);
            dc.DrawText(text, x + kIndent + kLegendSwatch + kTextGap, textTop);
        }
        y += line;
    });
}

int LegendStripWidth(const std::vector<LegendSection>& sections, int pictureWidth) {
    if (sections.empty() || pictureWidth < 2) {
        return 0;
    }
    wxBitmap scratch(1, 1, 32);
    wxMemoryDC dc(scratch);
    dc.SetFont(StripFont());
    return std::min(MeasureLegend(dc, sections).x, pictureWidth / 2);
}

wxBitmap WithLegendStrip(const wxBitmap& map, const std::vector<LegendSection>& sections,
                         int stripWidth) {
    if (!map.IsOk() || stripWidth <= 0) {
        return map;
    }
    wxBitmap picture(map.GetWidth() + stripWidth, map.GetHeight(), 32);
    wxMemoryDC dc(picture);
    // Exact colours in the swatches and crisp text.
    if (wxGraphicsContext* gc = dc.GetGraphicsContext()) {
        gc->SetAntialiasMode(wxANTIALIAS_NONE);
    }
    dc.DrawBitmap(map, 0, 0, false);
    dc.SetPen(wxPen(kStripBackground, 1, wxPENSTYLE_SOLID));
    dc.SetBrush(wxBrush(kStripBackground, wxBRUSHSTYLE_SOLID));
    dc.DrawRectangle(map.GetWidth(), 0, stripWidth, map.GetHeight());
    dc.SetFont(StripFont());
    dc.SetClippingRegion(map.GetWidth(), 0, stripWidth, map.GetHeight());
    DrawLegend(dc, sections, wxPoint(map.GetWidth(), 0), kStripText);
    dc.DestroyClippingRegion();
    dc.SelectObject(wxNullBitmap);
    return picture;
}
