// The beacon strip's cells as painted: colours, the one-pixel black gaps and
// the place in its panel.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QFrame>
#include <QImage>
#include <filesystem>
#include <memory>
#include <string>

#include "app_gui/gui_fixture.h"
#include "gateway/beacon_grid_widget.h"
#include "gateway/beacon_marks.h"
#include "platform/clock.h"

using namespace veltrin;

namespace {

constexpr std::time_t kNow = 1700000000;

const QRgb kGrey = qRgb(128, 128, 128);
const QRgb kGreen = qRgb(0, 128, 0);
const QRgb kYellow = qRgb(255, 255, 0);
const QRgb kBlack = qRgb(0, 0, 0);

class BeaconGridTest : public ::testing::Test {
protected:
    std::filesystem::path dir;
    BeaconMarks marks;
    Msg_header header;
    MessageBody body{};
    std::unique_ptr<QFrame> panel;  // after the application exists
    BeaconGridWidget* grid = nullptr;

    void SetUp() override
    {
        veltrin::testing::application();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              ("veltrin_grid_" + std::to_string(::getpid()) + "_" + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        marks.load((dir / "beacon_marks.bin").string());
        panel = std::make_unique<QFrame>();
        panel->setObjectName(QStringLiteral("PanelBeacon4h"));
        panel->resize(534, 24);
        grid = new BeaconGridWidget(panel.get());
        panel->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        panel.reset();
        setClockSource({});
        std::filesystem::remove_all(dir);
    }

    void markAt(std::time_t t, int faults)
    {
        setClockSource([t] { return t; });
        marks.markBeacon(header, body, faults);
    }
    QImage picture()
    {
        setClockSource([] { return kNow; });
        return grid->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};

}  // namespace

TEST_F(BeaconGridTest, CellsShowTheMarksOfTheLastFourHoursWithBlackGaps)
{
    markAt(kNow, 1);              // column 23: damaged only
    markAt(kNow - 2 * 600, 0);    // column 21: clean
    markAt(kNow - 2 * 600, 1);    //            and damaged: still green
    markAt(kNow - 23 * 600, 1);   // column 0
    markAt(kNow - 24 * 600, 0);   // four hours ago: off the strip
    grid->setMarks(&marks);

    ASSERT_EQ(grid->geometry(), QRect(3, 1, 528, 22));
    const QImage image = picture();
    ASSERT_EQ(image.size(), QSize(528, 22));
    for (int c = 0; c < 24; ++c) {
        QRgb expected = kGrey;
        if (c == 23 || c == 0)
            expected = kYellow;
        else if (c == 21)
            expected = kGreen;
        const int left = c * 22;
        for (int y : {0, 11, 21}) {
            EXPECT_EQ(image.pixel(left, y), kBlack) << c << " " << y;
            EXPECT_EQ(image.pixel(left + 1, y), expected) << c << " " << y;
            EXPECT_EQ(image.pixel(left + 11, y), expected) << c << " " << y;
            EXPECT_EQ(image.pixel(left + 20, y), expected) << c << " " << y;
            EXPECT_EQ(image.pixel(left + 21, y), kBlack) << c << " " << y;
        }
    }
}

TEST_F(BeaconGridTest, WithoutMarksEveryCellIsGrey)
{
    markAt(kNow, 0);  // not shown: the grid has no marks to read
    const QImage image = picture();
    for (int c = 0; c < 24; ++c) {
        EXPECT_EQ(image.pixel(c * 22 + 11, 11), kGrey) << c;
        EXPECT_EQ(image.pixel(c * 22, 11), kBlack) << c;
    }
}

TEST_F(BeaconGridTest, FollowsThePanelsWidth)
{
    struct Case {
        int panelWidth;
        QRect geometry;
        int columnWidth;
    } cases[] = {
        {100, QRect(0, 1, 120, 22), 5},
        {860, QRect(10, 1, 840, 22), 35},
        {534, QRect(3, 1, 528, 22), 22},
    };
    grid->setMarks(&marks);
    markAt(kNow, 0);
    for (const Case& c : cases) {
        panel->resize(c.panelWidth, 24);
        QCoreApplication::processEvents();
        EXPECT_EQ(grid->geometry(), c.geometry) << c.panelWidth;
        EXPECT_EQ(grid->columnWidth(), c.columnWidth) << c.panelWidth;
        const QImage image = picture();
        const int last = 23 * c.columnWidth;
        EXPECT_EQ(image.pixel(last, 11), kBlack) << c.panelWidth;
        EXPECT_EQ(image.pixel(last + 1, 11), kGreen) << c.panelWidth;
        EXPECT_EQ(image.pixel(last + c.columnWidth - 2, 11), kGreen) << c.panelWidth;
        EXPECT_EQ(image.pixel(last + c.columnWidth - 1, 11), kBlack) << c.panelWidth;
        EXPECT_EQ(image.pixel(last - 2, 11), kGrey) << c.panelWidth;
    }
}

class BeaconStripWindow : public veltrin::testing::WindowFixture {};

TEST_F(BeaconStripWindow, IsTheGridLaidOutInItsPanel)
{
    TRxForm& w = createWindow();
    showAndActivate();
    auto* strip = w.findChild<BeaconGridWidget*>(QStringLiteral("Beacon4hGrid"));
    ASSERT_NE(strip, nullptr);
    QWidget* stripPanel = strip->parentWidget();
    ASSERT_NE(stripPanel, nullptr);
    EXPECT_EQ(stripPanel->objectName(), QStringLiteral("PanelBeacon4h"));
    EXPECT_EQ(stripPanel->height(), 24);
    EXPECT_EQ(strip->height(), 22);
    for (int width : {700, 534}) {
        w.resize(width, w.height());
        QCoreApplication::processEvents();
        const BeaconStripLayout layout = beaconStripLayout(stripPanel->contentsRect().width());
        EXPECT_EQ(strip->width(), layout.gridWidth) << width;
        EXPECT_EQ(strip->x(), stripPanel->contentsRect().left() + layout.gridLeft) << width;
    }
}
