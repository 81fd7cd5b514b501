#include "gui/ui/Dialogs.h"

#include "core/base/Error.h"
#include "core/data/AppPaths.h"
#include "core/data/Settings.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

class RealDialogs final : public Dialogs
{
public:
    bool message(QWidget *parent, const QString &text, const QString &caption, Icon icon, Buttons buttons) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(caption);
        box.setText(text);
        box.setIcon(icon == Icon::Information ? QMessageBox::Information
                    : icon == Icon::Warning   ? QMessageBox::Warning
                                              : QMessageBox::Critical);
        if (buttons == Buttons::OkCancel) {
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel);
        } else {
            box.setStandardButtons(QMessageBox::Ok);
        }
        box.setDefaultButton(QMessageBox::Ok);
        return box.exec() == QMessageBox::Ok;
    }

    QString openFileName(QWidget *parent, const QString &folder, const QStringList &filters,
                         QString *selectedFilter) override
    {
        return QFileDialog::getOpenFileName(parent, QString(), startFolder(folder), filters.join(QStringLiteral(";;")),
                                            selectedFilter);
    }

    int choose(QWidget *parent, const QString &text, const QString &caption, const QStringList &buttons,
               int defaultButton) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(caption);
        box.setText(text);
        box.setIcon(QMessageBox::Question);
        QList<QAbstractButton *> added;
        for (qsizetype i = 0; i < buttons.size(); ++i) {
            // The last button closes the box without a choice when there are more than two.
            const auto role = i == 0                                          ? QMessageBox::AcceptRole
                              : i == buttons.size() - 1 && buttons.size() > 2 ? QMessageBox::RejectRole
                                                                              : QMessageBox::ActionRole;
            added.append(box.addButton(buttons.at(i), role));
        }
        if (defaultButton >= 0 && defaultButton < added.size())
            box.setDefaultButton(qobject_cast<QPushButton *>(added.at(defaultButton)));
        box.exec();
        return int(added.indexOf(box.clickedButton()));
    }

    std::optional<QString> askText(QWidget *parent, const QString &label, const QString &caption,
                                   const QString &initial) override
    {
        bool ok = false;
        const QString text = QInputDialog::getText(parent, caption, label, QLineEdit::Normal, initial, &ok);
        return ok ? std::optional(text) : std::nullopt;
    }

    int chooseItem(QWidget *parent, const QString &label, const QString &caption, const QStringList &items) override
    {
        bool ok = false;
        const QString item = QInputDialog::getItem(parent, caption, label, items, 0, false, &ok);
        return ok ? int(items.indexOf(item)) : -1;
    }

    QString saveFileName(QWidget *parent, const QString &folder, const QStringList &filters,
                         QString *selectedFilter) override
    {
        // No question before an existing file is chosen, and no extension added.
        return QFileDialog::getSaveFileName(parent, QString(), startFolder(folder), filters.join(QStringLiteral(";;")),
                                            selectedFilter, QFileDialog::DontConfirmOverwrite);
    }

private:
    /// A remembered folder on a stick that was taken out is no place to start.
    static QString startFolder(const QString &folder)
    {
        return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
    }
};

QString rememberedFolder(Dialogs::Folder folder)
{
    const Settings settings = Settings::load(AppPaths::settingsFile());
    return folder == Dialogs::Folder::Media ? settings.mediaFolder : settings.sheetFolder;
}

void rememberFolderOf(Dialogs::Folder folder, const QString &start, const QString &file)
{
    if (file.isEmpty() || QFileInfo(file).absolutePath() == start)
        return;
    try {
        Settings::rememberFolder(AppPaths::settingsFile(), file, folder == Dialogs::Folder::Media);
    } catch (const Error &e) {
        // The file was chosen for an import or an export, which matters more than the folder.
        qWarning("The folder of %s is not remembered: %s", qUtf8Printable(file), qUtf8Printable(e.text()));
    }
}

Dialogs *g_instance = nullptr;

} // namespace

QString Dialogs::openFileIn(QWidget *parent, Folder folder, const QStringList &filters, QString *selectedFilter)
{
    const QString start = rememberedFolder(folder);
    const QString file = instance().openFileName(parent, start, filters, selectedFilter);
    rememberFolderOf(folder, start, file);
    return file;
}

QString Dialogs::saveFileIn(QWidget *parent, Folder folder, const QStringList &filters, QString *selectedFilter)
{
    const QString start = rememberedFolder(folder);
    const QString file = instance().saveFileName(parent, start, filters, selectedFilter);
    rememberFolderOf(folder, start, file);
    return file;
}

Dialogs &Dialogs::instance()
{
    static RealDialogs real;
    return g_instance ? *g_instance : real;
}

void Dialogs::setInstance(Dialogs *dialogs)
{
    g_instance = dialogs;
}
