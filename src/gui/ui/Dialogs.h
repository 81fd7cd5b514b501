#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

/// Every message box and file dialog of the program is asked through this facade, so that
/// tests can script the answers and inspect what was asked (their stand-in lives with the
/// tests). The default instance shows the real dialogs.
class Dialogs
{
public:
    enum class Icon { Information, Warning, Error };
    enum class Buttons { Ok, OkCancel };

    virtual ~Dialogs() = default;

    /// Shows a modal message box; returns true when the answer was OK.
    virtual bool message(QWidget *parent, const QString &text, const QString &caption, Icon icon, Buttons buttons) = 0;
    /// An open-file dialog that starts in @p folder (empty, or a folder that is gone: where
    /// the system would start); returns the chosen path, or an empty text when cancelled.
    /// `filters` are name filters such as "*.xls"; `selectedFilter` receives the filter chosen.
    virtual QString openFileName(QWidget *parent, const QString &folder, const QStringList &filters,
                                 QString *selectedFilter = nullptr) = 0;
    /// A save-file dialog that starts in @p folder; returns the name as typed or chosen (no
    /// extension added), or empty.
    virtual QString saveFileName(QWidget *parent, const QString &folder, const QStringList &filters,
                                 QString *selectedFilter = nullptr) = 0;

    /// A question with buttons of its own (OK-like first); returns the index of the button
    /// chosen, or -1 when the box was closed without a choice (Escape).
    virtual int choose(QWidget *parent, const QString &text, const QString &caption, const QStringList &buttons,
                       int defaultButton) = 0;
    /// Asks for one line of text, offering @p initial; nothing when cancelled.
    virtual std::optional<QString> askText(QWidget *parent, const QString &label, const QString &caption,
                                           const QString &initial) = 0;
    /// Asks to pick one of @p items; its index, or -1 when cancelled.
    virtual int chooseItem(QWidget *parent, const QString &label, const QString &caption, const QStringList &items) = 0;

    /// The folders the file dialogs come back to, each kept in the settings file: one for the
    /// spreadsheets and records imported and exported, one for the settings' pictures and music.
    enum class Folder { Sheets, Media };
    /// openFileName() starting in the folder a file of that kind was last chosen in; a file
    /// chosen makes its folder the one remembered. Remembering is a convenience: a settings
    /// file that cannot be written is logged and the caller goes on with the file.
    static QString openFileIn(QWidget *parent, Folder folder, const QStringList &filters,
                              QString *selectedFilter = nullptr);
    /// saveFileName() starting in, and remembering, the folder as openFileIn() does.
    static QString saveFileIn(QWidget *parent, Folder folder, const QStringList &filters,
                              QString *selectedFilter = nullptr);

    static Dialogs &instance();
    /// Replaces the instance (tests); nullptr restores the real dialogs. Not owned.
    static void setInstance(Dialogs *dialogs);

    // Shorthands for the program's three kinds of message box.
    static void information(QWidget *parent, const QString &text, const QString &caption)
    {
        instance().message(parent, text, caption, Icon::Information, Buttons::Ok);
    }
    static void warning(QWidget *parent, const QString &text, const QString &caption)
    {
        instance().message(parent, text, caption, Icon::Warning, Buttons::Ok);
    }
    static bool confirm(QWidget *parent, const QString &text, const QString &caption)
    {
        return instance().message(parent, text, caption, Icon::Information, Buttons::OkCancel);
    }
};
