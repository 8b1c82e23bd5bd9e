#pragma once
// The drive list and the folder list of the windows that choose a folder (the cookbook
// choice, the cookbook export): the drive list offers the root, the home folder and the
// mounted volumes, each with its root ('/'-ended) as item data; the folder list shows the
// folders of one drive.

#include <QString>

class QComboBox;
class QFileSystemModel;
class QObject;
class QTreeView;

namespace kv::ui {

void fillDriveList(QComboBox* drives);
// Chooses, without signals, the drive whose root is the longest start of `folder`;
// returns that root.
QString chooseDriveOf(QComboBox* drives, const QString& folder);

// Folders only, read-only, over the whole file system.
QFileSystemModel* folderModel(QObject* parent);
// A view of such a model showing the folder names alone.
void setupFolderList(QTreeView* folders, QFileSystemModel* model);
// The folder list starts at the drive's root, so the folders of a deep drive (the home
// folder) are in sight at once.
void showDrive(QTreeView* folders, QFileSystemModel* model, const QString& root);

}  // namespace kv::ui
