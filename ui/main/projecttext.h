#pragma once
// The project's texts (organization, project name, job number, designer) are kept in project
// files as Windows-1252 bytes, at most 255 of them. An input of such a text refuses at entry what
// the file could not give back, by any way of entering it: typed, pasted, dropped or composed.
#include <QString>
#include <QValidator>

#include <functional>

class QLineEdit;

class TProjectTextValidator : public QValidator {
public:
    // `refused` tells why an entry was refused; it is called only while the edit has the focus
    // (a text written from code is the project's own and is never refused).
    TProjectTextValidator(QLineEdit* edit, std::function<void(const QString& why)> refused);

    State validate(QString& input, int& pos) const override;

    // The reason a text cannot be kept in a project file, or an empty text when it can.
    static QString Refusal(const QString& text);

private:
    QLineEdit* m_edit;
    std::function<void(const QString&)> m_refused;
};
