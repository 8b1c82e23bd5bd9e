#include "core/ende_window.h"

#include "core/mainmod.h"
#include "platform/paths.h"
#include "platform/ui/look.h"
#include "platform/ui/windows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <stdexcept>

namespace kv {

namespace {

const QString kName = QStringLiteral("ende");

std::function<void()> g_quitHook;
int g_noClosingScreen = 0;

// Released before the cookbook is closed, in this order.
const QStringList kBeforeDatabase = {
    QStringLiteral("hm"),           QStringLiteral("finddir"),
    QStringLiteral("importstatus"), QStringLiteral("newsreaderwork"),
    QStringLiteral("stichwortsuche"), QStringLiteral("neu_rezept"),
    QStringLiteral("neu_menue"),    QStringLiteral("neu_auswahl"),
    QStringLiteral("suchen"),       QStringLiteral("wizard_news"),
    QStringLiteral("zutatensuche"),
};
// Released after it, the closing screen last.
const QStringList kAfterDatabase = {
    QStringLiteral("about"),
    QStringLiteral("einheiten"),
    QStringLiteral("print_rezept"),
    QStringLiteral("ende"),
};

void unloadQuietly(const QString& name)
{
    try {
        ui::unloadIfKnown(name);
    } catch (...) {
        // Nothing may stop the shut-down.
    }
}

}  // namespace

Ende::Ende(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(kName);
    setWindowTitle(QStringLiteral(" K e l v o r"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    const QPixmap logo(QDir(paths::programFolder()).filePath(QStringLiteral("kelvor-logo.bmp")));
    if (logo.isNull())
        Image1->hide();
    else
        Image1->setPixmap(logo.scaled(160, 160, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    wiederseh = new QLabel(QStringLiteral("A u f    W i e d e r s e h e n ."), this);
    wiederseh->setObjectName(QStringLiteral("wiederseh"));
    wiederseh->setFont(ui::narrowFont(18, true));

    const QStringList infoTexts = {
        QStringLiteral("Kelvor schließt jetzt das Kochbuch und alle Fenster."),
        QStringLiteral("Das Programm endet nach Ablauf der Sekunden von selbst."),
        QStringLiteral("Mit „Weiter“ endet es sofort."),
    };
    for (std::size_t i = 0; i < info.size(); ++i) {
        info[i] = new QLabel(infoTexts.at(qsizetype(i)), this);
        info[i]->setObjectName(QStringLiteral("info"));
        info[i]->setFont(ui::narrowFont(10));
        info[i]->setWordWrap(true);
    }

    zahl = new QLabel(QStringLiteral("5"), this);
    zahl->setObjectName(QStringLiteral("zahl"));
    zahl->setFont(ui::narrowFont(28, true));
    zahl->setAlignment(Qt::AlignCenter);
    zahl->setMinimumWidth(zahl->fontMetrics().horizontalAdvance(QStringLiteral("00")));

    weiter = new QPushButton(style()->standardIcon(QStyle::SP_ArrowForward),
                             QStringLiteral("Weiter"), this);
    weiter->setObjectName(QStringLiteral("weiter"));
    weiter->setToolTip(QStringLiteral("Kelvor sofort beenden"));
    kreuz = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QString(), this);
    kreuz->setObjectName(QStringLiteral("kreuz"));
    kreuz->setToolTip(QStringLiteral("Schließen"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(wiederseh);
    texts->addSpacing(8);
    for (QLabel* label : info) texts->addWidget(label);
    texts->addStretch();

    auto* upper = new QHBoxLayout;
    upper->addWidget(Image1);
    upper->addSpacing(12);
    upper->addLayout(texts, 1);
    upper->addWidget(zahl);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(kreuz);
    buttons->addStretch();
    buttons->addWidget(weiter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->addLayout(upper, 1);
    layout->addLayout(buttons);
    resize(520, 240);

    closeme = new QTimer(this);
    closeme->setObjectName(QStringLiteral("closeme"));
    closeme->setInterval(1000);

    wireEvents();
    closeme->start();
}

void Ende::wireEvents()
{
    connect(closeme, &QTimer::timeout, this, &Ende::closeme_Timer);
    connect(weiter, &QPushButton::clicked, this, &Ende::weiter_Click);
    connect(kreuz, &QPushButton::clicked, this, &Ende::kreuz_Click);
}

void Ende::endit()
{
    kv::endit();
}

void Ende::closeme_Timer()
{
    const int n = zahl->text().toInt() - 1;
    zahl->setText(QString::number(n));
    if (n == 0) weiter_Click();
}

void Ende::weiter_Click()
{
    // endit runs the event loop once; no further tick may arrive meanwhile.
    closeme->stop();
    endit();
}

void Ende::kreuz_Click()
{
    // Closing only this screen would leave the program running without a window.
    weiter_Click();
}

void Ende::closeEvent(QCloseEvent* event)
{
    if (!event->spontaneous()) {
        m_leaving = true;
        event->accept();
        return;
    }
    // The close box ends the program like the cross. Deferred, because the shut-down
    // releases this window, which must not happen inside its own close event.
    event->ignore();
    closeme->stop();
    QTimer::singleShot(0, this, [this] {
        if (!m_leaving) kreuz_Click();
    });
}

void endit()
{
    static bool running = false;
    if (running) return;
    running = true;

    {
        // Unloading a main window that is still there must not start another countdown.
        NoClosingScreen quiet;
        for (const QString& name : kBeforeDatabase) unloadQuietly(name);
        // Windows outside both lists go too, while the cookbook they may still use is open.
        for (const QString& name : ui::WindowRegistry::loadedNames())
            if (!kAfterDatabase.contains(name)) unloadQuietly(name);
    }

    try {
        if (kochbuchdb) kochbuchdb->close();
    } catch (...) {
        // Already closed or broken: it is released below all the same.
    }
    kochbuchdb.reset();

    QCoreApplication::processEvents();

    for (const QString& name : kAfterDatabase) unloadQuietly(name);
    // Whatever is left without the registry (a message box, a stray tool window) would
    // keep the program alive on a closed cookbook.
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible()) widget->close();

    running = false;
    quitProgram();
}

void setQuitHook(std::function<void()> hook)
{
    g_quitHook = std::move(hook);
}

void quitProgram()
{
    if (g_quitHook)
        g_quitHook();
    else
        QCoreApplication::exit(0);
}

NoClosingScreen::NoClosingScreen()
{
    ++g_noClosingScreen;
}

NoClosingScreen::~NoClosingScreen()
{
    --g_noClosingScreen;
}

bool closingScreenSuppressed()
{
    return g_noClosingScreen > 0;
}

void showClosingScreen()
{
    if (closingScreenSuppressed()) return;
    QWidget* screen = ui::WindowRegistry::get(kName);
    screen->show();
    screen->raise();
}

void cancelClosingScreen()
{
    ui::unloadIfKnown(kName);
}

}  // namespace kv
