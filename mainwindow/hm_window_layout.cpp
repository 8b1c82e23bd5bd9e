#include "mainwindow/hm_window.h"

#include "platform/paths.h"
#include "platform/ui/look.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

namespace {

// The layout was drawn for 12105 x 8925 twips; at 15 twips a pixel that is too small for
// today's fonts, so the window opens a quarter larger and keeps the proportions.
constexpr int kDesignWidth = 12105;
constexpr int kDesignHeight = 8925;
constexpr double kTwipsPerPixel = 12.0;
// Where the two bars stand in the design, in twips.
constexpr int kSplitterRezLeft = 5040;
constexpr int kSplitterAusTop = 4755;
constexpr int kNavigationLeft = 10245;

QWidget* navigationEntry(QWidget* parent, QToolButton* button, QLabel* caption)
{
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(button, 0, Qt::AlignHCenter);
    caption->setAlignment(Qt::AlignHCenter);
    layout->addWidget(caption);
    return box;
}

QHBoxLayout* row(int spacing = 4)
{
    auto* r = new QHBoxLayout;
    r->setContentsMargins(0, 0, 0, 0);
    r->setSpacing(spacing);
    return r;
}

}  // namespace

void Hm::buildControls()
{
    rez = new db::DataControl(this);
    rez->setObjectName(QStringLiteral("rez"));
    rez->setRecordSource(QStringLiteral("select rid, kid,port, rname, komid from rezepte order by rname;"));
    korb = new db::DataControl(this);
    korb->setObjectName(QStringLiteral("korb"));
    korb->setRecordSource(QStringLiteral("select * from auswahlen order by aname;"));
    kat = new db::DataControl(this);
    kat->setObjectName(QStringLiteral("kat"));
    kat->setRecordSource(QStringLiteral("select * from hauptkat order by kid<>0, kname"));
    auswahl = new db::DataControl(this);
    auswahl->setObjectName(QStringLiteral("auswahl"));
    auswahl->setRecordSource(QStringLiteral("select *,'Port.' as tport from rezinaus where aid=1 order by rname;"));
    menu = new db::DataControl(this);
    menu->setObjectName(QStringLiteral("menu"));
    menu->setRecordSource(QStringLiteral("select *,'Portionen' as tport from rezinmen where mid=0 order by nr;"));

    bname = ui::caption(this, QStringLiteral("bname"), QStringLiteral("K o c h b u c h :  "), 13);
    makevoll = new QToolButton(this);
    makevoll->setObjectName(QStringLiteral("makevoll"));
    makevoll->setText(QStringLiteral("&v"));
    makevoll->setToolTip(QStringLiteral("Vollbild / normale Größe"));
    makevoll->setAutoRaise(true);

    ger = ui::caption(this, QStringLiteral("ger"), QStringLiteral("R u b r i k :"));
    rubmodechange = ui::pictureButton(this, QStringLiteral("rubmodechange"), QStringLiteral("cycle"),
                                      QStringLiteral("Rubrik - Kommentar - Datei"), 20);
    katgrid = new QComboBox(this);
    katgrid->setObjectName(QStringLiteral("katgrid"));
    katgrid->setPlaceholderText(QStringLiteral("Rubrik"));
    katgrid->setMaxVisibleItems(20);
    rezgrid = ui::grid(this, QStringLiteral("rezgrid"));
    rezgrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    rezgrid->setMouseTracking(true);
    gesucht = ui::caption(this, QStringLiteral("gesucht"), QStringLiteral("> alle Gerichte"), 10, false);
    gesucht->setMinimumWidth(40);
    rezzahl = ui::caption(this, QStringLiteral("rezzahl"), QString(), 10, true);
    rezzahl->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    loeschaus = ui::pictureButton(this, QStringLiteral("loeschaus"), QStringLiteral("clearlist"),
                                  QStringLiteral("Ganze Liste löschen"), 20);

    ausw = ui::caption(this, QStringLiteral("ausw"), QStringLiteral("A u s w a h l :"));
    men4 = ui::pictureButton(this, QStringLiteral("men4"), QStringLiteral("menu"),
                             QStringLiteral("Auswahllisten oder Menüs zeigen"), 22);
    men4t = ui::caption(this, QStringLiteral("men4t"), QStringLiteral("M e n ü"), 8);
    korbgrid = new QComboBox(this);
    korbgrid->setObjectName(QStringLiteral("korbgrid"));
    korbgrid->setMaxVisibleItems(20);
    ausgrid = ui::grid(this, QStringLiteral("ausgrid"));
    ausgrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ausgrid->setMouseTracking(true);
    neuaus = ui::pictureButton(this, QStringLiteral("neuaus"), QStringLiteral("star"),
                               QStringLiteral("Neue Auswahl"));
    loeschsel = ui::pictureButton(this, QStringLiteral("loeschsel"), QStringLiteral("trash"),
                                  QStringLiteral("Auswahlliste löschen"));
    auswahlalle = ui::pictureButton(this, QStringLiteral("auswahlalle"), QStringLiteral("allin"),
                                    QStringLiteral("Ganze Liste in Auswahl"));
    eininaus = ui::pictureButton(this, QStringLiteral("eininaus"), QStringLiteral("onein"),
                                 QStringLiteral("Gewähltes Rezept in Auswahl"));

    // A long title ends visibly before the logo beside it.
    reznam = new ui::ElidingLineEdit(this);
    reznam->setObjectName(QStringLiteral("reznam"));
    reznam->setFrame(false);
    reznam->setFont(ui::narrowFont(15, true));
    QPalette title = reznam->palette();
    title.setColor(QPalette::Base, title.color(QPalette::Window));
    reznam->setPalette(title);
    zpers = ui::caption(this, QStringLiteral("zpers"),
                        QStringLiteral("Z u t a t e n   f ü r   4   P o r t i o n e n  :"));
    port = new QLineEdit(this);
    port->setObjectName(QStringLiteral("port"));
    port->setAlignment(Qt::AlignCenter);
    port->setMaximumWidth(port->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    plus = ui::pictureButton(this, QStringLiteral("plus"), QStringLiteral("plus"),
                             QStringLiteral("Eine Portion mehr"), 16);
    minus = ui::pictureButton(this, QStringLiteral("minus"), QStringLiteral("minus"),
                              QStringLiteral("Eine Portion weniger"), 16);
    mehr = ui::pictureButton(this, QStringLiteral("mehr"), QStringLiteral("servings"),
                             QStringLiteral("Anzahl der Portionen eingeben"), 20);
    zutgrid = ui::grid(this, QStringLiteral("zutgrid"));
    zutgrid->setSelectionMode(QAbstractItemView::SingleSelection);
    zutgrid->setMouseTracking(true);
    zutgrid->horizontalHeader()->hide();
    menlabel = ui::caption(this, QStringLiteral("menlabel"),
                           QStringLiteral("G e r i c h t e   i m   M e n ü  :"));
    menugrid = ui::grid(this, QStringLiteral("menugrid"));
    stichlabel = ui::caption(this, QStringLiteral("stichlabel"), QStringLiteral("S t i c h w o r t e :"));
    stich = new QLineEdit(this);
    stich->setObjectName(QStringLiteral("stich"));
    zubt = ui::caption(this, QStringLiteral("zubt"), QStringLiteral("Z u b e r e i t u n g :"));
    zub = ui::textArea(this, QStringLiteral("zub"));
    komt = ui::caption(this, QStringLiteral("komt"), QStringLiteral("K o m m e n t a r :"));
    komgrid = new QComboBox(this);
    komgrid->setObjectName(QStringLiteral("komgrid"));
    komgrid->setEditable(true);
    komgrid->setInsertPolicy(QComboBox::NoInsert);
    // Completing "gel" to an existing comment would store that comment a second time.
    komgrid->setCompleter(nullptr);

    druckaus = ui::pictureButton(this, QStringLiteral("druckaus"), QStringLiteral("printlist"),
                                 QStringLiteral("Rezepte drucken (Seitenansicht)"));
    druckrez = ui::pictureButton(this, QStringLiteral("druckrez"), QStringLiteral("printrecipe"),
                                 QStringLiteral("Dieses Rezept drucken (Seitenansicht)"));
    einkauf = ui::pictureButton(this, QStringLiteral("einkauf"), QStringLiteral("basket"),
                                QStringLiteral("Einkaufsliste drucken (Seitenansicht)"));
    einkaufmen = ui::pictureButton(this, QStringLiteral("einkaufmen"), QStringLiteral("basket"),
                                   QStringLiteral("Einkaufsliste drucken (Seitenansicht)"));
    editrez = ui::pictureButton(this, QStringLiteral("editrez"), QStringLiteral("edit"),
                                QStringLiteral("Rezept bearbeiten"));
    neurez = ui::pictureButton(this, QStringLiteral("neurez"), QStringLiteral("newrecipe"),
                               QStringLiteral("Neues Rezept"));
    export_ = ui::pictureButton(this, QStringLiteral("export"), QStringLiteral("export"),
                                QStringLiteral("Rezepte exportieren (HTML, MM, Kelvor)"));

    const struct {
        QToolButton** button;
        QLabel** caption;
        const char* name;
        const char* icon;
        const char* text;
    } navigation[] = {
        {&men1, &men1t, "men1", "search", "S u c h e n"},
        {&men2, &men2t, "men2", "ingredients", "Z u t a t e n"},
        {&men3, &men3t, "men3", "keywords", "S t i c h w o r t e"},
        {&men5, &men5t, "men5", "news", "N e w s   l e s e n"},
        {&men6, &men6t, "men6", "import", "I m p o r t"},
        {&men7, &men7t, "men7", "more", "W e i t e r e s"},
    };
    for (const auto& n : navigation) {
        const QString name = QString::fromLatin1(n.name);
        const QString text = QString::fromUtf8(n.text);
        *n.button = ui::pictureButton(this, name, QString::fromLatin1(n.icon),
                                      QString(text).remove(u' '), 32);
        *n.caption = ui::caption(this, name + u't', text, 8);
    }
    loadkoch = ui::pictureButton(this, QStringLiteral("loadkoch"), QStringLiteral("cookbook"),
                                 QStringLiteral("Anderes Kochbuch"), 28);
    hilf = ui::pictureButton(this, QStringLiteral("hilf"), QStringLiteral("help"),
                             QStringLiteral("Hilfe"), 28);

    kelvorlogo = new QToolButton(this);
    kelvorlogo->setObjectName(QStringLiteral("kelvorlogo"));
    kelvorlogo->setAutoRaise(true);
    kelvorlogo->setToolTip(QStringLiteral("Über Kelvor"));
    const QPixmap logo(QDir(paths::programFolder()).filePath(QStringLiteral("kelvor-logo.bmp")));
    if (!logo.isNull()) {
        kelvorlogo->setIcon(QIcon(logo));
        kelvorlogo->setIconSize(QSize(100, 30));
    } else {
        kelvorlogo->setText(QStringLiteral("K e l v o r"));
        kelvorlogo->setFont(ui::narrowFont(12, true));
    }

    splitter_rez = new QSplitter(Qt::Horizontal, this);
    splitter_rez->setObjectName(QStringLiteral("splitter_rez"));
    splitter_aus = new QSplitter(Qt::Vertical, this);
    splitter_aus->setObjectName(QStringLiteral("splitter_aus"));
    m_rightSplit = new QSplitter(Qt::Vertical, this);
    m_rightSplit->setObjectName(QStringLiteral("splitter_aus_rechts"));
    for (QSplitter* s : {splitter_rez, splitter_aus, m_rightSplit}) {
        s->setChildrenCollapsible(false);
        s->setHandleWidth(7);
    }
}

void Hm::buildLayout()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("hm_inhalt"));
    setCentralWidget(central);

    auto* listPane = new QWidget;
    auto* listLayout = new QVBoxLayout(listPane);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(4);
    auto* filterRow = row();
    filterRow->addWidget(ger);
    filterRow->addWidget(rubmodechange);
    filterRow->addWidget(katgrid, 1);
    listLayout->addLayout(filterRow);
    listLayout->addWidget(rezgrid, 1);
    auto* countRow = row();
    countRow->addWidget(gesucht, 1);
    countRow->addWidget(rezzahl);
    countRow->addWidget(loeschaus);
    listLayout->addLayout(countRow);

    auto* panelPane = new QWidget;
    auto* panelLayout = new QVBoxLayout(panelPane);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(4);
    auto* panelHead = row();
    panelHead->addWidget(ausw);
    panelHead->addWidget(korbgrid, 1);
    auto* modeBox = new QVBoxLayout;
    modeBox->setSpacing(0);
    modeBox->addWidget(men4, 0, Qt::AlignHCenter);
    men4t->setAlignment(Qt::AlignHCenter);
    modeBox->addWidget(men4t);
    panelHead->addLayout(modeBox);
    panelLayout->addLayout(panelHead);
    panelLayout->addWidget(ausgrid, 1);
    auto* panelButtons = row(2);
    panelButtons->addWidget(eininaus);
    panelButtons->addWidget(auswahlalle);
    panelButtons->addStretch(1);
    panelButtons->addWidget(neuaus);
    panelButtons->addWidget(loeschsel);
    panelLayout->addLayout(panelButtons);

    splitter_aus->addWidget(listPane);
    splitter_aus->addWidget(panelPane);

    auto* viewTop = new QWidget;
    auto* topLayout = new QVBoxLayout(viewTop);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->setSpacing(4);
    topLayout->addWidget(reznam);
    auto* servingsRow = row(2);
    servingsRow->addWidget(zpers, 1);
    servingsRow->addWidget(menlabel, 1);
    servingsRow->addWidget(minus);
    servingsRow->addWidget(port);
    servingsRow->addWidget(plus);
    servingsRow->addWidget(mehr);
    topLayout->addLayout(servingsRow);
    topLayout->addWidget(zutgrid, 1);
    topLayout->addWidget(menugrid, 1);
    auto* keywordRow = row();
    keywordRow->addWidget(stichlabel);
    keywordRow->addWidget(stich, 1);
    topLayout->addLayout(keywordRow);

    auto* viewBottom = new QWidget;
    auto* bottomLayout = new QVBoxLayout(viewBottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->setSpacing(4);
    bottomLayout->addWidget(zubt);
    bottomLayout->addWidget(zub, 1);
    auto* commentRow = row();
    commentRow->addWidget(komt);
    commentRow->addWidget(komgrid, 1);
    bottomLayout->addLayout(commentRow);
    auto* printRow = row(2);
    for (QToolButton* b : {druckrez, druckaus, einkauf, einkaufmen})
        printRow->addWidget(b);
    printRow->addStretch(1);
    for (QToolButton* b : {editrez, neurez, export_})
        printRow->addWidget(b);
    bottomLayout->addLayout(printRow);

    m_rightSplit->addWidget(viewTop);
    m_rightSplit->addWidget(viewBottom);

    splitter_rez->addWidget(splitter_aus);
    splitter_rez->addWidget(m_rightSplit);

    auto* navigation = new QVBoxLayout;
    navigation->setSpacing(6);
    navigation->addWidget(kelvorlogo, 0, Qt::AlignHCenter);
    navigation->addSpacing(8);
    for (auto [button, caption] : {std::pair{men1, men1t}, {men2, men2t}, {men3, men3t},
                                   {men5, men5t}, {men6, men6t}, {men7, men7t}})
        navigation->addWidget(navigationEntry(central, button, caption));
    navigation->addStretch(1);
    auto* lower = row(8);
    lower->addStretch(1);
    lower->addWidget(loadkoch);
    lower->addWidget(hilf);
    lower->addStretch(1);
    navigation->addLayout(lower);

    auto* head = row();
    head->addWidget(bname, 1);
    head->addWidget(makevoll);

    auto* body = row(10);
    body->addWidget(splitter_rez, 1);
    body->addLayout(navigation);

    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(10, 6, 10, 10);
    outer->setSpacing(6);
    outer->addLayout(head);
    outer->addLayout(body, 1);

    // Menu mode's controls share the places of the recipe's; the window loads in
    // selection mode.
    menlabel->hide();
    menugrid->hide();
    einkaufmen->hide();

    rezgrid->horizontalHeader()->hide();
    zutgrid->horizontalHeader()->hide();

    // The design's proportions, at most nine tenths of the screen's free height, so the
    // window with its title bar fits a small screen beside the desktop's panel.
    QSize size(qRound(kDesignWidth / kTwipsPerPixel), qRound(kDesignHeight / kTwipsPerPixel));
    if (const QScreen* here = screen()) {
        const QRect free = here->availableGeometry();
        const int height = qMin(size.height(), qRound(free.height() * 0.9));
        size = QSize(qMin(qRound(height * double(kDesignWidth) / kDesignHeight), free.width()), height);
    }
    resize(size);
    splitter_rez->setSizes({kSplitterRezLeft, kNavigationLeft - kSplitterRezLeft});
    splitter_aus->setSizes({kSplitterAusTop, kDesignHeight - kSplitterAusTop});
    m_rightSplit->setSizes(splitter_aus->sizes());
    // Stretch factors stop at 255; hundreds of twips keep the proportion.
    splitter_rez->setStretchFactor(0, kSplitterRezLeft / 100);
    splitter_rez->setStretchFactor(1, (kNavigationLeft - kSplitterRezLeft) / 100);
    for (QSplitter* s : {splitter_aus, m_rightSplit}) {
        s->setStretchFactor(0, 1);
        s->setStretchFactor(1, 1);
    }
    splitter_aus->installEventFilter(this);
    m_rightSplit->installEventFilter(this);

    // Tab goes through the window as it is read: the head, the column of the lists from the
    // top, the recipe's column, the navigation. Menu mode's controls stand in the places of
    // those they replace.
    const QList<QWidget*> readingOrder = {
        makevoll, rubmodechange, katgrid, rezgrid, loeschaus, korbgrid, men4, ausgrid, eininaus, auswahlalle,
        neuaus, loeschsel, reznam, minus, port, plus, mehr, zutgrid, menugrid, stich, zub, komgrid, druckrez,
        druckaus, einkauf, einkaufmen, editrez, neurez, export_, kelvorlogo, men1, men2, men3, men5, men6, men7,
        loadkoch, hilf};
    for (qsizetype i = 1; i < readingOrder.size(); ++i)
        QWidget::setTabOrder(readingOrder[i - 1], readingOrder[i]);
    rezgrid->setFocus();
}

bool Hm::eventFilter(QObject* watched, QEvent* event)
{
    // Both columns share the window's height; whichever is resized last, the list's
    // column gives the measure.
    if ((watched == splitter_aus || watched == m_rightSplit) && event->type() == QEvent::Resize)
        splitter_aus_Moved();
    return QMainWindow::eventFilter(watched, event);
}

void Hm::grossbild_Click()
{
    // A window minimised from maximised carries both flags; minimised counts, so it comes
    // back maximised.
    const Qt::WindowStates state = windowState();
    if ((state & Qt::WindowMaximized) && !(state & Qt::WindowMinimized))
        setWindowState(state & ~Qt::WindowMaximized);
    else
        setWindowState((state & ~Qt::WindowMinimized) | Qt::WindowMaximized);
}

void Hm::makevoll_Click()
{
    grossbild_Click();
}

// The bar below the list runs on through the recipe view: the keyword line stays level
// with the list's description and count.
void Hm::splitter_aus_Moved()
{
    if (m_rightSplitSync)
        return;
    ++m_rightSplitSync;
    m_rightSplit->setSizes(splitter_aus->sizes());
    --m_rightSplitSync;
}

void Hm::splitter_aus_rechts_Moved()
{
    if (m_rightSplitSync)
        return;
    ++m_rightSplitSync;
    splitter_aus->setSizes(m_rightSplit->sizes());
    --m_rightSplitSync;
}

}  // namespace kv
