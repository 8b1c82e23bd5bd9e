#pragma once
// The maintenance window `weiteres`: removing duplicates, compacting the cookbook, the
// doors to the editors of comments, umlaut exceptions, imported files and recipes
// without a category, and two settings.

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {

class Weiteres : public QWidget {
    Q_OBJECT
public:
    explicit Weiteres(QWidget* parent = nullptr);

    void deldup_Click();
    void komprim_Click();
    void imporg_Click();
    void komment_Click();
    void umlaut_Click();
    void ohnerub_Click();
    void zeig0_Click();
    void zeig1_Click();
    void kreuz_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void wireEvents();
    void Form_Load();
    void suchtreffer_Change();
    void suchtreffer_GotFocus();
    void suchtreffer_LostFocus();
    void unloadSelf();

    QPushButton* deldup = nullptr;
    QPushButton* komprim = nullptr;
    QPushButton* imporg = nullptr;
    QPushButton* komment = nullptr;
    QPushButton* umlaut = nullptr;
    QPushButton* ohnerub = nullptr;
    QLabel* zeig1 = nullptr;
    QLabel* zeig0 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* suchtreffer = nullptr;
    QPushButton* kreuz = nullptr;
    qint16 typed = 0;
};

}  // namespace kv
