#pragma once
// What the small modal editors share: Enter moves to the next input as Tab does (a typed value is
// committed when its field is left, so Enter must not close the window past an uncommitted
// field), OK commits the field that has the focus before the values are read, and a few builders
// for the labelled numeric inputs these windows are made of.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TFormDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFormDialog(QWidget* owner);

protected:
    // Call once the controls exist: every control of the window but its buttons gets the Enter
    // handling (the window sees the key first, as a form with key preview does).
    void enableEnterKeyPreview();

    // OK and Cancel at the given positions, 75 x 25. OK first moves the focus onto itself, so
    // the field being edited is left (and committed) before the dialog accepts.
    void addOkCancel(QPushButton*& ok, QPushButton*& cancel, int okLeft, int cancelLeft, int top);

    // A caption label at (left, top) on parent (the window when null); its width follows its
    // text unless given. A text with <sup> is shown as rich text.
    QLabel* addLabel(
        QWidget* parent, const QString& objectName, const QString& text, int left, int top, int width = -1);
    // A numeric edit with its field-limit Tag, right-aligned like every number of the program.
    QLineEdit* addEdit(QWidget* parent, const QString& objectName, int tag, int left, int top, int width);

    bool eventFilter(QObject* watched, QEvent* event) override;
};
