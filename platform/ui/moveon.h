#pragma once
// Enter in a grid's cell finishes it and moves on to the next cell, as Tab does: in a grid
// of one column that is the row below, the empty new row after a record just typed, so
// the next word typed is a new record rather than the last one typed over.

#include <QStyledItemDelegate>

namespace kv::ui {

class MoveOnDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
};

}  // namespace kv::ui
