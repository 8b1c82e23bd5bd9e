#include "mainwindow/weiteres_umlaute_window.h"

#include "core/mainmod.h"
#include "platform/db/datacontrol.h"
#include "platform/db/datamodels.h"
#include "platform/paths.h"
#include "platform/textreplace/cp1252.h"
#include "platform/textreplace/excllist.h"
#include "platform/ui/closinghooks.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"
#include "platform/ui/moveon.h"
#include "platform/ui/windows.h"

#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QVBoxLayout>

namespace kv {

namespace {

const QString kName = QStringLiteral("weiteres_umlaute");

struct Pair {
    const char16_t* shown;
    const char16_t* alt;
    const char16_t* neu;
};
const std::array<Pair, 8> kPairs = {{
    {u"", u"", u""},
    {u"ae", u"ae", u"ä"},
    {u"oe", u"oe", u"ö"},
    {u"ue", u"ue", u"ü"},
    {u"Ae", u"gAe", u"Ä"},
    {u"Oe", u"gOe", u"Ö"},
    {u"Ue", u"gUe", u"Ü"},
    {u"sz", u"sz", u"ß"},
}};

}  // namespace

WeiteresUmlaute::WeiteresUmlaute(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(kName);
    setWindowTitle(QStringLiteral(" Umlaute"));
    ui::setDarkDialogLook(this);

    auto* caption = ui::dialogCaption(QStringLiteral("U m l a u t e"), this);
    auto* hint = new QLabel(QStringLiteral("Umlaute, die zweibuchstabig geschrieben sind, werden beim Importieren von "
                                           "Kelvor richtiggestellt. Es gibt aber Fälle, in denen dies falsch wäre :"),
                            this);
    hint->setObjectName(QStringLiteral("hint"));
    hint->setWordWrap(true);
    auto* pairs = new QVBoxLayout;
    for (int i = 1; i <= 7; ++i) {
        v[i] = new QLabel(QString::fromUtf16(kPairs[i].shown) + QStringLiteral(" | ") + QString::fromUtf16(kPairs[i].neu),
                          this);
        v[i]->setObjectName(QStringLiteral("v%1").arg(i));
        v[i]->setFont(ui::narrowFont(12, true));
        v[i]->setCursor(Qt::PointingHandCursor);
        pairs->addWidget(v[i]);
        ui::onClick(v[i], [this, i] { ui::guarded(QStringLiteral("V_CLICK : "), [&] { v_Click(i); }); });
    }
    pairs->addStretch(1);

    umlaut = new db::DataControl(this);
    umlaut->setObjectName(QStringLiteral("umlaut"));
    umgrid = ui::grid(this, QStringLiteral("umgrid"));
    umgrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    m_words = new db::RecordsetTableModel(umlaut, this);
    m_words->setColumns({QStringLiteral("alttext")}, {QStringLiteral("Wort")});
    m_words->setEditable(true);
    m_words->setAllowAddNew(true);
    m_words->setAllowDelete(true);
    umgrid->setModel(m_words);
    umgrid->setItemDelegate(new ui::MoveOnDelegate(umgrid));
    umgrid->horizontalHeader()->setStretchLastSection(true);
    // A row added gets the chosen pair and its umlaut.
    m_words->onAddNew = [this](db::Recordset& added) {
        added.setValue(QStringLiteral("alt"), m_alt);
        added.setValue(QStringLiteral("neu"), m_neu);
    };
    m_words->beforeUpdate = [this](int, int, const QVariant& value) { return wordAllowed(value); };
    connect(m_words, &db::RecordsetTableModel::editFailed, this,
            [](int number, const QString& text) { ui::errorbox(QStringLiteral("UMGRID : "), number, text); });
    ui::onKeyDown(umgrid, [this](int& keyCode, int) {
        if (keyCode != ui::KeyDelete) return;
        keyCode = 0;
        const QModelIndex at = umgrid->currentIndex();
        if (at.isValid() && !m_words->isNewRow(at.row())) m_words->removeRows(at.row(), 1);
    });

    kreuz = ui::dialogButton(QStringLiteral("kreuz"), QStringLiteral("Zurück"), this);
    kreuz->setToolTip(QStringLiteral("Zurück"));
    connect(kreuz, &QPushButton::clicked, this,
            [this] { ui::guarded(QStringLiteral("KREUZ_CLICK : "), [this] { kreuz_Click(); }); });

    auto* body = new QHBoxLayout;
    body->addLayout(pairs);
    body->addWidget(umgrid, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(kreuz);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->addWidget(caption);
    layout->addWidget(hint);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
    resize(460, 440);

    ui::onCookbookClosing(this, [] { ui::WindowRegistry::unload(kName); });
    Form_Load();
}

void WeiteresUmlaute::Form_Load()
{
    umlaut->setDatabaseName(cookbook().name());
}

bool WeiteresUmlaute::loaduml()
{
    const QString path = text::exclListPath();
    if (path.isEmpty()) {
        ui::msgbox(QStringLiteral("Die Datei excllist.txt fehlt !"), ui::OkOnly, QStringLiteral(" "));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw db::DbError(0, QStringLiteral("Die Datei %1 kann nicht gelesen werden.").arg(QDir::toNativeSeparators(path)));
    const std::vector<text::ExclWord> words = text::readExclList(file.readAll());
    db::Database& db = cookbook();
    {
        db::Transaction tx(db);
        db.execute(QStringLiteral("delete from umlaute"));
        db::Statement add(db, QStringLiteral("insert into umlaute (alt,neu,alttext) values (?,?,?)"));
        for (const text::ExclWord& w : words) {
            add.bind(1, w.alt);
            add.bind(2, w.neu);
            add.bind(3, w.alttext);
            add.step();
            add.reset();
        }
        tx.commit();
    }
    v_Click(1);
    return true;
}

void WeiteresUmlaute::v_Click(int index)
{
    for (int i = 1; i <= 7; ++i) ui::setOptionChosen(v[i], i == index);
    m_alt = QString::fromUtf16(kPairs[index].alt);
    m_neu = QString::fromUtf16(kPairs[index].neu);
    umlaut->setRecordSource(QStringLiteral("select * from umlaute where alt=") + db::sqlQuote(m_alt) + u';');
    umlaut->refresh();
}

bool WeiteresUmlaute::wordAllowed(const QVariant& word)
{
    const QString pair = text::pairOf(m_alt);
    const QString text = word.toString();
    if (!text.contains(pair)) {
        ui::msgbox(QStringLiteral("Das Wort muss die Buchstaben '%1' enthalten, so wie sie geschrieben werden.").arg(pair),
                   ui::Exclamation | ui::OkOnly, QStringLiteral(" "));
        return false;
    }
    if (!text::fitsWindows1252(text)) {
        ui::msgbox(QStringLiteral("Das Wort enthält ein Zeichen, das die Datei ExclList.txt nicht aufnehmen kann."),
                   ui::Exclamation | ui::OkOnly, QStringLiteral(" "));
        return false;
    }
    return cookbookWritable();
}

void WeiteresUmlaute::kreuz_Click()
{
    std::vector<text::ExclWord> words;
    {
        db::Statement st(cookbook(), QStringLiteral("select alt,neu,alttext from umlaute order by alt, rowid"));
        while (st.step()) words.push_back({st.text(0), st.text(1), st.text(2)});
    }
    QString path = text::exclListPath();
    if (path.isEmpty()) path = QDir(paths::programFolder()).filePath(QStringLiteral("ExclList.txt"));
    // Written beside and renamed over the old file: a failure keeps the old list.
    QSaveFile file(path);
    const QByteArray bytes = text::writeExclList(words);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        ui::msgbox(QStringLiteral("Die Liste konnte nicht in die Datei %1 geschrieben werden (%2). Die bisherige Datei "
                                  "bleibt, wie sie war.")
                       .arg(QDir::toNativeSeparators(path), file.errorString()),
                   ui::Critical | ui::OkOnly, QStringLiteral(" F E H L E R"));
        return;
    }
    accept();
    ui::WindowRegistry::unload(kName);
}

void WeiteresUmlaute::reject()
{
    // Escape and the close box are the button "Zurück", which writes the list.
    ui::guarded(QStringLiteral("KREUZ_CLICK : "), [this] { kreuz_Click(); });
}

}  // namespace kv
