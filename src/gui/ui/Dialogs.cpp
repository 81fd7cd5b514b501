#include "gui/ui/Dialogs.h"

#include <QFileDialog>
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

    QString openFileName(QWidget *parent, const QStringList &filters, QString *selectedFilter) override
    {
        return QFileDialog::getOpenFileName(parent, QString(), QString(), filters.join(QStringLiteral(";;")),
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
