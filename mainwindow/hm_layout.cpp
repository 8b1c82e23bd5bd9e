#include "mainwindow/hm.h"

#include "core/warten.h"
#include "platform/paths.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <numbers>

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

enum class Glyph {
    Search, Ingredients, Keywords, Menu, News, Import, More, Cookbook, Help, Cycle,
    ClearList, Star, Trash, AllIn, OneIn, Plus, Minus, Servings, PrintList, PrintRecipe,
    Basket, Edit, NewRecipe, Export,
};

const QColor kInk(0x33, 0x3b, 0x45);
const QColor kAccent(0x2f, 0x6f, 0xb3);
const QColor kWarm(0xd9, 0x7a, 0x1e);
const QColor kDanger(0xc0, 0x39, 0x2b);
const QColor kGood(0x3a, 0x8f, 0x4a);

void paintPrinter(QPainter& p)
{
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 4, 14, 9));
    p.setBrush(QColor(0xb8, 0xc2, 0xcc));
    p.drawRoundedRect(QRectF(4, 12, 24, 11), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 19, 14, 9));
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(11.5, 22.5), QPointF(20.5, 22.5));
    p.drawLine(QPointF(11.5, 25), QPointF(18, 25));
}

void paintGlyph(QPainter& p, Glyph glyph)
{
    const QPen ink(kInk, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(ink);
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case Glyph::Search:
        p.setBrush(QColor(0xdd, 0xea, 0xf7));
        p.drawEllipse(QPointF(13, 13), 8, 8);
        p.setPen(QPen(kInk, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(19, 19), QPointF(27, 27));
        break;
    case Glyph::Ingredients: {
        QPainterPath carrot;
        carrot.moveTo(7, 26);
        carrot.lineTo(18, 10);
        carrot.lineTo(23, 15);
        carrot.closeSubpath();
        p.setBrush(kWarm);
        p.drawPath(carrot);
        p.setPen(QPen(kGood, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(21, 12), QPointF(26, 4));
        p.drawLine(QPointF(21, 12), QPointF(28, 10));
        p.drawLine(QPointF(21, 12), QPointF(22, 4));
        break;
    }
    case Glyph::Keywords: {
        QPainterPath tag;
        tag.moveTo(4, 6);
        tag.lineTo(15, 6);
        tag.lineTo(28, 19);
        tag.lineTo(19, 28);
        tag.lineTo(6, 15);
        tag.closeSubpath();
        p.setBrush(QColor(0xf6, 0xd8, 0x6b));
        p.drawPath(tag);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(10.5, 11.5), 2.2, 2.2);
        break;
    }
    case Glyph::Menu:
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(16, 17), 9, 9);
        p.drawEllipse(QPointF(16, 17), 5, 5);
        p.drawLine(QPointF(3.5, 7), QPointF(3.5, 27));
        p.drawLine(QPointF(28.5, 7), QPointF(28.5, 27));
        break;
    case Glyph::News:
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(4, 5, 24, 22), 2, 2);
        p.setPen(QPen(kInk, 1.6));
        p.setBrush(QColor(0xb8, 0xc2, 0xcc));
        p.drawRect(QRectF(8, 9, 7, 6));
        for (qreal y : {10.0, 14.0})
            p.drawLine(QPointF(18, y), QPointF(24, y));
        for (qreal y : {19.0, 23.0})
            p.drawLine(QPointF(8, y), QPointF(24, y));
        break;
    case Glyph::Import:
        p.drawPolyline(QPolygonF({QPointF(5, 18), QPointF(5, 27), QPointF(27, 27), QPointF(27, 18)}));
        p.setPen(QPen(kAccent, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(16, 4), QPointF(16, 20));
        p.drawPolyline(QPolygonF({QPointF(10, 14), QPointF(16, 20), QPointF(22, 14)}));
        break;
    case Glyph::Export:
        p.drawPolyline(QPolygonF({QPointF(5, 18), QPointF(5, 27), QPointF(27, 27), QPointF(27, 18)}));
        p.setPen(QPen(kAccent, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(16, 21), QPointF(16, 5));
        p.drawPolyline(QPolygonF({QPointF(10, 11), QPointF(16, 5), QPointF(22, 11)}));
        break;
    case Glyph::More:
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        for (qreal x : {8.0, 16.0, 24.0})
            p.drawEllipse(QPointF(x, 16), 2.6, 2.6);
        break;
    case Glyph::Cookbook:
        p.setBrush(QColor(0x9a, 0x4f, 0x2a));
        p.drawRoundedRect(QRectF(6, 4, 20, 24), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(10, 8, 12, 6));
        p.drawLine(QPointF(6, 24), QPointF(26, 24));
        break;
    case Glyph::Help:
        p.setBrush(kAccent);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(16, 16), 13, 13);
        p.setPen(Qt::white);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 15, QFont::Bold));
        p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("?"));
        break;
    case Glyph::Cycle: {
        p.setPen(QPen(kAccent, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawArc(QRectF(6, 6, 20, 20), 30 * 16, 150 * 16);
        p.drawArc(QRectF(6, 6, 20, 20), 210 * 16, 150 * 16);
        p.drawPolyline(QPolygonF({QPointF(20, 5), QPointF(25, 8.5), QPointF(21, 13)}));
        p.drawPolyline(QPolygonF({QPointF(12, 27), QPointF(7, 23.5), QPointF(11, 19)}));
        break;
    }
    case Glyph::ClearList:
        p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
        for (qreal y : {7.0, 13.0, 19.0, 25.0})
            p.drawLine(QPointF(4, y), QPointF(17, y));
        p.setPen(QPen(kDanger, 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(19, 15), QPointF(28, 24));
        p.drawLine(QPointF(28, 15), QPointF(19, 24));
        break;
    case Glyph::Star: {
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const qreal r = i % 2 ? 5.5 : 13;
            const qreal a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
            star << QPointF(16 + r * std::cos(a), 17 + r * std::sin(a));
        }
        p.setBrush(QColor(0xf2, 0xc1, 0x1d));
        p.setPen(QPen(QColor(0xa0, 0x78, 0x00), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolygon(star);
        break;
    }
    case Glyph::Trash:
        p.setBrush(QColor(0xe3, 0xe7, 0xeb));
        p.drawRect(QRectF(8, 9, 16, 19));
        p.drawLine(QPointF(5, 8), QPointF(27, 8));
        p.drawLine(QPointF(13, 4), QPointF(19, 4));
        p.setPen(QPen(kInk, 1.4));
        for (qreal x : {12.5, 16.0, 19.5})
            p.drawLine(QPointF(x, 13), QPointF(x, 24));
        break;
    case Glyph::AllIn:
    case Glyph::OneIn:
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(5, 16, 22, 12), 2, 2);
        p.setPen(QPen(kGood, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(16, 3), QPointF(16, 14));
        p.drawPolyline(QPolygonF({QPointF(11, 9), QPointF(16, 14), QPointF(21, 9)}));
        if (glyph == Glyph::AllIn) {
            p.setPen(QPen(kInk, 1.6));
            for (qreal y : {20.0, 24.0})
                p.drawLine(QPointF(9, y), QPointF(23, y));
        }
        break;
    case Glyph::Plus:
    case Glyph::Minus:
        p.setPen(QPen(kInk, 3.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 16), QPointF(25, 16));
        if (glyph == Glyph::Plus)
            p.drawLine(QPointF(16, 7), QPointF(16, 25));
        break;
    case Glyph::Servings:
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(11, 11), 5, 5);
        p.drawEllipse(QPointF(21, 11), 5, 5);
        p.drawArc(QRectF(3, 18, 16, 14), 0, 180 * 16);
        p.drawArc(QRectF(13, 18, 16, 14), 0, 180 * 16);
        break;
    case Glyph::PrintList:
        paintPrinter(p);
        p.setPen(QPen(kAccent, 2));
        p.drawLine(QPointF(24, 4), QPointF(30, 4));
        p.drawLine(QPointF(24, 8), QPointF(30, 8));
        break;
    case Glyph::PrintRecipe:
        paintPrinter(p);
        break;
    case Glyph::Basket:
        p.setBrush(QColor(0xe8, 0xc9, 0x94));
        p.drawPolygon(QPolygonF({QPointF(4, 13), QPointF(28, 13), QPointF(24, 27), QPointF(8, 27)}));
        p.drawArc(QRectF(9, 3, 14, 18), 0, 180 * 16);
        p.setPen(QPen(kInk, 1.4));
        for (qreal x : {12.0, 16.0, 20.0})
            p.drawLine(QPointF(x, 16), QPointF(x, 24));
        break;
    case Glyph::Edit: {
        QPainterPath pencil;
        pencil.moveTo(6, 26);
        pencil.lineTo(8, 19);
        pencil.lineTo(22, 5);
        pencil.lineTo(27, 10);
        pencil.lineTo(13, 24);
        pencil.closeSubpath();
        p.setBrush(QColor(0xf6, 0xd8, 0x6b));
        p.drawPath(pencil);
        p.drawLine(QPointF(8, 19), QPointF(13, 24));
        break;
    }
    case Glyph::NewRecipe:
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({QPointF(6, 3), QPointF(19, 3), QPointF(25, 9), QPointF(25, 29),
                                 QPointF(6, 29)}));
        p.setPen(QPen(kGood, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(15.5, 12), QPointF(15.5, 24));
        p.drawLine(QPointF(9.5, 18), QPointF(21.5, 18));
        break;
    }
}

QIcon glyphIcon(Glyph glyph)
{
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pm(32 * scale, 32 * scale);
        pm.setDevicePixelRatio(scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        paintGlyph(p, glyph);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QToolButton* pictureButton(QWidget* parent, const QString& name, Glyph glyph, const QString& tip,
                           int iconSize = 24)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(glyphIcon(glyph));
    b->setIconSize(QSize(iconSize, iconSize));
    b->setAutoRaise(true);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, int pointSize = 10,
              bool bold = true)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setFont(narrowFont(pointSize, bold));
    return l;
}

// The grids find by their own key handlers; the view's type-ahead would read every row of
// a long list to find one.
class Grid : public QTableView {
public:
    using QTableView::QTableView;
    void keyboardSearch(const QString&) override {}
};

QTableView* grid(QWidget* parent, const QString& name)
{
    auto* g = new Grid(parent);
    g->setObjectName(name);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setAlternatingRowColors(true);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setWordWrap(false);
    g->setCornerButtonEnabled(false);
    g->verticalHeader()->hide();
    // Fixed row heights let a list of a quarter million rows lay itself out without
    // asking every row for its size.
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 6);
    g->horizontalHeader()->setHighlightSections(false);
    g->horizontalHeader()->setSectionsClickable(false);
    return g;
}

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
    kat->setRecordSource(QStringLiteral("select * from hauptkat order by kname"));
    auswahl = new db::DataControl(this);
    auswahl->setObjectName(QStringLiteral("auswahl"));
    auswahl->setRecordSource(QStringLiteral("select *,'Port.' as tport from rezinaus where aid=1 order by rname;"));
    menu = new db::DataControl(this);
    menu->setObjectName(QStringLiteral("menu"));
    menu->setRecordSource(QStringLiteral("select *,'Portionen' as tport from rezinmen where mid=0 order by nr;"));

    bname = label(this, QStringLiteral("bname"), QStringLiteral("K o c h b u c h :  "), 13);
    makevoll = new QToolButton(this);
    makevoll->setObjectName(QStringLiteral("makevoll"));
    makevoll->setText(QStringLiteral("&v"));
    makevoll->setToolTip(QStringLiteral("Vollbild / normale Größe"));
    makevoll->setAutoRaise(true);

    ger = label(this, QStringLiteral("ger"), QStringLiteral("R u b r i k :"));
    rubmodechange = pictureButton(this, QStringLiteral("rubmodechange"), Glyph::Cycle,
                                  QStringLiteral("Rubrik - Kommentar - Datei"), 20);
    katgrid = new QComboBox(this);
    katgrid->setObjectName(QStringLiteral("katgrid"));
    katgrid->setPlaceholderText(QStringLiteral("Rubrik"));
    katgrid->setMaxVisibleItems(20);
    rezgrid = grid(this, QStringLiteral("rezgrid"));
    rezgrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    rezgrid->setMouseTracking(true);
    gesucht = label(this, QStringLiteral("gesucht"), QStringLiteral("> alle Gerichte"), 10, false);
    gesucht->setMinimumWidth(40);
    rezzahl = label(this, QStringLiteral("rezzahl"), QString(), 10, true);
    rezzahl->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    loeschaus = pictureButton(this, QStringLiteral("loeschaus"), Glyph::ClearList,
                              QStringLiteral("Ganze Liste löschen"), 20);

    ausw = label(this, QStringLiteral("ausw"), QStringLiteral("A u s w a h l :"));
    men4 = pictureButton(this, QStringLiteral("men4"), Glyph::Menu,
                         QStringLiteral("Auswahllisten oder Menüs zeigen"), 22);
    men4t = label(this, QStringLiteral("men4t"), QStringLiteral("M e n ü"), 8);
    korbgrid = new QComboBox(this);
    korbgrid->setObjectName(QStringLiteral("korbgrid"));
    korbgrid->setMaxVisibleItems(20);
    ausgrid = grid(this, QStringLiteral("ausgrid"));
    ausgrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ausgrid->setMouseTracking(true);
    neuaus = pictureButton(this, QStringLiteral("neuaus"), Glyph::Star, QStringLiteral("Neue Auswahl"));
    loeschsel = pictureButton(this, QStringLiteral("loeschsel"), Glyph::Trash,
                              QStringLiteral("Auswahlliste löschen"));
    auswahlalle = pictureButton(this, QStringLiteral("auswahlalle"), Glyph::AllIn,
                                QStringLiteral("Ganze Liste in Auswahl"));
    eininaus = pictureButton(this, QStringLiteral("eininaus"), Glyph::OneIn,
                             QStringLiteral("Gewähltes Rezept in Auswahl"));

    reznam = new QLineEdit(this);
    reznam->setObjectName(QStringLiteral("reznam"));
    reznam->setReadOnly(true);
    reznam->setFrame(false);
    reznam->setFont(narrowFont(15, true));
    QPalette title = reznam->palette();
    title.setColor(QPalette::Base, title.color(QPalette::Window));
    reznam->setPalette(title);
    zpers = label(this, QStringLiteral("zpers"),
                  QStringLiteral("Z u t a t e n   f ü r   4   P o r t i o n e n  :"));
    port = new QLineEdit(this);
    port->setObjectName(QStringLiteral("port"));
    port->setAlignment(Qt::AlignCenter);
    port->setMaximumWidth(port->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    plus = pictureButton(this, QStringLiteral("plus"), Glyph::Plus, QStringLiteral("Eine Portion mehr"), 16);
    minus = pictureButton(this, QStringLiteral("minus"), Glyph::Minus,
                          QStringLiteral("Eine Portion weniger"), 16);
    mehr = pictureButton(this, QStringLiteral("mehr"), Glyph::Servings,
                         QStringLiteral("Anzahl der Portionen eingeben"), 20);
    zutgrid = grid(this, QStringLiteral("zutgrid"));
    zutgrid->setSelectionMode(QAbstractItemView::SingleSelection);
    zutgrid->setMouseTracking(true);
    zutgrid->horizontalHeader()->hide();
    menlabel = label(this, QStringLiteral("menlabel"),
                     QStringLiteral("G e r i c h t e   i m   M e n ü  :"));
    menugrid = grid(this, QStringLiteral("menugrid"));
    stichlabel = label(this, QStringLiteral("stichlabel"), QStringLiteral("S t i c h w o r t e :"));
    stich = new QLineEdit(this);
    stich->setObjectName(QStringLiteral("stich"));
    zubt = label(this, QStringLiteral("zubt"), QStringLiteral("Z u b e r e i t u n g :"));
    zub = new QPlainTextEdit(this);
    zub->setObjectName(QStringLiteral("zub"));
    komt = label(this, QStringLiteral("komt"), QStringLiteral("K o m m e n t a r :"));
    komgrid = new QComboBox(this);
    komgrid->setObjectName(QStringLiteral("komgrid"));
    komgrid->setEditable(true);
    komgrid->setInsertPolicy(QComboBox::NoInsert);

    druckaus = pictureButton(this, QStringLiteral("druckaus"), Glyph::PrintList,
                             QStringLiteral("Rezepte drucken (Seitenansicht)"));
    druckrez = pictureButton(this, QStringLiteral("druckrez"), Glyph::PrintRecipe,
                             QStringLiteral("Dieses Rezept drucken (Seitenansicht)"));
    einkauf = pictureButton(this, QStringLiteral("einkauf"), Glyph::Basket,
                            QStringLiteral("Einkaufsliste drucken (Seitenansicht)"));
    einkaufmen = pictureButton(this, QStringLiteral("einkaufmen"), Glyph::Basket,
                               QStringLiteral("Einkaufsliste drucken (Seitenansicht)"));
    editrez = pictureButton(this, QStringLiteral("editrez"), Glyph::Edit,
                            QStringLiteral("Rezept bearbeiten"));
    neurez = pictureButton(this, QStringLiteral("neurez"), Glyph::NewRecipe,
                           QStringLiteral("Neues Rezept"));
    export_ = pictureButton(this, QStringLiteral("export"), Glyph::Export,
                            QStringLiteral("Rezepte exportieren (HTML, MM, Kelvor)"));

    const struct {
        QToolButton** button;
        QLabel** caption;
        const char* name;
        Glyph glyph;
        const char* text;
    } navigation[] = {
        {&men1, &men1t, "men1", Glyph::Search, "S u c h e n"},
        {&men2, &men2t, "men2", Glyph::Ingredients, "Z u t a t e n"},
        {&men3, &men3t, "men3", Glyph::Keywords, "S t i c h w o r t e"},
        {&men5, &men5t, "men5", Glyph::News, "N e w s   l e s e n"},
        {&men6, &men6t, "men6", Glyph::Import, "I m p o r t"},
        {&men7, &men7t, "men7", Glyph::More, "W e i t e r e s"},
    };
    for (const auto& n : navigation) {
        const QString name = QString::fromLatin1(n.name);
        const QString text = QString::fromUtf8(n.text);
        *n.button = pictureButton(this, name, n.glyph, QString(text).remove(u' '), 32);
        *n.caption = label(this, name + u't', text, 8);
    }
    loadkoch = pictureButton(this, QStringLiteral("loadkoch"), Glyph::Cookbook,
                             QStringLiteral("Anderes Kochbuch"), 28);
    hilf = pictureButton(this, QStringLiteral("hilf"), Glyph::Help, QStringLiteral("Hilfe"), 28);

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
        kelvorlogo->setFont(narrowFont(12, true));
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

    resize(qRound(kDesignWidth / kTwipsPerPixel), qRound(kDesignHeight / kTwipsPerPixel));
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
