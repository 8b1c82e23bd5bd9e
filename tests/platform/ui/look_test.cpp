#include "platform/ui/look.h"
#include "tests/support/guitest.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

namespace {

bool anyPixelPainted(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0) return true;
    return false;
}

// Each file in data/icons must be compiled in and render: a file left out of the resource,
// a broken file or a missing SVG icon plugin all leave a button blank without an error.
TEST(Look, EveryIconFileLoadsAndPaintsAtButtonSize)
{
    kv::test::guiApp();
    const QStringList files =
        QDir(QStringLiteral(KELVOR_ICON_DIR)).entryList({QStringLiteral("*.svg")}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const QIcon icon = kv::ui::icon(QFileInfo(file).completeBaseName());
        EXPECT_TRUE(anyPixelPainted(icon.pixmap(QSize(24, 24), 1.0).toImage()));
    }
}

}  // namespace
