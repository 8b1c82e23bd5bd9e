#pragma once
// The newsgroup reader `newsreaderwork`: the window of one reading run, with its log and
// the cancel button. While a run lasts it is application-modal without a loop of its
// own: the run's network waits keep the events flowing, and the cancel button is the one
// thing the user can do meanwhile. After a run that logged a failure the window stays on
// screen, no longer modal, until the user closes it, so the failure is not passed over
// for the import's "Fertig.".

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
    // The window stays after a failed run, until its button or its close box hides it.
    bool m_kept = false;
    exchange::NewsRun m_run;
};

}  // namespace kv
