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
// Seen on the strip's dark grey and on the window's own background alike.
const wxColour kTickColor(128, 128, 128);

int LineHeight(LegendTarget& target) {
    return std::max(kLegendSwatch, target.CharHeight()) + 3;
}

// A text alone (its own line breaks kept) broken at spaces into lines no wider than width where its
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

// One line of a legend: a text alone (title, note), wrapped to the wrap
// width when one is given; a swatch with its text; a gradient bar; or the
// values under a bar.
struct Line {
    wxString text;
    const LegendEntry* entry = nullptr;
    const LegendBar* bar = nullptr;
    bool ticks = false;  // the bar's values
    bool newSection = false;
};

// Walks the lines of the legend in drawing order.
template <class Visit>
void ForEachLine(LegendTarget& target, const std::vector<LegendSection>& sections, int wrapWidth,
                 Visit visit) {
    auto alone = [&](const wxString& text, bool newSection) {
        for (const wxString& part : wxSplit(text, '\n', '\0')) {
            for (const wxString& line : WrapText(target, part, wrapWidth)) {
                visit(Line{line, nullptr, nullptr, false, newSection});
                newSection = false;
            }
        }
    };
    for (size_t i = 0; i < sections.size(); ++i) {
        const LegendSection& section = sections[i];
        alone(section.title, i > 0);
        if (section.bar) {
            visit(Line{wxString(), nullptr, &*section.bar, false, false});
            visit(Line{wxString(), nullptr, &*section.bar, true, false});
        }
        for (const LegendEntry& entry : section.entries) {
            visit(Line{entry.text, &entry, nullptr, false, false});
        }
        if (!section.note.empty()) {
            alone(section.note, false);
        }
    }
}

// Where a tick's value stands under the bar: the first at its left end, the
// last at its right end, the others centred on their place.
int TickLeft(LegendTarget& target, const LegendBar::Tick& tick) {
    const int width = target.TextSize(tick.text).x;
    return static_cast<int>(tick.position * kLegendBarWidth - tick.position * width);
}

// The ticks whose values fit under the bar side by side: a tick too close to
// the one before it is left out, the last always kept.
std::vector<LegendBar::Tick> ShownTicks(LegendTarget& target, const LegendBar& bar) {
    std::vector<LegendBar::Tick> shown;
    int end = -kTextGap;
    for (size_t i = 0; i < bar.ticks.size(); ++i) {
        const LegendBar::Tick& tick = bar.ticks[i];
        const int left = TickLeft(target, tick);
        const bool last = i + 1 == bar.ticks.size();
        if (left < end + kTextGap && !last) {
            continue;
        }
        if (left < end + kTextGap && !shown.empty()) {
            shown.pop_back();  // the last one makes room for itself
        }
        shown.push_back(tick);
        end = left + target.TextSize(tick.text).x;
    }
    return shown;
}

int LineWidth(LegendTarget& target, const Line& line) {
    if (line.bar && !line.ticks) {
        return kIndent + kLegendBarWidth;
    }
    if (line.ticks) {
        int width = kLegendBarWidth;
        for (const LegendBar::Tick& tick : ShownTicks(target, *line.bar)) {
            width = std::max(width, TickLeft(target, tick) + target.TextSize(tick.text).x);
        }
        return kIndent + width;
    }
    const int indent = line.entry != nullptr ? kIndent + kLegendSwatch + kTextGap : 0;
    return indent + target.TextSize(line.text).x;
}

void DrawBar(LegendTarget& target, const LegendBar& bar, int x, int y, int height) {
    for (int column = 0; column < kLegendBarWidth; ++column) {
        target.DrawBox(x + column, y, 1, height,
                       GradientColor(bar.palette, column / double(kLegendBarWidth - 1)));
    }
    // A tick under the bar at each value given below it.
    for (const LegendBar::Tick& tick : bar.ticks) {
        const int at =
            std::min(static_cast<int>(tick.position * kLegendBarWidth), kLegendBarWidth - 1);
        target.DrawBox(x + at, y + height, 1, 3, kTickColor);
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
    void DrawBox(int x, int y, int w, int h, const wxColour& color) override {
        canvas.FillBox(x, y, w, h, color);
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
    ForEachLine(target, sections, textWidth, [&](const Line& text) {
        width = std::max(width, LineWidth(target, text));
        height += line + (text.newSection ? kSectionGap : 0);
    });
    return wxSize(width + 2 * kMargin, height + 2 * kMargin);
}

void DrawLegend(LegendTarget& target, const std::vector<LegendSection>& sections,
                const wxPoint& origin, int wrapWidth) {
    const int line = LineHeight(target);
    const int x = origin.x + kMargin;
    int y = origin.y + kMargin;
    const int textWidth = wrapWidth > 0 ? std::max(wrapWidth - 2 * kMargin, 1) : 0;
    ForEachLine(target, sections, textWidth, [&](const Line& text) {
        y += text.newSection ? kSectionGap : 0;
        const int textTop = y + (line - target.CharHeight()) / 2;
        if (text.bar && !text.ticks) {
            DrawBar(target, *text.bar, x + kIndent, y + (line - kLegendSwatch) / 2, kLegendSwatch);
        } else if (text.ticks) {
            for (const LegendBar::Tick& tick : ShownTicks(target, *text.bar)) {
                target.DrawText(tick.text, x + kIndent + TickLeft(target, tick), textTop);
            }
        } else if (text.entry == nullptr) {
            target.DrawText(text.text, x, textTop);
        } else {
            target.DrawSwatch(x + kIndent, y + (line - kLegendSwatch) / 2, kLegendSwatch,
                              text.entry->color);
            target.DrawText(text.text, x + kIndent + kLegendSwatch + kTextGap, textTop);
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
    // A strip held to half the picture wraps its long lines rather than cut them.
    DrawLegend(target, sections, wxPoint(mapWidth, 0), stripWidth);
    canvas.PopClip();
    if (scaled) {
        canvas.PopScale();
    }
}
