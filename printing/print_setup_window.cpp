#include "printing/print_setup_window.h"

#include "core/settings.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"
#include "printing/print_rezept_window.h"
#include "printing/printnumber.h"
#include "printing/printsettingsdb.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDrag>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace kv {

namespace {

const QString kName = QStringLiteral("print_setup");
const QString kPrintForm = QStringLiteral("print_rezept");

// The margins' scroll bars count hundredths of a centimetre, up to 10 cm.
constexpr int kMarginMax = 1000;

struct Field {
    const char* name;     // the button, and the field letter of the order strings
    const char* caption;  // on the button
    const char* entry;    // in the lists
};
constexpr std::array<Field, 5> kFields = {{
    {"A", "Name Auswahl/Menü", "Name Auswahl/Menü"},
    {"D", "Datum", "Datum"},
    {"S", "aktuelle Seite", "Seite"},
    {"G", "Gesamtseitenzahl", "Seitenzahl"},
    {"X", "eigener Text ...", "eigener Text"},
}};

bool isOn(const QString& flag)
{
    return readPrintNumber(flag) != 0;
}

QString fontCaption(const QString& name, bool bold, bool italic, const QString& size)
{
    QString caption = QStringLiteral(" ") + name + QStringLiteral(", ");
    if (bold)
        caption += QStringLiteral("fett, ");
    if (italic)
        caption += QStringLiteral("kursiv, ");
    return caption + size + QStringLiteral(" Punkt");
}

QString cm(const QString& margin)
{
    return margin + QStringLiteral(" cm");
}

PrintRezept* printForm()
{
    return ui::WindowRegistry::loaded<PrintRezept>(kPrintForm);
}

QLabel* label(QWidget* parent, const QString& text, int size = 10, bool bold = true)
{
    return ui::caption(parent, QString(), text, size, bold);
}

}  // namespace

PrintSetup::PrintSetup(QWidget* parent)
    : ui::Dialog(parent)
{
    setObjectName(kName);
    setWindowTitle(QStringLiteral("Kelvor - D r u c k e i n s t e l l u n g e n"));
    setModal(false);
    buildControls();
    wireEvents();
    ui::guarded(QStringLiteral("PRINT_SETUP_LOAD : "), [this] { Form_Load(); });
}

void PrintSetup::buildControls()
{
    auto* page = new QVBoxLayout(this);
    page->setSpacing(10);

    auto* head = new QHBoxLayout;
    head->addWidget(label(this, QStringLiteral("D r u c k e i n s t e l l u n g e n"), 16));
    head->addStretch(1);
    savesettings = ui::pictureButton(this, QStringLiteral("savesettings"), QStringLiteral("save"),
                                     QStringLiteral("Einstellungen als Schema speichern"), 32);
    kreuz = ui::pictureButton(this, QStringLiteral("kreuz"), QStringLiteral("close"), QStringLiteral("Zurück"), 32);
    head->addWidget(savesettings);
    head->addWidget(kreuz);
    page->addLayout(head);

    // Fonts at the left, margins at the right.
    auto* top = new QHBoxLayout;
    auto* fonts = new QGridLayout;
    fonts->addWidget(label(this, QStringLiteral("S c h r i f t a r t e n  :")), 0, 0, 1, 2);
    const char* fontRows[] = {"Seitenkopf : ", "Gerichtname : ", "Zutaten : ", "Zubereitung : ", "Seitenfuß : "};
    for (int i = 0; i < 5; ++i) {
        fonts->addWidget(label(this, QString::fromUtf8(fontRows[i]), 10, false), i + 1, 0);
        printfont[i] = new QLabel(this);
        printfont[i]->setObjectName(QStringLiteral("printfont%1").arg(i));
        printfont[i]->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        printfont[i]->setMinimumWidth(230);
        printfont[i]->setCursor(Qt::PointingHandCursor);
        fonts->addWidget(printfont[i], i + 1, 1);
    }
    top->addLayout(fonts, 3);

    auto* margins = new QGridLayout;
    margins->addWidget(label(this, QStringLiteral("S e i t e n r ä n d e r  :")), 0, 0, 1, 3);
    const char* marginRows[] = {"Links :", "Rechts :", "Oben :", "Unten :"};
    for (int k = 0; k < 4; ++k) {
        margins->addWidget(label(this, QString::fromUtf8(marginRows[k]), 10, false), k + 1, 0);
        marg[k] = new QLineEdit(this);
        marg[k]->setObjectName(QStringLiteral("marg%1").arg(k));
        marg[k]->setFixedWidth(80);
        margins->addWidget(marg[k], k + 1, 1);
        mscroll[k] = new QScrollBar(Qt::Vertical, this);
        mscroll[k]->setObjectName(QStringLiteral("mscroll%1").arg(k));
        mscroll[k]->setRange(0, kMarginMax);
        mscroll[k]->setSingleStep(10);
        mscroll[k]->setPageStep(100);
        mscroll[k]->setFixedHeight(marg[k]->sizeHint().height());
        margins->addWidget(mscroll[k], k + 1, 2);
    }
    margins->setColumnStretch(3, 1);
    top->addLayout(margins, 2);
    page->addLayout(top);

    // The header's and footer's fields in three lists each, and their own texts.
    auto band = [this](const QString& title, std::array<QListWidget**, 3> lists, const std::array<const char*, 3>& names,
                       QLineEdit** extra, const QString& extraName) {
        auto* grid = new QGridLayout;
        grid->addWidget(label(this, title), 0, 0, 1, 4);
        const char* columns[] = {"L i n k s", "M i t t e", "R e c h t s"};
        for (int c = 0; c < 3; ++c) {
            grid->addWidget(label(this, QString::fromLatin1(columns[c]), 9, false), 1, c);
            auto* list = new QListWidget(this);
            list->setObjectName(QString::fromLatin1(names[c]));
            list->setFixedHeight(72);
            list->viewport()->setAcceptDrops(true);
            grid->addWidget(list, 2, c);
            *lists[c] = list;
        }
        grid->addWidget(label(this, QStringLiteral("e i g e n e r   T e x t "), 9, false), 1, 3);
        *extra = new QLineEdit(this);
        (*extra)->setObjectName(extraName);
        grid->addWidget(*extra, 2, 3, Qt::AlignTop);
        grid->setColumnStretch(3, 1);
        return grid;
    };
    page->addLayout(band(QStringLiteral("K o p f z e i l e  :"), {&kl, &km, &kr}, {"kl", "km", "kr"}, &hextra,
                         QStringLiteral("hextra")));
    page->addLayout(band(QStringLiteral("F u ß z e i l e  :"), {&fl, &fm, &fr}, {"fl", "fm", "fr"}, &fextra,
                         QStringLiteral("fextra")));

    page->addWidget(label(this, QStringLiteral("Felder für Kopf- und Fußzeile"), 10, true));
    auto* fields = new QHBoxLayout;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        auto* field = new QLabel(QString::fromUtf8(kFields[i].caption), this);
        field->setObjectName(QString::fromLatin1(kFields[i].name));
        field->setFrameStyle(QFrame::Panel | QFrame::Raised);
        field->setLineWidth(2);
        field->setAlignment(Qt::AlignCenter);
        field->setMargin(4);
        field->setCursor(Qt::OpenHandCursor);
        fields->addWidget(field);
        m_fields[i] = field;
    }
    page->addLayout(fields);
    auto* hint = label(this,
                       QStringLiteral("Mit der Maus Felder in Kopfzeile oder Fußzeile ziehen und loslassen. Mit "
                                      "Mausklick Felder aus Kopf- oder Fußzeile wieder löschen."),
                       9, false);
    hint->setWordWrap(true);
    page->addWidget(hint);

    auto* booklet = new QHBoxLayout;
    booklet->addWidget(label(this, QStringLiteral("A l s   H e f t   d r u c k e n  :")));
    makebooklet1 = new QCheckBox(this);
    makebooklet1->setObjectName(QStringLiteral("makebooklet1"));
    booklet->addWidget(makebooklet1);
    booklet->addStretch(1);
    page->addLayout(booklet);

    m_lists = {{
        {kl, reg::printtitleorder, QStringLiteral("L"), &PrintSetup::kl_Click, &PrintSetup::kl_DragDrop},
        {km, reg::printtitleorder, QStringLiteral("C"), &PrintSetup::km_Click, &PrintSetup::km_DragDrop},
        {kr, reg::printtitleorder, QStringLiteral("R"), &PrintSetup::kr_Click, &PrintSetup::kr_DragDrop},
        {fl, reg::printfootorder, QStringLiteral("L"), &PrintSetup::fl_Click, &PrintSetup::fl_DragDrop},
        {fm, reg::printfootorder, QStringLiteral("C"), &PrintSetup::fm_Click, &PrintSetup::fm_DragDrop},
        {fr, reg::printfootorder, QStringLiteral("R"), &PrintSetup::fr_Click, &PrintSetup::fr_DragDrop},
    }};
    resize(640, sizeHint().height());
}

void PrintSetup::wireEvents()
{
    for (const FieldList& f : m_lists) {
        ui::onClick(f.list, [this, click = f.click] { (this->*click)(); });
        f.list->viewport()->installEventFilter(this);
    }
    for (QLabel* field : m_fields)
        field->installEventFilter(this);
    for (int i = 0; i < 5; ++i)
        ui::onClick(printfont[i], [this, i] { printfont_Click(i); });
    for (int k = 0; k < 4; ++k) {
        ui::onLostFocus(marg[k], [this, k] { marg_LostFocus(k); });
        connect(mscroll[k], &QScrollBar::valueChanged, this,
                [this, k] { ui::guarded(QStringLiteral("MSCROLL_CHANGE : "), [&] { mscroll_Change(k); }); });
    }
    ui::onLostFocus(hextra, [this] { storeOwnTexts(); });
    ui::onLostFocus(fextra, [this] { storeOwnTexts(); });
    // Every change of the box's value, the program's included, as the print window's box.
    connect(makebooklet1, &QCheckBox::stateChanged, this,
            [this] { ui::guarded(QStringLiteral("MAKEBOOKLET1_CLICK : "), [this] { makebooklet1_Click(); }); });
    ui::onClick(savesettings, [this] { savesettings_Click(); });
    ui::onClick(kreuz, [this] { kreuz_Click(); });
}

void PrintSetup::Form_Load()
{
    showSettings();
    fextra->setText(getreg(reg::printfootextra));
    hextra->setText(getreg(reg::printtitleextra));
    // The print window's box, not the setting: when the two differ, the box's click step
    // stores what the print window shows.
    const PrintRezept* form = printForm();
    makebooklet1->setChecked(form ? form->bookletTicked() : isOn(getreg(reg::printbooklet)));
}

void PrintSetup::showSettings()
{
    for (int i = 0; i < 5; ++i)
        showFont(i);
    for (int k = 0; k < 4; ++k)
        showMargin(k, getreg(reg::printmarg(k)));
    showOrder(reg::printtitleorder);
    showOrder(reg::printfootorder);
}

void PrintSetup::showBooklet(bool on)
{
    const QSignalBlocker quiet(makebooklet1);
    makebooklet1->setChecked(on);
}

void PrintSetup::showFont(int index)
{
    printfont[index]->setText(fontCaption(getreg(reg::printfontname(index)), isOn(getreg(reg::printfontbold(index))),
                                          isOn(getreg(reg::printfontitalic(index))),
                                          shownPrintNumber(getreg(reg::printfontsize(index)))));
}

void PrintSetup::showMargin(int index, const QString& stored)
{
    const std::optional<double> centimetres = exactPrintNumber(stored);
    // Set by the program, the scroll bar does not write the box: a margin beyond its end
    // stays in the box as it is. An emptied box leaves its scroll bar where it was.
    if (centimetres || !stored.isEmpty()) {
        const QSignalBlocker quiet(mscroll[index]);
        mscroll[index]->setValue(centimetres ? int(std::lround(std::min(*centimetres * 100, double(kMarginMax)))) : 0);
    }
    marg[index]->setText(marginText(stored));
}

QString PrintSetup::marginText(const QString& stored)
{
    const std::optional<double> centimetres = exactPrintNumber(stored);
    if (!centimetres)
        return cm(stored);
    // Within the scroll bar's reach the box shows what the bar would, to the hundredth: a
    // printer's border written back as "0,423333333333333" shows as "0,42 cm".
    if (*centimetres * 100 <= kMarginMax)
        return cm(writePrintNumber(std::round(*centimetres * 100) / 100));
    return cm(writePrintNumber(*centimetres));
}

bool PrintSetup::storePendingMargins(bool refuse)
{
    for (int k = 0; k < 4; ++k) {
        if (marg[k]->text() == marginText(getreg(reg::printmarg(k))))
            continue;
        const std::optional<QString> entry = marginEntry(marg[k]->text());
        if (entry) {
            savereg(reg::printmarg(k), *entry);
        } else if (refuse) {
            refuseMargin(k);
            return false;
        }
    }
    return true;
}

void PrintSetup::refuseMargin(int index)
{
    ui::msgbox(QStringLiteral("Bitte geben Sie anständige Zahlen ein."), ui::Critical, QStringLiteral(" "));
    marg[index]->setFocus();
}

void PrintSetup::showOrder(const QString& key)
{
    for (const FieldList& f : m_lists)
        if (f.key == key)
            showlist(f.list, f.key, f.position);
}

void PrintSetup::showlist(QListWidget* list, const QString& key, const QString& position)
{
    const QString order = getreg(key);
    list->clear();
    for (qsizetype i = 0; i + 1 < order.size(); i += 2) {
        if (order.mid(i, 1) != position)
            continue;
        const QChar field = order.at(i + 1);
        const auto known = std::find_if(kFields.begin(), kFields.end(),
                                        [&](const Field& f) { return field == QLatin1Char(f.name[0]); });
        if (known == kFields.end())
            continue;
        auto* entry = new QListWidgetItem(QString::fromUtf8(known->entry), list);
        entry->setData(Qt::UserRole, int(i + 1));
    }
}

void PrintSetup::insertinlist(const QString& key, const QString& pair, QListWidget* target)
{
    savereg(key, getreg(key) + pair);
    if (pair.endsWith(u'X')) {
        if (key == reg::printtitleorder)
            savereg(reg::printtitleextra, hextra->text());
        else
            savereg(reg::printfootextra, fextra->text());
    }
    showlist(target, key, pair.left(1));
}

const PrintSetup::FieldList& PrintSetup::fieldList(const QListWidget* list) const
{
    for (const FieldList& f : m_lists)
        if (f.list == list)
            return f;
    throw std::logic_error("no field list " + list->objectName().toStdString());
}

void PrintSetup::removeClicked(QListWidget* list)
{
    const QListWidgetItem* entry = list->currentItem();
    if (!entry)
        return;
    const FieldList& f = fieldList(list);
    const int p = entry->data(Qt::UserRole).toInt();
    const QString order = getreg(f.key);
    savereg(f.key, order.left(p - 1) + order.mid(p + 1));
    // The pairs after the removed one have moved up: every list of this string shows them
    // at their new places.
    showOrder(f.key);
}

void PrintSetup::dropOn(QListWidget* list, QWidget* source)
{
    const FieldList& f = fieldList(list);
    insertinlist(f.key, f.position + source->objectName(), list);
}

void PrintSetup::kl_Click() { removeClicked(kl); }
void PrintSetup::km_Click() { removeClicked(km); }
void PrintSetup::kr_Click() { removeClicked(kr); }
void PrintSetup::fl_Click() { removeClicked(fl); }
void PrintSetup::fm_Click() { removeClicked(fm); }
void PrintSetup::fr_Click() { removeClicked(fr); }
void PrintSetup::kl_DragDrop(QWidget* source) { dropOn(kl, source); }
void PrintSetup::km_DragDrop(QWidget* source) { dropOn(km, source); }
void PrintSetup::kr_DragDrop(QWidget* source) { dropOn(kr, source); }
void PrintSetup::fl_DragDrop(QWidget* source) { dropOn(fl, source); }
void PrintSetup::fm_DragDrop(QWidget* source) { dropOn(fm, source); }
void PrintSetup::fr_DragDrop(QWidget* source) { dropOn(fr, source); }

bool PrintSetup::eventFilter(QObject* watched, QEvent* event)
{
    for (QLabel* field : m_fields)
        if (watched == field)
            return dragField(field, event);
    for (const FieldList& f : m_lists)
        if (watched == f.list->viewport())
            return dropEvent(f, event);
    return ui::Dialog::eventFilter(watched, event);
}

bool PrintSetup::dragField(QLabel* field, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton)
            m_pressedAt = press->position().toPoint();
        return false;
    }
    if (event->type() != QEvent::MouseMove)
        return false;
    const auto* move = static_cast<QMouseEvent*>(event);
    if (!(move->buttons() & Qt::LeftButton) ||
        (move->position().toPoint() - m_pressedAt).manhattanLength() < QApplication::startDragDistance())
        return false;
    auto* mime = new QMimeData;
    mime->setData(kFieldMime, field->objectName().toLatin1());
    auto* drag = new QDrag(field);
    drag->setMimeData(mime);
    drag->setPixmap(field->grab());
    drag->setHotSpot(m_pressedAt);
    drag->exec(Qt::CopyAction);
    return true;
}

bool PrintSetup::dropEvent(const FieldList& target, QEvent* event)
{
    const auto fieldOf = [this](const QMimeData* mime) -> QWidget* {
        const QString name = QString::fromLatin1(mime->data(kFieldMime));
        for (QLabel* field : m_fields)
            if (!name.isEmpty() && field->objectName() == name)
                return field;
        return nullptr;
    };
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* over = static_cast<QDragMoveEvent*>(event);
        if (fieldOf(over->mimeData()))
            over->acceptProposedAction();
        else
            over->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        QWidget* field = fieldOf(drop->mimeData());
        if (!field) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        const QString tag = target.list->objectName().toUpper() + QStringLiteral("_DRAGDROP : ");
        ui::guarded(tag, [&] { (this->*target.dragDrop)(field); });
        return true;
    }
    default:
        return false;
    }
}

void PrintSetup::printfont_Click(int index)
{
    ui::FontChoice font{getreg(reg::printfontname(index)), readPrintNumber(getreg(reg::printfontsize(index))),
                        isOn(getreg(reg::printfontbold(index))), isOn(getreg(reg::printfontitalic(index)))};
    if (!ui::fontDialog(font))
        return;
    const QString size = writePrintNumber(font.size);
    savereg(reg::printfontname(index), font.name);
    savereg(reg::printfontsize(index), size);
    savereg(reg::printfontbold(index), font.bold ? QStringLiteral("-1") : QStringLiteral("0"));
    savereg(reg::printfontitalic(index), font.italic ? QStringLiteral("-1") : QStringLiteral("0"));
    printfont[index]->setText(fontCaption(font.name, font.bold, font.italic, size));
}

void PrintSetup::marg_LostFocus(int index)
{
    const std::optional<QString> entry = marginEntry(marg[index]->text());
    if (!entry) {
        refuseMargin(index);
        return;
    }
    savereg(reg::printmarg(index), *entry);
    showMargin(index, *entry);
}

void PrintSetup::mscroll_Change(int index)
{
    marg[index]->setText(cm(writePrintNumber(mscroll[index]->value() / 100.0)));
}

void PrintSetup::makebooklet1_Click()
{
    const bool on = makebooklet1->isChecked();
    PrintRezept::storeBooklet(on);
    // The print window's box shows the setting at once; its pages follow when they are
    // laid out next, as they do for every other change made here.
    if (PrintRezept* form = printForm())
        form->showBooklet(on);
}

void PrintSetup::savesettings_Click()
{
    if (!saveprintsettings())
        return;
    if (PrintRezept* form = printForm())
        form->requerySchemes();
}

void PrintSetup::storeOwnTexts()
{
    if (hextra->text() != getreg(reg::printtitleextra))
        savereg(reg::printtitleextra, hextra->text());
    if (fextra->text() != getreg(reg::printfootextra))
        savereg(reg::printfootextra, fextra->text());
}

void PrintSetup::kreuz_Click()
{
    // A margin typed or scrolled to and not yet left counts as left now, and one that is
    // no number keeps the window open as leaving its box would.
    if (!storePendingMargins(true))
        return;
    leave();
    ui::WindowRegistry::unload(kName);
    if (PrintRezept* form = printForm())
        form->calcrezsizes();
}

void PrintSetup::closeEvent(QCloseEvent* event)
{
    // Only an unload closes the window; the close box goes through kreuz_Click.
    if (!event->spontaneous())
        Form_Unload();
    ui::Dialog::closeEvent(event);
}

void PrintSetup::Form_Unload()
{
    // Typed text is kept however the window closes: closing moves no focus. Closed with
    // the print window, a margin that is no number is dropped rather than asked about.
    storeOwnTexts();
    storePendingMargins(false);
}

}  // namespace kv
