#include "ui/main/filedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace {

TFileDialog::Answerer& answerer()
{
    static TFileDialog::Answerer handler;
    return handler;
}

} // namespace

TFileDialog::TFileDialog(Kind kind, const QString& title, const QString& filter, const QString& defaultExt)
    : Title(title)
    , Filter(filter)
    , DefaultExt(defaultExt)
    , m_kind(kind)
{
}

QString TFileDialog::QtFilter() const
{
    // Pairs of description and patterns; the description already names the patterns.
    const QStringList parts = Filter.split(QLatin1Char('|'));
    QStringList filters;
    // File names are case-sensitive here: a pattern also matches the name in capitals, and "*.*"
    // (any file) is "*", which also matches a name without an extension.
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QStringList matched;
        const QStringList given = patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString& pattern : given)
            matched << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        for (const QString& pattern : given) {
            const QString upper = pattern.toUpper();
            if (!matched.contains(upper) && pattern != QLatin1String("*.*"))
                matched << upper;
        }
        const QString description = parts.at(i).section(QLatin1Char('('), 0, 0).trimmed();
        filters << description + QStringLiteral(" (") + matched.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

bool TFileDialog::Execute(QWidget* parent)
{
    QString chosen;
    if (answerer()) {
        chosen = answerer()(*this);
    } else {
        QFileDialog dialog(parent, Title, InitialDir, QtFilter());
        dialog.setAcceptMode(m_kind == Kind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(m_kind == Kind::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (!DefaultExt.isEmpty())
            dialog.setDefaultSuffix(DefaultExt);
        // A preset that is only a pattern ("*.fdx") starts in the initial folder with no name.
        const QFileInfo preset(FileName);
        if (!FileName.isEmpty() && !FileName.contains(QLatin1Char('*'))) {
            if (preset.isAbsolute())
                dialog.setDirectory(preset.absolutePath());
            dialog.selectFile(preset.fileName());
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        chosen = dialog.selectedFiles().constFirst();
    }
    if (chosen.isEmpty())
        return false;
    QFileInfo info(chosen);
    if (info.isRelative() && !InitialDir.isEmpty())
        info = QFileInfo(QDir(InitialDir), chosen);
    QString path = info.absoluteFilePath();
    if (!DefaultExt.isEmpty() && info.suffix().isEmpty())
        path += QLatin1Char('.') + DefaultExt;
    FileName = QDir::toNativeSeparators(path);
    return true;
}

void TFileDialog::SetAnswerer(Answerer handler)
{
    answerer() = std::move(handler);
}
