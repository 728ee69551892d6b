// Draws the four images the windows load from Resources: the zoom control's
// two magnifiers (25 pixels wide, which its geometry assumes) and the
// inspector's two tool bar pictures. Usage: makeicons [FOLDER] (default "Resources").
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

bool Save(const wxImage& image, const wxString& folder, const wxString& name) {
    wxString path = wxFileName(folder, name).GetFullPath();
    if (!image.SaveFile(path, wxBITMAP_TYPE_PNG)) {
        fprintf(stderr, "cannot write %s\n", (const char*)path.utf8_str());
        return false;
    }
    printf("%s\n", (const char*)path.utf8_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    wxInitializer initializer(argc, argv);
    if (!initializer.IsOk()) {
        fprintf(stderr, "cannot start the toolkit\n");
        return 1;
    }
    wxImage::AddHandler(new wxPNGHandler);
    wxString folder = argc > 1 ? wxString::FromUTF8(argv[1]) : wxString("Resources");
    if (!wxFileName::DirExists(folder) &&
        !wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL)) {
        fprintf(stderr, "cannot create %s\n", (const char*)folder.utf8_str());
        return 1;
    }
    bool ok = Save(Draw(25, 25, Magnifier(false)), folder, "zoom-out.png");
    ok = Save(Draw(25, 25, Magnifier(true)), folder, "zoom-in.png") && ok;
    ok = Save(Draw(24, 24, ColorsTool()), folder, "tool-colors.png") && ok;
    ok = Save(Draw(24, 24, InfoTool()), folder, "tool-info.png") && ok;
    return ok ? 0 : 1;
}
