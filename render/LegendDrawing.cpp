#include "render/LegendDrawing.h"

#include <wx/arrstr.h>

#include <algorithm>

#include "render/Canvas.h"
#include "render/LayerImage.h"

namespace {

const int kMargin = 6;
const int kTextGap = 6;     // between a swatch and its text
const int kSectionGap = 8;  // between two sections
const int kIndent = 4;      // of the swatches under a title

const wxColour kStripBackground(32, 32, 32);
const wxColour kStripText(255, 255, 255);
const TextFont kStripFont{9};

int LineHeight(LegendTarget& target) {
    return std::max(kLegendSwatch, target.CharHeight()) + 3;
}

// A text alone broken at spaces into lines no wider than width where its
// words allow; a word wider than that keeps a line of its own.
std::vector<wxString> WrapText(LegendTarget& target, const wxString& text, int width) {
    if (width <= 0 || target.TextSize(text).x <= width) {
        return {text};
    }
    std::vector<wxString> lines(1);
    for (const wxString& word : wxSplit(text, ' ', '\0')) {
        const wxString longer = lines.back().empty() ? word : lines.back() + " " + word;
        if (!lines.back().empty() && target.TextSize(longer).x > width) {
            lines.push_back(word);
        } else {
            lines.back() = longer;
        }
    }
    return lines;
}

// Walks the lines of the legend in drawing order; each line is either a text
// alone (title, note), wrapped to wrapWidth when one is given, or a swatch
// with its text.
template <class Visit>
void ForEachLine(LegendTarget& target, const std::vector<LegendSection>& sections, int wrapWidth,
                 Visit visit) {
    auto alone = [&](const wxString& text, bool newSection) {
        for (const wxString& line : WrapText(target, text, wrapWidth)) {
            visit(line, nullptr, newSection);
            newSection = false;
        }
    };
    for (size_t i = 0; i < sections.size(); ++i) {
        const LegendSection& section = sections[i];
        alone(section.title, i > 0);
        for (const LegendEntry& entry : section.entries) {
            visit(entry.text, &entry, false);
        }
        if (!section.note.empty()) {
            alone(section.note, false);
        }
    }
}

// The strip's text on a canvas, white and crisp.
class StripTarget : public LegendTarget {
  public:
    explicit StripTarget(Canvas& canvas) : canvas(canvas) {}
    wxSize TextSize(const wxString& text) override { return canvas.TextSize(text, kStripFont); }
    int CharHeight() override { return TextSize("g").y; }
    void DrawText(const wxString& text, int x, int y) override {
        canvas.Text(text, x, y, kStripFont, kStripText);
    }
    void DrawSwatch(int x, int y, int side, const wxColour& color) override {
        canvas.FillBox(x, y, side, side, color);
    }

  private:
    Canvas& canvas;
};

}  // namespace

wxSize MeasureLegend(LegendTarget& target, const std::vector<LegendSection>& sections,
                     int wrapWidth) {
    if (sections.empty()) {
        return wxSize(0, 0);
    }
    const int line = LineHeight(target);
    int width = 0;
    int height = 0;
    const int textWidth = wrapWidth > 0 ? std::max(wrapWidth - 2 * kMargin, 1) : 0;
    ForEachLine(target, sections, textWidth,
                [&](const wxString& text, const LegendEntry* entry, bool newSection) {
                    const int indent = entry != nullptr ? kIndent + kLegendSwatch + kTextGap : 0;
                    width = std::max(width, indent + target.TextSize(text).x);
                    height += line + (newSection ? kSectionGap : 0);
                });
    return wxSize(width + 2 * kMargin, height + 2 * kMargin);
}

void DrawLegend(LegendTarget& target, const std::vector<LegendSection>& sections,
                const wxPoint& origin, int wrapWidth) {
    const int line = LineHeight(target);
    const int x = origin.x + kMargin;
    int y = origin.y + kMargin;
    const int textWidth = wrapWidth > 0 ? std::max(wrapWidth - 2 * kMargin, 1) : 0;
    ForEachLine(target, sections, textWidth,
                [&](const wxString& text, const LegendEntry* entry, bool newSection) {
                    y += newSection ? kSectionGap : 0;
                    const int textTop = y + (line - target.CharHeight()) / 2;
                    if (entry == nullptr) {
                        target.DrawText(text, x, textTop);
                    } else {
                        target.DrawSwatch(x + kIndent, y + (line - kLegendSwatch) / 2,
                                          kLegendSwatch, entry->color);
                        target.DrawText(text, x + kIndent + kLegendSwatch + kTextGap, textTop);
                    }
                    y += line;
                });
}

int LegendStripWidth(const std::vector<LegendSection>& sections, int pictureWidth) {
    if (sections.empty() || pictureWidth < 2) {
        return 0;
    }
    // Measured as any picture measures it, whatever it is drawn on.
    LayerImage scratch(1, 1);
    cairo_t* context = cairo_create(scratch.Surface());
    int width = 0;
    {
        Canvas canvas(context, 1, 1);
        StripTarget target(canvas);
        width = MeasureLegend(target, sections).x;
    }
    cairo_destroy(context);
    return std::min(width, pictureWidth / 2);
}

void DrawLegendStrip(Canvas& canvas, const std::vector<LegendSection>& sections, int mapWidth,
                     int stripWidth, double pixelRatio) {
    if (stripWidth <= 0) {
        return;
    }
    const bool scaled = pixelRatio != 1.0;
    const int height = static_cast<int>(canvas.Height() / pixelRatio);
    if (scaled) {
        canvas.PushScale(pixelRatio);
    }
    canvas.FillBox(mapWidth, 0, stripWidth, height, kStripBackground);
    canvas.PushClip(mapWidth, 0, stripWidth, height);
    StripTarget target(canvas);
    DrawLegend(target, sections, wxPoint(mapWidth, 0));
    canvas.PopClip();
    if (scaled) {
        canvas.PopScale();
    }
}
