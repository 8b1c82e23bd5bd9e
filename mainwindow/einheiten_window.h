#pragma once
// The units window `einheiten` beside the recipe editor: the units offered for an
// ingredient line, in their groups; a click writes one into the editor's current line.

#include <QWidget>

#include <functional>

class QLabel;
class QListWidget;
class QToolButton;

namespace kv {

namespace db {
class Database;
}

class Einheiten : public QWidget {
    Q_OBJECT
public:
    explicit Einheiten(QWidget* parent = nullptr);

    // Fills the list from the units of `db`.
    void fill(db::Database& db);
    // What a click on a unit does: the editor writes it into its current line.
    void setUnitChosen(std::function<void(const QString& ename)> chosen) { m_chosen = std::move(chosen); }
    // Shows the list normal, not minimised, above the editor's windows: a tool window has no
    // taskbar entry to bring it back by. The first time without a stored place it opens
    // beside `editor`; with one, it stays there and the editor's first opening puts the
    // editor beside it.
    void bringBack(QWidget* editor);

    void elist_Click();
    void dreieck_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QListWidget* elist = nullptr;
    QLabel* eorganisier = nullptr;
    QToolButton* dreieck = nullptr;
    std::function<void(const QString&)> m_chosen;
    // A place of its own: stored from last time, or given beside the editor. Only such a
    // place is stored again at the shut-down.
    bool m_placed = false;
    // The editor stands beside the list since this run first showed them together.
    bool m_besideEditor = false;
};

}  // namespace kv
