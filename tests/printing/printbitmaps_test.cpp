#include "printing/printbitmaps.h"

#include "tests/printing/printtest.h"
#include "tests/support/testenv.h"

using namespace kv;
using kv::test::inkBounds;

namespace {

class PrintBitmaps : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kv::test::ensureFontApplication(); }
    kv::test::TestEnvironment env;
};

}  // namespace

TEST_F(PrintBitmaps, BitmapIsScaledToTheWidthAndStandsOnTheBaseline)
{
    QImage black(300, 100, QImage::Format_RGB32);
    black.fill(Qt::black);
    const QString path = env.tempPath(QStringLiteral("logo.bmp"));
    ASSERT_TRUE(black.save(path, "BMP"));

    ImageSurface s(600, QSize(1000, 1000));
    printbitmap(path, s.surface(), 10.7, 500, 150);
    const QImage image = s.finish();
    EXPECT_EQ(inkBounds(image), QRect(10, 450, 150, 50));
    EXPECT_TRUE(kv::test::isInk(image.pixel(80, 475)));
}

TEST_F(PrintBitmaps, MissingBitmapDrawsNothing)
{
    ImageSurface s(600, QSize(400, 400));
    printbitmap(env.tempPath(QStringLiteral("fehlt.bmp")), s.surface(), 10, 300, 150);
    EXPECT_TRUE(inkBounds(s.finish()).isEmpty());
}

TEST_F(PrintBitmaps, LineIsBlackAndOneDevicePixelWide)
{
    ImageSurface s(600, QSize(400, 400));
    printline(s.surface(), 200, 20, 200, 300);
    printline(s.surface(), 20, 350, 300, 350);
    const QImage image = s.finish();
    const QRect vertical = inkBounds(image, QRect(0, 0, 400, 340));
    EXPECT_EQ(vertical.width(), 1);
    EXPECT_NEAR(vertical.top(), 20, 1);
    EXPECT_NEAR(vertical.bottom(), 300, 1);
    const QRect horizontal = inkBounds(image, QRect(0, 340, 400, 60));
    EXPECT_EQ(horizontal.height(), 1);
    EXPECT_NEAR(horizontal.left(), 20, 1);
    EXPECT_NEAR(horizontal.right(), 300, 1);
    EXPECT_EQ(image.pixel(200, 100), qRgb(0, 0, 0));
}
