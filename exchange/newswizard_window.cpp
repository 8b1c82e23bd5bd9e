#include "exchange/newswizard_window.h"

#include "exchange/newsreaderwork_window.h"
#include "exchange/userdb.h"
#include "platform/db/datacontrol.h"
#include "platform/db/datamodels.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

namespace {

const QString kName = QStringLiteral("wizard_news");

QLabel* text(QWidget* parent, const QString& name, const QString& text, int pointSize, bool bold)
{
    auto* l = ui::caption(parent, name, text, pointSize, bold);
    l->setWordWrap(true);
    return l;
}

QTableView* editableGrid(QWidget* parent, const QString& name, db::RecordsetTableModel* model)
{
    QTableView* grid = ui::grid(parent, name);
    // Typed in cell by cell, as the editor's ingredient lines are.
    grid->setTabKeyNavigation(true);
    // A double click marks a group; typing or F2 edits a cell.
    grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::SelectedClicked);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    model->setEditable(true);
    model->setAllowAddNew(true);
    grid->setModel(model);
    // The names take the room; ports, users and numbers are short.
    grid->horizontalHeader()->setStretchLastSection(false);
    auto stretchNames = [grid] {
        if (grid->model()->columnCount() > 0) grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    };
    QObject::connect(model, &QAbstractItemModel::modelReset, grid, stretchNames);
    stretchNames();
    return grid;
}

// The grid's current record is the control's current row. The new row holds no record:
// the control stays where it was.
void followGrid(QTableView* grid, db::DataControl* control, db::RecordsetTableModel* model,
                const std::function<void()>& rowChanged)
{
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, grid,
                     [=](const QModelIndex& current) {
                         db::Recordset* rs = control->recordset();
                         if (!rs || !current.isValid() || model->isNewRow(current.row())) return;
                         ui::guarded(grid->objectName().toUpper() + QStringLiteral("_ROWCOLCHANGE : "), [&] {
                             if (rs->absolutePosition() != current.row()) rs->setAbsolutePosition(current.row());
                             if (rowChanged) rowChanged();
                         });
                     });
}

// start_Click shows a failure in the program's words and goes on with its next step.
void step(const std::function<void()>& body)
{
    QString failure;
    try {
        body();
        return;
    } catch (const db::DbError& e) {
        failure = QString::number(e.number()) + QStringLiteral(" : ") + e.text();
    } catch (const std::exception& e) {
        failure = QStringLiteral("0 : ") + QString::fromLocal8Bit(e.what());
    }
    ui::msgbox(QStringLiteral("Fehler ") + failure, ui::OkOnly, QStringLiteral(" "));
}

}  // namespace

WizardNews::WizardNews(QWidget* parent)
    : ui::Dialog(parent)
{
    setObjectName(kName);
    setWindowTitle(QStringLiteral(" "));
    ui::setDarkDialogLook(this);

    server = new db::DataControl(this);
    server->setObjectName(QStringLiteral("server"));
    server->setRecordSource(QStringLiteral("newsserver"));
    groups = new db::DataControl(this);
    groups->setObjectName(QStringLiteral("groups"));
    groups->setRecordSource(QStringLiteral("select * from newsgroups where servid=1"));
    selected = new db::DataControl(this);
    selected->setObjectName(QStringLiteral("selected"));
    // The mark is compared without regard to case: 'x' finds the "X" a double click writes.
    selected->setRecordSource(QStringLiteral(
        "select newsgroups.ngid, newsserver.sname || ' : ' || newsgroups.newsgroup as gn from newsgroups "
        "inner join newsserver on newsgroups.servid = newsserver.servid where newsgroups.import = 'x'"));

    top = ui::dialogCaption(QStringLiteral("N e w s g r o u p s   n a c h   R e z e p t e n   d u r c h s u c h e n"),
                            this);
    top->setObjectName(QStringLiteral("top"));
    Label2 = text(this, QStringLiteral("Label2"),
                  QStringLiteral("Kelvor kann Newsgroups im Internet nach neuen Rezepten im MealMaster-Format "
                                 "durchsuchen. Dafür müssen Sie mit dem Internet verbunden sein."),
                  10, false);
    Label1 = text(this, QStringLiteral("Label1"),
                  QStringLiteral("Kelvor benötigt zudem den Namen Ihres Newsservers - zu finden in den Optionen Ihres "
                                 "WWW-Browsers -, sowie die Namen der zu durchsuchenden Newsgroups mitsamt Paßwort und "
                                 "Username."),
                  10, false);
    Label3 = text(this, QStringLiteral("Label3"), QStringLiteral("1. Ihre Newsserver"), 12, true);
    Label4 = text(this, QStringLiteral("Label4"), QStringLiteral("2. Newsgroups auf gewählten Server"), 12, true);
    Label6 = text(this, QStringLiteral("Label6"), QStringLiteral("3. Newsgroups wählen"), 12, true);
    Label5 = text(this, QStringLiteral("Label5"), QStringLiteral("4. Start"), 12, true);
    Label7 = text(this, QStringLiteral("Label7"),
                  QStringLiteral("Ein Doppelklick in der Liste wählt die Newsgroup zum Übertragen aus."), 9, false);
    Label8 = text(this, QStringLiteral("Label8"), QStringLiteral("Vorher die Internet-Verbindung herstellen."), 9, false);

    m_servers = new db::RecordsetTableModel(server, this);
    m_servers->setColumns({QStringLiteral("sname"), QStringLiteral("port")},
                          {QStringLiteral("Newsserver"), QStringLiteral("Port")});
    servgrid = editableGrid(this, QStringLiteral("servgrid"), m_servers);
    m_groups = new db::RecordsetTableModel(groups, this);
    m_groups->setColumns({QStringLiteral("newsgroup"), QStringLiteral("userid"), QStringLiteral("password"),
                          QStringLiteral("ldatum")},
                         {QStringLiteral("Newsgroup"), QStringLiteral("Username"), QStringLiteral("Paßwort"),
                          QStringLiteral("Startnr.")});
    groupgrid = editableGrid(this, QStringLiteral("groupgrid"), m_groups);
    groupgrid->setVisible(false);
    m_selected = new db::RecordsetListModel(selected, QStringLiteral("gn"), QStringLiteral("ngid"), this);
    selectgrid = new QListView(this);
    selectgrid->setObjectName(QStringLiteral("selectgrid"));
    selectgrid->setModel(m_selected);
    selectgrid->setEditTriggers(QAbstractItemView::NoEditTriggers);

    start = ui::pictureButton(this, QStringLiteral("start"), QStringLiteral("news"), QStringLiteral("Start"), 32);
    kreuz = ui::pictureButton(this, QStringLiteral("kreuz"), QStringLiteral("close"), QStringLiteral("Schließen"), 32);

    auto* grids = new QGridLayout;
    grids->addWidget(Label3, 0, 0);
    grids->addWidget(Label4, 0, 1);
    grids->addWidget(servgrid, 1, 0);
    grids->addWidget(groupgrid, 1, 1);
    grids->addWidget(Label7, 2, 1);
    grids->setColumnStretch(0, 2);
    grids->setColumnStretch(1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(kreuz);
    buttons->addStretch(1);
    buttons->addWidget(Label5);
    buttons->addWidget(start);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->addWidget(top);
    layout->addWidget(Label2);
    layout->addWidget(Label1);
    layout->addWidget(Label8);
    layout->addLayout(grids, 3);
    layout->addWidget(Label6);
    layout->addWidget(selectgrid, 1);
    layout->addLayout(buttons);
    resize(780, 560);

    wireEvents();
    ui::guarded(QStringLiteral("WIZARD_NEWS_LOAD : "), [this] { Form_Load(); });
}

WizardNews::~WizardNews()
{
    closeDatabase();
}

void WizardNews::wireEvents()
{
    auto handler = ui::guardedHandlers(this);
    followGrid(servgrid, server, m_servers, [this] { servgrid_RowColChange(); });
    followGrid(groupgrid, groups, m_groups, {});
    // A server row typed into the new row becomes the current row once it is stored.
    connect(m_servers, &QAbstractItemModel::rowsInserted, this, [this] {
        QTimer::singleShot(0, this, [this] {
            const QModelIndex at = servgrid->currentIndex();
            if (!at.isValid() || m_servers->isNewRow(at.row())) return;
            ui::guarded(QStringLiteral("SERVGRID_ROWCOLCHANGE : "), [this] { servgrid_RowColChange(); });
        });
    });
    m_servers->onAddNew = [this](db::Recordset& added) { servgrid_OnAddNew(added); };
    m_groups->onAddNew = [this](db::Recordset& added) { groupgrid_OnAddNew(added); };
    for (db::RecordsetTableModel* model : {m_servers, m_groups}) {
        const QString tag = (model == m_servers ? QStringLiteral("SERVGRID") : QStringLiteral("GROUPGRID")) +
                            QStringLiteral(" : ");
        connect(model, &db::RecordsetTableModel::editFailed, this,
                [tag](int number, const QString& text) { ui::errorbox(tag, number, text); });
    }
    ui::onGotFocus(groupgrid, [this] { groupgrid_GotFocus(); });
    ui::onDblClick(groupgrid, handler("GROUPGRID_DBLCLICK : ", &WizardNews::groupgrid_DblClick));
    ui::onKeyDown(selectgrid, [this](int& keyCode, int shift) {
        ui::guarded(QStringLiteral("SELECTGRID_KEYDOWN : "), [&] { selectgrid_KeyDown(keyCode, shift); });
    });
    // The start goes on after a failure of one of its steps and says so in its own box.
    ui::onClick(start, [this] { start_Click(); });
    ui::onClick(kreuz, handler("KREUZ_CLICK : ", &WizardNews::kreuz_Click));
}

void WizardNews::Form_Load()
{
    if (!exchange::provideUserDb()) {
        ui::msgbox(QStringLiteral("Die Datei kelvor-user.mdb muß in dem Verzeichnis sein, in dem auch kelvor.exe sich "
                                  "befindet."),
                   ui::OkOnly, QStringLiteral(" "));
        m_loadFailed = true;
        // The window is still being made: it goes as soon as the events flow.
        QTimer::singleShot(0, this, [this] { unloadSelf(); });
        return;
    }
    m_db = exchange::openUserDb();
    exchange::migrateLdatum(*m_db);
    for (db::DataControl* control : {server, groups, selected}) {
        control->setDatabaseName(m_db->name());
        control->refresh();
    }
    if (m_servers->rowCount() > 0 && !m_servers->isNewRow(0)) servgrid->setCurrentIndex(m_servers->index(0, 0));
}

int WizardNews::exec()
{
    if (m_loadFailed) return Rejected;
    return ui::Dialog::exec();
}

void WizardNews::showGroupsOf(qint64 servid)
{
    groups->setRecordSource(QStringLiteral("select * from newsgroups where servid=") + QString::number(servid));
    groups->refresh();
}

void WizardNews::servgrid_RowColChange()
{
    db::Recordset* rs = server->recordset();
    if (!rs || rs->eof()) return;
    if (rs->value(QStringLiteral("port")).isNull()) {
        rs->edit();
        rs->setValue(QStringLiteral("port"), 119);
        rs->update();
        servgrid->viewport()->update();
    }
    if (!groupgrid->isVisible()) groupgrid->setVisible(true);
    showGroupsOf(rs->value(QStringLiteral("servid")).toLongLong());
}

void WizardNews::servgrid_OnAddNew(db::Recordset& added)
{
    showGroupsOf(added.value(QStringLiteral("servid")).toLongLong());
}

void WizardNews::groupgrid_GotFocus()
{
    try {
        if (db::Recordset* rs = server->recordset(); rs && rs->editing()) rs->update();
    } catch (const std::exception&) {
        // As before: nothing pending, or nothing to save it to.
    }
}

void WizardNews::groupgrid_OnAddNew(db::Recordset& added)
{
    db::Recordset* rs = server->recordset();
    if (rs && !rs->eof()) added.setValue(QStringLiteral("servid"), rs->value(QStringLiteral("servid")));
}

void WizardNews::groupgrid_DblClick()
{
    db::Recordset* rs = groups->recordset();
    const QModelIndex at = groupgrid->currentIndex();
    if (!rs || !at.isValid() || m_groups->isNewRow(at.row())) return;
    if (rs->absolutePosition() != at.row()) rs->setAbsolutePosition(at.row());
    rs->edit();
    rs->setValue(QStringLiteral("import"), QStringLiteral("X"));
    rs->update();
    selected->refresh();
    selectgrid->viewport()->update();
}

void WizardNews::selectgrid_KeyDown(int& keyCode, int)
{
    if (keyCode != ui::KeyDelete) return;
    const QModelIndex at = selectgrid->currentIndex();
    const QVariant ngid = at.isValid() ? m_selected->boundValue(at.row()) : QVariant();
    if (ngid.toString().isEmpty() || !m_db) return;
    m_db->execute(QStringLiteral("update newsgroups set import='0' where ngid=?"), {ngid});
    selected->refresh();
    selectgrid->viewport()->update();
}

void WizardNews::start_Click()
{
    // The grids first give up a cell still being typed, which must reach the database
    // before the wizard lets it go.
    step([this] {
        servgrid->setFocus();
        groupgrid->setFocus();
    });
    step([this] { closeDatabase(); });
    step([this] {
        hide();
        auto* reader = ui::WindowRegistry::instance<Newsreaderwork>(QStringLiteral("newsreaderwork"));
        reader->show();
        reader->raise();
        reader->activateWindow();
        reader->startread();
    });
    step([this] { unloadSelf(); });
}

void WizardNews::kreuz_Click()
{
    hide();
}

void WizardNews::closeDatabase()
{
    for (db::DataControl* control : {server, groups, selected})
        if (control) control->release();
    m_db.reset();
}

void WizardNews::unloadSelf()
{
    leave();
    ui::WindowRegistry::unload(kName);
}

}  // namespace kv
