#include "platform/ui/look.h"
#include "tests/support/guitest.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QWidget>

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

// The ratio as the usual tables give it, so the pairs below are measured rightly.
TEST(Look, ContrastFollowsTheRelativeLuminanceOfBothColours)
{
    EXPECT_NEAR(kv::ui::contrastRatio(Qt::white, Qt::black), 21.0, 1e-9);
    EXPECT_NEAR(kv::ui::contrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
    EXPECT_NEAR(kv::ui::contrastRatio(QColor(0x80, 0x80, 0x80), QColor(0x3A, 0x4A, 0x5C)), 2.29, 0.01);
}

// Every text of a dark window can be read on its ground, an option chosen or not; the
// chosen option is told apart by more than its brightness.
TEST(Look, TheDarkWindowsTextsReachFourAndAHalfToOne)
{
    kv::test::guiApp();
    QWidget window;
    kv::ui::setDarkDialogLook(&window);
    auto* text = new QLabel(QStringLiteral("Name :"), &window);
    auto* option = new QLabel(QStringLiteral("einlesen"), &window);
    const QColor ground = window.palette().color(QPalette::Window);
    EXPECT_GE(kv::ui::contrastRatio(text->palette().color(QPalette::WindowText), ground), 4.5);
    for (const bool chosen : {true, false}) {
        kv::ui::setOptionChosen(option, chosen);
        EXPECT_GE(kv::ui::contrastRatio(option->palette().color(QPalette::WindowText), ground), 4.5) << chosen;
        EXPECT_EQ(option->font().underline(), chosen);
    }
}

}  // namespace
