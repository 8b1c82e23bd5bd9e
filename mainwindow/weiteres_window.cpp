#include "mainwindow/weiteres_window.h"

#include "core/cookbookdb.h"
#include "core/ende_window.h"
#include "core/mainmod.h"
#include "core/settings.h"
#include "mainwindow/hm_window.h"
#include "mainwindow/maintenance.h"
#include "mainwindow/weiteres_umlaute_window.h"
#include "platform/ui/closinghooks.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"
#include "platform/ui/windows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

namespace {

const QString kName = QStringLiteral("weiteres");

QPushButton* action(QWidget* parent, const QString& name, const QString& text)
{
    auto* b = ui::dialogButton(name, text, parent);
    b->setFont(ui::narrowFont(11, true));
    b->setMinimumHeight(30);
    return b;
}

QString bytes(qint64 n)
{
    return QLocale().toString(n);
}

}  // namespace

Weiteres::Weiteres(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(kName);
    setWindowTitle(QStringLiteral("W e i t e r e s   . . ."));
    ui::setDarkDialogLook(this);

    auto* aktionen = ui::dialogCaption(QStringLiteral("A k t i o n e n  :"), this);
    deldup = action(this, QStringLiteral("deldup"), QStringLiteral("D u p l i k a t e   löschen"));
    komprim = action(this, QStringLiteral("komprim"), QStringLiteral("Geladenes Kochbuch   k o m p r i m i e r e n"));
    imporg = action(this, QStringLiteral("imporg"), QStringLiteral("Importierte   D a t e i e n   organisieren"));
    komment = action(this, QStringLiteral("komment"), QStringLiteral("K o m m e n t a r e   organisieren"));
    umlaut = action(this, QStringLiteral("umlaut"), QStringLiteral("U m l a u t - Umwandlung"));
    ohnerub = action(this, QStringLiteral("ohnerub"), QStringLiteral("Rezepte ohne   R u b r i k"));
    // The import's own windows open these lists; without them the doors stay shut.
    imporg->setEnabled(ui::WindowRegistry::isRegistered(QStringLiteral("weiteres_dateien")));
    ohnerub->setEnabled(ui::WindowRegistry::isRegistered(QStringLiteral("wizard_nachimport")));

    auto* einstellungen = ui::dialogCaption(QStringLiteral("E i n s t e l l u n g e n  :"), this);
    auto* wizard = ui::caption(this, QStringLiteral("wizardt"), QStringLiteral("W i z a r d"), 11);
    zeig1 = new QLabel(QStringLiteral("am Anfang zeigen"), this);
    zeig1->setObjectName(QStringLiteral("zeig1"));
    zeig0 = new QLabel(QStringLiteral("nicht zeigen"), this);
    zeig0->setObjectName(QStringLiteral("zeig0"));
    Label1 = new QLabel(QStringLiteral("jetzt zeigen"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    for (QLabel* l : {zeig1, zeig0, Label1}) {
        l->setCursor(Qt::PointingHandCursor);
        l->setFont(ui::narrowFont(11, true));
    }
    auto* treffert = new QLabel(QStringLiteral("Maximale   T r e f f e r z a h l  bei Suche, bis zu welcher das Ergebnis "
                                               "gespeichert werden soll :"),
                                this);
    treffert->setObjectName(QStringLiteral("treffert"));
    treffert->setWordWrap(true);
    treffert->setFont(ui::narrowFont(10));
    suchtreffer = new QLineEdit(this);
    suchtreffer->setObjectName(QStringLiteral("suchtreffer"));
    suchtreffer->setMaximumWidth(90);
    kreuz = ui::dialogButton(QStringLiteral("kreuz"), QStringLiteral("Schließen"), this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->setSpacing(8);
    layout->addWidget(aktionen);
    for (QPushButton* b : {deldup, komprim, imporg, komment, umlaut, ohnerub}) layout->addWidget(b);
    layout->addSpacing(10);
    layout->addWidget(einstellungen);
    auto* wizardRow = new QGridLayout;
    wizardRow->addWidget(wizard, 0, 0);
    wizardRow->addWidget(zeig1, 0, 1);
    wizardRow->addWidget(zeig0, 0, 2);
    wizardRow->addWidget(Label1, 0, 3);
    layout->addLayout(wizardRow);
    layout->addWidget(treffert);
    layout->addWidget(suchtreffer);
    layout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(kreuz);
    layout->addLayout(buttons);
    resize(430, 520);

    wireEvents();
    ui::guarded(QStringLiteral("WEITERES_LOAD : "), [this] { Form_Load(); });
}

void Weiteres::wireEvents()
{
    auto handler = ui::guardedHandlers(this);
    connect(deldup, &QPushButton::clicked, this, handler("DELDUP_CLICK : ", &Weiteres::deldup_Click));
    connect(komprim, &QPushButton::clicked, this, handler("KOMPRIM_CLICK : ", &Weiteres::komprim_Click));
    connect(imporg, &QPushButton::clicked, this, handler("IMPORG_CLICK : ", &Weiteres::imporg_Click));
    connect(komment, &QPushButton::clicked, this, handler("KOMMENT_CLICK : ", &Weiteres::komment_Click));
    connect(umlaut, &QPushButton::clicked, this, handler("UMLAUT_CLICK : ", &Weiteres::umlaut_Click));
    connect(ohnerub, &QPushButton::clicked, this, handler("OHNERUB_CLICK : ", &Weiteres::ohnerub_Click));
    connect(kreuz, &QPushButton::clicked, this, handler("KREUZ_CLICK : ", &Weiteres::kreuz_Click));
    ui::onClick(zeig0, handler("ZEIG0_CLICK : ", &Weiteres::zeig0_Click));
    ui::onClick(zeig1, handler("ZEIG1_CLICK : ", &Weiteres::zeig1_Click));
    ui::onClick(Label1, handler("LABEL1_CLICK : ", &Weiteres::kreuz_Click));
    connect(suchtreffer, &QLineEdit::textEdited, this, [this] { suchtreffer_Change(); });
    ui::onGotFocus(suchtreffer, [this] { suchtreffer_GotFocus(); });
    ui::onLostFocus(suchtreffer, handler("SUCHTREFFER_LOSTFOCUS : ", &Weiteres::suchtreffer_LostFocus));
}

void Weiteres::Form_Load()
{
    // Any value but exactly "off" is written back as "on".
    if (getreg(reg::wizard) == u"off")
        zeig0_Click();
    else
        zeig1_Click();
    suchtreffer->setText(getreg(reg::suchtreffer));
}

void Weiteres::zeig0_Click()
{
    ui::setOptionChosen(zeig1, false);
    ui::setOptionChosen(zeig0, true);
    savereg(reg::wizard, QStringLiteral("off"));
}

void Weiteres::zeig1_Click()
{
    ui::setOptionChosen(zeig0, false);
    ui::setOptionChosen(zeig1, true);
    savereg(reg::wizard, QStringLiteral("on"));
}

void Weiteres::suchtreffer_Change()
{
    typed = 1;
}

void Weiteres::suchtreffer_GotFocus()
{
    typed = 0;
}

void Weiteres::suchtreffer_LostFocus()
{
    if (typed != 1) return;
    typed = 0;
    // Stored as typed: the searches read it as a number.
    savereg(reg::suchtreffer, suchtreffer->text());
}

void Weiteres::unloadSelf()
{
    // Text typed into the box is kept, as leaving it would keep it.
    suchtreffer_LostFocus();
    ui::WindowRegistry::unload(kName);
}

void Weiteres::deldup_Click()
{
    if (!cookbookWritable()) return;
    ui::msgbox(QStringLiteral("Die Löschung der Duplikate kann etwas dauern."), ui::OkOnly, QStringLiteral(" "));
    {
        ui::BusyPointer busy;
        removeDuplicates(cookbook());
    }
    if (auto* hm = qobject_cast<Hm*>(ui::WindowRegistry::loadedWindow(QStringLiteral("hm")))) hm->recipesRemoved();
    ui::msgbox(QStringLiteral("Es wurden alle Duplikate gelöscht. Sie sollten jetzt das Kochbuch komprimieren."),
               ui::OkOnly, QStringLiteral(" "));
}

void Weiteres::komprim_Click()
{
    if (!cookbookWritable()) return;
    const QString file = cookbook().name();
    QString failure;
    bool inUse = false;
    CompactionSizes sizes;
    {
        ui::BusyPointer busy;
        {
            // The main window goes, and with it the list; its unload is no end of the program.
            NoClosingScreen quiet;
            ui::unloadIfKnown(QStringLiteral("hm"));
        }
        ui::runCookbookClosing();
        kochbuchdb->close();
        kochbuchdb.reset();
        QCoreApplication::processEvents();
        try {
            sizes = compactCookbookFile(file);
        } catch (const CookbookInUse&) {
            inUse = true;
        } catch (const std::exception& e) {
            failure = QString::fromStdString(e.what());
        }
        suchtreffer_LostFocus();
        ui::WindowRegistry::unload(kName);
    }
    if (inUse)
        ui::msgbox(QStringLiteral("Dieses Kochbuch kann zur Zeit nicht komprimiert werden. Beenden Sie das Programm, "
                                  "starten Sie es neu, und komprimieren Sie das Kochbuch dann."),
                   ui::OkOnly, QStringLiteral(" "));
    else if (!failure.isEmpty())
        ui::msgbox(QStringLiteral("Das Kochbuch wurde nicht komprimiert: ") + failure, ui::Critical | ui::OkOnly,
                   QStringLiteral(" F E H L E R"));
    else
        ui::msgbox(QStringLiteral("Fertig. Das Kochbuch wurde komprimiert. Vorher : ") + bytes(sizes.before) +
                       QStringLiteral(" Bytes, jetzt ") + bytes(sizes.after) +
                       QStringLiteral(" Bytes. Kelvor erscheint gleich wieder."),
                   ui::OkOnly, QStringLiteral(" "));
    Main();
}

void Weiteres::imporg_Click()
{
    unloadSelf();
    const QString name = QStringLiteral("weiteres_dateien");
    ui::runModal(name, [name] { return ui::execModal(ui::WindowRegistry::get(name)); });
}

void Weiteres::komment_Click()
{
    if (!cookbookWritable()) return;
    unloadSelf();
    QWidget* editor = ui::WindowRegistry::get(QStringLiteral("weiters_komment"));
    editor->show();
    editor->raise();
    editor->activateWindow();
}

void Weiteres::umlaut_Click()
{
    if (!cookbookWritable()) return;
    unloadSelf();
    const QString name = QStringLiteral("weiteres_umlaute");
    auto* editor = ui::WindowRegistry::instance<WeiteresUmlaute>(name);
    // A missing list file is said, and the editor does not open.
    if (!editor->loaduml()) {
        ui::WindowRegistry::unload(name);
        return;
    }
    ui::runModal(name, [editor] { return ui::execModal(editor); });
}

void Weiteres::ohnerub_Click()
{
    unloadSelf();
    QWidget* window = ui::WindowRegistry::get(QStringLiteral("wizard_nachimport"));
    window->show();
    window->raise();
}

void Weiteres::kreuz_Click()
{
    unloadSelf();
}

void Weiteres::closeEvent(QCloseEvent* event)
{
    // The close box is the cross.
    if (event->spontaneous()) {
        event->ignore();
        kreuz_Click();
        return;
    }
    QWidget::closeEvent(event);
}

}  // namespace kv
