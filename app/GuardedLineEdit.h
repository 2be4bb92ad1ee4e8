#pragma once
// A line edit whose read-only state holds on every road. Qt's own accessibility interface of a
// QLineEdit sets, inserts, replaces and deletes text for an assistive tool even when the field is
// read-only; this one reports the field read-only and refuses them while it is.

#include <QLineEdit>

namespace veltrona {

class GuardedLineEdit : public QLineEdit {
public:
    // The first one made installs the accessibility factory that gives every GuardedLineEdit its
    // interface.
    explicit GuardedLineEdit(QWidget* parent = nullptr);
};

} // namespace veltrona
