#pragma once
// The wait window shown while the cookbook opening upgrades the database.

#include <QWidget>

class QLabel;
class QTimer;

namespace kv {

class Warten : public QWidget {
    Q_OBJECT
public:
    explicit Warten(QWidget* parent = nullptr);

    // The dots grow by one every tick; after 80 characters they fold into one more bar.
    static QString nextDots(const QString& dots);

    void Timer1_Timer();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void wireEvents();

    QLabel* top = nullptr;
    QLabel* wtime = nullptr;
    QTimer* Timer1 = nullptr;
};

}  // namespace kv
