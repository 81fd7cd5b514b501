#include "gui/ui/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

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

    QString openFileName(QWidget *parent, const QStringList &filters, QString *selectedFilter) override
    {
        return QFileDialog::getOpenFileName(parent, QString(), QString(), filters.join(QStringLiteral(";;")),
                                            selectedFilter);
    }

    QString saveFileName(QWidget *parent, const QStringList &filters, QString *selectedFilter) override
    {
        // No question before an existing file is chosen, and no extension added.
        return QFileDialog::getSaveFileName(parent, QString(), QString(), filters.join(QStringLiteral(";;")),
                                            selectedFilter, QFileDialog::DontConfirmOverwrite);
    }
};

Dialogs *g_instance = nullptr;

} // namespace

Dialogs &Dialogs::instance()
{
    static RealDialogs real;
    return g_instance ? *g_instance : real;
}

void Dialogs::setInstance(Dialogs *dialogs)
{
    g_instance = dialogs;
}
