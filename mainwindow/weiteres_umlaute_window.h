#pragma once
// The umlaut-exception editor `weiteres_umlaute`: the words of ExclList.txt per letter
// pair, edited in the cookbook table `umlaute` and written back to the file on closing.

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;
class QTableView;

namespace kv {

namespace db {
class DataControl;
class RecordsetTableModel;
}  // namespace db

class WeiteresUmlaute : public QDialog {
    Q_OBJECT
public:
    explicit WeiteresUmlaute(QWidget* parent = nullptr);

    // Reads the file into `umlaute`; false, after saying so, when there is no file.
    bool loaduml();
    void v_Click(int index);
    void kreuz_Click();

protected:
    void reject() override;

private:
    void Form_Load();
    bool wordAllowed(const QVariant& word);

    std::array<QLabel*, 8> v{};   // 1 to 7
    db::DataControl* umlaut = nullptr;
    db::RecordsetTableModel* m_words = nullptr;
    QTableView* umgrid = nullptr;
    QPushButton* kreuz = nullptr;
    QString m_alt;
    QString m_neu;
};

}  // namespace kv
