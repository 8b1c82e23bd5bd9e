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

    void elist_Click();
    void dreieck_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QListWidget* elist = nullptr;
    QLabel* eorganisier = nullptr;
    QToolButton* dreieck = nullptr;
    std::function<void(const QString&)> m_chosen;
};

}  // namespace kv
