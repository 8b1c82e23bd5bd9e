#include "printing/print_rezept_window.h"

#include "core/mainmod.h"
#include "core/settings.h"
#include "platform/db/datacontrol.h"
#include "platform/db/datamodels.h"
#include "platform/paths.h"
#include "platform/print/pagesize.h"
#include "platform/print/printdlgapi.h"
#include "platform/print/printlog.h"
#include "platform/ui/closinghooks.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"
#include "platform/ui/windows.h"
#include "printing/print_setup_window.h"
#include "printing/printerdocument_window.h"
#include "printing/printjob.h"
#include "printing/printnumber.h"
#include "printing/printsettingsdb.h"
#include "printing/render.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextStream>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace kv {

namespace {

const QString kName = QStringLiteral("print_rezept");
const QString kPrintSetup = QStringLiteral("print_setup");

// The design's measures, from twips at 15 to a pixel: the sheet stands 240 twips in from
// the left and ends 480 twips above the window's bottom edge.
constexpr int kSheetLeft = 16;
constexpr int kSheetTop = 120;
constexpr int kBottomGap = 32;

// A step of a procedure that guards itself: a failure is logged under `tag`, and the
// procedure goes on with its next step.
template <class Fn>
void step(const QString& tag, Fn&& fn)
{
    try {
        fn();
    } catch (const std::exception& e) {
        printlogError(tag, e);
    }
}

// No column count (none stored, no number, one beyond 0..255) is two, written back: the
// layout divides by it.
quint8 columnsOrTwo(quint8 columns)
{
    if (columns != 0)
        return columns;
    savereg(reg::printspalten, QStringLiteral("2"));
    return 2;
}

bool isLandscape(const QString& printorient)
{
    return printorient.trimmed().compare(reg::defaults::printorientLandscape, Qt::CaseInsensitive) == 0;
}

// The chosen printer takes the orientation `printorient` holds, so a scheme brings its
// orientation back and the window opens as it was left. True when that changed it.
bool orientationFollowsSetting()
{
    const bool landscape = isLandscape(getreg(reg::printorient));
    PrinterChoice choice = chosenPrinter();
    const auto orientation = landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
    if (choice.orientation == orientation)
        return false;
    choice.orientation = orientation;
    setChosenPrinter(choice);
    return true;
}

// The window's frame and title bar, which its own size leaves out; the window manager's are
// not known before the window is shown.
constexpr QSize kFrameAllowance(16, 48);

QSize firstSize(const QSize& available)
{
    const QSize wanted(860, 900);
    if (available.isEmpty())
        return wanted;
    return wanted.boundedTo(available - kFrameAllowance);
}

// The settings window when it is open.
PrintSetup* settingsWindow()
{
    return ui::WindowRegistry::loaded<PrintSetup>(kPrintSetup);
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int size = 10, bool bold = false)
{
    return ui::caption(parent, QString::fromLatin1(name), text, size, bold);
}

}  // namespace

PrintRezept::PrintRezept(QWidget* parent)
    : QWidget(parent, Qt::Window), m_layout(*this)
{
    setObjectName(kName);
    setWindowTitle(QStringLiteral("Kelvor - D r u c k e n"));
    // Wide enough for the magnifier's A4 sheet at the size it prints, where the screen has
    // room for it; on a smaller one the sheet and its footer stay in sight.
    resize(firstSize(screen() ? screen()->availableGeometry().size() : QSize()));
    buildControls();
    // Narrower, the panel's controls would be squeezed over one another and the column
    // count cut off.
    setMinimumWidth(m_panel->layout()->minimumSize().width());
    wireEvents();
    ui::onActivate(this, [this](QWidget* from) { activated(from); });
    // A cookbook closing drops the layout: its rows came from the cookbook that closes.
    ui::onCookbookClosing(this, [this] {
        m_layout.cookbookClosing();
        updatePrintButton();
    });
    Form_Load();
}

PrintRezept::~PrintRezept()
{
    if (m_busy)
        QApplication::restoreOverrideCursor();
}

void PrintRezept::buildControls()
{
    m_panel = new QWidget(this);
    Label1 = label(m_panel, "Label1", QStringLiteral("D r u c k e n"), 16, true);
    Label2 = label(m_panel, "Label2", QStringLiteral("Druckereigenschaften :"));
    Label4 = label(m_panel, "Label4", QStringLiteral("Seitenformatierung :"));
    Label5 = label(m_panel, "Label5", QStringLiteral("Druckschema :"));
    Label24 = label(m_panel, "Label24", QStringLiteral("Als Heft drucken :"));
    druckaus = ui::pictureButton(m_panel, QStringLiteral("druckaus"), QStringLiteral("printersetup"),
                                 QStringLiteral("Druckereigenschaften ändern"));
    einstell = ui::pictureButton(m_panel, QStringLiteral("einstell"), QStringLiteral("settings"),
                                 QStringLiteral("Druckeinstellungen"));
    // A program without the settings window keeps the door to it shut.
    einstell->setEnabled(ui::WindowRegistry::isRegistered(kPrintSetup));
    spaltlabel = label(m_panel, "spaltlabel", QStringLiteral("Spaltenanzahl : 2"), 10, true);
    minus = ui::pictureButton(m_panel, QStringLiteral("minus"), QStringLiteral("minus"),
                              QStringLiteral("eine Spalte weniger"), 18);
    plus = ui::pictureButton(m_panel, QStringLiteral("plus"), QStringLiteral("plus"),
                             QStringLiteral("eine Spalte mehr"), 18);
    makebooklet = new QCheckBox(m_panel);
    makebooklet->setObjectName(QStringLiteral("makebooklet"));
    makebooklet->setToolTip(QStringLiteral("Ankreuzen, um eine Heft zu drucken"));
    printsettdata = new db::DataControl(this);
    printsettdata->setObjectName(QStringLiteral("printsettdata"));
    printsettdata->setRecordSource(QStringLiteral("select cid,cname from choices order by cname"));
    printsettings = new QComboBox(m_panel);
    printsettings->setObjectName(QStringLiteral("printsettings"));
    printsettings->setToolTip(QStringLiteral("Gespeicherte Einstellungen wieder laden"));
    // Narrow enough that a narrow window keeps room for the column count; names longer than
    // it are elided, and a wider window gives the box more.
    printsettings->setMinimumWidth(110);
    m_schemes = new db::RecordsetListModel(printsettdata, QStringLiteral("cname"), QStringLiteral("cid"), this);
    printsettings->setModel(m_schemes);
    anzseit = label(m_panel, "anzseit", QStringLiteral("Seite : 1 von 5"), 11, true);
    pageminus = ui::pictureButton(m_panel, QStringLiteral("pageminus"), QStringLiteral("pageprev"),
                                  QStringLiteral("vorige Seite"));
    pageplus = ui::pictureButton(m_panel, QStringLiteral("pageplus"), QStringLiteral("pagenext"),
                                 QStringLiteral("nächste Seite"));
    lupe = ui::pictureButton(m_panel, QStringLiteral("lupe"), QStringLiteral("search"),
                             QStringLiteral("Seite in der Größe zeigen, in der sie gedruckt wird"));
    lupe->setCheckable(true);
    printpreview = ui::pictureButton(m_panel, QStringLiteral("printpreview"), QStringLiteral("printlist"),
                                     QStringLiteral("Drucken"), 32);
    printpreview->setEnabled(false);
    kreuz = ui::pictureButton(m_panel, QStringLiteral("kreuz"), QStringLiteral("close"),
                              QStringLiteral("Schließen"), 32);

    auto* grid = new QGridLayout(m_panel);
    grid->setContentsMargins(kSheetLeft, 8, kSheetLeft, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    auto row = [](std::initializer_list<QWidget*> widgets) {
        auto* box = new QHBoxLayout;
        box->setSpacing(2);
        for (QWidget* w : widgets)
            box->addWidget(w);
        box->addStretch(1);
        return box;
    };
    grid->addWidget(Label1, 0, 0, 1, 2);
    grid->addWidget(Label2, 1, 0);
    grid->addLayout(row({druckaus, einstell}), 2, 0);
    grid->addWidget(Label4, 1, 1);
    grid->addLayout(row({spaltlabel, minus, plus}), 2, 1);
    grid->addWidget(Label24, 1, 2);
    grid->addLayout(row({makebooklet}), 2, 2);
    grid->addWidget(Label5, 1, 3);
    grid->addWidget(printsettings, 2, 3);
    grid->addLayout(row({anzseit, pageminus, pageplus, lupe}), 0, 2, 1, 2);
    auto* actions = new QHBoxLayout;
    actions->addWidget(printpreview);
    actions->addWidget(kreuz);
    grid->addLayout(actions, 0, 4, 3, 1, Qt::AlignRight | Qt::AlignTop);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(4, 1);

    printrand = new QFrame(this);
    printrand->setObjectName(QStringLiteral("printrand"));
    printrand->setFrameShape(QFrame::Box);
    printrand->setAutoFillBackground(true);
    QPalette sheet = printrand->palette();
    sheet.setColor(QPalette::Window, Qt::white);
    sheet.setColor(QPalette::WindowText, QColor(0x9a, 0xa3, 0xad));
    printrand->setPalette(sheet);
    preview = new QLabel(this);
    preview->setObjectName(QStringLiteral("preview"));
    preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    preview->setAutoFillBackground(true);
    preview->setPalette(sheet);
    preview->setToolTip(QStringLiteral("Vorschau; beachten Sie daß die Zubereitung hier oft kleiner erscheint"));
    grossansicht = new QScrollArea(this);
    grossansicht->setObjectName(QStringLiteral("grossansicht"));
    grossansicht->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    grossansicht->setFrameShape(QFrame::NoFrame);
    grossbild = new QLabel;
    grossbild->setObjectName(QStringLiteral("grossbild"));
    grossansicht->setWidget(grossbild);
    grossansicht->hide();
    m_waitmess = new QLabel(QStringLiteral("Kelvor berechnet das Seitenlayout; bitte warten Sie einen Augenblick."),
                          this);
    m_waitmess->setObjectName(QStringLiteral("waitmess"));
    m_waitmess->setFont(ui::narrowFont(12, true));
    m_waitmess->setAlignment(Qt::AlignCenter);
    m_waitmess->setWordWrap(true);
    m_waitmess->setAutoFillBackground(true);
    m_waitmess->hide();

    // The design's sheet: A4 upright, as high as the window leaves it.
    const int sheetHeight = height() - kSheetTop - kBottomGap;
    printrand->setGeometry(kSheetLeft, kSheetTop, int(sheetHeight / std::sqrt(2.0)), sheetHeight);
    preview->setGeometry(printrand->geometry());
    placePanel();
}

void PrintRezept::wireEvents()
{
    auto handler = ui::guardedHandlers(this);
    connect(kreuz, &QToolButton::clicked, this, handler("KREUZ_CLICK : ", &PrintRezept::kreuz_Click));
    connect(druckaus, &QToolButton::clicked, this, handler("DRUCKAUS_CLICK : ", &PrintRezept::druckaus_Click));
    connect(einstell, &QToolButton::clicked, this, handler("EINSTELL_CLICK : ", &PrintRezept::einstell_Click));
    connect(minus, &QToolButton::clicked, this, handler("MINUS_CLICK : ", &PrintRezept::minus_Click));
    connect(plus, &QToolButton::clicked, this, handler("PLUS_CLICK : ", &PrintRezept::plus_Click));
    connect(pageminus, &QToolButton::clicked, this, handler("PAGEMINUS_CLICK : ", &PrintRezept::pageminus_Click));
    connect(pageplus, &QToolButton::clicked, this, handler("PAGEPLUS_CLICK : ", &PrintRezept::pageplus_Click));
    connect(lupe, &QToolButton::clicked, this, handler("LUPE_CLICK : ", &PrintRezept::lupe_Click));
    connect(printpreview, &QToolButton::clicked, this,
            handler("PRINTPREVIEW_CLICK : ", &PrintRezept::printpreview_Click));
    // Every change of the box's value, the program's included: clicked() would miss
    // setChecked.
    connect(makebooklet, &QCheckBox::stateChanged, this,
            handler("MAKEBOOKLET_CLICK : ", &PrintRezept::makebooklet_Click));
    // The user's choice of a scheme, also of the one shown: it is loaded again.
    connect(printsettings, &QComboBox::activated, this,
            handler("PRINTSETTINGS_CHANGE : ", &PrintRezept::printsettings_Change));
    ui::onKeyDown(printsettings, [this](int& keyCode, int shift) { printsettings_KeyDown(keyCode, shift); });
}

void PrintRezept::placePanel()
{
    m_panel->setGeometry(0, 0, width(), kSheetTop);
    grossansicht->setGeometry(0, kSheetTop, width(), std::max(0, height() - kSheetTop));
}

void PrintRezept::centreSheet()
{
    // The sheet stands in the middle of a window wider than it, never closer to the left edge
    // than the panel's controls; the preview box moves with it.
    const int left = std::max(kSheetLeft, (width() - printrand->width()) / 2);
    const QPoint shift(left - printrand->x(), 0);
    preview->move(preview->pos() + shift);
    m_waitmess->move(m_waitmess->pos() + shift);
    printrand->move(left, kSheetTop);
}

void PrintRezept::Form_Load()
{
    const QString tag = QStringLiteral("print_rezept.form_load -> Error ");
    printlog(QStringLiteral("print_rezept.form_load Start"));
    quint8 columns = storedColumns(tag);
    printlog(QStringLiteral("Spalten in Registry = ") + QString::number(columns));
    columns = columnsOrTwo(columns);
    printlog(QStringLiteral("Spalten neu = ") + QString::number(columns));
    setColumns(columns);
    m_layout.setCurrentpage(1);
    step(tag, [&] {
        m_printsettingsDb = db::Database::open(printsettingsPath());
        printsettdata->setDatabaseName(m_printsettingsDb->name());
        printsettdata->refresh();
        printsettings->setCurrentIndex(m_schemes->rowCount() > 0 ? 0 : -1);
    });
    printlog(QStringLiteral("print_rezept.form_load -> fillpdevmode"));
    step(tag, [] {
        fillpdevmode();
        orientationFollowsSetting();
    });
    printlog(QStringLiteral("print_rezept.form_load -> getpagesize"));
    step(tag, [&] { m_layout.setGeometry(kv::getpagesize()); });
    printlog(QStringLiteral("print_rezept.form_load Ende"));
}

quint8 PrintRezept::storedColumns(const QString& tag)
{
    quint8 columns = 0;
    step(tag, [&] {
        const double value = std::nearbyint(readPrintNumber(getreg(reg::printspalten)));
        if (value < 0 || value > 255)
            throw std::range_error("Überlauf");
        columns = quint8(value);
    });
    return columns;
}

void PrintRezept::setVisible(bool visible)
{
    if (!visible) {
        m_showActivationPending = false;
        QWidget::setVisible(false);
        return;
    }
    const bool wasActive = isActiveWindow();
    QWidget::setVisible(true);
    // The window system's activation follows; it is this one, not a second.
    m_showActivationPending = !wasActive;
    Form_Activate();
}

void PrintRezept::activated(QWidget* from)
{
    if (m_showActivationPending) {
        m_showActivationPending = false;
        return;
    }
    // Only a window of the program that stays open, the main window or an open settings
    // window, can have changed what is printed. Back from another program, from a box (its
    // own "Obacht !" or column message, the printer dialog) or from a window that has just
    // closed, nothing has; the settings window lays out itself as it closes.
    if (!from || !from->isVisible())
        return;
    Form_Activate();
}

void PrintRezept::Form_Activate()
{
    const QString tag = QStringLiteral("print_rezept.form_activate -> Error ");
    printlog(QStringLiteral("print_rezept.form_activate Start"));
    printlog(QStringLiteral("print_rezept.form_activate -> resizepreview"));
    step(tag, [this] { resizepreview(); });
    step(tag, [&] {
        if (!bookletFollowsSetting()) {
            printlog(QStringLiteral("print_rezept.form_activate -> calcrezsizes"));
            calcrezsizes();
        }
    });
    printlog(QStringLiteral("print_rezept.form_activate Ende"));
}

bool PrintRezept::bookletFollowsSetting()
{
    const bool booklet = readPrintNumber(getreg(reg::printbooklet)) != 0;
    if (makebooklet->isChecked() == booklet)
        return false;
    makebooklet->setChecked(booklet);
    return true;
}

bool PrintRezept::bookletTicked() const
{
    return makebooklet->isChecked();
}

void PrintRezept::showBooklet(bool on)
{
    const QSignalBlocker quiet(makebooklet);
    makebooklet->setChecked(on);
}

void PrintRezept::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placePanel();
    ui::guarded(QStringLiteral("FORM_RESIZE : "), [this] { Form_Resize(); });
}

void PrintRezept::Form_Resize()
{
    printlog(QStringLiteral("print_rezept.form_resize start"));
    // Before the first layout there is no page to show; a minimised or tiny window leaves
    // no room for one.
    if (!m_layout.layoutdbopen() || isMinimized())
        return;
    const PageGeometry& g = m_layout.geometry();
    const int sheetHeight = height() - printrand->y() - kBottomGap;
    if (g.physheight <= 0 || g.physwidth <= 0 || sheetHeight < 1)
        return;
    double scale = double(sheetHeight) / g.physheight;
    // A sheet wider than the window is fitted to its width, as resizepreview does.
    const double available = width() - 2.0 * kSheetLeft;
    if (scale * g.physwidth > available)
        scale = available / g.physwidth;
    if (scale * g.printareahorz < 1 || scale * g.printareavert < 1)
        return;
    placePreview(scale);
    printlog(QStringLiteral("print_rezept.form_resize -> printpage"));
    printpage(true, m_layout.currentpage(), nullptr);
    printlog(QStringLiteral("print_rezept.form_resize Ende"));
}

void PrintRezept::resizepreview()
{
    printlog(QStringLiteral("resizepreview start"));
    const PageGeometry& g = m_layout.geometry();
    if (g.physheight <= 0 || g.physwidth <= 0) {
        printlog(QStringLiteral("resizepreview -> Error 11 : Division durch Null"));
    } else {
        // The room the window leaves, not the sheet's height as it stands: a portrait sheet
        // after a landscape one would keep the landscape's height.
        const int room = height() - printrand->y() - kBottomGap;
        double scale = double(room > 0 ? room : printrand->height()) / g.physheight;
        const double available = width() - 2.0 * kSheetLeft;
        // Landscape paper: the sheet is fitted to the width instead of the height.
        if (scale * g.physwidth > available)
            scale = available / g.physwidth;
        if (scale > 0)
            placePreview(scale);
    }
    printlog(QStringLiteral("resizepreview ende"));
}

void PrintRezept::placePreview(double scale)
{
    const PageGeometry& g = m_layout.geometry();
    printrand->resize(whole(scale * g.physwidth), whole(scale * g.physheight));
    centreSheet();
    preview->setGeometry(printrand->x() + whole(scale * g.marginleft), printrand->y() + whole(scale * g.margintop),
                         whole(scale * g.printareahorz), whole(scale * g.printareavert));
    m_waitmess->setGeometry(printrand->x() + printrand->width() / 8, printrand->y() + printrand->height() / 3,
                          printrand->width() * 3 / 4, 80);
}

PrintLayout::Run PrintRezept::calcrezsizes()
{
    const PrintLayout::Run run = m_layout.calcrezsizes();
    updatePrintButton();
    return run;
}

void PrintRezept::updatePrintButton()
{
    printpreview->setEnabled(m_layout.printable());
}

void PrintRezept::waitmess(bool visible)
{
    m_waitmess->setVisible(visible);
    if (visible) {
        m_waitmess->raise();
        // Painted now: the measuring that follows keeps the event loop waiting.
        m_waitmess->repaint();
    }
}

void PrintRezept::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void PrintRezept::pagescapt()
{
    anzseit->setText(m_layout.pagesCaption());
}

void PrintRezept::printpage(int page)
{
    printpage(true, page, nullptr);
}

void PrintRezept::printpage(bool forPreview, int page, PageCanvas* canvas)
{
    if (!forPreview) {
        if (canvas)
            kv::printpage(m_layout, false, page, *canvas);
        return;
    }
    // A new image for every page: the page before disappears with the old one.
    const QSize size = preview->size();
    const PageGeometry& g = m_layout.geometry();
    if (size.isEmpty() || g.printareahorz <= 0 || g.dpiy <= 0)
        return;
    PreviewImage image(g, size);
    kv::printpage(m_layout, true, page, image.canvas());
    preview->setPixmap(QPixmap::fromImage(image.finish()));
    if (lupe->isChecked())
        drawMagnified(page);
}

void PrintRezept::drawMagnified(int page)
{
    const PageGeometry& g = m_layout.geometry();
    if (g.dpiy <= 0 || g.physwidth <= 0 || g.physheight <= 0)
        return;
    // The screen's pixels per inch over the printer's: the sheet as large as the paper.
    const double s = double(logicalDpiY()) / g.dpiy;
    const QSize area(whole(s * g.printareahorz), whole(s * g.printareavert));
    if (area.isEmpty())
        return;
    PreviewImage image(g, area);
    kv::printpage(m_layout, true, page, image.canvas());
    QImage sheet(whole(s * g.physwidth), whole(s * g.physheight), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.drawImage(QPoint(whole(s * g.marginleft), whole(s * g.margintop)), image.finish());
    painter.setPen(printrand->palette().color(QPalette::WindowText));
    painter.drawRect(sheet.rect().adjusted(0, 0, -1, -1));
    painter.end();
    grossbild->setPixmap(QPixmap::fromImage(sheet));
    grossbild->resize(sheet.size());
    // Another page is read from its top; the same page drawn again keeps where the user is.
    if (page != m_magnifiedPage)
        grossansicht->verticalScrollBar()->setValue(0);
    m_magnifiedPage = page;
}

void PrintRezept::sta(const QString& text)
{
    if (!m_statusFile)
        return;
    QFile file(paths::localPath(QStringLiteral("c:\\kvstat.txt")));
    if (file.open(QIODevice::Append | QIODevice::Text))
        QTextStream(&file) << text << '\n';
}

void PrintRezept::setColumns(quint8 count)
{
    m_layout.setColumncount(count);
    spaltlabel->setText(QStringLiteral("Spaltenanzahl : ") + QString::number(count));
}

void PrintRezept::storeBooklet(bool on)
{
    savereg(reg::printbooklet, on ? QStringLiteral("1") : QStringLiteral("0"));
    bookletmode = on;
}

void PrintRezept::makebooklet_Click()
{
    const bool on = makebooklet->isChecked();
    storeBooklet(on);
    if (auto* setup = settingsWindow())
        setup->showBooklet(on);
    calcrezsizes();
}

void PrintRezept::druckaus_Click()
{
    changeprinter();
}

void PrintRezept::changeprinter()
{
    printlog(QStringLiteral("changeprinter start"));
    try {
        // The orientation travels with the print settings and their schemes.
        if (showprinter()) {
            savereg(reg::printorient, chosenPrinter().orientation == QPageLayout::Landscape
                                          ? reg::defaults::printorientLandscape
                                          : reg::defaults::printorient);
            // A scheme file that cannot be read is no fault of the printer's.
            step(QStringLiteral("changeprinter -> Error "), [this] { schemeFollowsOrientation(); });
        }
    } catch (const std::exception& e) {
        printlogError(QStringLiteral("changeprinter -> Error "), e);
        ui::msgbox(QStringLiteral("Fehler bei der Verbindung zum Druckertreiber. Stellen Sie sicher, daß ein "
                                  "Drucker installiert ist."),
                   ui::Critical, QStringLiteral(" F E H L E R"));
    }
    printlog(QStringLiteral("changeprinter -> getpagesize"));
    m_layout.setGeometry(kv::getpagesize());
    printlog(QStringLiteral("changeprinter -> resizepreview"));
    resizepreview();
    printlog(QStringLiteral("changeprinter -> calcrezsites"));
    calcrezsizes();
    printlog(QStringLiteral("changeprinter end"));
}

void PrintRezept::schemeFollowsOrientation()
{
    const int row = printsettings->currentIndex();
    if (row < 0)
        return;
    const qint64 cid = m_schemes->boundValue(row).toLongLong();
    if (cid == 0)
        return;
    const std::optional<QString> stored = printsettingsValue(cid, reg::printorient);
    if (stored && isLandscape(*stored) == isLandscape(getreg(reg::printorient)))
        return;
    printsettings->setCurrentIndex(m_schemes->rowOfBoundValue(0));
}

void PrintRezept::einstell_Click()
{
    QWidget* setup = ui::WindowRegistry::get(kPrintSetup);
    setup->show();
    setup->raise();
    setup->activateWindow();
}

void PrintRezept::minus_Click()
{
    if (m_layout.columncount() <= 1)
        return;
    setColumns(quint8(m_layout.columncount() - 1));
    savereg(reg::printspalten, QString::number(m_layout.columncount()));
    calcrezsizes();
}

void PrintRezept::plus_Click()
{
    if (m_layout.columncount() >= 24) {
        ui::msgbox(QStringLiteral("Mehr als 24 Spalten sind nicht möglich."), ui::Information, QStringLiteral(" "));
        return;
    }
    setColumns(quint8(m_layout.columncount() + 1));
    savereg(reg::printspalten, QString::number(m_layout.columncount()));
    calcrezsizes();
}

void PrintRezept::pageminus_Click()
{
    if (m_layout.currentpage() <= 1)
        return;
    m_layout.setCurrentpage(m_layout.currentpage() - 1);
    pagescapt();
    printpage(true, m_layout.currentpage(), nullptr);
}

void PrintRezept::pageplus_Click()
{
    if (m_layout.currentpage() >= m_layout.pagecount())
        return;
    m_layout.setCurrentpage(m_layout.currentpage() + 1);
    pagescapt();
    printpage(true, m_layout.currentpage(), nullptr);
}

void PrintRezept::lupe_Click()
{
    if (!lupe->isChecked()) {
        grossansicht->hide();
        m_magnifiedPage = 0;
        return;
    }
    drawMagnified(m_layout.currentpage());
    grossansicht->show();
    grossansicht->raise();
}

void PrintRezept::printpreview_Click()
{
    if (!m_layout.printable())
        return;
    std::unique_ptr<QPrinter> printer = chosenPrinterDevice();
    QString file;
    if (printer->outputFormat() == QPrinter::PdfFormat) {
        file = outputFileForJob();
        if (file.isEmpty() || !pdfFilesMayBeReplaced(file, m_layout.booklet()))
            return;
    }
    PrinterDocument document(std::move(printer), file);
    const auto drawPage = [this](int page, PageCanvas& canvas) { printpage(false, page, &canvas); };
    // The window stays with its layout for the next print; after a failure it stays open.
    if (printJob(m_layout, document, drawPage) == JobEnd::Printed)
        hide();
}

void PrintRezept::printsettings_Change()
{
    const int row = printsettings->currentIndex();
    const QString scheme = row >= 0 ? m_schemes->boundValue(row).toString() : QString();
    // "aktuelle Einstellungen" (0) is what the settings hold now.
    if (scheme.isEmpty() || scheme == QLatin1String("0") || m_layout.geometry().physwidth == 0)
        return;
    if (!loadprintsettings(scheme.toLongLong())) {
        ui::msgbox(QStringLiteral("Zu diesem Druckschema sind keine Einstellungen gespeichert; es bleibt alles, wie "
                                  "es ist."),
                   ui::Exclamation, QStringLiteral(" "));
        return;
    }
    setColumns(columnsOrTwo(storedColumns(QStringLiteral("printsettings_change -> Error "))));
    if (orientationFollowsSetting()) {
        m_layout.setGeometry(kv::getpagesize());
        resizepreview();
    }
    if (auto* setup = settingsWindow())
        setup->showSettings();
    if (!bookletFollowsSetting())
        calcrezsizes();
}

void PrintRezept::printsettings_KeyDown(int& keyCode, int)
{
    const int row = printsettings->currentIndex();
    if (keyCode != ui::KeyDelete || row < 0)
        return;
    // The row shown is the one named and the one deleted.
    if (ui::msgbox(QStringLiteral("Wollen Sie das Schema '") + printsettings->itemText(row) +
                       QStringLiteral("' löschen ?"),
                   ui::YesNo | ui::Question, QStringLiteral(" ")) != ui::Answer::Yes)
        return;
    deleteprintsettings(m_schemes->boundValue(row).toLongLong());
    requerySchemes();
}

void PrintRezept::requerySchemes()
{
    printsettdata->refresh();
}

void PrintRezept::kreuz_Click()
{
    ui::WindowRegistry::unload(kName);
}

void PrintRezept::closeEvent(QCloseEvent* event)
{
    // The close box is the cross.
    if (event->spontaneous()) {
        event->ignore();
        kreuz_Click();
        return;
    }
    Form_Unload();
    QWidget::closeEvent(event);
}

void PrintRezept::Form_Unload()
{
    m_layout.cookbookClosing();
    printsettdata->release();
    if (m_printsettingsDb)
        m_printsettingsDb->close();
    m_printsettingsDb.reset();
    ui::unloadIfKnown(kPrintSetup);
}

}  // namespace kv
