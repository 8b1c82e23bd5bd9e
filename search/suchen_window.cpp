#include "search/suchen_window.h"

#include "core/mainmod.h"
#include "platform/ui/closinghooks.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"
#include "search/namesearch.h"
#include "search/searchlook_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

namespace {

QLabel* optionLabel(QWidget* parent, const QString& name, const QString& text)
{
    QLabel* label = ui::caption(parent, name, text, 10, true);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

}  // namespace

Suchen::Suchen(QWidget* parent)
    : ui::Dialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("suchen"));
    setWindowTitle(QStringLiteral(" "));

    Label1 = ui::caption(this, QStringLiteral("Label1"), QStringLiteral("S u c h e   n a c h   G e r i c h t e n"), 14);
    Label2 = ui::caption(this, QStringLiteral("Label2"), QStringLiteral("G e r i c h t  :"), 10);
    suche = new QLineEdit(this);
    suche->setObjectName(QStringLiteral("suche"));
    suche->setToolTip(QStringLiteral("Geben Sie einen Teil des Namens des zu suchenden Gerichts ein. Mit 'lachs' finden "
                                     "Sie : Lachsforelle, Lachs in Blätterteig, Fischterrine mit Lachs, .."));
    teil0 = optionLabel(this, QStringLiteral("teil0"), QStringLiteral("Beliebiger Teil des Names"));
    teil1 = optionLabel(this, QStringLiteral("teil1"), QStringLiteral("Anfang des Namens"));
    teil2 = optionLabel(this, QStringLiteral("teil2"), QStringLiteral("Ende des Namens"));
    fein0 = optionLabel(this, QStringLiteral("fein0"), QStringLiteral("Neu suchen"));
    fein1 = optionLabel(this, QStringLiteral("fein1"), QStringLiteral("Bisherige Suche verfeinern"));
    Label3 = ui::caption(this, QStringLiteral("Label3"), QStringLiteral("B i s h e r   g e s u c ht  :"), 10);
    bisher = new QListWidget(this);
    bisher->setObjectName(QStringLiteral("bisher"));
    bisher->setSelectionMode(QAbstractItemView::SingleSelection);
    weiter = ui::pictureButton(this, QStringLiteral("weiter"), QStringLiteral("search"), QStringLiteral("Suchen"), 32);
    loeschaus = ui::pictureButton(this, QStringLiteral("loeschaus"), QStringLiteral("trash"), QStringLiteral("Liste löschen"), 32);
    kreuz = ui::pictureButton(this, QStringLiteral("kreuz"), QStringLiteral("close"), QStringLiteral("Ende"), 32);

    chooseTeil(0);
    chooseFein(0);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(suche, 1);
    searchRow->addWidget(weiter);

    auto* options = new QGridLayout;
    options->setHorizontalSpacing(18);
    options->addWidget(teil0, 0, 0);
    options->addWidget(teil1, 0, 1);
    options->addWidget(teil2, 0, 2);
    options->addWidget(fein0, 1, 0);
    options->addWidget(fein1, 1, 1, 1, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(loeschaus);
    buttons->addStretch();
    buttons->addWidget(kreuz);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 12);
    layout->setSpacing(8);
    layout->addWidget(Label1);
    layout->addSpacing(6);
    layout->addWidget(Label2);
    layout->addLayout(searchRow);
    layout->addLayout(options);
    layout->addSpacing(6);
    layout->addWidget(Label3);
    layout->addWidget(bisher, 1);
    layout->addLayout(buttons);
    resize(480, 440);

    setSearchWindowLook(this);
    wireEvents();
    // Nothing of the cookbook is held between showings; the history is read at each.
    ui::onCookbookClosing(this, [this] {
        m_letztsuch.reset();
        hideSelf();
    });
}

Suchen::~Suchen() = default;

void Suchen::wireEvents()
{
    ui::onChange(suche, [this] { suche_Change(); });
    ui::onGotFocus(suche, [this] { suche_GotFocus(); });
    ui::onKeyPress(suche, [this](int& keyAscii) { suche_KeyPress(keyAscii); });
    ui::onClick(weiter, [this] { weiter_Click(); });
    ui::onClick(teil0, [this] { teil0_Click(); });
    ui::onClick(teil1, [this] { teil1_Click(); });
    ui::onClick(teil2, [this] { teil2_Click(); });
    ui::onClick(fein0, [this] { fein0_Click(); });
    ui::onClick(fein1, [this] { fein1_Click(); });
    ui::onDblClick(bisher, [this] { bisher_DblClick(); });
    ui::onKeyDown(bisher, [this](int& keyCode, int shift) { bisher_KeyDown(keyCode, shift); });
    ui::onClick(loeschaus, [this] { loeschaus_Click(); });
    ui::onClick(kreuz, [this] { kreuz_Click(); });
}

void Suchen::showEvent(QShowEvent* event)
{
    ui::Dialog::showEvent(event);
    Form_Activate();
}

void Suchen::closeEvent(QCloseEvent* event)
{
    ui::Dialog::closeEvent(event);
    // The close box only hides the window (kreuz_Click); an unload closes it for good.
    if (leaving()) Form_Unload();
}

// Hidden, not unloaded: the options stay as chosen until the program ends.
void Suchen::hideSelf()
{
    if (isVisible()) done(0);
}

void Suchen::Form_Activate()
{
    suche->setFocus();
    typed = false;
    bisher->clear();
    ui::guarded(QStringLiteral("FORM_ACTIVATE : "), [this] {
        m_letztsuch = cookbook().openRecordset(QStringLiteral("letztsuch"), db::RecordsetType::Table);
        for (; !m_letztsuch->eof(); m_letztsuch->moveNext()) {
            auto* item = new QListWidgetItem(m_letztsuch->value(QStringLiteral("stext")).toString(), bisher);
            item->setData(Qt::UserRole, m_letztsuch->value(QStringLiteral("sid")));
        }
    });
    m_letztsuch.reset();
}

void Suchen::Form_Unload()
{
    m_letztsuch.reset();
}

void Suchen::startsuch()
{
    hideSelf();
    nameSearch(teilmode, feinmode == 1, suche->text());
    suche->clear();
    typed = false;
}

void Suchen::suche_Change()
{
    typed = true;
}

void Suchen::suche_GotFocus()
{
    typed = false;
}

void Suchen::suche_KeyPress(int& keyAscii)
{
    if (keyAscii != ui::KeyEnter) return;
    keyAscii = 0;
    if (typed) startsuch();
}

void Suchen::weiter_Click()
{
    if (typed) startsuch();
}

void Suchen::chooseTeil(int mode)
{
    teilmode = mode;
    ui::setOptionChosen(teil0, mode == 0);
    ui::setOptionChosen(teil1, mode == 1);
    ui::setOptionChosen(teil2, mode == 2);
}

void Suchen::chooseFein(int mode)
{
    feinmode = mode;
    ui::setOptionChosen(fein0, mode == 0);
    ui::setOptionChosen(fein1, mode == 1);
}

void Suchen::teil0_Click()
{
    chooseTeil(0);
}

void Suchen::teil1_Click()
{
    chooseTeil(1);
}

void Suchen::teil2_Click()
{
    chooseTeil(2);
}

void Suchen::fein0_Click()
{
    chooseFein(0);
}

void Suchen::fein1_Click()
{
    chooseFein(1);
}

void Suchen::bisher_DblClick()
{
    const QListWidgetItem* item = bisher->currentItem();
    if (!item) return;
    if (loadHistoryEntry({item->data(Qt::UserRole).toLongLong(), item->text()})) hideSelf();
}

void Suchen::bisher_KeyDown(int& keyCode, int)
{
    if (keyCode != ui::KeyDelete) return;
    QListWidgetItem* item = bisher->currentItem();
    if (!item) return;
    if (deleteHistoryEntry(item->data(Qt::UserRole).toLongLong())) delete item;
}

void Suchen::loeschaus_Click()
{
    if (deleteWholeHistory()) bisher->clear();
}

void Suchen::kreuz_Click()
{
    hideSelf();
}

}  // namespace kv
