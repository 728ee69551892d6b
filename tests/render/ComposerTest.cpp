#include <gtest/gtest.h>

#include <cstring>

#include "RenderTestSupport.h"
#include "render/Composer.h"
#include "render/LayerCache.h"
#include "render/LayerStack.h"

namespace {

// Ten by ten unit cells, two trees with uptake, their stems highlighted.
class ComposerTest : public testing::Test {
  protected:
    void SetUp() override {
        std::vector<PlotCell> cells;
        for (int x = 0; x < 10; ++x) {
            for (int y = 0; y < 10; ++y) {
                cells.push_back({double(x), double(y), {double(x + 1), double(y % 3)}});
            }
        }
        MakeGrid(dir.File("plot.db"), {"T1", "T2"}, cells);
        MakeStems(dir.File("plot.db"), {{"T1", 2, 2, 0.5, 3}, {"T2", 7, 6, 0.4, 2}});
        plot = OpenPlot(dir.File("plot.db"));
        plot->AddHighlightedStem("T2");
        for (const char* key : {"scale", "tree-isolines", "stems-crown", "uptake-blocks"}) {
            scene.layers.push_back(FindLayer(key));
        }
        scene.trees = {"T2", "T1"};
        scene.view = PlotRect{1.5, 2, 8, 7.25};
        scene.width = 90;
        scene.height = 70;
    }

    bool SamePixels(const wxBitmap& a, const wxBitmap& b) {
        const wxImage x = Pixels(a);
        const wxImage y = Pixels(b);
        return x.GetSize() == y.GetSize() &&
               std::memcmp(x.GetData(), y.GetData(), size_t(x.GetWidth()) * x.GetHeight() * 3) == 0;
    }

    TempDir dir;
    std::unique_ptr<RenderHelper> plot;
    Scene scene;
};

}  // namespace

TEST_F(ComposerTest, PictureIsTheStackOfItsLayersAtTheScenesOwnView) {
    std::vector<wxBitmap> layers;
    LayerCache cache;
    ComposeLayers(
        *plot, scene, [&layers](const wxBitmap& layer) { layers.push_back(layer); }, &cache);
    // Blocks, a tree's level lines for each tree, crowns, scale, overlay.
    ASSERT_EQ(layers.size(), 6u);
    EXPECT_TRUE(cache.StemLayer("T1", STEM_LAYER_ISOLINES).IsOk());
    const wxBitmap picture = ComposePicture(*plot, scene);
    EXPECT_GT(ColorCounts(Pixels(picture)).size(), 5u);
    EXPECT_TRUE(SamePixels(picture, StackLayers(layers, scene.width, scene.height)));
    // The helper's own view plays no part, and kept layers give the same picture.
    plot->SetView(scene.view.xMin, scene.view.yMin, scene.view.xMax, scene.view.yMax);
    EXPECT_TRUE(SamePixels(picture, ComposePicture(*plot, scene)));
    EXPECT_TRUE(SamePixels(picture, ComposePicture(*plot, scene, &cache)));
}

TEST_F(ComposerTest, SceneWithoutPixelsDrawsNothing) {
    scene.width = 0;
    int drawn = 0;
    ComposeLayers(*plot, scene, [&drawn](const wxBitmap&) { ++drawn; });
    EXPECT_EQ(drawn, 0);
    EXPECT_FALSE(ComposePicture(*plot, scene).IsOk());
}
