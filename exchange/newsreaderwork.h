#pragma once
// The newsgroup reader `newsreaderwork`: the window of one reading run, with its log and
// the cancel button. While a run lasts it is application-modal without a loop of its
// own: the run's network waits keep the events flowing, and the cancel button is the one
// thing the user can do meanwhile.

#include "exchange/newsrun.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace kv {

class Newsreaderwork : public QWidget, public exchange::NewsReaderHost {
    Q_OBJECT
public:
    explicit Newsreaderwork(QWidget* parent = nullptr);
    ~Newsreaderwork() override;

    void stat(const QString& message) override;
    void statline(const QString& message);
    void startread();
    void importnews();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void wireEvents();
    void Form_Load();
    void abbruch_Click();
    void showCounter(qint64 number) override;
    void beforeImport() override;
    void showLog();
    void unloadSelf();

    QLabel* Label1 = nullptr;
    QLabel* Label5 = nullptr;
    QPlainTextEdit* status = nullptr;
    QToolButton* abbruch = nullptr;

    // The log as the program keeps it, lines ended by CR LF.
    QString m_log;
    exchange::NewsRun m_run;
};

}  // namespace kv
