#include "platform/ui/folderlists.h"

#include "platform/paths.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QPalette>
#include <QStorageInfo>
#include <QStringList>
#include <QTimer>
#include <QTreeView>

namespace kv::ui {

namespace {

// Mount points that are not places for a cookbook: the kernel's own file systems and
// single files bound into containers.
bool offeredVolume(const QString& root)
{
    static const QStringList hidden = {QStringLiteral("/proc"), QStringLiteral("/sys"),
                                       QStringLiteral("/dev"), QStringLiteral("/run"),
                                       QStringLiteral("/boot"), QStringLiteral("/snap")};
    if (root.startsWith(QLatin1String("/run/media/"))) return true;
    for (const QString& h : hidden)
        if (root == h || root.startsWith(h + u'/')) return false;
    return QFileInfo(root).isDir();
}

}  // namespace

void fillDriveList(QComboBox* drives)
{
    QSignalBlocker quiet(drives);
    drives->clear();
    drives->addItem(QStringLiteral("/"), QStringLiteral("/"));
    const QString home = paths::absoluteFolder(paths::homeFolder());
    if (home != QLatin1String("/"))
        drives->addItem(home + QStringLiteral("  (Persönlicher Ordner)"), home);
    // The delivered cookbook lives in the program folder, usually below a hidden folder of
    // the home folder (~/.local/share/kelvor), and the folder list shows no hidden folders.
    const QString program = paths::absoluteFolder(paths::programFolder());
    if (drives->findData(program) < 0 && QFileInfo(program).isDir())
        drives->addItem(program + QStringLiteral("  (Kelvor-Programmordner)"), program);
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady()) continue;
        const QString root = paths::absoluteFolder(volume.rootPath());
        if (root == QLatin1String("/") || root == home || drives->findData(root) >= 0) continue;
        if (!offeredVolume(volume.rootPath())) continue;
        const QString label = volume.displayName();
        const bool named = !label.isEmpty() && label != volume.rootPath();
        drives->addItem(named ? root + QStringLiteral("  [") + label + u']' : root, root);
    }
}

QString chooseDriveOf(QComboBox* drives, const QString& folder)
{
    int best = 0;
    qsizetype bestLength = -1;
    for (int i = 0; i < drives->count(); ++i) {
        const QString root = drives->itemData(i).toString();
        if (folder.startsWith(root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    QSignalBlocker quiet(drives);
    drives->setCurrentIndex(best);
    return drives->itemData(best).toString();
}

FolderModel::FolderModel(QObject* parent)
    : QSortFilterProxyModel(parent), m_files(new QFileSystemModel(this)),
      m_program(paths::absoluteFolder(paths::programFolder()))
{
    m_files->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    m_files->setReadOnly(true);
    m_files->setRootPath(QStringLiteral("/"));
    setRecursiveFilteringEnabled(false);
    setSourceModel(m_files);
}

QModelIndex FolderModel::indexOf(const QString& path) const
{
    return mapFromSource(m_files->index(path));
}

QString FolderModel::filePath(const QModelIndex& index) const
{
    return m_files->filePath(mapToSource(index));
}

bool FolderModel::filterAcceptsRow(int row, const QModelIndex& parent) const
{
    const QModelIndex folder = m_files->index(row, 0, parent);
    if (!m_files->fileName(folder).startsWith(u'.')) return true;
    const QString path = paths::absoluteFolder(m_files->filePath(folder));
    return m_program.startsWith(path) || path.startsWith(m_program);
}

void setupFolderList(QTreeView* folders, FolderModel* model)
{
    folders->setModel(model);
    for (int column = 1; column < model->columnCount(); ++column) folders->hideColumn(column);
    folders->setHeaderHidden(true);
    folders->setUniformRowHeights(true);
    folders->setSelectionMode(QAbstractItemView::SingleSelection);
    // The style draws the expand arrows in the window's text colour, which on a dark
    // window is as white as the list's ground; the list's own text colour stands out.
    QPalette p = folders->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::WindowText, p.color(group, QPalette::Text));
    folders->setPalette(p);
}

void showDrive(QTreeView* folders, FolderModel* model, const QString& root)
{
    folders->setRootIndex(model->indexOf(root.size() > 1 && root.endsWith(u'/') ? root.chopped(1) : root));
}

FolderChooser::FolderChooser(QComboBox* drives, QTreeView* folders, std::function<void()> changed)
    : QObject(folders), m_drives(drives), m_folders(folders), m_model(new FolderModel(this)),
      m_changed(std::move(changed))
{
    fillDriveList(m_drives);
    setupFolderList(m_folders, m_model);
    m_folders->installEventFilter(this);
    connect(m_folders->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (m_moving || !current.isValid()) return;
                m_follow = false;
                m_folders->expand(current);
                choose(paths::absoluteFolder(m_model->filePath(current)));
            });
    // The rows above the chosen folder arrive after it was selected and push it out of sight.
    connect(m_model->files(), &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        if (m_follow && m_path.startsWith(paths::absoluteFolder(loaded))) showInList(m_path);
    });
}

void FolderChooser::setPath(const QString& folder)
{
    const QString path = paths::absoluteFolder(folder);
    if (!QFileInfo(path).isDir()) return;
    m_follow = true;
    showInList(path);
    choose(path);
}

void FolderChooser::choose(const QString& path)
{
    if (path == m_path) return;
    m_path = path;
    if (m_changed) m_changed();
}

void FolderChooser::openAt(const QString& folder)
{
    showDrive(m_folders, m_model, chooseDriveOf(m_drives, paths::absoluteFolder(folder)));
    setPath(folder);
}

void FolderChooser::driveChosen()
{
    const QString root = m_drives->currentData().toString();
    if (!QDir(root).isReadable()) return;
    showDrive(m_folders, m_model, root);
    setPath(root);
}

void FolderChooser::showInList(const QString& path)
{
    const QModelIndex index = m_model->indexOf(path.size() > 1 ? path.chopped(1) : path);
    if (!index.isValid()) return;
    m_moving = true;
    m_folders->setCurrentIndex(index);
    m_folders->expand(index);
    m_folders->scrollTo(index, QAbstractItemView::PositionAtCenter);
    m_moving = false;
}

bool FolderChooser::eventFilter(QObject* watched, QEvent* event)
{
    // Scrolling before the first layout has no viewport to measure against.
    if (watched == m_folders && event->type() == QEvent::Show)
        QTimer::singleShot(0, this, [this] {
            if (m_follow) showInList(m_path);
        });
    return QObject::eventFilter(watched, event);
}

}  // namespace kv::ui
