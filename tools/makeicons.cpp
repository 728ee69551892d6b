// Draws the four images the windows load from Resources: the zoom control's
// two magnifiers (25 pixels wide, which its geometry assumes) and the
// inspector's two tool bar pictures. Usage: makeicons [FOLDER] (default "Resources").
// With --app-icon FOLDER it draws the application icon instead, at the sizes
// desktops look for, as FOLDER/NxN/apps/quenvar.png (the committed ones are
// in packaging/icons/hicolor).
//
// Shapes are sampled 8 x 8 times per pixel so that their edges are smooth on
// any background; the result is written as PNG with an alpha channel.
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/init.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

// Gives the shape's colour at a point, or false where the shape is absent.
using Shape = std::function<bool(double x, double y, Rgba& colour)>;

constexpr int samples = 8;

Rgba Opaque(int r, int g, int b) {
    return Rgba{double(r), double(g), double(b), 1.0};
}

Shape Disc(double cx, double cy, double radius, Rgba colour) {
    return [=](double x, double y, Rgba& out) {
        if (std::hypot(x - cx, y - cy) > radius) {
            return false;
        }
        out = colour;
        return true;
    };
}

Shape Ring(double cx, double cy, double inner, double outer, Rgba colour) {
    return [=](double x, double y, Rgba& out) {
        double d = std::hypot(x - cx, y - cy);
        if (d < inner || d > outer) {
            return false;
        }
        out = colour;
        return true;
    };
}

Shape Box(double x0, double y0, double x1, double y1, Rgba colour) {
    return [=](double x, double y, Rgba& out) {
        if (x < x0 || x > x1 || y < y0 || y > y1) {
            return false;
        }
        out = colour;
        return true;
    };
}

// A thick line with round ends.
Shape Stroke(double x0, double y0, double x1, double y1, double width, Rgba colour) {
    return [=](double x, double y, Rgba& out) {
        double dx = x1 - x0, dy = y1 - y0;
        double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        if (std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) > width / 2) {
            return false;
        }
        out = colour;
        return true;
    };
}

// A disc whose hue turns with the angle and whose saturation grows outward.
Shape HueWheel(double cx, double cy, double radius) {
    return [=](double x, double y, Rgba& out) {
        double d = std::hypot(x - cx, y - cy);
        if (d > radius) {
            return false;
        }
        double hue = (std::atan2(y - cy, x - cx) + M_PI) / (2 * M_PI) * 6.0;
        double saturation = std::min(1.0, d / radius * 1.15);
        double f = hue - std::floor(hue);
        double channel[3];
        switch (int(hue) % 6) {
            case 0:
                channel[0] = 1, channel[1] = f, channel[2] = 0;
                break;
            case 1:
                channel[0] = 1 - f, channel[1] = 1, channel[2] = 0;
                break;
            case 2:
                channel[0] = 0, channel[1] = 1, channel[2] = f;
                break;
            case 3:
                channel[0] = 0, channel[1] = 1 - f, channel[2] = 1;
                break;
            case 4:
                channel[0] = f, channel[1] = 0, channel[2] = 1;
                break;
            default:
                channel[0] = 1, channel[1] = 0, channel[2] = 1 - f;
                break;
        }
        for (double& c : channel) {
            c = 255 * (1 - saturation + saturation * c);
        }
        out = Rgba{channel[0], channel[1], channel[2], 1.0};
        return true;
    };
}

// Later shapes cover earlier ones.
wxImage Draw(int width, int height, const std::vector<Shape>& shapes) {
    wxImage image(width, height);
    image.InitAlpha();
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            Rgba sum;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    double x = px + (sx + 0.5) / samples;
                    double y = py + (sy + 0.5) / samples;
                    Rgba colour;
                    for (auto shape = shapes.rbegin(); shape != shapes.rend(); ++shape) {
                        if ((*shape)(x, y, colour)) {
                            break;
                        }
                    }
                    sum.r += colour.r * colour.a;
                    sum.g += colour.g * colour.a;
                    sum.b += colour.b * colour.a;
                    sum.a += colour.a;
                }
            }
            double alpha = sum.a / (samples * samples);
            if (alpha > 0) {
                image.SetRGB(px, py, (unsigned char)std::lround(sum.r / sum.a),
                             (unsigned char)std::lround(sum.g / sum.a),
                             (unsigned char)std::lround(sum.b / sum.a));
            } else {
                image.SetRGB(px, py, 0, 0, 0);
            }
            image.SetAlpha(px, py, (unsigned char)std::lround(alpha * 255));
        }
    }
    return image;
}

std::vector<Shape> Magnifier(bool plus) {
    const Rgba frame = Opaque(55, 60, 70);
    const Rgba sign = Opaque(30, 30, 30);
    const double c = 10.0;
    std::vector<Shape> shapes = {
        Stroke(15.5, 15.5, 22.2, 22.2, 4.2, frame),
        Disc(c, c, 7.2, Rgba{228, 240, 252, 0.95}),
        Ring(c, c, 7.0, 9.2, frame),
        Box(c - 4.5, c - 1.1, c + 4.5, c + 1.1, sign),
    };
    if (plus) {
        shapes.push_back(Box(c - 1.1, c - 4.5, c + 1.1, c + 4.5, sign));
    }
    return shapes;
}

std::vector<Shape> ColorsTool() {
    return {Disc(12, 12, 11.2, Opaque(70, 70, 70)), HueWheel(12, 12, 10.2)};
}

std::vector<Shape> InfoTool() {
    const Rgba white = Opaque(255, 255, 255);
    return {
        Disc(12, 12, 11.2, Opaque(30, 90, 170)),
        Disc(12, 12, 10.0, Opaque(50, 120, 210)),
        Disc(12, 6.6, 1.9, white),
        Box(10.4, 9.8, 13.6, 18.2, white),
        Box(8.8, 16.4, 15.2, 18.2, white),
        Box(8.8, 9.8, 13.6, 11.4, white),
    };
}

// A square with rounded corners.
Shape RoundedBox(double x0, double y0, double x1, double y1, double radius, Rgba colour) {
    return [=](double x, double y, Rgba& out) {
        const double dx = std::max({x0 + radius - x, 0.0, x - (x1 - radius)});
        const double dy = std::max({y0 + radius - y, 0.0, y - (y1 - radius)});
        if (x < x0 || x > x1 || y < y0 || y > y1 || std::hypot(dx, dy) > radius) {
            return false;
        }
        out = colour;
        return true;
    };
}

// A small uptake map: 4 x 4 cells in the viewer's default colours around
// two stems, on a dark tile. Drawn in a 0..1 square scaled to size.
std::vector<Shape> AppIcon(double size) {
    const Rgba palette[] = {Opaque(0, 0, 150), Opaque(0, 150, 100), Opaque(100, 200, 0),
                            Opaque(255, 255, 0), Opaque(255, 0, 0)};
    const int levels[4][4] = {{0, 1, 1, 0}, {1, 3, 4, 2}, {1, 4, 3, 1}, {0, 2, 1, 0}};
    const double s = size;
    std::vector<Shape> shapes = {
        RoundedBox(0.03 * s, 0.03 * s, 0.97 * s, 0.97 * s, 0.16 * s, Opaque(30, 34, 42))};
    const double start = 0.13 * s, cell = 0.185 * s, gap = 0.012 * s;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            const double x = start + column * cell, y = start + row * cell;
            shapes.push_back(Box(x + gap, y + gap, x + cell - gap, y + cell - gap,
                                 palette[levels[row][column]]));
        }
    }
    for (const auto& [x, y] : {std::pair{0.45, 0.42}, std::pair{0.62, 0.62}}) {
        shapes.push_back(Disc(x * s, y * s, 0.075 * s, Opaque(255, 255, 255)));
        shapes.push_back(Disc(x * s, y * s, 0.05 * s, Opaque(120, 70, 20)));
    }
    return shapes;
}

bool Save(const wxImage& image, const wxString& folder, const wxString& name) {
    wxString path = wxFileName(folder, name).GetFullPath();
    if (!image.SaveFile(path, wxBITMAP_TYPE_PNG)) {
        fprintf(stderr, "cannot write %s\n", (const char*)path.utf8_str());
        return false;
    }
    printf("%s\n", (const char*)path.utf8_str());
    return true;
}

bool MakeFolder(const wxString& folder) {
    if (!wxFileName::DirExists(folder) &&
        !wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL)) {
        fprintf(stderr, "cannot create %s\n", (const char*)folder.utf8_str());
        return false;
    }
    return true;
}

bool SaveAppIcons(const wxString& folder) {
    bool ok = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const wxString sized = wxString::Format("%s/%dx%d/apps", folder, size, size);
        ok = MakeFolder(sized) && Save(Draw(size, size, AppIcon(size)), sized, "quenvar.png") && ok;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    wxInitializer initializer(argc, argv);
    if (!initializer.IsOk()) {
        fprintf(stderr, "cannot start the toolkit\n");
        return 1;
    }
    wxImage::AddHandler(new wxPNGHandler);
    if (argc == 3 && std::string(argv[1]) == "--app-icon") {
        return SaveAppIcons(wxString::FromUTF8(argv[2])) ? 0 : 1;
    }
    wxString folder = argc > 1 ? wxString::FromUTF8(argv[1]) : wxString("Resources");
    if (!MakeFolder(folder)) {
        return 1;
    }
    bool ok = Save(Draw(25, 25, Magnifier(false)), folder, "zoom-out.png");
    ok = Save(Draw(25, 25, Magnifier(true)), folder, "zoom-in.png") && ok;
    ok = Save(Draw(24, 24, ColorsTool()), folder, "tool-colors.png") && ok;
    ok = Save(Draw(24, 24, InfoTool()), folder, "tool-info.png") && ok;
    return ok ? 0 : 1;
}
