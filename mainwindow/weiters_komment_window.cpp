#include "mainwindow/weiters_komment_window.h"

#include "core/mainmod.h"
#include "mainwindow/hm_window.h"
#include "platform/db/datacontrol.h"
#include "platform/db/datamodels.h"
#include "platform/ui/closinghooks.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"
#include "platform/ui/windows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace kv {

namespace {
const QString kName = QStringLiteral("weiters_komment");
}

WeitersKomment::WeitersKomment(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(kName);
    setWindowTitle(QStringLiteral(" Kommentare"));

    auto* caption = ui::caption(this, QStringLiteral("caption"), QStringLiteral("K o m m e n t a r e"), 14);
    auto* hint = new QLabel(QStringLiteral("Die vergebenen Kommentare können geändert oder gelöscht werden :"), this);
    hint->setObjectName(QStringLiteral("hint"));
    hint->setWordWrap(true);
    komment = new db::DataControl(this);
    komment->setObjectName(QStringLiteral("komment"));
    komment->setRecordSource(QStringLiteral("select * from komment order by komment;"));
    komgrid = ui::grid(this, QStringLiteral("komgrid"));
    komgrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    komgrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    m_comments = new db::RecordsetTableModel(komment, this);
    m_comments->setColumns({QStringLiteral("komment")}, {QStringLiteral("Kommentar")});
    m_comments->setEditable(true);
    komgrid->setModel(m_comments);
    komgrid->horizontalHeader()->setStretchLastSection(true);
    kreuz = ui::dialogButton(QStringLiteral("kreuz"), QStringLiteral("Zurück"), this);
    kreuz->setToolTip(QStringLiteral("Zurück"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(caption);
    layout->addWidget(hint);
    layout->addWidget(komgrid, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(kreuz);
    layout->addLayout(buttons);
    resize(420, 420);

    connect(kreuz, &QPushButton::clicked, this,
            [this] { ui::guarded(QStringLiteral("KREUZ_CLICK : "), [this] { kreuz_Click(); }); });
    ui::onClick(komgrid, [this] { komgrid_Click(); });
    ui::onKeyDown(komgrid, [this](int& keyCode, int) {
        if (keyCode != ui::KeyDelete) return;
        keyCode = 0;
        ui::guarded(QStringLiteral("KOMGRID_BEFOREDELETE : "), [this] {
            bool cancel = false;
            komgrid_BeforeDelete(cancel);
        });
    });
    m_comments->beforeUpdate = [](int, int, const QVariant&) { return cookbookWritable(); };
    // A changed text is the main window's too.
    connect(m_comments, &QAbstractItemModel::dataChanged, this, [this] { mainWindowFollows(); });
    connect(m_comments, &db::RecordsetTableModel::editFailed, this,
            [](int number, const QString& text) { ui::errorbox(QStringLiteral("KOMGRID : "), number, text); });
    // Another cookbook: the comments shown here are another cookbook's.
    ui::onCookbookClosing(this, [] { ui::WindowRegistry::unload(kName); });
    ui::guarded(QStringLiteral("WEITERS_KOMMENT_LOAD : "), [this] { Form_Load(); });
}

void WeitersKomment::Form_Load()
{
    komment->setDatabaseName(cookbook().name());
    komment->refresh();
}

void WeitersKomment::komgrid_Click()
{
    QWidget* active = QApplication::focusWidget();
    if (!active || active->objectName().compare(QStringLiteral("komgrid"), Qt::CaseInsensitive) != 0)
        komgrid->setFocus(Qt::MouseFocusReason);
}

void WeitersKomment::komgrid_BeforeDelete(bool& cancel)
{
    db::Recordset* rs = komment->recordset();
    cancel = true;
    const QModelIndex at = komgrid->currentIndex();
    if (!rs || !at.isValid()) return;
    rs->setAbsolutePosition(at.row());
    if (rs->eof() || rs->bof()) return;
    const qint64 komid = rs->value(QStringLiteral("komid")).toLongLong();
    // Comment 0 stands for "no comment" in the filter; it stays, and nothing is said.
    if (komid == 0 || !cookbookWritable()) return;
    db::Database& db = cookbook();
    {
        db::Transaction tx(db);
        db.execute(QStringLiteral("update rezepte set komid=null where komid=?"), {komid});
        db.execute(QStringLiteral("update rezinaus set komid=null where komid=?"), {komid});
        db.execute(QStringLiteral("delete from komment where komid=?"), {komid});
        tx.commit();
    }
    komment->refresh();
    mainWindowFollows();
}

void WeitersKomment::mainWindowFollows()
{
    if (auto* hm = qobject_cast<Hm*>(ui::WindowRegistry::loadedWindow(QStringLiteral("hm")))) hm->reloadComments();
}

void WeitersKomment::kreuz_Click()
{
    ui::WindowRegistry::unload(kName);
}

void WeitersKomment::closeEvent(QCloseEvent* event)
{
    komment->release();
    QWidget::closeEvent(event);
}

}  // namespace kv
