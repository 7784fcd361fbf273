#include "ui/main/projecttext.h"

#include "model/ansitext.h"
#include "model/projectfile.h"

#include <QLineEdit>

TProjectTextValidator::TProjectTextValidator(QLineEdit* edit, std::function<void(const QString& why)> refused)
    : QValidator(edit)
    , m_edit(edit)
    , m_refused(std::move(refused))
{
}

QString TProjectTextValidator::Refusal(const QString& text)
{
    if (!IsAnsiText(text.toStdString()))
        return QStringLiteral("A project file can only keep Western European (Windows-1252) characters: "
                              "this one cannot be entered.");
    // Every Windows-1252 character is one UTF-16 unit.
    if (static_cast<std::size_t>(text.size()) > kMaxProjectText)
        return QStringLiteral("A project file keeps at most %1 characters of this text.")
            .arg(kMaxProjectText);
    return {};
}

QValidator::State TProjectTextValidator::validate(QString& input, int& /*pos*/) const
{
    const QString why = Refusal(input);
    if (why.isEmpty())
        return Acceptable;
    if (m_refused && m_edit->hasFocus())
        m_refused(why);
    return Invalid;
}
