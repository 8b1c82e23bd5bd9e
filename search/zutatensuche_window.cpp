#include "search/zutatensuche_window.h"

#include "platform/ui/closinghooks.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"
#include "search/ingredientsearch.h"
#include "search/searchlook_window.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

namespace {

const QString kStartText = QStringLiteral(
    "Beliebig viele Felder einer Spalte können mit Zutatennamen oder Teilen davon ausgefüllt werden. Mit dem Begriff "
    "'beere' werden beispielsweise alle Beeren gefunden : Himbeeren, Erdbeeren etc; der Begriff 'ei' empfielt sich "
    "hingegen nicht.");

// The hourglass from the first step of a search until it is over, however it ends.
class BusyPointer {
public:
    BusyPointer() = default;
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    ~BusyPointer()
    {
        if (m_on) QApplication::restoreOverrideCursor();
    }
    void on()
    {
        if (m_on) return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_on = true;
    }

private:
    bool m_on = false;
};

}  // namespace

Zutatensuche::Zutatensuche(QWidget* parent)
    : ui::Dialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("zutatensuche"));
    setWindowTitle(QStringLiteral(" "));

    Label1 = ui::caption(this, QStringLiteral("Label1"), QStringLiteral("S u c h e   n a c h   Z u t a t e n"), 14);
    const QString headings[3] = {QStringLiteral("E i n e   dieser Zutaten soll vorkommen :"),
                                 QStringLiteral("A l l e   diese Zutaten müssen vorkommen :"),
                                 QStringLiteral("K e i n e   dieser Zutaten darf vorkommen :")};
    auto* columns = new QGridLayout;
    columns->setHorizontalSpacing(16);
    columns->setVerticalSpacing(5);
    for (int c = 0; c < 3; ++c) {
        lzut[c] = ui::caption(this, QStringLiteral("lzut%1").arg(c), headings[c], 10);
        columns->addWidget(lzut[c], 0, c);
    }
    const std::pair<std::array<QLineEdit*, 7>*, const char*> fieldColumns[3] = {{&z, "z"}, {&m, "m"}, {&n, "n"}};
    for (int c = 0; c < 3; ++c) {
        for (int i = 0; i < 7; ++i) {
            auto* field = new QLineEdit(this);
            field->setObjectName(QLatin1String(fieldColumns[c].second) + QString::number(i));
            (*fieldColumns[c].first)[i] = field;
            columns->addWidget(field, i + 1, c);
        }
    }

    status = ui::caption(this, QStringLiteral("status"), kStartText, 10, false);
    status->setWordWrap(true);
    status->setMinimumHeight(status->fontMetrics().height() * 3 + 6);
    status->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    weiter = ui::pictureButton(this, QStringLiteral("weiter"), QStringLiteral("search"), QStringLiteral("Suchen"), 32);
    loesch = ui::pictureButton(this, QStringLiteral("loesch"), QStringLiteral("clearlist"), QStringLiteral("Felder löschen"), 32);
    kreuz = ui::pictureButton(this, QStringLiteral("kreuz"), QStringLiteral("close"), QStringLiteral("Ende"), 32);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(weiter);
    buttons->addWidget(loesch);
    buttons->addStretch();
    buttons->addWidget(kreuz);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 12);
    layout->setSpacing(10);
    layout->addWidget(Label1);
    layout->addLayout(columns);
    layout->addWidget(status);
    layout->addLayout(buttons);
    resize(760, 420);

    setSearchWindowLook(this);
    wireEvents();
    // The fields are the user's and stay; nothing of the cookbook is held.
    ui::onCookbookClosing(this, [this] { hideSelf(); });
}

void Zutatensuche::wireEvents()
{
    ui::onClick(weiter, [this] { weiter_Click(); });
    ui::onClick(loesch, [this] { loesch_Click(); });
    ui::onClick(kreuz, [this] { kreuz_Click(); });
}

void Zutatensuche::hideSelf()
{
    if (isVisible()) done(0);
}

void Zutatensuche::suchliste()
{
    // A field's text is its text as soon as it is typed; the focus only goes back to the
    // first field for the next search.
    z[0]->setFocus();

    IngredientFields fields;
    for (int i = 0; i < 7; ++i) {
        fields.z[i] = z[i]->text();
        fields.m[i] = m[i]->text();
        fields.n[i] = n[i]->text();
    }
    BusyPointer busy;
    // Only the status is painted between steps: events handled there could click into
    // the search that is running.
    const bool searched = kv::suchliste(fields, [this, &busy](int step, int total) {
        busy.on();
        status->setText(searchProgressText(step, total));
        status->repaint();
    });
    if (searched) hideSelf();
}

void Zutatensuche::weiter_Click()
{
    suchliste();
}

void Zutatensuche::loesch_Click()
{
    for (int i = 0; i < 7; ++i) {
        z[i]->clear();
        n[i]->clear();
        m[i]->clear();
    }
}

void Zutatensuche::kreuz_Click()
{
    hideSelf();
}

}  // namespace kv
