#include "Fakes.h"

#include "construction/PictureInput.h"
#include "opening/OpenImage.h"

namespace vesta::test {

ScreenInfo screen1024x768() {
    return ScreenInfo{1024 * 15.0, 768 * 15.0, 15.0, 15.0};
}

void openBitmap(FakeApp& app, int width, int height, const std::string& name) {
    const auto path = app.folder / name;
    writeBytes(path, bitmapBytes({.width = width, .height = height}));
    app.dialogs.openAnswers.push_back(path.string());
    open_Click(app.ctx);
}

void click(Context& ctx, float x, float y) {
    PICTURE1_MouseDown(ctx, x, y);
    Picture1_MouseUp(ctx, x, y);
}

void clickLine(Context& ctx, float x1, float y1, float x2, float y2) {
    click(ctx, x1, y1);
    click(ctx, x2, y2);
}

void clickFourLines(Context& ctx) {
    clickLine(ctx, 100, 100, 700, 160);
    clickLine(ctx, 100, 500, 700, 450);
    clickLine(ctx, 120, 520, 150, 80);
    clickLine(ctx, 680, 520, 650, 90);
}

}  // namespace vesta::test
