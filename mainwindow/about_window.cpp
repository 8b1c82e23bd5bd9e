#include "mainwindow/about_window.h"

#include "platform/paths.h"
#include "platform/ui/look.h"
#include "platform/ui/windows.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kv {

namespace {
const QString kName = QStringLiteral("about");
}

About::About(QWidget* parent)
    : ui::Dialog(parent)
{
    setObjectName(kName);
    setWindowTitle(QStringLiteral(" Über Kelvor"));

    logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    const QPixmap picture(QDir(paths::programFolder()).filePath(QStringLiteral("kelvor-logo.bmp")));
    if (picture.isNull())
        logo->hide();
    else
        logo->setPixmap(picture.scaled(180, 180, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    titel = new QLabel(QStringLiteral("K e l v o r"), this);
    titel->setObjectName(QStringLiteral("titel"));
    titel->setFont(ui::narrowFont(20, true));

    version = new QLabel(QStringLiteral("2.3.7"), this);
    version->setObjectName(QStringLiteral("version"));
    version->setFont(ui::narrowFont(12, true));

    info = new QLabel(QStringLiteral(
                          "Kelvor verwaltet Ihre Rezepte in Kochbüchern: Sie können Rezepte suchen, "
                          "nach Zutaten und Stichworten auswählen, auf jede Personenzahl umrechnen, "
                          "zu Auswahllisten und Menüs zusammenstellen, drucken, aus Meal-Master-"
                          "Dateien und Newsgruppen einlesen und weitergeben."),
                      this);
    info->setObjectName(QStringLiteral("info"));
    info->setFont(ui::narrowFont(10));
    info->setWordWrap(true);

    kreuz = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                            QStringLiteral("Schließen"), this);
    kreuz->setObjectName(QStringLiteral("kreuz"));
    kreuz->setDefault(true);

    auto* texts = new QVBoxLayout;
    texts->addWidget(titel);
    texts->addWidget(version);
    texts->addSpacing(10);
    texts->addWidget(info);
    texts->addStretch();

    auto* upper = new QHBoxLayout;
    upper->addWidget(logo);
    upper->addSpacing(14);
    upper->addLayout(texts, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(kreuz);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 16);
    layout->addLayout(upper, 1);
    layout->addLayout(buttons);
    resize(520, 260);

    wireEvents();
}

void About::wireEvents()
{
    connect(kreuz, &QPushButton::clicked, this, &About::kreuz_Click);
}

void About::kreuz_Click()
{
    leave();
    // Released, not hidden: the next click on the logo builds the box anew.
    ui::unloadIfKnown(kName);
}

}  // namespace kv
