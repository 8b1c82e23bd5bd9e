#pragma once
// The drive list and the folder list of the windows that choose a folder (the cookbook
// choice, the import wizard, the cookbook export): the drive list offers the root, the
// home folder, the program folder and the mounted volumes, each with its root ('/'-ended)
// as item data; the folder list shows the folders of one drive.

#include <QObject>
#include <QSortFilterProxyModel>
#include <QString>

#include <functional>

class QComboBox;
class QFileSystemModel;
class QTreeView;

namespace kv::ui {

// The folders of the whole file system, read-only, without hidden ones: except the way
// down to the program folder and what lies below it, which usually is below a hidden
// folder of the home folder (~/.local/share/kelvor). The file system's own model hides
// hidden folders for good once their parent is listed, so they are left to this filter.
class FolderModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit FolderModel(QObject* parent);
    // The row of a folder (without a closing '/' but for the root); invalid while the
    // folders above it are not read yet or when it is not shown.
    QModelIndex indexOf(const QString& path) const;
    QString filePath(const QModelIndex& index) const;
    QFileSystemModel* files() const { return m_files; }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

private:
    QFileSystemModel* m_files;
    QString m_program;   // absolute, ending in '/'
};

void fillDriveList(QComboBox* drives);
// Chooses, without signals, the drive whose root is the longest start of `folder`;
// returns that root.
QString chooseDriveOf(QComboBox* drives, const QString& folder);

// A view of a FolderModel showing the folder names alone.
void setupFolderList(QTreeView* folders, FolderModel* model);
// The folder list starts at the drive's root, so the folders of a deep drive (the home
// folder) are in sight at once.
void showDrive(QTreeView* folders, FolderModel* model, const QString& root);

// A drive list and a folder list that choose one folder together, as the directory
// dialog and the import wizard have them. The folder model reads folders in the
// background, so the chosen folder is followed into sight as its parents arrive and
// again when the list is first shown.
class FolderChooser : public QObject {
    Q_OBJECT
public:
    // Fills the drive list and sets the folder list up; `changed` runs whenever the chosen
    // folder becomes another one (the window's idir_Change).
    FolderChooser(QComboBox* drives, QTreeView* folders, std::function<void()> changed);

    // The chosen folder, ending with '/'.
    QString path() const { return m_path; }
    // Chooses an existing folder in the folder list and brings it into sight, also as the
    // folders above it arrive; anything else is ignored.
    void setPath(const QString& folder);
    // Chooses the folder's drive in the drive list, shows that drive and chooses the folder.
    void openAt(const QString& folder);
    // The drive chosen in the drive list (the window's idrive_Change): its root becomes the
    // chosen folder. A drive that cannot be read (an empty card reader, a vanished mount)
    // leaves the lists as they were.
    void driveChosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showInList(const QString& path);
    void choose(const QString& path);

    QComboBox* m_drives;
    QTreeView* m_folders;
    FolderModel* m_model;
    std::function<void()> m_changed;
    QString m_path;
    bool m_moving = false;
    // A folder the program chose is followed into sight; one the user clicked on is in
    // sight already, and moving the list under the mouse would make the next click miss.
    bool m_follow = true;
};

}  // namespace kv::ui
