#include "app/GuardedLineEdit.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QValidator>

namespace veltrona {

namespace {

// The interface of a GuardedLineEdit: what Qt's line-edit interface offers (its value, text and
// selection for a screen reader), with every change of the text refused while the field is read-only.
class GuardedLineEditAccessible : public QAccessibleWidget,
                                  public QAccessibleTextInterface,
                                  public QAccessibleEditableTextInterface {
public:
    explicit GuardedLineEditAccessible(QLineEdit* field) : QAccessibleWidget(field, QAccessible::EditableText) { }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = field()->isReadOnly();
        state.editable = !field()->isReadOnly();
        state.selectableText = true;
        state.passwordEdit = field()->echoMode() != QLineEdit::Normal;
        return state;
    }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value)
            return shown();
        return QAccessibleWidget::text(type);
    }

    void setText(QAccessible::Text type, const QString& text) override
    {
        if (type != QAccessible::Value) {
            QAccessibleWidget::setText(type, text);
            return;
        }
        changeTo(text);
    }

    // QAccessibleTextInterface: reading, the cursor and the selection, which change no text.
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || !field()->hasSelectedText())
            return;
        *startOffset = field()->selectionStart();
        *endOffset = field()->selectionEnd();
    }
    int selectionCount() const override { return field()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex == 0)
            field()->deselect();
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0)
            field()->setSelection(startOffset, endOffset - startOffset);
    }
    int cursorPosition() const override { return field()->cursorPosition(); }
    void setCursorPosition(int position) override { field()->setCursorPosition(position); }
    QString text(int startOffset, int endOffset) const override
    {
        if (startOffset > endOffset)
            return QString();
        return shown().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(shown().size()); }
    QRect characterRect(int offset) const override
    {
        // Where the character lies in the unscrolled text, as near as public API tells.
        const QFontMetrics metrics(field()->font());
        const QString text = shown();
        const QRect contents = field()->contentsRect().marginsRemoved(field()->textMargins());
        const int x = metrics.horizontalAdvance(text.left(offset));
        const int width = metrics.horizontalAdvance(text.mid(offset, 1));
        const QRect local(contents.left() + x, contents.top() + (contents.height() - metrics.height()) / 2, width,
                          metrics.height());
        return QRect(field()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return field()->cursorPositionAt(field()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        field()->setCursorPosition(endIndex);
        field()->setCursorPosition(startIndex);
    }
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return QString();
    }

    // QAccessibleEditableTextInterface: every change goes through changeTo.
    void deleteText(int startOffset, int endOffset) override
    {
        changeTo(field()->text().remove(startOffset, endOffset - startOffset));
    }
    void insertText(int offset, const QString& text) override { changeTo(field()->text().insert(offset, text)); }
    void replaceText(int startOffset, int endOffset, const QString& text) override
    {
        changeTo(field()->text().replace(startOffset, endOffset - startOffset, text));
    }

private:
    QLineEdit* field() const { return static_cast<QLineEdit*>(object()); }

    // What a screen reader may read: the text as the field shows it (masked for a password).
    QString shown() const { return field()->displayText(); }

    void changeTo(const QString& text)
    {
        // A read-only field takes text by no road; an editable one as Qt's own interface gives it.
        if (field()->isReadOnly())
            return;
        QString candidate = text;
        if (const QValidator* validator = field()->validator()) {
            int position = 0;
            if (validator->validate(candidate, position) != QValidator::Acceptable)
                return;
        }
        field()->setText(candidate);
    }
};

QAccessibleInterface* guardedLineEditFactory(const QString& className, QObject* object)
{
    // The class has no meta-object of its own: it is asked for as a QLineEdit.
    if (className != QLatin1String("QLineEdit"))
        return nullptr;
    if (auto* field = dynamic_cast<GuardedLineEdit*>(object))
        return new GuardedLineEditAccessible(field);
    return nullptr;
}

// Installs the factory, once, before the first field is built: QLineEdit's own construction may
// already ask for the field's interface, which is then kept for the field's life.
QWidget* withFactoryInstalled(QWidget* parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(guardedLineEditFactory);
        return true;
    }();
    (void)installed;
    return parent;
}

} // namespace

GuardedLineEdit::GuardedLineEdit(QWidget* parent) : QLineEdit(withFactoryInstalled(parent))
{
}

} // namespace veltrona
