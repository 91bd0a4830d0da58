#include "acuity/Snellen1.h"

#include "acuity/Directions.h"
#include "app/Module1.h"
#include "app/State.h"
#include "bitmap/DDBHelper.h"
#include "bitmap/PixelCodec.h"
#include "core/Numeric.h"
#include "core/Random.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/Screen.h"
#include "ui/StdPicture.h"

#include <QCloseEvent>
#include <QScopeGuard>
#include <QWindow>

#include <array>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

namespace lumeye::acuity {
namespace {
constexpr const char* kSource = "snellen1.Form_Load";
// picResult sits this many window units right of pic1.
constexpr double kResultSpacing = 120;

// A hidden, borderless picture box holding one master E.
ui::PictureBox* makeMaster(int direction, QWidget* parent) {
    auto* box = new ui::PictureBox(parent);
    box->setBorderStyle(ui::PictureBox::BorderStyle::None);
    box->setAutoSize(true);
    box->setPicture(ui::StdPicture::load(QStringLiteral(":/masters/pic%1.bmp").arg(direction)));
    box->hide();
    return box;
}
}  // namespace

// The chart's passes paint through the window's picture boxes. The letters
// are reduced from their masters once each, into the display's own format:
// a chart repeats four masters at eight sizes, and the next chart on the
// same screen repeats them all. They are kept while that format stays.
class snellen1::Canvas : public ChartCanvas {
public:
    explicit Canvas(snellen1& form) : form_(form) {}

    void SizeResultPicture(double width, double height) override { form_.SizeResultPicture(width, height); }
    Size ReduceLetter(int16_t direction) override {
        const Size size = LetterSize();
        letter_ = letter(direction, static_cast<int>(size.width), static_cast<int>(size.height));
        return size;
    }
    Size LetterSize() const override { return {form_.picResult->ScaleWidth(), form_.picResult->ScaleHeight()}; }
    void PaintLetter(float x, float y, Size) override { form_.PicDest->PaintPicture(letter_, x, y); }
    void PrintLabel(double x, double y, const char* label) override {
        ui::PictureBox& canvas = *form_.PicDest;
        canvas.setCurrentX(x);
        canvas.setCurrentY(y);
        canvas.setFontName(QStringLiteral("verdana"));
        canvas.setFontSize(kLabelPoints);
        canvas.setForeColor(ui::qbColor(0));
        canvas.Print(QString::fromLatin1(label));
    }
    void DrawMarker(const MarkerLine& line) override {
        ui::PictureBox& canvas = *form_.PicDest;
        canvas.setDrawWidth(kMarkerWidth);
        canvas.setForeColor(ui::qbColor(12));
        canvas.Line(line.x1, line.y, line.x2, line.y);
    }
    void DoEvents() override { ui::Application::DoEvents(); }
    bool stopped() const override { return form_.passes_.stopRequested(); }
    float NextRandom() override { return RandomNext(); }

private:
    // The master of a direction at a size in pixels, reduced on first use;
    // the canvas keeps it as it is, without a copy.
    std::shared_ptr<const ui::DeviceBitmap> letter(int16_t direction, int width, int height) {
        const ui::PixelLayout layout = ui::layoutForDisplay(ui::Screen::info());
        if (layout != layout_) {
            letters_.clear();
            for (PixelArray& pixels : masters_) pixels = PixelArray();
            layout_ = layout;
        }
        ui::PictureBox& master = form_.masterOf(direction);
        form_.state_.Reduction = MakeReduceParams(0, 0, static_cast<float>(master.ScaleWidth()),
                                                  static_cast<float>(master.ScaleHeight()), 0, 0,
                                                  static_cast<float>(width), static_cast<float>(height),
                                                  "snellen1.ReducePicture");
        const auto [kept, made] = letters_.try_emplace({direction, width, height});
        if (!made) return kept->second;
        try {
            PixelArray& source = masters_[direction - 1];
            // Read in the display's format once, its palette matched at 8 bits.
            if (source.width() == 0) DDBHelper::GetBitmapPixels(master, source, depth_);
            PixelArray reduced(width, height);
            acuity::AveragePixels(source, reduced, form_.state_.Reduction, "snellen1.AveragePixels");
            // The depth's rows are the layout's, both padded to even bytes.
            auto out = std::make_shared<ui::DeviceBitmap>(width, height, layout);
            pixelcodec::packInto(out->bits(), depth_, reduced, out->widthBytes(), master.Picture().hPal());
            return kept->second = std::move(out);
        } catch (...) {
            letters_.erase(kept);
            throw;
        }
    }

    snellen1& form_;
    std::shared_ptr<const ui::DeviceBitmap> letter_;
    std::optional<ui::PixelLayout> layout_;
    std::array<PixelArray, 4> masters_;
    int16_t depth_ = 0;
    std::map<std::tuple<int16_t, int, int>, std::shared_ptr<const ui::DeviceBitmap>> letters_;
};

snellen1::snellen1() : canvas_(std::make_unique<Canvas>(*this)) {
    setWindowTitle(QStringLiteral("Reduce []"));
    ui::Application::setHelpTopic(this, QStringLiteral("taking-test.htm"));
    // The chart covers the screen: no frame, and full screen once loaded.
    setWindowFlag(Qt::FramelessWindowHint);
    move(0, 0);
    QWidget* area = client();

    pic1 = addControl(makeMaster(1, area), QStringLiteral("pic1"));

    picResult = addControl(new ui::PictureBox(area), QStringLiteral("picResult"));
    picResult->setBorderStyle(ui::PictureBox::BorderStyle::None);
    picResult->setBackColor(Qt::white);
    ui::placeDesign(picResult, 308, 0, 300, 300);
    picResult->hide();

    PicDest = addControl(new ui::PictureBox(area), QStringLiteral("PicDest"));
    PicDest->setBorderStyle(ui::PictureBox::BorderStyle::None);
    PicDest->setBackColor(Qt::white);
    PicDest->setScaleMode(ui::ScaleMode::Pixels);
    PicDest->setScreenCanvas(true);
    ui::placeDesign(PicDest, 0, 0, 800, 600);

    pic2 = addControl(makeMaster(2, PicDest), QStringLiteral("pic2"));
    pic3 = addControl(makeMaster(3, PicDest), QStringLiteral("pic3"));
    pic4 = addControl(makeMaster(4, PicDest), QStringLiteral("pic4"));

    // Only the canvas takes the keyboard: the pictures before it are hidden.
    setTabOrder(pic1, picResult);
    setTabOrder(picResult, PicDest);
    PicDest->setFocus();

    setClientSizeDesign(800, 600);

    connect(PicDest, &ui::PictureBox::keyDown, this, &snellen1::PicDest_KeyDown);
    connect(PicDest, &ui::PictureBox::dblClick, this, &snellen1::PicDest_DblClick);
}

snellen1::~snellen1() = default;

void snellen1::Form_Load() {
    const app::ScaleFactors factors = app::MeasureScreen(kSource);
    setScaleMode(ui::ScaleMode::Twips);
    app::ResizeControls(factors.x, factors.y, *this);
    ui::Screen::moveToScreen(this);
    setWindowState(windowState() | Qt::WindowFullScreen);
    // A chart measured for one screen is never left on another.
    ui::Screen::watchProgramScreen(this, [this] { leaveTest(); });

    state_ = ChartState{};
    state_.FirstLine = 1;
    state_.FullScreenX = app::sizeTable().FullScreenX;
    takePixelRatio();
    // A window's scale can change once it is shown (a Wayland compositor
    // tells it only then, or the user changes the desktop's scale): the
    // next chart is measured and drawn at the new one.
    if (QWindow* window = windowHandle())
        connect(window, &QWindow::screenChanged, this, &snellen1::followPixelRatio);

    // From the first processing of events on, input is handled as during any
    // other pass, although the window is not on screen yet.
    const auto after = passes_.run([this] { prepareAndDraw(); }, [this] { drawNewChart(); });
    if (after == PassControl::After::Close)
        QMetaObject::invokeMethod(this, &snellen1::leaveTest, Qt::QueuedConnection);
}

void snellen1::takePixelRatio() {
    // The chart is drawn at the device's own resolution: on a high-density
    // screen the canvas and the scratch picture count device pixels, so the
    // letters keep their sizes in millimetres and are reduced as sharply as
    // on any other screen: at the ratio its window is painted at.
    const double ratio = ui::Screen::pixelRatioOf(*this);
    PicDest->setPixelRatio(ratio);
    picResult->setPixelRatio(ratio);

    const app::DisplayMetrics& display = app::displayMetrics();
    const app::ScreenSettings& screen = app::screenSettings();
    app::SizeTable& table = app::sizeTable();
    // From the whole screen, whatever the size table stored.
    table.PixelsPerMMX = divide(display.ScreenPixelsX * ratio, screen.ScreenWidthMM, kSource);
    table.PixelsPerMMY = divide(display.ScreenPixelsY * ratio, screen.ScreenHeightMM, kSource);
    state_.PixelsPerMMX = table.PixelsPerMMX;
    state_.PixelsPerMMY = table.PixelsPerMMY;
}

bool snellen1::event(QEvent* event) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    if (event->type() == QEvent::DevicePixelRatioChange) followPixelRatio();
#endif
    return ui::Form::event(event);
}

void snellen1::followPixelRatio() {
    if (!isUnloaded() && ui::Screen::pixelRatioOf(*this) != PicDest->pixelRatio()) newChart();
}

void snellen1::prepareAndDraw() {
    picResult->setScaleMode(ui::ScaleMode::Pixels);
    picResult->setAutoRedraw(true);
    PicDest->setScaleMode(ui::ScaleMode::Pixels);
    PicDest->setAutoRedraw(true);
    PicDest->Cls();
    ui::Application::DoEvents();
    if (passes_.stopRequested()) return;

    for (ui::PictureBox* master : {pic1, pic2, pic3, pic4}) {
        // Sized to its picture, and its image made the picture again, whatever
        // the rescaling did to the box.
        master->setAutoSize(true);
        master->setPicture(master->Picture());
        master->setScaleMode(ui::ScaleMode::Pixels);
        master->setAutoRedraw(true);
    }
    for (int row = 1; row <= 9; ++row) state_.LineSizes[row] = app::sizeTable().LetterSizes[row];
    TotalLetts();
    if (passes_.stopRequested()) return;
    DrawChart();
}

void snellen1::closeEvent(QCloseEvent* event) {
    event->ignore();
    leaveTest();
}

void snellen1::PicDest_KeyDown(int keyCode, int) {
    switch (ChartKeyAction(keyCode)) {
    case ChartKey::Leave: leaveTest(); break;
    case ChartKey::NewChart: newChart(); break;
    case ChartKey::Ignored: break;
    }
}

void snellen1::PicDest_DblClick() { newChart(); }

void snellen1::newChart() {
    // Input still queued for a window that has been closed, or that arrives
    // while the box saying a chart could not be drawn is up, draws nothing.
    if (isUnloaded() || leavingAfterMessage_) return;
    if (passes_.busy()) {
        passes_.askRedraw();
        return;
    }
    runPasses([this] { drawNewChart(); });
}

void snellen1::drawNewChart() {
    PicDest->Cls();
    state_.FirstLine = 1;
    if (ui::Screen::pixelRatioOf(*this) != PicDest->pixelRatio()) {
        takePixelRatio();
        TotalLetts();
        if (passes_.stopRequested()) return;
    }
    DrawChart();
}

void snellen1::leaveTest() {
    if (isUnloaded() || leavingAfterMessage_) return;
    if (passes_.busy()) {
        passes_.askClose();
        return;
    }
    Unload();
}

// Passes only start here, outside any other pass; the window is only
// unloaded once the pass that noticed Escape has returned.
void snellen1::runPasses(const std::function<void()>& pass) {
    // Where Qt draws the canvas, every repaint is a frame of its own for the
    // compositor, and Qt takes another screen-sized buffer for each frame the
    // compositor still holds: the chart is shown once it is drawn.
    const bool holdRepaints = !PicDest->drawnByServer();
    if (holdRepaints) PicDest->setUpdatesEnabled(false);
    const auto shown = qScopeGuard([this, holdRepaints] {
        if (holdRepaints) PicDest->setUpdatesEnabled(true);
    });
    try {
        if (passes_.run(pass, [this] { drawNewChart(); }) == PassControl::After::Close) leaveTest();
    } catch (const std::exception& e) {
        // A chart that can no longer be drawn (the display changed to one
        // whose pixels it cannot use, say): the user is told why, and the
        // test ends as with Escape. The box runs its own event loop; whatever
        // else would end the test meanwhile (its screen changing, say) waits
        // for the box, so that the window is not unloaded under this call.
        leavingAfterMessage_ = true;
        ui::MsgBox(this, QStringLiteral("The chart could not be drawn.\n") + QString::fromStdString(e.what()));
        Unload();
    }
}

void snellen1::TotalLetts() {
    setScaleMode(ui::ScaleMode::Pixels);
    state_.FullWidth = checkedInt16(devicePixels(ui::Screen::FullScreenClientWidth()), "snellen1.TotalLetts");
    state_.FullHeight = checkedInt16(devicePixels(ui::Screen::FullScreenClientHeight()), "snellen1.TotalLetts");
    PicDest->setScaleMode(ui::ScaleMode::Pixels);
    const ChartOutcome out = MeasureChart(chartInputs(), *canvas_);
    keepOutcome(out);
    state_.ChartHeight = toInt16(out.chartHeight, "snellen1.TotalLetts");
}

void snellen1::DrawChart() {
    PicDest->setScaleMode(ui::ScaleMode::Pixels);
    keepOutcome(DrawChartOn(chartInputs(), *canvas_, "snellen1.DrawChart"));
}

void snellen1::keepOutcome(const ChartOutcome& out) {
    state_.LineCount = out.LineCount;
    state_.LetterWidth = out.LetterWidth;
    state_.LetterHeight = out.LetterHeight;
}

ChartInputs snellen1::chartInputs() const {
    ChartInputs c;
    c.FirstLine = state_.FirstLine;
    c.ScreenHeightMM = app::screenSettings().ScreenHeightMM;
    c.PixelsPerMMX = state_.PixelsPerMMX;
    c.PixelsPerMMY = state_.PixelsPerMMY;
    c.FullScreenX = static_cast<float>(state_.FullScreenX * PicDest->pixelRatio());
    c.FullWidth = state_.FullWidth;
    c.LineSizes = state_.LineSizes;
    return c;
}

int64_t snellen1::devicePixels(int screenPixels) const {
    return static_cast<int64_t>(roundHalfEven(screenPixels * PicDest->pixelRatio()));
}

void snellen1::SizeResultPicture(double width, double height) {
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    ui::Control master(pic1);
    const double ratio = picResult->pixelRatio();
    const ui::ScaleMode unit = scaleMode();
    const double outerWidth =
        master.Width() + ui::pixelsToUnitsX(unit, w / ratio) - ui::pixelsToUnitsX(unit, pic1->ScaleWidth());
    const double outerHeight =
        master.Height() + ui::pixelsToUnitsY(unit, h / ratio) - ui::pixelsToUnitsY(unit, pic1->ScaleHeight());
    // The box rounds its inner size to whole pixels; the rest reads it back.
    ui::Control(picResult).Move(master.Left() + master.Width() + kResultSpacing, master.Top(), outerWidth,
                                outerHeight);
    // Device pixels are finer than the window's: round to those instead.
    if (ratio != 1.0)
        picResult->setInnerPixels(static_cast<int>(roundHalfEven(w)), static_cast<int>(roundHalfEven(h)));
    ui::Application::DoEvents();
}

ui::PictureBox& snellen1::masterOf(int16_t direction) const {
    switch (direction) {
    case Direction::Right: return *pic1;
    case Direction::Down: return *pic2;
    case Direction::Left: return *pic3;
    default: return *pic4;
    }
}

}  // namespace lumeye::acuity
